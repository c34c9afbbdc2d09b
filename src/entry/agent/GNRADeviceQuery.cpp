#include "entry/agent/GNRADeviceQuery.h"

#include "entry/agent/GNRAProvider.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/GValueAttribute.h"
#include "printer/GBin.h"
#include "printer/GDriverObject.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

static_assert(sizeof(void*) == 4, "the query keeps its provider and driver object in its two 32-bit values");

const wchar_t kAgentNameValue[] = L"RegistryAgentName";
const wchar_t kAgentName[] = L"QZNRA";
const wchar_t kUpdateRequestValue[] = L"QzrdbUpdateRequest";
const wchar_t kModelValue[] = L"MODEL_NAME";
const wchar_t kTextPlaceholder[] = L" ";
const wchar_t kMediaCountValue[] = L"MEDIA-NUMBER-OF-TYPE-SUPPORTED";
const wchar_t kMediaMaskValue[] = L"Media-Names-Available";
const wchar_t kMediaName[] = L"MEDIA%lld-NAME";
const wchar_t kDiskMedia[] = L"hrDiskStorageMedia%lld";
const wchar_t kDeviceModel[] = L"PHD%lld-MODEL";
const wchar_t kDeviceMemory[] = L"PHD%lld-DEVICE-MEMORY";
const wchar_t kOutputName[] = L"prtOutputName%lld";
const wchar_t kInputModel[] = L"prtInputModel%lld";
const wchar_t kInputCapacity[] = L"prtInputMaxCapacity%lld";
const wchar_t kOptionCount[] = L"PHD%lld-NUMBER-OF-OPTIONS";
const wchar_t kOptionDescription[] = L"PHD%lld-OPTION%lld-DESCRIPTION";
const wchar_t kOptionModel[] = L"PHD%lld-OPTION%lld-OPTION_MODEL";

// A reported disk whose value is 3 is a working hard disk.
const uint32_t kDiskPresent = 3;
// MOPY_MODE values that mean the printer makes the copies itself.
const uint32_t kMopyFirst = 3;
const uint32_t kMopyLast = 5;
// HELD-JOB-ENABLE: 1 off, 2 on.
const uint32_t kHeldJobsOff = 1;
const uint32_t kHeldJobsOn = 2;
// The answers of feature 313: 1 the query failed, 2 the device answered.
const uint16_t kUpdateFailed = 1;
const uint16_t kUpdateAnswered = 2;
// Bytes to kilobytes.
const int kKilobyteShift = 10;
// Available memory in bytes to the range's unit: the single-precision factor 0x38C803B6.
const uint32_t kMemoryFactorBits = 0x38C803B6;
// Media names are offered by the bits of a 32-bit mask, bit (index - 1) for each index.
const int64_t kFirstMaskIndex = 1;
const int64_t kLastMaskIndex = 32;
// The media-count answer covers the five names up to the count.
const int64_t kMediaSpan = 4;
// Memory bytes: a first byte 1 marks a memory report, its second byte the size.
const uint8_t kMemoryReport = 1;
const size_t kMemoryReportSize = 3;
const uint16_t kMemoryCodes[] = {4, 3, 5, 2};
// Match kinds of a paper-handling device.
const uint32_t kMatchInside = 1;
const uint32_t kMatchEqual = 2;
const uint32_t kMatchSubDevice = 3;

float MemoryFactor()
{
    float factor;
    std::memcpy(&factor, &kMemoryFactorBits, sizeof factor);
    return factor;
}

uint32_t PointerValue(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

// A value name with one or two decimal indexes.
struct ValueName {
    wchar_t text[96];
    explicit ValueName(const wchar_t* format, int64_t index) { std::swprintf(text, 96, format, (long long)index); }
    ValueName(const wchar_t* format, int64_t first, int64_t second)
    {
        std::swprintf(text, 96, format, (long long)first, (long long)second);
    }
    operator const wchar_t*() const { return text; }
};

RWCString Narrow(const RWWString& text)
{
    RWCString narrow;
    ToNarrowString(text, narrow);
    return narrow;
}

bool IsAnswer(const RWWString& text) { return !text.IsNull() && !(text == RWWString(kTextPlaceholder)); }

bool SameText(const RWCString& a, const RWCString& b) { return a.CompareTo(b, RWCString::ignoreCase) == 0; }

// The members of a composite, held while the caller works on them: a handler may change
// the tree it is walking.
std::vector<GCountedRef> Members(GObjectBase* composite)
{
    std::vector<GCountedRef> members;
    if (!composite || !composite->AsComposite())
        return members;
    std::unique_ptr<GObjectIterator> it(composite->CreateIterator());
    while (it && it->Next())
        members.push_back(it->CurrentRef());
    return members;
}

template <class T>
T* Exactly(GObjectBase* object)
{
    return object && object->ClassId() == T::kClassId ? static_cast<T*>(object) : nullptr;
}

GValueAttribute* AsValue(GAttribute& feature) { return static_cast<GValueAttribute*>(&feature); }

} // namespace

