#include "settings/dmc/FeatureTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <climits>
#include <cstdio>
#include <vector>

namespace {

const wchar_t kLockAttribute[] = L"lock";

// A keyword buffer as the library is handed it: blanks, with a 0 in the last place.
std::vector<wchar_t> KeywordBuffer(uint16_t chars)
{
    std::vector<wchar_t> buffer(chars ? chars : 1, wchar_t(0x2020));
    buffer.back() = 0;
    return buffer;
}

bool Locks(const wchar_t* text)
{
    return GDMCLibrary::KeywordEquals(text, L"TRUE") || GDMCLibrary::KeywordEquals(text, L"true");
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

int16_t FeatureTranslator::ParseNumber(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && text[i] && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t number = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > int64_t(INT_MAX) + 1)
            number = int64_t(INT_MAX) + 1; // enough to saturate either way
    }
    if (negative)
        number = -number;
    if (number > INT_MAX)
        number = INT_MAX;
    if (number < INT_MIN)
        number = INT_MIN;
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(number)) & 0xFFFF));
}

FeatureSetting::FeatureSetting(GValueAttribute* value) : value_(value) {}
FeatureSetting::FeatureSetting(GRangeAttribute* range) : range_(range) {}

uint16_t FeatureSetting::GetValue() const
{
    return value_ ? value_->GetValue() : range_ ? uint16_t(range_->GetValue()) : 0;
}

void FeatureSetting::SetValue(uint16_t value)
{
    if (value_)
        value_->SetValue(value);
    else if (range_)
        range_->SetValue(int16_t(value));
}

GAttribute* FeatureSetting::Attribute() const
{
    return value_ ? static_cast<GAttribute*>(value_) : static_cast<GAttribute*>(range_);
}

GAttribute* FeatureSetting::Copy() const
{
    GAttribute* attribute = Attribute();
    return attribute ? attribute->Copy() : nullptr;
}

FeatureSetting FeatureTranslator::FindAttribute(const TranslatorDescription& description, GObjectBase* settings)
{
    if (!settings || description.idCount == 0)
        return nullptr;
    GObjectBase* node = settings;
    for (uint8_t step = 0; step + 1 < description.idCount; ++step) {
        node = GDriverObject::Feature<GAttributeComposite>(node, long(description.idPath[step]));
        if (!node)
            return nullptr;
    }
    GObjectBase* from = description.leafFromRoot ? settings : node;
    const long leaf = long(description.idPath[description.idCount - 1]);
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(from, leaf))
        return value;
    return GDriverObject::Feature<GRangeAttribute>(from, leaf);
}

const TranslatorOption* FeatureTranslator::FindKeyword(const TranslatorDescription& description,
                                                       const wchar_t* keyword)
{
    for (uint16_t row = 0; row < description.optionCount; ++row)
        if (GDMCLibrary::KeywordEquals(description.options[row].keyword, keyword))
            return &description.options[row];
    return nullptr;
}

void FeatureTranslator::AddRecord(const TranslatorDescription& description, FeatureSetting attribute,
                                  GAttributeComposite* changes)
{
    if (!changes || !attribute)
        return;
    switch (description.record) {
    case TranslatorRecord::kNew:
        changes->Add(new GValueAttribute(attribute->GetValue(), long(description.idPath[description.idCount - 1])));
        break;
    case TranslatorRecord::kCopy:
    case TranslatorRecord::kCopyAlways:
        changes->Add(attribute->Copy());
        break;
    case TranslatorRecord::kNone:
        break;
    }
}

void FeatureTranslator::TakeValue(const TranslatorDescription& description, FeatureSetting attribute,
                                  uint16_t value, GAttributeComposite* changes)
{
    attribute->SetValue(value);
    if (description.record != TranslatorRecord::kCopyAlways)
        AddRecord(description, attribute, changes);
}

