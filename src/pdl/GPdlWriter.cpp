#include "pdl/GPdlWriter.h"

#include "graphics/GGraphic.h"
#include "graphics/GOutputChannel.h"
#include "graphics/GPathGraphic.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GProviderRegistry.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GCommand.h"
#include "model/GStringAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GOSFactory.h"

#include <memory>

namespace {

// The ternary raster operations of the binary operations 1 to 16, the pattern standing
// in for the pen; entry 14 holds 252.
const uint16_t kTernaryRops[16] = {0, 5, 10, 15, 80, 85, 90, 95, 160, 165, 170, 175, 240, 245, 252, 255};

// The member of the configuration with the id when it is of the class; else null, a
// member of another class counting as absent.
template <class T>
T* ConfigurationMember(GConfiguration* configuration, long id)
{
    GObjectBase* found = configuration ? configuration->FindById(id) : nullptr;
    return found && found->IsKindOf(T::kClassId) ? static_cast<T*>(found) : nullptr;
}

const RWClassID kDocumentStartId = 705;
const RWClassID kDocumentEndId = 706;
const RWClassID kPageEndId = 710;
const RWClassID kJobAbortId = 713;
const RWClassID kErrorCommandId = 714;
const RWClassID kNoCommandId = 715;

bool PassesUntouched(const GObjectBase* command)
{
    return !command || command->ClassId() == kErrorCommandId || command->ClassId() == kNoCommandId;
}

} // namespace

GPdlWriter::GPdlWriter()
    : GStoredLevel(kWriterId), documentStarted_(0), inScanBlock_(0), objectA_(nullptr), objectB_(nullptr),
      deviceFontUsed_(0), pageWords_{0, 0}, pathNesting_(0), clipState_(0), producer_(nullptr),
      deviceFontList_(nullptr), ownsDeviceFontList_(false), passThroughAllowed_(1)
{
    GetDeviceFontList();
}

GPdlWriter::GPdlWriter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                       uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode)
    : GStoredLevel(name, initialState, configuration, id, addOnListId, addOnKind, addOnMode), documentStarted_(0),
      inScanBlock_(0), objectA_(nullptr), objectB_(nullptr), deviceFontUsed_(0), pageWords_{0, 0},
      pathNesting_(0), clipState_(0), producer_(nullptr), deviceFontList_(nullptr), ownsDeviceFontList_(false),
      passThroughAllowed_(1)
{
    GetDeviceFontList();
}

GPdlWriter::GPdlWriter(const GPdlWriter& other)
    : GStoredLevel(other), documentStarted_(0), inScanBlock_(0), objectA_(nullptr), objectB_(nullptr),
      deviceFontUsed_(0), pageWords_{0, 0}, pathNesting_(0), clipState_(0), producer_(nullptr),
      deviceFontList_(nullptr), ownsDeviceFontList_(false), passThroughAllowed_(1)
{
    CopyJobFields(other);
    GetDeviceFontList();
}

GPdlWriter& GPdlWriter::operator=(const GPdlWriter& other)
{
    if (this == &other)
        return *this;
    GStoredLevel::operator=(other);
    CopyJobFields(other);
    DropWriterObjects();
    pageWords_[0] = pageWords_[1] = 0;
    producer_ = nullptr;
    GetDeviceFontList();
    return *this;
}

GPdlWriter::~GPdlWriter()
{
    DropWriterObjects();
    DropDeviceFontList();
}

void GPdlWriter::CopyJobFields(const GPdlWriter& other)
{
    documentStarted_ = other.documentStarted_;
    inScanBlock_ = other.inScanBlock_;
    pathNesting_ = other.pathNesting_;
    clipState_ = other.clipState_;
    passThroughAllowed_ = other.passThroughAllowed_;
}

void GPdlWriter::ClearJobFields()
{
    documentStarted_ = 0;
    inScanBlock_ = 0;
    pathNesting_ = 0;
    clipState_ = 0;
}

void GPdlWriter::DropWriterObjects()
{
    SetWriterObjectA(nullptr);
    SetWriterObjectB(nullptr);
}

void GPdlWriter::SetWriterObjectA(Object* object)
{
    if (object != objectA_)
        delete objectA_;
    objectA_ = object;
}

void GPdlWriter::SetWriterObjectB(Object* object)
{
    if (object != objectB_)
        delete objectB_;
    objectB_ = object;
}

void GPdlWriter::DropDeviceFontList()
{
    if (ownsDeviceFontList_)
        delete deviceFontList_;
    deviceFontList_ = nullptr;
    ownsDeviceFontList_ = false;
}

bool GPdlWriter::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    if (!GStoredLevel::IsSame(other))
        return false;
    const GPdlWriter* writer = dynamic_cast<const GPdlWriter*>(other);
    return writer && documentStarted_ == writer->documentStarted_ && inScanBlock_ == writer->inScanBlock_ &&
           pathNesting_ == writer->pathNesting_ && clipState_ == writer->clipState_ &&
           passThroughAllowed_ == writer->passThroughAllowed_;
}

GCommand* GPdlWriter::ReceiveCommand(GCommand* command)
{
    if (!command || !IsActive())
        return command;
    const RWClassID id = command->ClassId();
    const bool opening = id == kDocumentStartId;
    const bool closing = id == kDocumentEndId || id == kPageEndId || id == kJobAbortId;
    if (!opening && !closing)
        return GStoredLevel::ReceiveCommand(command);
    GCountedRef held(command);
    if (opening)
        held = ProcessCommand(held);
    if (!PassesUntouched(held.Get())) {
        GCommand* passed = GStoredLevel::ReceiveCommand(static_cast<GCommand*>(held.Get()));
        if (passed != held.Get())
            held = GCountedRef(passed);
        if (closing && !PassesUntouched(held.Get()))
            held = ProcessCommand(held);
    }
    // The caller takes the result over: the hold ends without deleting it.
    GObjectBase* result = held.Detach();
    if (result)
        result->RemoveReference();
    return static_cast<GCommand*>(result);
}

