#include "settings/serializer/GSettingsTreeSerializer.h"

#include "foundation/RWCString.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWErrorCapture.h"
#include "graphics/GDeviceFontList.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GAttributeComposite.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitRecords.h"
#include "model/GConfiguration.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GEnumAttribute.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayAssociation.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GSettingsClasses.h"
#include "model/GState.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// The system services make their serializer through the maker registered here.
const bool kMakerRegistered = (GObjectSerializer::SetMaker([]() -> GObjectSerializer* {
                                   return new GSettingsTreeSerializer;
                               }),
                               true);

} // namespace

namespace {

using namespace FeatureId;

// The record tags.
enum Tag : uint8_t {
    kEndTag = 0,
    kCompositeTag = 1,
    kStateTag = 2,
    kValueTag = 3,
    kChromafitTag = 4,
    kRangeTag = 5,
    kDisplayStringTag = 6,
    kStringTag = 7,
    kFormToTrayTag = 8,
    kEnumTag = 9,
    kFormToTrayRowTag = 10,
    kCustomSizeTag = 11,
    kFontListsTag = 12,
    kFontListTag = 14,
    kAssociationsTag = 15,
    kMappingsTag = 16,
    kAssociationTag = 17,
    kMappingTag = 18,
    kSmallValueTag = 110,
};
const int kLargestSmallValue = 20;

const uint8_t kLeadInByte = 0x73;
const int kLeadInLength = 20;
const uint32_t kRecordVersion = 1;
const uint32_t kFontListVersion = 3;
// The value kinds of an association record.
const int16_t kTextValue = 0, kNumberValue = 1, kSelectionValue = 2, kObjectValue = 9;

// The class ids the form serves and the record each is written as. A class the table
// lacks is looked up by its storage class id (a media pool is written as an enumeration).
struct ClassTag {
    RWClassID classId;
    uint8_t tag;
    bool container;
};
const ClassTag kClassTags[] = {
    {757, kCompositeTag, true},   {758, kStateTag, true},          {764, kEnumTag, true},
    {873, kFontListsTag, true},   {772, kAssociationsTag, true},   {1005, kMappingsTag, true},
    {763, kValueTag, false},      {792, kChromafitTag, false},     {762, kRangeTag, false},
    {787, kDisplayStringTag, false}, {776, kStringTag, false},     {1012, kFormToTrayTag, false},
    {775, kCustomSizeTag, false}, {856, kFontListTag, false},      {771, kAssociationTag, false},
    {1004, kMappingTag, false},   {797, kChromafitEnhancedTag, false}, {1201, kChromafitVer2Tag, false},
};

const ClassTag* ByClassId(RWClassID classId)
{
    for (const ClassTag& row : kClassTags)
        if (row.classId == classId)
            return &row;
    return nullptr;
}

// How an object is written, or null when the form does not serve its class.
const ClassTag* Served(const GObjectBase* object)
{
    if (!object)
        return nullptr;
    const ClassTag* row = ByClassId(object->ClassId());
    return row ? row : ByClassId(object->StorageClassId());
}

// The six settings of the first-generation colour-adjustment record.
const struct {
    int object;
    int kind;
} kChromafitPairs[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};

// The members of the watermark template that the defaults add to list 378.
const struct {
    long id;
    const char* text;
} kWatermarkTexts[] = {{384, ""}, {385, ""}, {386, "Arial"}};
const struct {
    long id;
    uint16_t value;
} kWatermarkValues[] = {{387, 0}, {388, 0}, {389, 0}, {390, 20}, {392, 0}, {393, 0}, {394, 0},
                        {396, 0}, {397, 0}, {403, 0}, {398, 0}, {399, 0}, {400, 0}, {1112, 0}};

// Children of 360 that the portable form never takes from a stored tree: the native
// coding removes them before packing and restores the stored ones after loading.
const long kPortableLeftOut[] = {kDeviceSettings, kPrinterLists, kExtensionData, kLockTable};

template <class F>
void ForEachChild(const GObjectBase* holder, F f)
{
    std::unique_ptr<GObjectIterator> it(holder ? const_cast<GObjectBase*>(holder)->CreateIterator() : nullptr);
    while (it && it->Next())
        if (!f(it->Current()))
            return;
}

// Output helpers ---------------------------------------------------------------------

void PutByte(RWDataOutStream& out, uint8_t value) { out << static_cast<unsigned char>(value); }
void PutU16(RWDataOutStream& out, uint16_t value) { out << static_cast<unsigned short>(value); }
void PutS16(RWDataOutStream& out, int16_t value) { out << static_cast<short>(value); }

// A version or an id in the mode's width; ids are cut to their low 16 bits in portable mode.
void PutWord(RWDataOutStream& out, uint32_t value, bool portable)
{
    if (portable)
        out << static_cast<unsigned short>(value);
    else
        out << static_cast<unsigned int>(value);
}

void PutHead(RWDataOutStream& out, uint8_t tag, const GObjectBase* object, bool portable)
{
    PutByte(out, tag);
    PutWord(out, kRecordVersion, portable);
    PutWord(out, uint32_t(object->GetId()), portable);
}

bool PutText(RWDataOutStream& out, const RWCString& text)
{
    if (text.Length() > GSettingsTreeSerializer::kMaxText)
        return false;
    out.PutString(text.Data(), text.Length());
    return true;
}

// Input helpers ----------------------------------------------------------------------

bool GetByte(RWDataInStream& in, uint8_t& value)
{
    unsigned char byte = 0;
    in >> byte;
    value = byte;
    return in.Good();
}

bool GetU16(RWDataInStream& in, uint16_t& value)
{
    unsigned short word = 0;
    in >> word;
    value = word;
    return in.Good();
}

bool GetS16(RWDataInStream& in, int16_t& value)
{
    short word = 0;
    in >> word;
    value = word;
    return in.Good();
}

bool GetU32(RWDataInStream& in, uint32_t& value)
{
    unsigned int word = 0;
    in >> word;
    value = word;
    return in.Good();
}

bool GetWord(RWDataInStream& in, uint32_t& value, bool portable)
{
    if (!portable)
        return GetU32(in, value);
    uint16_t narrow = 0;
    const bool good = GetU16(in, narrow);
    value = narrow;
    return good;
}

// The version (which must be the one given) and the id of a record.
bool GetHead(RWDataInStream& in, long& id, bool portable, uint32_t version = kRecordVersion)
{
    uint32_t stored = 0;
    uint32_t word = 0;
    if (!GetWord(in, stored, portable) || stored != version || !GetWord(in, word, portable))
        return false;
    id = long(word);
    return true;
}

// A counted text: the 32-bit length is checked against the data before any allocation.
bool GetText(RWDataInStream& in, RWCString& text)
{
    uint32_t length = 0;
    if (!GetU32(in, length) || length > GSettingsTreeSerializer::kMaxText || !in.CanSupply(length))
        return false;
    std::string bytes(length, '\0');
    if (length)
        in.Get(&bytes[0], length);
    text = RWCString(bytes.data(), length);
    return in.Good();
}

// Leaf writers -----------------------------------------------------------------------

int WriteValue(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const int16_t value = int16_t(static_cast<const GValueAttribute*>(object)->GetValue());
    const bool small = value >= 0 && value <= kLargestSmallValue;
    PutByte(out, small ? uint8_t(kSmallValueTag + value) : uint8_t(kValueTag));
    PutWord(out, uint32_t(object->GetId()), portable);
    if (!small)
        PutS16(out, value);
    return 1;
}

int WriteChromafit(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const auto* chromafit = static_cast<const GChromafitBase*>(object);
    uint8_t values[6] = {};
    for (size_t i = 0; i < 6; ++i)
        if (!chromafit->GetSetting(kChromafitPairs[i].object, kChromafitPairs[i].kind, values[i]))
            return 0;
    PutHead(out, kChromafitTag, object, portable);
    for (uint8_t value : values)
        PutByte(out, value);
    return 1;
}

int WriteRange(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const auto* range = static_cast<const GRangeAttribute*>(object);
    PutHead(out, kRangeTag, object, portable);
    PutS16(out, range->GetMaximum());
    PutS16(out, range->GetMinimum());
    PutS16(out, int16_t(range->GetStep()));
    PutS16(out, range->GetValue());
    return 1;
}

int WriteDisplayString(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const GDisplayString& display = static_cast<const GDisplayStringAttribute*>(object)->GetDisplayString();
    if (display.GetText().Length() > GSettingsTreeSerializer::kMaxText ||
        display.GetAltText().Length() > GSettingsTreeSerializer::kMaxText)
        return 0;
    PutHead(out, kDisplayStringTag, object, portable);
    PutText(out, display.GetText());
    PutU16(out, display.GetStringId());
    PutText(out, display.GetAltText());
    return 1;
}

// The count is the length with its terminating 0: a text whose count would not fit 16
// bits is refused rather than written with a wrapped count.
int WriteString(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const RWCString& text = static_cast<const GStringAttribute*>(object)->GetString();
    if (text.Length() > GSettingsTreeSerializer::kMaxText)
        return 0;
    PutByte(out, kStringTag);
    PutWord(out, uint32_t(object->GetId()), portable);
    PutU16(out, uint16_t(text.Length() + 1));
    if (text.Length())
        out.Put(text.Data(), text.Length());
    PutByte(out, 0);
    return 1;
}

int WriteFormToTray(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    auto* database = const_cast<GFormToTrayDatabase*>(static_cast<const GFormToTrayDatabase*>(object));
    PutHead(out, kFormToTrayTag, object, portable);
    PutS16(out, int16_t(database->GetDefaultSecond()));
    PutS16(out, int16_t(database->GetDefaultFirst()));
    ForEachChild(&database->GetAssociations(), [&](GObjectBase* member) {
        if (!member || member->ClassId() != GFormToTrayAssociation::kClassId)
            return true;
        const auto* row = static_cast<const GFormToTrayAssociation*>(member);
        PutHead(out, kFormToTrayRowTag, row, portable);
        PutS16(out, int16_t(row->GetKey()));
        PutS16(out, int16_t(row->GetSecondValue()));
        PutS16(out, int16_t(row->GetFirstValue()));
        return true;
    });
    PutByte(out, kEndTag);
    return 1;
}

int WriteCustomSize(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const auto* size = static_cast<const GCustomMediaSize*>(object);
    if (size->GetName().Length() > GSettingsTreeSerializer::kMaxText)
        return 0;
    PutHead(out, kCustomSizeTag, object, portable);
    PutS16(out, int16_t(size->GetId()));
    PutText(out, size->GetName());
    PutU16(out, uint16_t(size->GetUnit()));
    out << static_cast<unsigned int>(size->GetSize().width);
    out << static_cast<unsigned int>(size->GetSize().height);
    return 1;
}

int WriteFontList(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    PutByte(out, kFontListTag);
    PutWord(out, kFontListVersion, portable);
    out << static_cast<const RWCollectable*>(object);
    return 1;
}

int WriteAssociation(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const auto* association = static_cast<const MPersistentAssociation*>(object);
    const GObjectBase* key = association->GetKey();
    const GObjectBase* value = association->GetValue();
    if (!key || !key->IsKindOf(GValueAttribute::kClassId))
        return 0;
    const RWClassID valueClass = value ? value->ClassId() : RWClassID(0);
    const RWCString* text = valueClass == GStringAttribute::kClassId
                                ? &static_cast<const GStringAttribute*>(value)->GetString()
                            : valueClass == GSelectionString::kClassId
                                ? &static_cast<const GSelectionString*>(value)->GetString()
                                : nullptr;
    if (text && text->Length() > GSettingsTreeSerializer::kMaxText)
        return 0;
    PutHead(out, kAssociationTag, object, portable);
    PutS16(out, int16_t(static_cast<const GValueAttribute*>(key)->GetValue()));
    if (valueClass == GStringAttribute::kClassId) {
        PutS16(out, kTextValue);
        PutText(out, *text);
    } else if (valueClass == GValueAttribute::kClassId) {
        PutS16(out, kNumberValue);
        PutS16(out, int16_t(static_cast<const GValueAttribute*>(value)->GetValue()));
    } else if (valueClass == GSelectionString::kClassId) {
        PutS16(out, kSelectionValue);
        PutText(out, *text);
    } else {
        PutS16(out, kObjectValue);
        out << static_cast<const RWCollectable*>(value);
    }
    return 1;
}

int WriteMapping(const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    const auto* mapping = static_cast<const GResourceMapping*>(object);
    PutHead(out, kMappingTag, object, portable);
    PutU16(out, mapping->GetFirstCode());
    PutS16(out, mapping->GetSecondCode());
    out << static_cast<unsigned int>(mapping->GetResource());
    return 1;
}

int WriteLeaf(uint8_t tag, const GObjectBase* object, RWDataOutStream& out, bool portable)
{
    switch (tag) {
    case kValueTag: return WriteValue(object, out, portable);
    case kChromafitTag: return WriteChromafit(object, out, portable);
    case kRangeTag: return WriteRange(object, out, portable);
    case kDisplayStringTag: return WriteDisplayString(object, out, portable);
    case kStringTag: return WriteString(object, out, portable);
    case kFormToTrayTag: return WriteFormToTray(object, out, portable);
    case kCustomSizeTag: return WriteCustomSize(object, out, portable);
    case kFontListTag: return WriteFontList(object, out, portable);
    case kAssociationTag: return WriteAssociation(object, out, portable);
    case kMappingTag: return WriteMapping(object, out, portable);
    case kChromafitEnhancedTag:
    case kChromafitVer2Tag: return WriteChromafitRecord(object, out, portable);
    default: return 0;
    }
}

// Leaf readers: each reads the record after its tag byte and answers a new object, or
// null when the record is unusable ------------------------------------------------------

GObjectBase* ReadValue(uint8_t tag, RWDataInStream& in, bool portable)
{
    uint32_t id = 0;
    if (!GetWord(in, id, portable))
        return nullptr;
    int16_t value = int16_t(tag - kSmallValueTag);
    if (tag == kValueTag && !GetS16(in, value))
        return nullptr;
    return new GValueAttribute(uint16_t(value), long(id));
}

GObjectBase* ReadChromafit(RWDataInStream& in, bool portable)
{
    long id = 0;
    uint8_t values[6] = {};
    if (!GetHead(in, id, portable))
        return nullptr;
    for (uint8_t& value : values)
        if (!GetByte(in, value))
            return nullptr;
    std::unique_ptr<GChromafitAttribute> made(new GChromafitAttribute(id));
    for (size_t i = 0; i < 6; ++i)
        made->SetSetting(kChromafitPairs[i].object, kChromafitPairs[i].kind, values[i]);
    return made.release();
}

GObjectBase* ReadRange(RWDataInStream& in, bool portable)
{
    long id = 0;
    int16_t maximum = 0, minimum = 0, step = 0, value = 0;
    if (!GetHead(in, id, portable) || !GetS16(in, maximum) || !GetS16(in, minimum) || !GetS16(in, step) ||
        !GetS16(in, value))
        return nullptr;
    return new GRangeAttribute(minimum, maximum, uint16_t(step), value, id);
}

GObjectBase* ReadDisplayString(RWDataInStream& in, bool portable)
{
    long id = 0;
    RWCString text, altText;
    uint16_t stringId = 0;
    if (!GetHead(in, id, portable) || !GetText(in, text) || !GetU16(in, stringId) || !GetText(in, altText))
        return nullptr;
    std::unique_ptr<GDisplayStringAttribute> made(new GDisplayStringAttribute(id, stringId, "", ""));
    GDisplayString display(stringId, "", "");
    display.SetText(text);
    display.SetAltText(altText);
    made->SetDisplayString(display);
    return made.release();
}

// n bytes follow the count: n - 1 of text and the terminating 0. A count of 0 or 1 is
// an empty text.
GObjectBase* ReadString(RWDataInStream& in, bool portable)
{
    uint32_t id = 0;
    uint16_t count = 0;
    if (!GetWord(in, id, portable) || !GetU16(in, count) || !in.CanSupply(count))
        return nullptr;
    std::string bytes(count, '\0');
    if (count)
        in.Get(&bytes[0], count);
    if (!in.Good())
        return nullptr;
    return new GStringAttribute(RWCString(bytes.data(), count ? count - 1u : 0u), long(id));
}

GObjectBase* ReadFormToTray(RWDataInStream& in, bool portable)
{
    long id = 0;
    int16_t defaultSecond = 0, defaultFirst = 0;
    if (!GetHead(in, id, portable) || !GetS16(in, defaultSecond) || !GetS16(in, defaultFirst))
        return nullptr;
    std::unique_ptr<GFormToTrayDatabase> made(new GFormToTrayDatabase(id));
    made->SetDefaults(uint16_t(defaultFirst), uint16_t(defaultSecond));
    for (;;) {
        uint8_t tag = 0;
        if (!GetByte(in, tag))
            return nullptr;
        if (tag == kEndTag)
            return made.release();
        long rowId = 0;
        int16_t key = 0, second = 0, first = 0;
        if (tag != kFormToTrayRowTag || !GetHead(in, rowId, portable) || !GetS16(in, key) || !GetS16(in, second) ||
            !GetS16(in, first))
            return nullptr;
        auto* row = new GFormToTrayAssociation(uint16_t(key), uint16_t(first), uint16_t(second));
        row->SetId(rowId);
        made->GetAssociations().Add(row);
    }
}

GObjectBase* ReadCustomSize(RWDataInStream& in, bool portable)
{
    long id = 0;
    int16_t mediaId = 0;
    RWCString name;
    uint16_t unit = 0;
    uint32_t width = 0, height = 0;
    if (!GetHead(in, id, portable) || !GetS16(in, mediaId) || !GetText(in, name) || !GetU16(in, unit) ||
        !GetU32(in, width) || !GetU32(in, height))
        return nullptr;
    std::unique_ptr<GCustomMediaSize> made(new GCustomMediaSize(uint16_t(mediaId), "", unit, width, height, id));
    made->SetName(name);
    return made.release();
}

// The generic object persistence reads only a device font list; anything else, or an
// error raised inside it, fails the record.
GObjectBase* ReadFontList(RWDataInStream& in, bool portable)
{
    uint32_t version = 0;
    if (!GetWord(in, version, portable) || version != kFontListVersion)
        return nullptr;
    RWErrorCapture capture;
    GSettingsClasses::Scope settingsOnly;
    GDeviceFontList* list = nullptr;
    in >> list;
    if (!capture.Empty() || !in.Good() || !list) {
        GObjectBase::Drop(list);
        return nullptr;
    }
    return list;
}

GObjectBase* ReadAssociation(RWDataInStream& in, bool portable)
{
    long id = 0;
    int16_t key = 0, kind = 0;
    if (!GetHead(in, id, portable) || !GetS16(in, key) || !GetS16(in, kind))
        return nullptr;
    GObjectBase* value = nullptr;
    RWCString text;
    int16_t number = 0;
    switch (kind) {
    case kTextValue:
        if (!GetText(in, text))
            return nullptr;
        value = new GStringAttribute(text, 0);
        break;
    case kNumberValue:
        if (!GetS16(in, number))
            return nullptr;
        value = new GValueAttribute(uint16_t(number), 0);
        break;
    case kSelectionValue:
        if (!GetText(in, text))
            return nullptr;
        // The selection's index is the key's value.
        value = new GSelectionString(text.Data(), key, 0);
        break;
    case kObjectValue: {
        // The value is a setting: the bytes make only the classes settings are made of.
        RWErrorCapture capture;
        GSettingsClasses::Scope settingsOnly;
        value = GObjectBase::RestoreHeld(in);
        if (!capture.Empty() || !in.Good()) {
            GObjectBase::Drop(value);
            return nullptr;
        }
        break;
    }
    default:
        return nullptr;
    }
    return new MPersistentAssociation(new GValueAttribute(uint16_t(key), 0), value, 0);
}

GObjectBase* ReadMapping(RWDataInStream& in, bool portable)
{
    long id = 0;
    uint16_t first = 0;
    int16_t second = 0;
    uint32_t resource = 0;
    if (!GetHead(in, id, portable) || !GetU16(in, first) || !GetS16(in, second) || !GetU32(in, resource))
        return nullptr;
    return new GResourceMapping(resource, first, second, id);
}

// A top-level list record: version, id, a length that is not used, then member records
// of one tag until the end byte. A member that cannot be read or kept fails the list.
template <class List, class Keep>
GObjectBase* ReadList(uint8_t memberTag, GObjectBase* (*readMember)(RWDataInStream&, bool), Keep keep,
                      RWDataInStream& in, bool portable)
{
    long id = 0;
    uint16_t length = 0;
    if (!GetHead(in, id, portable) || !GetU16(in, length))
        return nullptr;
    std::unique_ptr<List> list(new List);
    list->SetId(id);
    for (;;) {
        uint8_t tag = 0;
        if (!GetByte(in, tag))
            return nullptr;
        if (tag == kEndTag)
            return list.release();
        std::unique_ptr<GObjectBase> member(tag == memberTag ? readMember(in, portable) : nullptr);
        if (!member || !keep(*list, member))
            return nullptr;
    }
}

// Reads and drops bytes up to the position after a container's end byte: false when
// that position lies behind the reader or past the data.
bool SkipTo(RWDataInStream& in, GStreamHolder& holder, std::streamoff target)
{
    const std::streamoff position = holder.Tell();
    if (position < 0 || target < position || !in.Good() || !in.CanSupply(size_t(target - position)))
        return false;
    char scratch[256];
    for (std::streamoff left = target - position; left > 0;) {
        const size_t n = size_t(left < std::streamoff(sizeof scratch) ? left : std::streamoff(sizeof scratch));
        in.Get(scratch, n);
        if (!in.Good())
            return false;
        left -= std::streamoff(n);
    }
    return true;
}

// One child of the defaults' counterpart in the merge table.
struct DefaultEntry {
    long id;
    RWClassID classId;
    bool seen;
    const GObjectBase* object;
};

bool Contains(const long (&ids)[4], long id)
{
    for (long candidate : ids)
        if (candidate == id)
            return true;
    return false;
}

} // namespace