const GNRADeviceQuery::Row GNRADeviceQuery::DeviceQueryTable[] = {
    // feature, class, registry value, handler
    {228, 757, kModelValue, &GNRADeviceQuery::Model},
    {202, 762, L"HOST-APPLICATION-AVAILABLE-MEMORY", &GNRADeviceQuery::AvailableMemory},
    {204, 763, L"prtMediaPathType2", &GNRADeviceQuery::PresentUnlessPlaceholder},
    {201, 763, L"hrMemorySize", &GNRADeviceQuery::MemoryKilobytes},
    {1211, 763, L"PAGE-FRAME-MEMORY-AVAILABLE", &GNRADeviceQuery::MemoryKilobytes},
    {231, 763, L"MOPY_MODE", &GNRADeviceQuery::Mopy},
    {980, 763, L"prtInputMaxCapacity1", &GNRADeviceQuery::PresentUnlessPlaceholder},
    {90, 757, kDeviceModel, &GNRADeviceQuery::PaperHandlingDevices},
    {701, 757, kMediaCountValue, &GNRADeviceQuery::MediaNames},
    {226, 763, kDiskMedia, &GNRADeviceQuery::Disks},
    {441, 763, L"HELD-JOB-ENABLE", &GNRADeviceQuery::HeldJobs},
    {1011, 763, L"NOT-READY-SOURCE-SCANNER", &GNRADeviceQuery::PresentUnlessBlank},
    {1208, 757, kOptionCount, &GNRADeviceQuery::DeviceOptions},
    {0, 0, nullptr, nullptr},
};

GNRADeviceQuery::GNRADeviceQuery(GNRAProvider* provider, const RWCString& channel, GDriverObject* driver, uint32_t)
    : GDeviceQuery(PointerValue(provider), PointerValue(driver), driver ? driver->GetPrinterName() : RWWString()),
      provider_(provider), driver_(driver), channel_(channel), target_(nullptr), checkModel_(0), printer_(nullptr)
{
    firstText_ = channel;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!name_.IsNull() && !OpenPrinterW(const_cast<wchar_t*>(name_.Data()), &printer_, &defaults))
        printer_ = nullptr;
    WriteText(kAgentNameValue, kAgentName);
    WriteDword(kUpdateRequestValue, 0);
    RWWString model;
    if (ReadText(kModelValue, model) && IsAnswer(model))
        secondText_ = Narrow(model);
}

GNRADeviceQuery::~GNRADeviceQuery()
{
    if (printer_)
        ClosePrinter(printer_);
}

void* GNRADeviceQuery::AsService(GNRADeviceQuery* query) { return static_cast<GProviderService*>(query); }

GNRADeviceQuery* GNRADeviceQuery::FromService(void* service)
{
    return static_cast<GNRADeviceQuery*>(static_cast<GProviderService*>(service));
}

bool GNRADeviceQuery::IsAnswered() const { return !secondText_.IsNull(); }

uint16_t GNRADeviceQuery::Run() { return Query(driver_ ? driver_->GetSettings() : nullptr, 0); }

uint32_t GNRADeviceQuery::AnswerFor(GConfiguration& configuration)
{
    return Query(&configuration, 1);
}

uint16_t GNRADeviceQuery::Query(GObjectBase* target, uint32_t checkModel)
{
    target_ = target;
    checkModel_ = checkModel;
    GObjectBase* root = target ? target->FindById(FeatureId::kDeviceQueryRoot) : nullptr;
    uint16_t result = kNoAnswer;
    if (root) {
        result = Dispatch(root, 0);
        if (result == kSuccess || result == kNoHandler)
            result = AskAgent() ? Dispatch(root, 1) : kAgentNotAsked;
    }
    target_ = nullptr;
    return result;
}

