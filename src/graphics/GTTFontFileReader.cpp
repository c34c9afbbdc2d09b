#include "graphics/GTTFontFileReader.h"

#include "graphics/GFontBlocks.h"
#include "model/GSizeFromData.h"
#include "model/GStoredFields.h"
#include "model/GTextConverter.h"
#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "model/GCoreServices.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char kTags[] = "cmapheadglyflocamaxpmortnameOS/2postcvt edt0edt1crypfpgmgdirhdmxhheahmtxvheavmtxkernLTSHGSUBprepPCLT";

const uint32_t kRequired[] = {kTagCmap, kTagGlyf, kTagHead, kTagHhea, kTagHmtx,
                              kTagLoca, kTagMaxp, kTagName, kTagPost, kTagOS2};

const uint32_t kPreloaded[] = {kTagCmap, kTagMaxp, kTagMort, kTagName, kTagOS2, kTagCvt,  kTagHead,
                               kTagFpgm, kTagHhea, kTagHmtx, kTagVhea, kTagVmtx, kTagGSUB, kTagPrep};

// The platform 3 encodings a character set prefers, best first (0 ends a list).
struct Preference {
    uint32_t set;
    uint16_t encodings[3];
};
const Preference kPreferences[] = {
    {3, {0}}, {17, {2, 1}}, {18, {3, 1}}, {19, {3, 1}}, {20, {5, 1}}, {21, {5, 1}}, {22, {6, 1}}, {23, {4, 1}},
};
const Preference kOtherSets = {0, {1}};

// The character set a subtable encoding converts to under character set 16.
const uint8_t kEncodingSets[7] = {0, 0, 17, 18, 23, 21, 22};

// Composite glyphs deeper than this are refused.
const uint32_t kMaxComponentDepth = 16;

// A bounded view of a table: each read answers whether its bytes lie inside.
struct Bytes {
    const uint8_t* data;
    uint32_t length;
    bool Has(uint64_t offset, uint64_t count) const { return offset + count <= length; }
    bool U16(uint64_t offset, uint16_t& v) const
    {
        if (!Has(offset, 2))
            return false;
        v = GBigEndian16(data + offset);
        return true;
    }
    bool U32(uint64_t offset, uint32_t& v) const
    {
        if (!Has(offset, 4))
            return false;
        v = GBigEndian32(data + offset);
        return true;
    }
};

int Rank(const Preference& list, uint16_t encoding)
{
    for (int i = 0; i < 3 && (i == 0 || list.encodings[i]); ++i)
        if (list.encodings[i] == encoding)
            return i;
    return 3;
}

uint16_t LookUpFormat2(const Bytes& t, uint32_t base, uint16_t code)
{
    const uint8_t high = uint8_t(code >> 8);
    const uint8_t low = uint8_t(code);
    uint16_t key = 0;
    uint8_t byte = low;
    if (code < 0x100) {
        if (!t.U16(base + 6 + 2 * uint64_t(low), key) || key != 0)
            return 0;
    } else if (!t.U16(base + 6 + 2 * uint64_t(high), key)) {
        return 0;
    }
    const uint64_t header = base + 6 + 512 + uint64_t(key / 8) * 8;
    uint16_t first = 0, count = 0, delta = 0, rangeOffset = 0, glyph = 0;
    if (!t.U16(header, first) || !t.U16(header + 2, count) || !t.U16(header + 4, delta) ||
        !t.U16(header + 6, rangeOffset))
        return 0;
    if (byte < first || byte >= uint32_t(first) + count)
        return 0;
    if (!t.U16(header + 6 + rangeOffset + 2 * uint64_t(byte - first), glyph) || glyph == 0)
        return 0;
    return uint16_t(glyph + delta);
}

uint16_t LookUpFormat4(const Bytes& t, uint32_t base, uint16_t code)
{
    uint16_t segX2 = 0;
    if (!t.U16(base + 6, segX2))
        return 0;
    const uint32_t segments = segX2 / 2;
    const uint64_t ends = base + 14, starts = ends + segX2 + 2, deltas = starts + segX2, ranges = deltas + segX2;
    if (!t.Has(ranges, segX2))
        return 0;
    // All four arrays lie inside the table (checked above), so the search for the first
    // segment ending at or after the code reads the ends directly.
    const uint8_t* end = t.data + ends;
    for (uint32_t i = 0; i < segments; ++i) {
        uint16_t start = 0, delta = 0, rangeOffset = 0;
        if (GBigEndian16(end + 2 * i) < code)
            continue;
        t.U16(starts + 2 * i, start);
        if (start > code)
            return 0;
        t.U16(deltas + 2 * i, delta);
        t.U16(ranges + 2 * i, rangeOffset);
        if (rangeOffset == 0)
            return uint16_t(code + delta);
        uint16_t glyph = 0;
        if (!t.U16(ranges + 2 * i + rangeOffset + 2 * uint64_t(code - start), glyph) || glyph == 0)
            return 0;
        return uint16_t(glyph + delta);
    }
    return 0;
}