// A carried channel is borrowed: this writer neither opens nor deletes it. A channel of
// its own is opened under the document name; one the providers cannot supply, or supply
// unusable, ends the start with 601 before anything is called through it.
int16_t GPdlWriter::OnDocumentStart(GDocumentStart& command)
{
    documentStarted_ = 1;
    if (GOSFactory* services = GOSFactory::Instance())
        if (services->IsPassThroughDisabled())
            passThroughAllowed_ = 0;
    producer_ = command.GetProducer();
    if (GOutputChannel* carried = command.GetOutputChannel()) {
        SetOutputChannel(carried, false);
    } else {
        GOutputChannel* opened = GProviderRegistry::Instance().Open(command.GetOutputName(), producer_, 0);
        SetOutputChannel(opened, true);
        if (!opened || !opened->IsOpen())
            return kNoChannel;
        command.SetOutputChannel(opened);
    }
    if (OwnsOutputChannel())
        if (const int16_t status = GetOutputChannel()->Open(command.GetDocumentName()))
            return status;
    SizeBudget();
    return 0;
}

// A negative setting gives no memory rather than a wrapped, enormous total.
void GPdlWriter::SizeBudget()
{
    GRangeAttribute* memory = ConfigurationMember<GRangeAttribute>(GetConfiguration(), FeatureId::kDeviceMemory);
    if (!memory) {
        budget_.Reset();
        return;
    }
    const int32_t units = memory->GetValue();
    budget_.SetTotal(units > 0 ? uint32_t(units) * uint32_t(kBytesPerMemoryUnit) : 0);
}

int16_t GPdlWriter::OnPageStart(GPageStart&) { return 0; }

int16_t GPdlWriter::ApplyString(GStringAttribute&) { return 0; }

uint32_t GPdlWriter::ReleaseDeviceMemory(uint32_t bytes) { return budget_.Release(bytes); }

uint32_t GPdlWriter::ReserveDeviceMemory(uint32_t bytes) { return budget_.Reserve(bytes); }

int32_t GPdlWriter::MatchDeviceFont(uint32_t) { return 1; }

int32_t GPdlWriter::MatchDeviceFontEx(uint32_t, uint32_t, uint32_t, uint32_t* found, uint32_t, uint32_t, uint32_t)
{
    if (found)
        *found = 0;
    return 1;
}

uint16_t GPdlWriter::GetTernaryRop(int16_t n) { return kTernaryRops[uint16_t(n - 1) & 15]; }

uint32_t GPdlWriter::QueryFeature(uint32_t) { return 0; }

int16_t GPdlWriter::PlayPathMembers(GPathGraphic& path)
{
    int16_t result = 0;
    ++pathNesting_;
    for (uint32_t i = 0; i < path.Entries(); ++i)
        if (GGraphic* member = path.At(i)) {
            const int16_t status = member->Execute(*this);
            if (status != 0 && result == 0)
                result = status;
        }
    --pathNesting_;
    return result;
}

GDeviceFontListComposite* GPdlWriter::GetDeviceFontList()
{
    GDeviceFontListComposite* found =
        ConfigurationMember<GDeviceFontListComposite>(GetConfiguration(), FeatureId::kDeviceFontList);
    if (found) {
        if (found != deviceFontList_) {
            DropDeviceFontList();
            deviceFontList_ = found;
        }
        return found;
    }
    if (!ownsDeviceFontList_) {
        DropDeviceFontList();
        deviceFontList_ = new GDeviceFontListComposite;
        ownsDeviceFontList_ = true;
    }
    return deviceFontList_;
}

GRasterRowSource* GPdlWriter::CreateRasterRowSource(GRect destination, GRect& source, const GClipAttribute* clip,
                                                    GBitmap bitmap, uint32_t sourceKind, uint32_t scalingMode,
                                                    const GDitherMatrix* matrix, GRowCompressor* finalStage,
                                                    uint32_t forceScaling, GBitmapImp::GrayConverter level)
{
    return ::CreateRasterRowSource(destination, source, clip, bitmap, sourceKind, scalingMode, matrix, finalStage,
                                   forceScaling, level);
}

// A restore drops the writer objects whatever the version; the fields change only when
// the version is this level's.
template <class In>
void GPdlWriter::ReadForm(In& in)
{
    GReadForm(in, StoredForm());
    DropWriterObjects();
    GetDeviceFontList();
}

template void GPdlWriter::ReadForm(RWBinaryFile&);
template void GPdlWriter::ReadForm(RWDataInStream&);

int16_t GPdlWriter::WriteStringMembers(GObjectBase* state, long compositeId, GOutputChannel* channel)
{
    GObjectBase* composite = state ? state->FindById(compositeId) : nullptr;
    if (!composite || !channel)
        return 0;
    std::unique_ptr<GObjectIterator> it(composite->CreateIterator());
    while (it && it->Next()) {
        GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(GStringAttribute::kClassId))
            continue;
        const RWCString& bytes = static_cast<GStringAttribute*>(member)->GetString();
        if (bytes.Length() != 0)
            if (const int16_t status = channel->WriteBytes(bytes.Data(), uint32_t(bytes.Length())))
                return status;
    }
    return 0;
}