uint16_t GNRADeviceQuery::Dispatch(GObjectBase* feature, int phase)
{
    GAttribute* attribute = feature && feature->IsKindOf(GAttribute::kClassId) ? static_cast<GAttribute*>(feature)
                                                                               : nullptr;
    if (!attribute)
        return kNoHandler;
    for (const Row* row = DeviceQueryTable; row->handler; ++row)
        if (row->feature == uint32_t(feature->GetId()) && row->classId == feature->ClassId())
            return (this->*row->handler)(*attribute, row->value, phase);
    return kNoHandler;
}

uint16_t GNRADeviceQuery::DispatchMembers(GObjectBase* composite, int phase)
{
    uint16_t combined = kSuccess;
    bool unhandled = false;
    for (const GCountedRef& member : Members(composite)) {
        const uint16_t result = Dispatch(member.Get(), phase);
        if (result == kNoHandler)
            unhandled = true;
        else if (result != kSuccess)
            combined = result;
    }
    return combined == kSuccess && unhandled ? kNoHandler : combined;
}

bool GNRADeviceQuery::AskAgent()
{
    bool asked = WriteDword(kUpdateRequestValue, 1) && provider_;
    for (LPARAM kind : GNRAProvider::kRefreshKinds)
        asked = asked && provider_->Request(kind);
    if (!asked)
        WriteDword(kUpdateRequestValue, 0);
    if (provider_)
        provider_->Disconnect();
    return asked;
}

bool GNRADeviceQuery::IndexRange(long feature, int32_t& first, int32_t& last) const
{
    GRangeAttribute* range = target_ ? Exactly<GRangeAttribute>(target_->FindById(feature)) : nullptr;
    if (!range)
        return false;
    first = range->GetMinimum();
    last = range->GetMaximum();
    return true;
}

// Feature 228: the model name; below it every other feature of the query, and 313, which
// says whether the device answered.
uint16_t GNRADeviceQuery::Model(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteText(value, kTextPlaceholder);
        return DispatchMembers(&feature, 0);
    }
    uint16_t result = kNoAnswer;
    RWWString model;
    if (ReadText(value, model) && IsAnswer(model)) {
        secondText_ = Narrow(model);
        bool accepted = !checkModel_;
        GObjectBase* names = target_->FindById(FeatureId::kAcceptedModels);
        for (const GCountedRef& name : Members(names))
            if (GStringAttribute* text = Exactly<GStringAttribute>(name.Get()))
                accepted = accepted || SameText(text->GetString(), secondText_);
        result = accepted ? kSuccess : kModelNotAccepted;
        if (accepted) {
            if (GStringAttribute* reported = Exactly<GStringAttribute>(feature.FindById(FeatureId::kReportedModel)))
                reported->SetString(secondText_);
            result = DispatchMembers(&feature, 1);
            if (result == kNoHandler)
                result = kSuccess;
        }
    }
    if (GValueAttribute* state = Exactly<GValueAttribute>(feature.FindById(FeatureId::kAgentUpdateState)))
        state->SetValue(result == kSuccess ? kUpdateAnswered : kUpdateFailed);
    return result;
}

// Feature 202: the memory free for the host's jobs, scaled into the range's unit.
uint16_t GNRADeviceQuery::AvailableMemory(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        return kSuccess;
    }
    GRangeAttribute& range = static_cast<GRangeAttribute&>(feature);
    uint32_t bytes = 0;
    if (ReadDword(value, bytes) && bytes != kNumberPlaceholder) {
        // Clamped while still a float: a large answer must not wrap in 16 bits.
        const float scaled = float(bytes) * MemoryFactor();
        const float clamped = std::min<float>(std::max<float>(scaled, range.GetMinimum()), range.GetMaximum());
        range.SetValue(int16_t(clamped));
    }
    return kSuccess;
}

// Features 204 and 980: present when the agent wrote anything but the placeholder.
uint16_t GNRADeviceQuery::PresentUnlessPlaceholder(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        return kSuccess;
    }
    uint32_t number = 0;
    if (!ReadDword(value, number))
        return kNoAnswer;
    AsValue(feature)->SetBool(number != kNumberPlaceholder);
    return kSuccess;
}