// The coverage index of the glyph, or -1.
int32_t Coverage(const Bytes& t, uint64_t at, uint16_t glyph)
{
    uint16_t format = 0, count = 0;
    if (!t.U16(at, format) || !t.U16(at + 2, count))
        return -1;
    for (uint32_t i = 0; i < count; ++i) {
        if (format == 1) {
            uint16_t g = 0;
            if (!t.U16(at + 4 + 2 * uint64_t(i), g))
                return -1;
            if (g == glyph)
                return int32_t(i);
        } else if (format == 2) {
            uint16_t start = 0, end = 0, index = 0;
            if (!t.U16(at + 4 + 6 * uint64_t(i), start) || !t.U16(at + 6 + 6 * uint64_t(i), end) ||
                !t.U16(at + 8 + 6 * uint64_t(i), index))
                return -1;
            if (start <= glyph && glyph <= end)
                return int32_t(index) + (glyph - start);
        } else {
            return -1;
        }
    }
    return -1;
}

} // namespace

uint32_t GTTTagValue(uint32_t tagIndex)
{
    if (tagIndex >= kTagCount)
        return 0;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(kTags) + 4 * tagIndex;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

GTTFontFileReader::GTTFontFileReader() : GTTFontFileReader(0) {}

GTTFontFileReader::GTTFontFileReader(uint32_t fileKey)
    : lock_(nullptr), locked_(0), changeCount_(0), fileKey_(fileKey), locationFormat_(255), userCount_(0),
      preloaded_(0), tables_(nullptr), glyphs_(nullptr)
{
    if (GCoreServices* services = GCoreServices::Instance())
        lock_ = services->CreateLock();
}

GTTFontFileReader::~GTTFontFileReader()
{
    GObjectBase::Release(tables_);
    GObjectBase::Release(glyphs_);
    delete lock_;
}

void GTTFontFileReader::Lock()
{
    if (lock_ && lock_->Acquire() != 0)
        ReportCriticalError(2, 301, "ttftfile", 1837, "");
    locked_ = 1;
}

void GTTFontFileReader::Unlock()
{
    locked_ = 0;
    if (lock_ && lock_->Release() == -2)
        ReportCriticalError(2, 302, "ttftfile", 1806, "");
}

uint32_t GTTFontFileReader::FieldsSize() const
{
    // A missing cache is the nil object, sized as it is written (with a lead-in outside a save).
    const RWCollectable* tables = tables_ ? static_cast<const RWCollectable*>(tables_) : &RWNilObject;
    const RWCollectable* glyphs = glyphs_ ? static_cast<const RWCollectable*>(glyphs_) : &RWNilObject;
    return 57 + tables->RecursiveStoreSize() + glyphs->RecursiveStoreSize();
}

bool GTTFontFileReader::IsEqual(const RWCollectable* other) const
{
    const GTTFontFileReader* r = dynamic_cast<const GTTFontFileReader*>(other);
    if (r == this)
        return true;
    auto same = [](const CachedValue& a, const CachedValue& b) { return a.known == b.known && a.value == b.value; };
    auto sameCache = [](const RWCollectable* a, const RWCollectable* b) { return a ? b && a->IsEqual(b) : !b; };
    return r && r->ClassId() == ClassId() && GObjectBase::IsSame(r) && r->locationFormat_ == locationFormat_ &&
           r->maps_[0] == maps_[0] && r->maps_[1] == maps_[1] && same(r->glyphCount_, glyphCount_) &&
           same(r->descender_, descender_) && same(r->horizontalCount_, horizontalCount_) &&
           same(r->verticalCount_, verticalCount_) && sameCache(tables_, r->tables_) && sameCache(glyphs_, r->glyphs_);
}

template <class In>
void GTTFontFileReader::ReadFields(In& in)
{
    uint32_t version = 0, changeCount = 0, fileKey = 0;
    uint8_t format = 0;
    GCharacterMapRecord maps[2];
    CachedValue values[4];
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    if (!GReadField(in, changeCount) || !GReadField(in, fileKey) || !GReadField(in, format))
        return;
    for (GCharacterMapRecord& m : maps)
        if (!GReadField(in, m.found) || !GReadField(in, m.platform) || !GReadField(in, m.encoding) ||
            !GReadField(in, m.format))
            return;
    for (CachedValue& v : values)
        if (!GReadField(in, v.known) || !GReadField(in, v.value))
            return;
    GObjectBase* tables = GObjectBase::RestoreHeld(in);
    GObjectBase* glyphs = tables || !GObjectBase::RestoreStopped(in) ? GObjectBase::RestoreHeld(in) : nullptr;
    GTTTableCache* tableCache = dynamic_cast<GTTTableCache*>(tables);
    GGlyphCache* glyphCache = dynamic_cast<GGlyphCache*>(glyphs);
    if ((tables && !tableCache) || (glyphs && !glyphCache) || GObjectBase::RestoreStopped(in)) {
        GObjectBase::Drop(tables);
        GObjectBase::Drop(glyphs);
        GRefuseStored(in);
        return;
    }
    changeCount_ = changeCount;
    fileKey_ = fileKey;
    locationFormat_ = format;
    maps_[0] = maps[0];
    maps_[1] = maps[1];
    glyphCount_ = values[0];
    descender_ = values[1];
    horizontalCount_ = values[2];
    verticalCount_ = values[3];
    GObjectBase::Hold(tableCache);
    GObjectBase::Hold(glyphCache);
    GObjectBase::Release(tables_);
    GObjectBase::Release(glyphs_);
    tables_ = tableCache;
    glyphs_ = glyphCache;
}

template <class Out>
void GTTFontFileReader::WriteFields(Out& out) const
{
    GWriteFields(out, changeCount_, fileKey_, locationFormat_);
    for (const GCharacterMapRecord& m : maps_) {
        GWriteField(out, m.found);
        GWriteField(out, m.platform);
        GWriteField(out, m.encoding);
        GWriteField(out, m.format);
    }
    for (const CachedValue* v : {&glyphCount_, &descender_, &horizontalCount_, &verticalCount_}) {
        GWriteField(out, v->known);
        GWriteField(out, v->value);
    }
    out << static_cast<const RWCollectable*>(tables_);
    out << static_cast<const RWCollectable*>(glyphs_);
}

void GTTFontFileReader::MergeFrom(GTTFontFileReader* other)
{
    if (!other || other == this)
        return;
    if (other->tables_ && Tables())
        tables_->MergeFrom(other->tables_);
    if (other->glyphs_ && Glyphs())
        glyphs_->MergeFrom(other->glyphs_);
    locationFormat_ = other->locationFormat_;
    maps_[0] = other->maps_[0];
    maps_[1] = other->maps_[1];
    glyphCount_ = other->glyphCount_;
    descender_ = other->descender_;
    horizontalCount_ = other->horizontalCount_;
    verticalCount_ = other->verticalCount_;
}

GTTTableCache* GTTFontFileReader::Tables()
{
    if (!tables_ && (tables_ = new (std::nothrow) GTTTableCache))
        GObjectBase::Hold(tables_);
    return tables_;
}

GGlyphCache* GTTFontFileReader::Glyphs()
{
    if (!glyphs_ && (glyphs_ = new (std::nothrow) GGlyphCache))
        GObjectBase::Hold(glyphs_);
    return glyphs_;
}

int GTTFontFileReader::StoreTable(uint32_t tagIndex, GByteBuffer* buffer)
{
    if (!Tables()) {
        delete buffer;
        return 0;
    }
    const int stored = tables_->Store(tagIndex, buffer);
    changeCount_ += stored;
    return stored;
}

int GTTFontFileReader::StoreGlyph(uint16_t glyph, GGlyphCacheNode* node)
{
    if (!Glyphs()) {
        GObjectBase::Drop(node);
        return 0;
    }
    const int stored = glyphs_->Store(glyph, node);
    changeCount_ += stored;
    return stored;
}

int GTTFontFileReader::HasRequiredTables(uint32_t fontKey)
{
    for (uint32_t tag : kRequired)
        if (GetTableLength(fontKey, tag) == 0)
            return 0;
    return 1;
}

uint32_t GTTFontFileReader::GetTableLength(uint32_t fontKey, uint32_t tagIndex)
{
    if (tagIndex >= kTagCount)
        return 0;
    if (tables_ && tables_->IsPresent(tagIndex))
        return tables_->GetLength(tagIndex);
    return GetFileTableLength(fontKey, GTTTagValue(tagIndex));
}

uint32_t GTTFontFileReader::ReadTableBytes(uint32_t fontKey, uint32_t tagIndex, uint32_t offset, int mayCache,
                                           uint8_t* destination, uint32_t count)
{
    if (tagIndex >= kTagCount || !destination || count == 0)
        return 0;
    const uint64_t end = uint64_t(offset) + count;
    if (tables_ && tables_->IsPresent(tagIndex)) {
        if (end > tables_->GetLength(tagIndex))
            return 0;
        std::memcpy(destination, tables_->GetData(tagIndex) + offset, count);
        return count;
    }
    const uint32_t tag = GTTTagValue(tagIndex);
    const uint32_t length = GetFileTableLength(fontKey, tag);
    const bool caching = mayCache && IsCachingEnabled();
    if (length == 0) {
        if (caching)
            StoreTable(tagIndex, new (std::nothrow) GByteBuffer(nullptr, 0, 1));
        return 0;
    }
    if (end > length)
        return 0;
    if (caching && length < kCacheLimit) {
        GByteBuffer* whole = nullptr;
        const uint32_t read = ReadTable(fontKey, tag, whole, length);
        if (read < length || !whole || whole->GetLength() < length) {
            delete whole;
            return 0;
        }
        std::memcpy(destination, whole->GetData() + offset, count);
        StoreTable(tagIndex, whole);
        return count;
    }
    return ReadBytes(fontKey, tag, offset, destination, count) == count ? count : 0;
}

uint32_t GTTFontFileReader::GetTable(uint32_t fontKey, uint32_t tagIndex, int mayCache, GByteBuffer*& out)
{
    out = nullptr;
    if (tagIndex >= kTagCount)
        return 0;
    if (tables_ && tables_->IsPresent(tagIndex)) {
        if (tables_->GetLength(tagIndex) == 0)
            return 0;
        out = tables_->Get(tagIndex);
        return out ? out->GetLength() : 0;
    }
    const uint32_t tag = GTTTagValue(tagIndex);
    const uint32_t length = GetFileTableLength(fontKey, tag);
    const bool caching = mayCache && IsCachingEnabled();
    if (length == 0) {
        if (caching)
            StoreTable(tagIndex, new (std::nothrow) GByteBuffer(nullptr, 0, 1));
        return 0;
    }
    GByteBuffer* whole = nullptr;
    const uint32_t read = ReadTable(fontKey, tag, whole, length);
    if (read < length || !whole || whole->GetLength() < length) {
        delete whole;
        return 0;
    }
    if (caching && length < kCacheLimit && StoreTable(tagIndex, whole)) {
        out = tables_->Get(tagIndex);
        return out ? length : 0;
    }
    out = whole;
    return length;
}

uint8_t GTTFontFileReader::GetLocationFormat(uint32_t fontKey)
{
    uint8_t bytes[2];
    if (locationFormat_ == 255 && ReadTableBytes(fontKey, kTagHead, 50, 0, bytes, 2) == 2) {
        locationFormat_ = GBigEndian16(bytes) == 1 ? 1 : 0;
        ++changeCount_;
    }
    return locationFormat_;
}

namespace {

// The start and next offsets of a glyph in glyf, by the location format.
bool GlyphRange(GTTFontFileReader& reader, uint32_t fontKey, uint8_t format, uint16_t glyph, uint32_t& start,
                uint32_t& next)
{
    uint8_t bytes[8];
    if (format == 1) {
        if (reader.ReadTableBytes(fontKey, kTagLoca, uint32_t(glyph) * 4, 1, bytes, 8) != 8)
            return false;
        start = GBigEndian32(bytes);
        next = GBigEndian32(bytes + 4);
    } else {
        if (reader.ReadTableBytes(fontKey, kTagLoca, uint32_t(glyph) * 2, 1, bytes, 4) != 4)
            return false;
        start = uint32_t(GBigEndian16(bytes)) * 2;
        next = uint32_t(GBigEndian16(bytes + 2)) * 2;
    }
    return true;
}

} // namespace

bool GTTFontFileReader::GlyphExtent(uint32_t fontKey, uint16_t glyph, uint32_t& start, uint32_t& length)
{
    const uint8_t format = GetLocationFormat(fontKey);
    uint32_t next = 0;
    start = 0;
    if (format == 255 || !GlyphRange(*this, fontKey, format, glyph, start, next))
        return false;
    length = next > start ? next - start : 0;
    // The offsets come from the font: a range that glyf cannot hold is refused before
    // anything is allocated for it.
    const uint64_t glyf = GetTableLength(fontKey, kTagGlyf);
    return GSizeFromDataFits(length, start <= glyf ? glyf - start : 0, kMaxGlyphBytes);
}

void GTTFontFileReader::KeepGlyph(uint16_t glyph, const uint8_t* bytes, uint32_t length)
{
    // The cache keeps bytes of its own, copied in one piece straight into its node.
    if (GGlyphCacheNode* node = GGlyphCacheNode::WithFirstCopy(bytes, length))
        StoreGlyph(glyph, node);
}

uint32_t GTTFontFileReader::GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, GByteBuffer*& out)
{
    out = nullptr;
    if (glyphs_) {
        if (GGlyphCacheNode* node = glyphs_->Find(glyph)) {
            // A hit is one lookup and a copy into one allocation holding record and bytes.
            if (const uint32_t length = node->GetFirstLength()) {
                out = GByteBuffer::NewCopy(node->FirstData(), length);
                return out ? length : 0;
            }
        }
    }
    uint32_t start = 0, length = 0;
    if (!GlyphExtent(fontKey, glyph, start, length))
        return 0;
    out = GByteBuffer::NewCopy(nullptr, length);
    if (!out)
        return 0;
    if (length != 0 && ReadTableBytes(fontKey, kTagGlyf, start, 1, out->GetData(), length) != length) {
        delete out;
        out = nullptr;
        return 0;
    }
    if (mayCache)
        KeepGlyph(glyph, out->GetData(), length);
    return length;
}

