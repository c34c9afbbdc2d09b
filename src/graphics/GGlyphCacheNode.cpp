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

GGlyphCacheNode* GGlyphCacheNode::WithFirstCopy(const uint8_t* bytes, uint32_t length)
{
    uint8_t* copy = GCopyBlock(bytes, length);
    if (length != 0 && !copy)
        return nullptr;
    GGlyphCacheNode* node = new (std::nothrow) GGlyphCacheNode;
    if (!node) {
        delete[] copy;
        return nullptr;
    }
    node->first_.data = copy;
    node->first_.length = copy ? length : 0;
    return node;
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

bool GGlyphCacheNode::IsEqual(const RWCollectable* other) const
{
    const GGlyphCacheNode* node = dynamic_cast<const GGlyphCacheNode*>(other);
    if (node == this)
        return true;
    return node && node->ClassId() == ClassId() && GObjectBase::IsSame(node) && node->first_.length == first_.length &&
           GSameBytes(node->first_.data, first_.data, first_.length);
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