// Features 201 and 1211: bytes to kilobytes; a kilobyte count past 16 bits stays at the
// largest value rather than wrapping.
uint16_t GNRADeviceQuery::MemoryKilobytes(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        return kSuccess;
    }
    uint32_t bytes = 0;
    if (!ReadDword(value, bytes))
        return kNoAnswer;
    if (bytes != kNumberPlaceholder)
        AsValue(feature)->SetValue(uint16_t(std::min<uint32_t>(bytes >> kKilobyteShift, 0xFFFF)));
    return kSuccess;
}

// Feature 231: whether the printer makes the copies of a job itself.
uint16_t GNRADeviceQuery::Mopy(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        return kSuccess;
    }
    uint32_t mode = 0;
    if (!ReadDword(value, mode))
        return kNoAnswer;
    AsValue(feature)->SetBool(kMopyFirst <= mode && mode <= kMopyLast);
    return kSuccess;
}

// Feature 441: held jobs enabled.
uint16_t GNRADeviceQuery::HeldJobs(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        return kSuccess;
    }
    uint32_t state = 0;
    if (ReadDword(value, state) && (state == kHeldJobsOff || state == kHeldJobsOn))
        AsValue(feature)->SetValue(state == kHeldJobsOn ? 1 : 0);
    return kSuccess;
}

// Feature 1011: present when the agent wrote a text.
uint16_t GNRADeviceQuery::PresentUnlessBlank(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0)
        return WriteText(value, kTextPlaceholder) ? kSuccess : kNoAnswer;
    RWWString text;
    if (!ReadText(value, text))
        return kNoAnswer;
    AsValue(feature)->SetBool(!(text == RWWString(kTextPlaceholder)));
    return kSuccess;
}

// Feature 226: the number of working disks among the indexes of range 236.
uint16_t GNRADeviceQuery::Disks(GAttribute& feature, const wchar_t* value, int phase)
{
    int32_t first = 1, last = 0;
    IndexRange(FeatureId::kDiskIndexes, first, last);
    if (phase == 0) {
        bool written = true;
        for (int64_t i = first; i <= last; ++i)
            written = WriteDword(ValueName(value, i), kNumberPlaceholder) && written;
        return written ? kSuccess : kNoAnswer;
    }
    uint16_t disks = 0;
    for (int64_t i = first; i <= last; ++i) {
        uint32_t state = 0;
        if (ReadDword(ValueName(value, i), state) && state == kDiskPresent)
            ++disks;
    }
    AsValue(feature)->SetValue(disks);
    return kSuccess;
}

// Feature 701: the names of the media types the printer knows. A type count narrows the
// names to the last five up to it, which the agent is asked for once more.
uint16_t GNRADeviceQuery::MediaNames(GAttribute& feature, const wchar_t* value, int phase)
{
    if (phase == 0) {
        WriteDword(value, kNumberPlaceholder);
        WriteDword(kMediaMaskValue, kNumberPlaceholder);
        return kSuccess;
    }
    int64_t first = 1, last = 0;
    uint32_t count = 0;
    if (ReadDword(value, count) && count != kNumberPlaceholder) {
        // Index 0 and below name no media: the span starts at 1 at least.
        last = count;
        first = std::max<int64_t>(kFirstMaskIndex, last - kMediaSpan);
        for (int64_t i = first; i <= last; ++i)
            WriteText(ValueName(kMediaName, i), kTextPlaceholder);
        AskAgent();
    } else {
        int32_t low = 1, high = 0;
        IndexRange(FeatureId::kMediaNameIndexes, low, high);
        first = low;
        last = high;
    }
    feature.RemoveAll();
    uint32_t mask = 0;
    if (!ReadNumber(kMediaMaskValue, mask))
        return kSuccess;
    for (int64_t i = first; i <= last; ++i) {
        // Only indexes 1 to 32 have a bit; beyond them nothing is offered but by the
        // placeholder, which offers every name.
        const bool offered = mask == kNumberPlaceholder ||
                             (kFirstMaskIndex <= i && i <= kLastMaskIndex && (mask >> (i - 1)) & 1u);
        RWWString name;
        if (offered && ReadText(ValueName(kMediaName, i), name) && IsAnswer(name))
            feature.Add(new GStringAttribute(Narrow(name), 0));
    }
    return kSuccess;
}