uint32_t GTTFontFileReader::GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, std::vector<uint8_t>& into)
{
    if (glyphs_) {
        if (GGlyphCacheNode* node = glyphs_->Find(glyph)) {
            if (const uint32_t length = node->GetFirstLength()) {
                into.assign(node->FirstData(), node->FirstData() + length);
                return length;
            }
        }
    }
    uint32_t start = 0, length = 0;
    if (!GlyphExtent(fontKey, glyph, start, length)) {
        into.clear();
        return 0;
    }
    into.resize(length);
    if (length != 0 && ReadTableBytes(fontKey, kTagGlyf, start, 1, into.data(), length) != length) {
        into.clear();
        return 0;
    }
    if (mayCache)
        KeepGlyph(glyph, into.data(), length);
    return length;
}

uint32_t GTTFontFileReader::GetGlyphOffset(uint32_t fontKey, uint16_t glyph)
{
    const uint8_t format = GetLocationFormat(fontKey);
    uint32_t start = 0, next = 0;
    if (format == 255 || !GlyphRange(*this, fontKey, format, glyph, start, next))
        return 0;
    return start;
}

int GTTFontFileReader::GetBoundingBox(uint32_t fontKey, int16_t box[4])
{
    uint8_t bytes[8];
    if (ReadTableBytes(fontKey, kTagHead, 36, 1, bytes, 8) != 8)
        return 0;
    for (int i = 0; i < 4; ++i)
        box[i] = int16_t(GBigEndian16(bytes + 2 * i));
    return 8;
}