bool FeatureTranslator::ApplyLock(const TranslatorDescription& description, GObjectBase* settings)
{
    if (description.lock == TranslatorLock::kNone)
        return false;
    std::vector<wchar_t> buffer = KeywordBuffer(kKeywordChars);
    const int32_t answer =
        library_.GetNamedFeatureAttribute(description.featurePath, kLockAttribute, buffer.data(), buffer.size());
    const bool answered = description.lock == TranslatorLock::kExactlyOne ? answer == 1 : answer != 0;
    if (!answered || !Locks(buffer.data()))
        return false;
    GAttributeComposite* lists = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kPrinterLists);
    GAttributeComposite* locks = GDriverObject::Feature<GAttributeComposite>(lists, FeatureId::kLockList);
    if (!locks)
        return false;
    // Every import asks again, and the list is stored: a marker already held is not added
    // a second time, or the list would grow with each update.
    bool held = false;
    if (GObjectIterator* it = locks->CreateIterator()) {
        while (!held && it->Next()) {
            GObjectBase* member = it->Current();
            held = member && member->IsKindOf(GValueAttribute::kClassId) && member->GetId() == 0 &&
                   static_cast<GValueAttribute*>(member)->GetValue() == description.lockId;
        }
        delete it;
    }
    if (!held)
        locks->Add(new GValueAttribute(description.lockId, 0));
    return true;
}

int32_t FeatureTranslator::ImportKeywordFirst(const TranslatorDescription& description, GObjectBase* settings,
                                              GAttributeComposite* changes)
{
    std::vector<wchar_t> buffer(description.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(description.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    FeatureSetting attribute = FindAttribute(description, settings);
    if (!attribute)
        return 0;
    const TranslatorOption* row = FindKeyword(description, buffer.data());
    if (!row)
        return 0;
    TakeValue(description, attribute, row->value, changes);
    return 1;
}

int32_t FeatureTranslator::ImportEnumerated(const TranslatorDescription& description, GObjectBase* settings,
                                            GAttributeComposite* changes, const TranslatorOption** matched)
{
    if (matched)
        *matched = nullptr;
    FeatureSetting attribute = FindAttribute(description, settings);
    if (!attribute)
        return 0;
    std::vector<wchar_t> buffer = KeywordBuffer(description.bufferChars);
    if (!library_.SetContext(description.featurePath))
        return 0;
    library_.Get(nullptr, buffer.data(), buffer.size());
    int32_t result = 0;
    if (const TranslatorOption* row = ChooseRow(description, buffer.data())) {
        TakeValue(description, attribute, row->value, changes);
        if (matched)
            *matched = row;
        result = 1;
    }
    if (AfterScan(description, settings, changes, attribute, buffer.data()))
        result = 1;
    if (description.record == TranslatorRecord::kCopyAlways)
        AddRecord(description, attribute, changes);
    ApplyLock(description, settings);
    return result;
}

int32_t FeatureTranslator::ExportEnumerated(const TranslatorDescription& description, GObjectBase* settings,
                                            const TranslatorOption** exported)
{
    if (exported)
        *exported = nullptr;
    FeatureSetting attribute = FindAttribute(description, settings);
    if (!attribute)
        return 0;
    const uint16_t value = attribute->GetValue();
    for (uint16_t row = 0; row < description.optionCount; ++row) {
        const TranslatorOption& option = description.options[row];
        if (option.value != value)
            continue;
        const int32_t answer = library_.SetExport(description.ExportPath(), option.keyword);
        if (answer == 0 && description.exportScansOn)
            continue;
        if (exported)
            *exported = &option;
        return 1;
    }
    return 0;
}

int32_t FeatureTranslator::ImportNumeric(const TranslatorDescription& description, GObjectBase* settings,
                                         GAttributeComposite* changes, bool (*accept)(int16_t))
{
    FeatureSetting attribute = FindAttribute(description, settings);
    if (!attribute)
        return 0;
    std::vector<wchar_t> buffer = KeywordBuffer(description.bufferChars);
    if (!library_.SetContext(description.featurePath))
        return 0;
    library_.Get(nullptr, buffer.data(), buffer.size());
    char narrow[kNumberBytes];
    for (char& c : narrow)
        c = ' ';
    narrow[kNumberBytes - 1] = 0;
    library_.WideToChar(narrow, kNumberBytes, buffer.data());
    const int16_t number = ParseNumber(narrow, kNumberBytes);
    if (!accept || !accept(number))
        return 0;
    TakeValue(description, attribute, static_cast<uint16_t>(number), changes);
    return 1;
}

int32_t FeatureTranslator::ExportNumeric(const TranslatorDescription& description, GObjectBase* settings)
{
    FeatureSetting attribute = FindAttribute(description, settings);
    if (!attribute)
        return 0;
    char narrow[kNumberBytes] = {};
    std::snprintf(narrow, kNumberBytes, "%u", unsigned(attribute->GetValue()));
    wchar_t wide[kNumberBytes] = {};
    library_.CharToWide(wide, kNumberBytes, narrow);
    return library_.SetExport(description.ExportPath(), wide) ? 1 : 0;
}