GSettingsTreeSerializer::GSettingsTreeSerializer() : defaults_(nullptr) {}

GSettingsTreeSerializer::~GSettingsTreeSerializer() { delete defaults_; }

int GSettingsTreeSerializer::Save(const GObjectBase* object, RWDataOutStream& stream, GStreamHolder* holder,
                                  uint32_t mode)
{
    const ClassTag* served = Served(object);
    if ((mode != kPortable && mode != kNative) || !holder || !served || !served->container)
        return 0;
    for (int i = 0; i < kLeadInLength; ++i)
        PutByte(stream, kLeadInByte);
    const int written = WriteContainer(object, stream, *holder, mode == kPortable, 1);
    return written && stream.Good() ? 1 : 0;
}

int GSettingsTreeSerializer::WriteContainer(const GObjectBase* node, RWDataOutStream& stream, GStreamHolder& holder,
                                            bool portable, int depth)
{
    if (!node)
        return 1;
    const ClassTag* served = Served(node);
    if (!served || !served->container || depth > kMaxDepth)
        return 0;
    PutHead(stream, served->tag, node, portable);
    const std::streamoff start = holder.Tell();
    if (start < 0)
        return 0;
    PutU16(stream, 0);
    int result = 1;
    ForEachChild(node, [&](GObjectBase* child) {
        const ClassTag* kind = Served(child);
        // A class the form does not serve (media, trays) is left out; the container goes on.
        if (child && !kind)
            return true;
        const int written = !child                ? 0
                            : kind->container     ? WriteContainer(child, stream, holder, portable, depth + 1)
                                                  : WriteLeaf(kind->tag, child, stream, portable);
        if (!written)
            result = 0;
        return written != 0;
    });
    const std::streamoff end = holder.Tell();
    const std::streamoff length = end - start + 2;
    // A length that 16 bits cannot hold is written as 0, which no reader accepts.
    const bool fits = end >= start && length <= 0xFFFF;
    holder.SeekTo(start);
    PutU16(stream, fits ? uint16_t(length) : 0);
    holder.SeekTo(end);
    PutByte(stream, kEndTag);
    return result && fits && stream.Good() ? 1 : 0;
}