int GTTFontFileReader::ReadValue(uint32_t fontKey, CachedValue& value, uint32_t tagIndex, uint32_t offset)
{
    if (value.known)
        return 1;
    uint8_t bytes[2];
    if (ReadTableBytes(fontKey, tagIndex, offset, 1, bytes, 2) != 2)
        return 0;
    value.value = GBigEndian16(bytes);
    value.known = 1;
    ++changeCount_;
    return 1;
}

int GTTFontFileReader::GetGlyphCount(uint32_t fontKey, uint16_t& count)
{
    const int known = ReadValue(fontKey, glyphCount_, kTagMaxp, 4);
    count = glyphCount_.value;
    return known;
}

int GTTFontFileReader::GetTypoDescender(uint32_t fontKey, int16_t& descender)
{
    const int known = ReadValue(fontKey, descender_, kTagOS2, 70);
    descender = int16_t(descender_.value);
    return known;
}

int GTTFontFileReader::GetHorizontalMetricCount(uint32_t fontKey, uint16_t& count)
{
    const int known = ReadValue(fontKey, horizontalCount_, kTagHhea, 34);
    count = horizontalCount_.value;
    return known;
}

int GTTFontFileReader::GetVerticalMetricCount(uint32_t fontKey, uint16_t& count)
{
    const int known = ReadValue(fontKey, verticalCount_, kTagVhea, 34);
    count = verticalCount_.value;
    return known;
}