// Feature 1208: targets set for the option models the devices of range 232 report.
uint16_t GNRADeviceQuery::DeviceOptions(GAttribute& feature, const wchar_t* value, int phase)
{
    int32_t first = 1, last = 0;
    IndexRange(FeatureId::kDeviceIndexes, first, last);
    if (phase == 0) {
        bool written = true;
        for (int64_t d = first; d <= last; ++d)
            written = WriteDword(ValueName(value, d), kNumberPlaceholder) && written;
        return written ? kSuccess : kNoAnswer;
    }
    struct Answered {
        int64_t device;
        uint32_t options;
    };
    std::vector<Answered> answered;
    for (int64_t d = first; d <= last; ++d) {
        uint32_t options = 0;
        if (!ReadDword(ValueName(value, d), options) || options == kNumberPlaceholder)
            continue;
        // A larger count is damage: walking it would take hours.
        if (options > kMaxOptions)
            return kNoAnswer;
        answered.push_back({d, options});
    }
    for (const Answered& a : answered)
        for (int64_t o = 1; o <= a.options; ++o) {
            WriteText(ValueName(kOptionDescription, a.device, o), kTextPlaceholder);
            WriteText(ValueName(kOptionModel, a.device, o), kTextPlaceholder);
        }
    if (!answered.empty())
        AskAgent();
    std::vector<RWCString> reported;
    for (const Answered& a : answered)
        for (int64_t o = 1; o <= a.options; ++o) {
            RWWString model;
            if (!ReadText(ValueName(kOptionModel, a.device, o), model))
                return kNoAnswer;
            if (IsAnswer(model))
                reported.push_back(Narrow(model));
        }
    for (const GCountedRef& member : Members(&feature)) {
        GStringAttribute* model = Exactly<GStringAttribute>(member->FindById(FeatureId::kOptionModel));
        GObjectBase* target = member->FindById(FeatureId::kOptionTarget);
        if (!model || !target)
            continue;
        const RWCString* match = nullptr;
        for (const RWCString& r : reported)
            if (!model->GetString().IsNull() && SameText(r, model->GetString()))
                match = &r;
        if (GValueAttribute* flag = Exactly<GValueAttribute>(target))
            flag->SetBool(match != nullptr);
        else if (GStringAttribute* text = Exactly<GStringAttribute>(target))
            text->SetString(match ? *match : RWCString());
    }
    return kSuccess;
}

