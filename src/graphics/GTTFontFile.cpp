#include "graphics/GTTFontFile.h"

#include "graphics/GFontBlocks.h"
#include "graphics/GTTFontFilePool.h"
#include "model/GStoredFields.h"

#include <new>

namespace {

// An owning copy of the bytes a borrowing record shows, and the record deleted; null
// for none or when out of memory.
GByteBuffer* OwnedCopy(GByteBuffer* borrowed)
{
    if (!borrowed)
        return nullptr;
    const uint32_t length = borrowed->GetLength();
    uint8_t* bytes = GCopyBlock(borrowed->GetData(), length);
    delete borrowed;
    GByteBuffer* copy = bytes ? new (std::nothrow) GByteBuffer(bytes, length, 1) : nullptr;
    if (!copy)
        delete[] bytes;
    return copy;
}

} // namespace

GTTFontFile::GTTFontFile() : reader_(nullptr), pool_(nullptr), pendingKey_(0), pendingCount_(0) {}

GTTFontFile::GTTFontFile(GTTFontFileReader* reader, GTTFontFilePool* pool)
    : reader_(reader), pool_(pool ? pool : GTTFontFilePool::Instance()), pendingKey_(0), pendingCount_(0)
{
    if (!reader_)
        return;
    reader_->Lock();
    reader_->SetUserCount(reader_->GetUserCount() + 1);
    reader_->Unlock();
}

GTTFontFile::GTTFontFile(const GTTFontFile& other)
    : GPersistent(other), reader_(nullptr), pool_(other.pool_), pendingKey_(other.pendingKey_),
      pendingCount_(other.pendingCount_)
{
    if (!other.reader_)
        return;
    reader_ = other.reader_;
    reader_->Lock();
    reader_->SetUserCount(reader_->GetUserCount() + 1);
    reader_->Unlock();
}

GTTFontFile::~GTTFontFile() { Drop(); }

// Gives the reader back: the pool takes its own lock before the reader's.
void GTTFontFile::Drop()
{
    pendingKey_ = 0;
    pendingCount_ = 0;
    GTTFontFileReader* reader = reader_;
    reader_ = nullptr;
    if (!reader)
        return;
    if (pool_) {
        pool_->Release(reader);
        return;
    }
    reader->Lock();
    const int32_t users = reader->GetUserCount() - 1;
    reader->SetUserCount(users);
    reader->Unlock();
    if (users <= 0)
        delete reader;
}

void GTTFontFile::Bind() const
{
    if (!pendingKey_)
        return;
    const uint32_t key = pendingKey_;
    pendingKey_ = 0;
    if (pool_ && !reader_)
        reader_ = pool_->Acquire(key, pendingCount_);
    pendingCount_ = 0;
}

bool GTTFontFile::IsEqual(const RWCollectable* other) const
{
    const GTTFontFile* file = dynamic_cast<const GTTFontFile*>(other);
    if (file == this)
        return true;
    if (!file || file->ClassId() != ClassId() || !GObjectBase::IsSame(file))
        return false;
    Bind();
    file->Bind();
    GTTFontFileReader* a = reader_;
    GTTFontFileReader* b = file->reader_;
    if (!a || !b)
        return a == b;
    if (a == b)
        return true;
    // Two readers are locked in address order, so that two comparisons never wait on
    // each other.
    GTTFontFileReader* first = a < b ? a : b;
    GTTFontFileReader* second = a < b ? b : a;
    first->Lock();
    second->Lock();
    const bool equal = a->GetChangeCount() == b->GetChangeCount() && a->IsEqual(b);
    second->Unlock();
    first->Unlock();
    return equal;
}

template <class In>
void GTTFontFile::ReadFields(In& in)
{
    uint32_t fileKey = 0, changeCount = 0;
    if (!GReadFields(in, fileKey, changeCount))
        return;
    Drop();
    pool_ = GTTFontFilePool::Instance();
    pendingKey_ = fileKey;
    pendingCount_ = changeCount;
}

template <class Out>
void GTTFontFile::WriteFields(Out& out) const
{
    // A handle not bound yet stores what it was read with.
    uint32_t fileKey = pendingKey_, changeCount = pendingCount_;
    if (reader_) {
        reader_->Lock();
        fileKey = reader_->GetFileKey();
        changeCount = reader_->GetChangeCount();
        reader_->Unlock();
    }
    GWriteFields(out, fileKey, changeCount);
}

template void GTTFontFile::ReadFields(RWBinaryFile&);
template void GTTFontFile::ReadFields(RWDataInStream&);
template void GTTFontFile::WriteFields(RWBinaryFile&) const;
template void GTTFontFile::WriteFields(RWDataOutStream&) const;

template <class Op>
auto GTTFontFile::Locked(Op op) -> decltype(op(*static_cast<GTTFontFileReader*>(nullptr)))
{
    Bind();
    if (!reader_)
        return 0;
    reader_->Lock();
    auto answer = op(*reader_);
    reader_->Unlock();
    return answer;
}

uint32_t GTTFontFile::GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, GByteBuffer*& out)
{
    out = nullptr;
    return Locked([&](GTTFontFileReader& r) { return r.GetGlyphData(fontKey, mayCache, glyph, out); });
}

uint32_t GTTFontFile::GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, std::vector<uint8_t>& into)
{
    into.clear();
    return Locked([&](GTTFontFileReader& r) { return r.GetGlyphData(fontKey, mayCache, glyph, into); });
}

uint32_t GTTFontFile::GetGlyphOffset(uint32_t fontKey, uint16_t glyph)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetGlyphOffset(fontKey, glyph); });
}