int GTTFontFileReader::Metrics(uint32_t fontKey, CachedValue& count, uint32_t countTable, uint32_t metricTable,
                               uint16_t glyph, uint16_t& advance, int16_t& bearing)
{
    if (!ReadValue(fontKey, count, countTable, 34) || count.value == 0)
        return 0;
    const uint32_t n = count.value;
    const uint32_t advanceAt = glyph >= n ? (n - 1) * 4 : uint32_t(glyph) * 4;
    const uint32_t bearingAt = glyph >= n ? (uint32_t(glyph) + n) * 2 : uint32_t(glyph) * 4 + 2;
    uint8_t a[2], b[2];
    if (ReadTableBytes(fontKey, metricTable, advanceAt, 1, a, 2) != 2 ||
        ReadTableBytes(fontKey, metricTable, bearingAt, 0, b, 2) != 2)
        return 0;
    advance = GBigEndian16(a);
    bearing = int16_t(GBigEndian16(b));
    return 1;
}

int GTTFontFileReader::GetHorizontalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing)
{
    return Metrics(fontKey, horizontalCount_, kTagHhea, kTagHmtx, glyph, advance, bearing);
}

int GTTFontFileReader::GetVerticalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing)
{
    return Metrics(fontKey, verticalCount_, kTagVhea, kTagVmtx, glyph, advance, bearing);
}