GObjectBase* GSettingsTreeSerializer::Load(RWDataInStream& stream, GStreamHolder* holder, GDriverObject* driver,
                                           uint32_t mode)
{
    if ((mode != kPortable && mode != kNative) || !holder)
        return nullptr;
    const bool portable = mode == kPortable;
    GAttributeComposite* defaults = DefaultsFor(driver);
    if (!defaults)
        return nullptr;
    for (int i = 0; i < kLeadInLength; ++i) {
        uint8_t byte = 0;
        if (!GetByte(stream, byte) || byte != kLeadInByte)
            return nullptr;
    }
    uint8_t tag = 0;
    if (!GetByte(stream, tag))
        return nullptr;
    switch (tag) {
    case kFontListsTag:
        return ReadList<GDeviceFontListComposite>(
            kFontListTag, ReadFontList,
            [](GDeviceFontListComposite& list, std::unique_ptr<GObjectBase>& member) {
                const uint32_t before = list.Entries();
                list.Add(member.release());
                return list.Entries() > before;
            },
            stream, portable);
    case kMappingsTag:
        return ReadList<GResourceMappingList>(
            kMappingTag, ReadMapping,
            [](GResourceMappingList& list, std::unique_ptr<GObjectBase>& member) {
                if (!list.AppendStored(static_cast<GResourceMapping*>(member.get())))
                    return false;
                member.release();
                return true;
            },
            stream, portable);
    case kAssociationsTag:
        return ReadList<MAssociationList>(
            kAssociationTag, ReadAssociation,
            [](MAssociationList& list, std::unique_ptr<GObjectBase>& member) {
                list.Add(static_cast<MPersistentAssociation*>(member.release()));
                return true;
            },
            stream, portable);
    default:
        return ReadContainer(tag, defaults, stream, *holder, portable, 1);
    }
}