// Feature 90: which paper-handling devices are installed, the memory option of each
// that takes one, and the printer's names of its output bins.
uint16_t GNRADeviceQuery::PaperHandlingDevices(GAttribute& feature, const wchar_t* value, int phase)
{
    int32_t devicesFirst = 1, devicesLast = 0, traysFirst = 1, traysLast = 0, binsFirst = 1, binsLast = 0;
    IndexRange(FeatureId::kDeviceIndexes, devicesFirst, devicesLast);
    IndexRange(FeatureId::kInputTrayIndexes, traysFirst, traysLast);
    IndexRange(FeatureId::kOutputNameIndexes, binsFirst, binsLast);
    if (phase == 0) {
        for (int64_t i = binsFirst; i <= binsLast; ++i)
            WriteText(ValueName(kOutputName, i), kTextPlaceholder);
        for (int64_t i = traysFirst; i <= traysLast; ++i) {
            WriteText(ValueName(kInputModel, i), kTextPlaceholder);
            WriteDword(ValueName(kInputCapacity, i), kNumberPlaceholder);
        }
        for (int64_t i = devicesFirst; i <= devicesLast; ++i) {
            WriteText(ValueName(value, i), kTextPlaceholder);
            WriteBytes(ValueName(kDeviceMemory, i), nullptr, 0);
        }
        return kSuccess;
    }

    struct Reported {
        RWCString model;
        std::vector<uint8_t> memory;
    };
    std::vector<Reported> devices;
    for (int64_t i = devicesFirst; i <= devicesLast; ++i) {
        RWWString model;
        if (!ReadText(ValueName(value, i), model) || !IsAnswer(model))
            continue;
        Reported reported{Narrow(model), {}};
        ReadBytes(ValueName(kDeviceMemory, i), reported.memory);
        devices.push_back(std::move(reported));
    }
    std::vector<RWCString> outputNames, inputModels;
    for (int64_t i = binsFirst; i <= binsLast; ++i) {
        RWWString name;
        if (ReadText(ValueName(kOutputName, i), name) && IsAnswer(name))
            outputNames.push_back(Narrow(name));
    }
    for (int64_t i = traysFirst; i <= traysLast; ++i) {
        RWWString model;
        if (ReadText(ValueName(kInputModel, i), model) && IsAnswer(model))
            inputModels.push_back(Narrow(model));
    }

    std::vector<GCountedRef> members = Members(&feature);
    std::vector<GPaperHandlingDevice*> accessories;
    for (const GCountedRef& member : members)
        if (GPaperHandlingDevice* device = Exactly<GPaperHandlingDevice>(member.Get()))
            // A fixed device with a single configuration has nothing to find out.
            if (device->GetMode() != 0 || device->GetOptionCount() >= 2)
                accessories.push_back(device);

    // Kinds 1 and 2 first: a device of kind 3 is present when a tray or bin of one of its
    // configurations is named after a device they found, or after an input tray the
    // printer reports; that configuration becomes the selected one.
    std::vector<RWCString> present = inputModels;
    std::vector<bool> found(accessories.size(), false);
    for (size_t a = 0; a < accessories.size(); ++a) {
        GPaperHandlingDevice& device = *accessories[a];
        const RWCString name = device.GetName();
        const uint32_t kind = device.GetDetection();
        if (name.IsNull() || (kind != kMatchInside && kind != kMatchEqual))
            continue;
        const Reported* match = nullptr;
        for (const Reported& r : devices)
            if (kind == kMatchEqual ? SameText(r.model, name)
                                    : r.model.Index(name, 0, RWCString::ignoreCase) != RW_NPOS)
                match = match ? match : &r;
        if (!match)
            continue;
        found[a] = true;
        present.push_back(name);
        if (device.GetQuerySelect()) {
            const uint16_t code = MemoryCode(match->memory);
            device.SelectOption(device.HasOption(code) ? code : 0);
        }
    }
    for (size_t a = 0; a < accessories.size(); ++a) {
        GPaperHandlingDevice& device = *accessories[a];
        if (device.GetDetection() != kMatchSubDevice)
            continue;
        std::vector<uint16_t> options;
        device.ListOptions(options);
        for (uint16_t option : options) {
            for (const GCountedRef& slot : Members(device.FindOption(option))) {
                const RWCString* slotName = nullptr;
                if (GTray* tray = Exactly<GTray>(slot.Get()))
                    slotName = tray->GetName();
                else if (GBin* bin = Exactly<GBin>(slot.Get()))
                    slotName = bin->GetName();
                for (const RWCString& p : present)
                    if (slotName && !slotName->IsNull() && SameText(*slotName, p))
                        found[a] = true;
            }
            if (found[a]) {
                device.SelectOption(option);
                break;
            }
        }
    }
    for (size_t a = 0; a < accessories.size(); ++a)
        accessories[a]->SetCount(found[a] ? 1 : 0);

    // The output names, in order, to the installed output devices under 314, each taking
    // as many as its selected configuration has bins; names from an earlier query go first.
    size_t next = 0;
    for (const GCountedRef& member : Members(target_->FindById(FeatureId::kOutputAccessories))) {
        GPaperHandlingDevice* device = Exactly<GPaperHandlingDevice>(member.Get());
        if (!device || device->GetCount() == 0)
            continue;
        GObjectBase* configuration = device->FindOption(device->GetSelectedOption());
        if (!configuration || !configuration->AsComposite())
            continue;
        while (GObjectBase* old = configuration->RemoveByClassId(GStringAttribute::kClassId))
            GObjectBase::Drop(old);
        const size_t bins = configuration->Entries();
        for (size_t b = 0; b < bins && next < outputNames.size(); ++b)
            configuration->Add(new GStringAttribute(outputNames[next++], 0));
    }
    return kSuccess;
}