void GTTFontFileReader::SelectCharacterMap(const uint8_t* cmap, uint32_t length, uint32_t characterSet,
                                           GCharacterMapChoice& choice)
{
    choice = GCharacterMapChoice();
    const Preference* list = &kOtherSets;
    for (const Preference& p : kPreferences)
        if (p.set == characterSet)
            list = &p;
    const Bytes t{cmap, cmap ? length : 0};
    uint16_t tables = 0;
    if (!t.U16(2, tables))
        return;
    for (uint32_t i = 0; i < tables; ++i) {
        uint16_t platform = 0, encoding = 0, format = 0;
        uint32_t offset = 0;
        if (!t.U16(4 + 8 * i, platform) || !t.U16(6 + 8 * i, encoding) || !t.U32(8 + 8 * i, offset))
            return;
        if (platform != 3 || !t.U16(offset, format))
            continue;
        if (choice.found && Rank(*list, encoding) >= Rank(*list, uint16_t(choice.encoding)))
            continue;
        choice.found = 1;
        choice.platform = 3;
        choice.encoding = int16_t(encoding);
        choice.format = format;
        choice.offset = offset;
        if (Rank(*list, encoding) == 0)
            return;
    }
}

uint16_t GTTFontFileReader::PrepareCode(const GCharacterMapChoice& choice, const uint8_t* os2, uint16_t code,
                                        uint32_t characterSet, bool& none)
{
    const uint16_t first = GBigEndian16(os2 + 64) & 0xF000;
    const uint16_t last = GBigEndian16(os2 + 66);
    GTextConverter* converter = GetTextConverter();
    auto fromSet = [&](uint16_t c) {
        return c < 0x100 ? converter->ToWide(uint8_t(c), uint8_t(characterSet)) : c;
    };
    if (choice.platform == 3 && choice.encoding == 0) {
        if (first != 0)
            return code < 0x100 ? uint16_t(first | code) : code;
        if (last < 0x100 || characterSet == 16)
            return code;
        uint32_t kind = 0, version = 0, build = 0;
        if (GCoreServices* services = GCoreServices::Instance())
            services->GetOSVersion(kind, version, build);
        if (characterSet == 3 && (version >> 16) <= 4)
            return code;
        return fromSet(code);
    }
    if (choice.platform == 3 && choice.encoding == 1) {
        if (characterSet == 16 || characterSet == 3)
            return code;
        if (first == 0xF000)
            return code < 0x100 ? uint16_t(0xF000 | code) : code;
        return fromSet(code);
    }
    if (characterSet != 16)
        return code;
    if (choice.encoding < 2 || choice.encoding > 6) {
        none = true;
        return 0;
    }
    return converter->ToNarrow(code, kEncodingSets[choice.encoding]);
}

bool GTTFontFileReader::TableInPlace(uint32_t fontKey, uint32_t tagIndex, std::unique_ptr<GByteBuffer>& held,
                                     const uint8_t*& data, uint32_t& length)
{
    if (tables_ && tables_->IsPresent(tagIndex)) {
        data = tables_->GetData(tagIndex);
        length = tables_->GetLength(tagIndex);
        return length != 0;
    }
    GByteBuffer* buffer = nullptr;
    GetTable(fontKey, tagIndex, 1, buffer);
    held.reset(buffer);
    data = buffer ? buffer->GetData() : nullptr;
    length = buffer ? buffer->GetLength() : 0;
    return buffer != nullptr;
}