GObjectBase* GSettingsTreeSerializer::ReadContainer(uint8_t tag, GObjectBase* defaultsParent, RWDataInStream& stream,
                                                    GStreamHolder& holder, bool portable, int depth)
{
    if (!defaultsParent || depth > kMaxDepth)
        return nullptr;
    // A container's version is read past, not checked: every writer has used 1.
    uint32_t version = 0, word = 0;
    if (!GetWord(stream, version, portable) || !GetWord(stream, word, portable))
        return nullptr;
    const long id = long(word);
    const std::streamoff start = holder.Tell();
    uint16_t length = 0;
    // The container must end inside the data: its length covers at least the length
    // field and the end byte.
    if (start < 0 || !GetU16(stream, length) || length < 4 || !stream.CanSupply(length - 3u))
        return nullptr;
    const std::streamoff after = start + length - 1;
    GObjectBase* counterpart = defaultsParent->FindById(id);
    if (!counterpart)
        return nullptr;

    std::vector<DefaultEntry> table;
    ForEachChild(counterpart, [&](GObjectBase* child) {
        if (child && !(portable && id == kDocumentRoot && Contains(kPortableLeftOut, child->GetId())))
            table.push_back({child->GetId(), child->ClassId(), false, child});
        return true;
    });

    std::unique_ptr<GObjectBase> made;
    switch (tag) {
    case kCompositeTag: made.reset(new GAttributeComposite(id)); break;
    case kStateTag: made.reset(new GState(id)); break;
    case kEnumTag: made.reset(new GEnumAttribute(id)); break;
    default: return nullptr;
    }

    for (;;) {
        uint8_t childTag = 0;
        std::unique_ptr<GObjectBase> child;
        if (GetByte(stream, childTag)) {
            if (childTag == kEndTag)
                break;
            switch (childTag) {
            case kCompositeTag:
            case kStateTag:
            case kEnumTag:
                child.reset(ReadContainer(childTag, counterpart, stream, holder, portable, depth + 1));
                break;
            case kValueTag: child.reset(ReadValue(childTag, stream, portable)); break;
            case kChromafitTag: child.reset(ReadChromafit(stream, portable)); break;
            case kRangeTag: child.reset(ReadRange(stream, portable)); break;
            case kDisplayStringTag: child.reset(ReadDisplayString(stream, portable)); break;
            case kStringTag: child.reset(ReadString(stream, portable)); break;
            case kFormToTrayTag: child.reset(ReadFormToTray(stream, portable)); break;
            case kCustomSizeTag: child.reset(ReadCustomSize(stream, portable)); break;
            case kChromafitEnhancedTag:
            case kChromafitVer2Tag:
                // These two records are taken whatever version they carry.
                child.reset(ReadChromafitRecord(childTag, stream, portable, false));
                break;
            default:
                if (childTag >= kSmallValueTag && childTag <= kSmallValueTag + kLargestSmallValue)
                    child.reset(ReadValue(childTag, stream, portable));
                break;
            }
        }
        if (!child) {
            // The rest of this container is lost; its end is found through the length.
            if (!SkipTo(stream, holder, after))
                return nullptr;
            break;
        }
        const long childId = child->GetId();
        const RWClassID childClass = child->ClassId();
        DefaultEntry* match = nullptr;
        for (DefaultEntry& entry : table)
            if (entry.id == childId && entry.classId == childClass && (!match || (match->seen && !entry.seen)))
                match = &entry;
        const bool always = childId == long(kKeptAlways) || childId == kChangeList || id == kChangeList ||
                            (childClass == GStringAttribute::kClassId && (id == kStringListB || id == kStringListA));
        if (id == kNoUpdateContainer || (!match && !always))
            continue;
        // Marked before the container takes it: an enumeration deletes a duplicate.
        if (match)
            match->seen = true;
        made->Add(child.release());
    }

    for (const DefaultEntry& entry : table)
        if (!entry.seen && entry.id != kWatermarkTemplate && entry.id != long(kCustomSizeTemplate))
            if (GObjectBase* copy = entry.object->DeepCopy())
                made->Add(copy);
    return made.release();
}

