#include "graphics/GGlyphCacheNode.h"

#include "graphics/GFontBlocks.h"

#include <new>
#include <utility>

GGlyphCacheNode::GGlyphCacheNode() = default;

GGlyphCacheNode::GGlyphCacheNode(GByteBuffer* first, GByteBuffer* second)
{
    Take(first_, first);
    Take(second_, second);
}

GGlyphCacheNode::GGlyphCacheNode(const GGlyphCacheNode& other) : GPersistent(other)
{
    if ((first_.data = GCopyBlock(other.first_.data, other.first_.length)))
        first_.length = other.first_.length;
    if ((second_.data = GCopyBlock(other.second_.data, other.second_.length)))
        second_.length = other.second_.length;
}

GGlyphCacheNode::~GGlyphCacheNode()
{
    delete[] first_.data;
    delete[] second_.data;
}

void GGlyphCacheNode::Take(Block& block, GByteBuffer* buffer)
{
    if (!buffer)
        return;
    block.data = buffer->Release();
    block.length = block.data ? buffer->GetLength() : 0;
    delete buffer;
}

GGlyphCacheNode* GGlyphCacheNode::CreateNew() const { return new GGlyphCacheNode; }
GGlyphCacheNode* GGlyphCacheNode::Copy() const { return new GGlyphCacheNode(*this); }

uint32_t GGlyphCacheNode::FieldsSize() const
{
    return 12 + first_.length + second_.length;
}

bool GGlyphCacheNode::IsEqual(const RWCollectable* other) const
{
    const GGlyphCacheNode* node = dynamic_cast<const GGlyphCacheNode*>(other);
    if (node == this)
        return true;
    return node && node->ClassId() == ClassId() && GObjectBase::IsSame(node) && node->first_.length == first_.length &&
           GSameBytes(node->first_.data, first_.data, first_.length);
}

template <class In>
void GGlyphCacheNode::ReadFields(In& in)
{
    uint32_t version = 0, firstLength = 0, secondLength = 0;
    uint8_t* first = nullptr;
    uint8_t* second = nullptr;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    if (!GReadField(in, firstLength) || !GReadBlock(in, firstLength, first))
        return;
    if (!GReadField(in, secondLength) || !GReadBlock(in, secondLength, second)) {
        delete[] first;
        return;
    }
    delete[] first_.data;
    delete[] second_.data;
    first_ = {first, firstLength};
    second_ = {second, secondLength};
}

template <class Out>
void GGlyphCacheNode::WriteFields(Out& out) const
{
    GWriteFields(out, first_.length);
    GWriteBlock(out, first_.data, first_.length);
    GWriteField(out, second_.length);
    GWriteBlock(out, second_.data, second_.length);
}

void GGlyphCacheNode::MergeFrom(GGlyphCacheNode* other)
{
    if (!other || other == this)
        return;
    if (first_.length == 0 && other->first_.length != 0)
        std::swap(first_, other->first_);
    if (second_.length == 0 && other->second_.length != 0)
        std::swap(second_, other->second_);
    GObjectBase::Drop(other);
}

GByteBuffer* GGlyphCacheNode::GetFirst() const
{
    return first_.length ? new (std::nothrow) GByteBuffer(first_.data, first_.length, 0) : nullptr;
}

uint32_t GGlyphCacheNode::GetFirstLength() const { return first_.length; }

GByteBuffer* GGlyphCacheNode::GetSecond() const
{
    return second_.length ? new (std::nothrow) GByteBuffer(second_.data, second_.length, 0) : nullptr;
}

uint32_t GGlyphCacheNode::GetSecondLength() const { return second_.length; }

template void GGlyphCacheNode::ReadFields(RWBinaryFile&);
template void GGlyphCacheNode::ReadFields(RWDataInStream&);
template void GGlyphCacheNode::WriteFields(RWBinaryFile&) const;
template void GGlyphCacheNode::WriteFields(RWDataOutStream&) const;