uint16_t GTTFontFileReader::MapCharacter(uint32_t fontKey, int vertical, uint16_t code, uint32_t characterSet)
{
    if (characterSet == 1) {
        uint16_t count = 0;
        if (!GetGlyphCount(fontKey, count) || code < count)
            return code;
    }
    // Tables the cache holds are read in place; others through a record of their own.
    std::unique_ptr<GByteBuffer> os2Held, cmapHeld;
    const uint8_t* os2 = nullptr;
    const uint8_t* cmap = nullptr;
    uint32_t os2Length = 0, cmapLength = 0;
    if (!TableInPlace(fontKey, kTagOS2, os2Held, os2, os2Length) || os2Length < 68)
        return 0;
    if (!TableInPlace(fontKey, kTagCmap, cmapHeld, cmap, cmapLength))
        return 0;
    GCharacterMapChoice choice;
    SelectCharacterMap(cmap, cmapLength, characterSet, choice);
    if (!choice.found)
        return 0;
    bool none = false;
    const uint16_t c = PrepareCode(choice, os2, code, characterSet, none);
    if (none)
        return 0;
    const Bytes t{cmap, cmapLength};
    uint16_t glyph = 0;
    if (choice.format == 2)
        glyph = LookUpFormat2(t, choice.offset, c);
    else if (choice.format == 4)
        glyph = LookUpFormat4(t, choice.offset, c);
    if (!vertical)
        return glyph;
    GByteBuffer* substitutes = nullptr;
    if (GetTable(fontKey, kTagMort, 1, substitutes) != 0) {
        std::unique_ptr<GByteBuffer> mort(substitutes);
        return MortSubstitute(mort->GetData(), mort->GetLength(), glyph);
    }
    if (GetTable(fontKey, kTagGSUB, 1, substitutes) != 0) {
        std::unique_ptr<GByteBuffer> gsub(substitutes);
        return GSUBSubstitute(gsub->GetData(), gsub->GetLength(), glyph);
    }
    return glyph;
}

uint16_t GTTFontFileReader::MortSubstitute(const uint8_t* mort, uint32_t length, uint16_t glyph)
{
    const Bytes t{mort, mort ? length : 0};
    struct Expected {
        uint32_t offset;
        uint32_t value;
        bool wide;
    };
    static const Expected kLayout[] = {
        {0, 0x00010000, true}, {4, 1, true},          {8, 1, true},  {16, 3, false}, {18, 1, false},
        {20, 3, false},        {22, 0, false},        {24, 1, true},  {28, 0xFFFFFFFF, true},
        {32, 3, false},        {34, 1, false},        {36, 0, true},  {40, 0xFFFFFFFE, true},
        {44, 8, false},        {46, 0, false},        {48, 0, true},  {52, 0, true},
        {58, 0x8004, false},   {60, 1, true},         {64, 6, false}, {66, 4, false},
    };
    if (length < 77)
        return glyph;
    for (const Expected& e : kLayout) {
        uint16_t narrow = 0;
        uint32_t wide = 0;
        if (e.wide ? !t.U32(e.offset, wide) || wide != e.value : !t.U16(e.offset, narrow) || narrow != e.value)
            return glyph;
    }
    uint16_t units = 0;
    if (!t.U16(68, units) || units == 0 || !t.Has(76, 4 * uint64_t(units)))
        return glyph;
    for (uint32_t i = 0; i < units; ++i)
        if (GBigEndian16(mort + 76 + 4 * i) == glyph)
            return GBigEndian16(mort + 78 + 4 * i);
    return glyph;
}

uint16_t GTTFontFileReader::GSUBSubstitute(const uint8_t* gsub, uint32_t length, uint16_t glyph)
{
    const Bytes t{gsub, gsub ? length : 0};
    uint32_t version = 0;
    uint16_t features = 0, lookups = 0, featureCount = 0, lookupCount = 0;
    if (length < 10 || !t.U32(0, version) || (version != 0x00010000 && version != 0x00001000))
        return glyph;
    t.U16(6, features);
    t.U16(8, lookups);
    if (!t.U16(features, featureCount) || !t.U16(lookups, lookupCount))
        return glyph;
    uint64_t feature = 0;
    for (uint32_t i = 0; i < featureCount && !feature; ++i) {
        const uint64_t record = features + 2 + 6 * uint64_t(i);
        uint16_t offset = 0;
        if (!t.Has(record, 6) || !t.U16(record + 4, offset))
            return glyph;
        if (std::memcmp(gsub + record, "vert", 4) == 0)
            feature = features + uint64_t(offset);
    }
    uint16_t indexCount = 0;
    if (!feature || !t.U16(feature + 2, indexCount))
        return glyph;
    for (uint32_t i = 0; i < indexCount; ++i) {
        uint16_t index = 0, lookupOffset = 0, type = 0, subtables = 0;
        if (!t.U16(feature + 4 + 2 * uint64_t(i), index))
            return glyph;
        if (index >= lookupCount)
            break;
        if (!t.U16(lookups + 2 + 2 * uint64_t(index), lookupOffset))
            return glyph;
        const uint64_t lookup = lookups + uint64_t(lookupOffset);
        if (!t.U16(lookup, type) || type != 1 || !t.U16(lookup + 4, subtables))
            return glyph;
        for (uint32_t s = 0; s < subtables; ++s) {
            uint16_t subOffset = 0, format = 0, coverageOffset = 0, value = 0;
            if (!t.U16(lookup + 6 + 2 * uint64_t(s), subOffset))
                return glyph;
            const uint64_t sub = lookup + subOffset;
            if (!t.U16(sub, format) || (format != 1 && format != 2) || !t.U16(sub + 2, coverageOffset) ||
                !t.U16(sub + 4, value))
                return glyph;
            const int32_t index = Coverage(t, sub + coverageOffset, glyph);
            if (index < 0)
                continue;
            if (format == 1)
                return uint16_t(glyph + value);
            uint16_t substitute = 0;
            if (uint32_t(index) >= value || !t.U16(sub + 6 + 2 * uint64_t(index), substitute))
                return glyph;
            return substitute;
        }
    }
    return glyph;
}