GAttributeComposite* GSettingsTreeSerializer::DefaultsFor(GDriverObject* driver)
{
    RWCriticalSectionGuard guard(defaultsLock_);
    if (defaults_)
        return defaults_;
    std::unique_ptr<GAttributeComposite> root(new GAttributeComposite(0));
    if (GObjectBase* settings = driver ? driver->CreateDefaultSettings() : nullptr)
        root->Add(settings);
    root->Add(new GAttributeComposite(kChangeList));

    GAttributeComposite* entries = new GAttributeComposite(long(kStoredEntries));
    GObjectBase* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    if (GObjectBase* entryTemplate = configuration ? configuration->FindById(kStoredEntryTemplate) : nullptr) {
        if (GObjectBase* entry = entryTemplate->DeepCopy()) {
            entry->SetId(0);
            entry->Add(new GStringAttribute("", kStoredEntryName));
            entry->Add(new GValueAttribute(0, kStoredEntryFlag));
            entries->Add(entry);
        }
    }
    root->Add(entries);

    if (GObjectBase* watermarks = root->FindById(kWatermarkList)) {
        GAttributeComposite* watermark = new GAttributeComposite(kWatermarkTemplate);
        for (const auto& row : kWatermarkTexts)
            watermark->Add(new GStringAttribute(row.text, row.id));
        for (const auto& row : kWatermarkValues)
            watermark->Add(new GValueAttribute(row.value, row.id));
        watermarks->Add(watermark);
    }
    if (GObjectBase* sizes = root->FindById(kCustomSizeList))
        sizes->Add(new GCustomMediaSize(0, "", 0, 0, 0, long(kCustomSizeTemplate)));
    defaults_ = root.release();
    return defaults_;
}
