#include "model/GChromafitRecords.h"

#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"

#include <cstddef>
#include <memory>

namespace {

struct Pair {
    int object;
    int kind;
};

struct RecordKind {
    uint8_t tag;
    RWClassID classId;
    size_t count;
    Pair pairs[10];
    GChromafitBase* (*make)(long id);
};

GChromafitBase* MakeEnhanced(long id) { return new GChromafitEnhancedAttribute(id); }
GChromafitBase* MakeVer2(long id) { return new GChromafitEnhancedAttributeVer2(id); }

const RecordKind kRecords[] = {
    {kChromafitEnhancedTag, GChromafitEnhancedAttribute::kClassId, 8,
     {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 2}, {3, 3}}, MakeEnhanced},
    {kChromafitVer2Tag, GChromafitEnhancedAttributeVer2::kClassId, 10,
     {{0, 0}, {0, 1}, {0, 3}, {1, 0}, {1, 1}, {1, 3}, {2, 0}, {2, 1}, {2, 3}, {3, 2}}, MakeVer2},
};

const RecordKind* ByClass(RWClassID classId)
{
    for (const RecordKind& record : kRecords)
        if (record.classId == classId)
            return &record;
    return nullptr;
}

const RecordKind* ByTag(uint8_t tag)
{
    for (const RecordKind& record : kRecords)
        if (record.tag == tag)
            return &record;
    return nullptr;
}

// A version or an id in the mode's width.
void WriteWord(RWDataOutStream& stream, uint32_t value, bool portable)
{
    if (portable)
        stream << static_cast<unsigned short>(value);
    else
        stream << static_cast<unsigned int>(value);
}

bool ReadWord(RWDataInStream& stream, uint32_t& value, bool portable)
{
    if (portable) {
        unsigned short narrow = 0;
        stream >> narrow;
        value = narrow;
    } else {
        unsigned int wide = 0;
        stream >> wide;
        value = wide;
    }
    return stream.Good();
}

} // namespace

int WriteChromafitRecord(const GObjectBase* attribute, RWDataOutStream& stream, bool portable)
{
    const RecordKind* record = GChromafitBase::IsChromafit(attribute) ? ByClass(attribute->ClassId()) : nullptr;
    if (!record)
        return 0;
    const GChromafitBase* chromafit = static_cast<const GChromafitBase*>(attribute);
    stream << record->tag;
    WriteWord(stream, 1, portable);
    WriteWord(stream, uint32_t(chromafit->GetId()), portable);
    for (size_t i = 0; i < record->count; ++i) {
        uint8_t value = 0;
        if (!chromafit->GetSetting(record->pairs[i].object, record->pairs[i].kind, value))
            return 0;
        stream << value;
    }
    return 1;
}

GChromafitBase* ReadChromafitRecord(uint8_t tag, RWDataInStream& stream, bool portable, bool checkVersion)
{
    const RecordKind* record = ByTag(tag);
    uint32_t version = 0;
    uint32_t id = 0;
    if (!record || !ReadWord(stream, version, portable) || (checkVersion && version != 1) ||
        !ReadWord(stream, id, portable))
        return nullptr;
    uint8_t values[10] = {};
    for (size_t i = 0; i < record->count; ++i) {
        stream >> values[i];
        if (!stream.Good())
            return nullptr;
    }
    std::unique_ptr<GChromafitBase> made(record->make(long(id)));
    for (size_t i = 0; i < record->count; ++i)
        made->SetSetting(record->pairs[i].object, record->pairs[i].kind, values[i]);
    return made.release();
}