int GTTFontFileReader::LoadGlyphAt(uint32_t fontKey, uint16_t glyph, uint32_t depth, uint32_t& budget)
{
    uint16_t count = 0;
    if (depth > kMaxComponentDepth || budget == 0 || !GetGlyphCount(fontKey, count) || glyph >= count)
        return 0;
    --budget;
    GByteBuffer* data = nullptr;
    GetGlyphData(fontKey, 1, glyph, data);
    std::unique_ptr<GByteBuffer> held(data);
    if (!held)
        return 0;
    const Bytes t{held->GetData(), held->GetLength()};
    uint16_t contours = 0;
    if (!t.U16(0, contours) || int16_t(contours) >= 0)
        return 1;
    uint64_t at = 10;
    for (;;) {
        uint16_t flags = 0, component = 0;
        if (!t.U16(at, flags) || !t.U16(at + 2, component))
            return 0;
        if (!LoadGlyphAt(fontKey, component, depth + 1, budget))
            return 0;
        at += 4 + ((flags & 0x0001) ? 4 : 2);
        at += (flags & 0x0080) ? 8 : (flags & 0x0040) ? 4 : (flags & 0x0008) ? 2 : 0;
        if (!(flags & 0x0020))
            return 1;
    }
}

int GTTFontFileReader::LoadGlyph(uint32_t fontKey, uint16_t glyph)
{
    uint32_t budget = kMaxGlyphsPerLoad;
    return LoadGlyphAt(fontKey, glyph, 0, budget);
}

int GTTFontFileReader::Preload(uint32_t fontKey, uint32_t characterSet)
{
    if (preloaded_)
        return 1;
    for (uint32_t tag : kPreloaded) {
        if (tables_ && tables_->IsPresent(tag))
            continue;
        GByteBuffer* table = nullptr;
        const uint32_t length = GetFileTableLength(fontKey, GTTTagValue(tag));
        if (length == 0) {
            StoreTable(tag, new (std::nothrow) GByteBuffer(nullptr, 0, 1));
            continue;
        }
        if (ReadTable(fontKey, GTTTagValue(tag), table, length) >= length && table && table->GetLength() >= length)
            StoreTable(tag, table);
        else
            delete table;
    }
    LoadGlyph(fontKey, 0);
    if (characterSet == 17)
        LoadGlyph(fontKey, MapCharacter(fontKey, 0, 165, characterSet));
    preloaded_ = 1;
    return 1;
}

namespace {

void AddJob(std::vector<uint32_t>& jobs, uint32_t job)
{
    if (std::find(jobs.begin(), jobs.end(), job) == jobs.end())
        jobs.push_back(job);
}

void RemoveJob(std::vector<uint32_t>& jobs, uint32_t job)
{
    jobs.erase(std::remove(jobs.begin(), jobs.end(), job), jobs.end());
}

} // namespace

void GTTFontFileReader::AddUserA(uint32_t job) { AddJob(jobsA_, job); }
void GTTFontFileReader::RemoveUserA(uint32_t job) { RemoveJob(jobsA_, job); }
void GTTFontFileReader::AddUserB(uint32_t job) { AddJob(jobsB_, job); }
void GTTFontFileReader::RemoveUserB(uint32_t job) { RemoveJob(jobsB_, job); }
int GTTFontFileReader::ContainsJob(uint32_t job) const
{
    return std::find(jobsA_.begin(), jobsA_.end(), job) != jobsA_.end();
}

template void GTTFontFileReader::ReadFields(RWBinaryFile&);
template void GTTFontFileReader::ReadFields(RWDataInStream&);
template void GTTFontFileReader::WriteFields(RWBinaryFile&) const;
template void GTTFontFileReader::WriteFields(RWDataOutStream&) const;