uint16_t GNRADeviceQuery::MemoryCode(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < kMemoryReportSize || bytes[0] != kMemoryReport)
        return 0;
    const uint8_t size = bytes[1];
    return size >= 1 && size <= 4 ? kMemoryCodes[size - 1] : 0;
}

bool GNRADeviceQuery::BigEndianNumber(const uint8_t* bytes, DWORD size, uint32_t& value)
{
    if (size == 0 || size > 4)
        return false;
    uint8_t padded[4] = {0, 0, 0, 0};
    std::memcpy(padded, bytes, size);
    uint32_t number = uint32_t(padded[0]) << 24 | uint32_t(padded[1]) << 16 | uint32_t(padded[2]) << 8 | padded[3];
    for (int shifts = 0; shifts < 3 && number != 0 && (number & 0xFF) == 0; ++shifts)
        number >>= 8;
    value = number;
    return true;
}

namespace {

// One printer-data value: its type and bytes; false when it cannot be had or is larger
// than any value the query reads.
bool ReadValue(HANDLE printer, const wchar_t* name, DWORD& type, std::vector<uint8_t>& bytes)
{
    if (!printer)
        return false;
    uint8_t small[16];
    DWORD needed = 0;
    DWORD status = GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, small, sizeof small, &needed);
    if (status == ERROR_SUCCESS) {
        bytes.assign(small, small + std::min<DWORD>(needed, sizeof small));
        return true;
    }
    if (status != ERROR_MORE_DATA || needed > GNRADeviceQuery::kMaxValueBytes)
        return false;
    std::vector<uint8_t> large(needed);
    DWORD got = 0;
    status = GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, large.data(), needed, &got);
    if (status != ERROR_SUCCESS)
        return false;
    large.resize(std::min(got, needed));
    bytes.swap(large);
    return true;
}

} // namespace

bool GNRADeviceQuery::ReadDword(const wchar_t* name, uint32_t& value) const
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(printer_, name, type, bytes) || type != REG_DWORD || bytes.size() != 4)
        return false;
    std::memcpy(&value, bytes.data(), 4);
    return true;
}

bool GNRADeviceQuery::ReadNumber(const wchar_t* name, uint32_t& value) const
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(printer_, name, type, bytes))
        return false;
    if (type == REG_DWORD && bytes.size() == 4) {
        std::memcpy(&value, bytes.data(), 4);
        return true;
    }
    return type == REG_BINARY && BigEndianNumber(bytes.data(), DWORD(bytes.size()), value);
}

bool GNRADeviceQuery::ReadText(const wchar_t* name, RWWString& value) const
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(printer_, name, type, bytes) || type != REG_SZ)
        return false;
    // The text ends at its first 0 or with the bytes read, whichever comes first.
    std::vector<wchar_t> chars(bytes.size() / sizeof(wchar_t));
    if (!chars.empty())
        std::memcpy(chars.data(), bytes.data(), chars.size() * sizeof(wchar_t));
    const size_t length = std::find(chars.begin(), chars.end(), L'\0') - chars.begin();
    value = RWWString(chars.data(), length);
    return true;
}

bool GNRADeviceQuery::ReadBytes(const wchar_t* name, std::vector<uint8_t>& value) const
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(printer_, name, type, bytes) || type != REG_BINARY)
        return false;
    value.swap(bytes);
    return true;
}

bool GNRADeviceQuery::WriteDword(const wchar_t* name, uint32_t value) const
{
    return printer_ && SetPrinterDataW(printer_, const_cast<wchar_t*>(name), REG_DWORD,
                                       reinterpret_cast<BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool GNRADeviceQuery::WriteText(const wchar_t* name, const wchar_t* value) const
{
    const DWORD size = DWORD((wcslen(value) + 1) * sizeof(wchar_t));
    return printer_ && SetPrinterDataW(printer_, const_cast<wchar_t*>(name), REG_SZ,
                                       reinterpret_cast<BYTE*>(const_cast<wchar_t*>(value)), size) == ERROR_SUCCESS;
}

bool GNRADeviceQuery::WriteBytes(const wchar_t* name, const uint8_t* bytes, DWORD size) const
{
    uint8_t none = 0;
    return printer_ && SetPrinterDataW(printer_, const_cast<wchar_t*>(name), REG_BINARY,
                                       const_cast<uint8_t*>(size ? bytes : &none), size) == ERROR_SUCCESS;
}