int GTTFontFile::GetBoundingBox(uint32_t fontKey, int16_t box[4])
{
    return Locked([&](GTTFontFileReader& r) { return r.GetBoundingBox(fontKey, box); });
}

int GTTFontFile::GetGlyphCount(uint32_t fontKey, uint16_t& count)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetGlyphCount(fontKey, count); });
}

int GTTFontFile::GetTypoDescender(uint32_t fontKey, int16_t& descender)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetTypoDescender(fontKey, descender); });
}

int GTTFontFile::GetHorizontalMetricCount(uint32_t fontKey, uint16_t& count)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetHorizontalMetricCount(fontKey, count); });
}

int GTTFontFile::GetVerticalMetricCount(uint32_t fontKey, uint16_t& count)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetVerticalMetricCount(fontKey, count); });
}

int GTTFontFile::GetHorizontalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetHorizontalMetrics(fontKey, glyph, advance, bearing); });
}

int GTTFontFile::GetVerticalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetVerticalMetrics(fontKey, glyph, advance, bearing); });
}

uint16_t GTTFontFile::MapCharacter(uint32_t fontKey, int vertical, uint16_t code, uint32_t characterSet)
{
    return Locked([&](GTTFontFileReader& r) { return r.MapCharacter(fontKey, vertical, code, characterSet); });
}

int GTTFontFile::LoadGlyph(uint32_t fontKey, uint16_t glyph)
{
    return Locked([&](GTTFontFileReader& r) { return r.LoadGlyph(fontKey, glyph); });
}

int GTTFontFile::Preload(uint32_t fontKey, uint32_t characterSet)
{
    return Locked([&](GTTFontFileReader& r) { return r.Preload(fontKey, characterSet); });
}

uint32_t GTTFontFile::ReadTableBytes(uint32_t fontKey, uint32_t tagIndex, uint32_t offset, int mayCache,
                                     uint8_t* destination, uint32_t count)
{
    return Locked([&](GTTFontFileReader& r) {
        return r.ReadTableBytes(fontKey, tagIndex, offset, mayCache, destination, count);
    });
}

uint32_t GTTFontFile::GetTable(uint32_t fontKey, uint32_t tagIndex, int mayCache, GByteBuffer*& out)
{
    out = nullptr;
    return Locked([&](GTTFontFileReader& r) { return r.GetTable(fontKey, tagIndex, mayCache, out); });
}

uint32_t GTTFontFile::GetTableLength(uint32_t fontKey, uint32_t tagIndex)
{
    return Locked([&](GTTFontFileReader& r) { return r.GetTableLength(fontKey, tagIndex); });
}

int GTTFontFile::HasRequiredTables(uint32_t fontKey)
{
    return Locked([&](GTTFontFileReader& r) { return r.HasRequiredTables(fontKey); });
}

int GTTFontFile::StoreGlyph(uint16_t glyph, GGlyphCacheNode* node)
{
    Bind();
    if (!reader_) {
        GObjectBase::Drop(node);
        return 0;
    }
    return Locked([&](GTTFontFileReader& r) { return r.StoreGlyph(glyph, node); });
}

uint32_t GTTFontFile::FindGlyph(uint16_t glyph, GByteBuffer*& out)
{
    out = nullptr;
    return Locked([&](GTTFontFileReader& r) -> uint32_t {
        GGlyphCacheNode* node = r.GetGlyphCache() ? r.GetGlyphCache()->Find(glyph) : nullptr;
        // A copy of its own, so that it outlives a later merge of the cache.
        out = OwnedCopy(node ? node->GetFirst() : nullptr);
        return out ? out->GetLength() : 0;
    });
}

uint32_t GTTFontFile::GetGlyph(uint32_t fontKey, uint16_t glyph, uint32_t characterSet, uint32_t vertical,
                               uint32_t size, uint32_t flags, GByteBuffer*& out)
{
    out = nullptr;
    return Locked([&](GTTFontFileReader& r) -> uint32_t {
        GGlyphCacheNode* node = r.GetGlyphCache() ? r.GetGlyphCache()->Find(glyph) : nullptr;
        if (node && node->GetSecondLength()) {
            out = OwnedCopy(node->GetSecond());
            return out ? out->GetLength() : 0;
        }
        const uint32_t length = r.ReadGlyph(fontKey, glyph, characterSet, vertical, size, out, flags);
        // The node copies the bytes of a borrowing record; the caller keeps its buffer.
        if (out && length) {
            GByteBuffer* borrowed = new (std::nothrow) GByteBuffer(out->GetData(), length, 0);
            GGlyphCacheNode* node = borrowed ? new (std::nothrow) GGlyphCacheNode(nullptr, borrowed) : nullptr;
            if (!node)
                delete borrowed;
            r.StoreGlyph(glyph, node);
        }
        return length;
    });
}

uint32_t GTTFontFile::ForwardFirst(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    return Locked([&](GTTFontFileReader& r) { return r.ForwardFirst(a, b, c, d); });
}

uint32_t GTTFontFile::ForwardSecond(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    return Locked([&](GTTFontFileReader& r) { return r.ForwardSecond(a, b, c, d); });
}

uint32_t GTTFontFile::ForwardThird(uint32_t a)
{
    return Locked([&](GTTFontFileReader& r) { return r.ForwardThird(a); });
}

int GTTFontFile::Close(uint32_t jobId)
{
    Bind();
    if (!reader_ || !pool_)
        return 0;
    return pool_->RegisterForJob(reader_, jobId);
}
