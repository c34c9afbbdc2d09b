#include "model/GLZWCodec.h"

#include "model/GBitStream.h"

#include <istream>
#include <new>
#include <ostream>

namespace {

const uint32_t kEndCode = 256;
const uint32_t kWidenCode = 257;
const uint32_t kResetCode = 258;
const uint32_t kFirstFreeCode = 259;
// The decoder's codes stay below this; reaching it means a reset was due.
const uint32_t kCodeLimit = 32768;
const uint32_t kMaxWidth = 15;
const uint32_t kEmpty = 0xFFFFFFFFu;

} // namespace

GLZWCodec::GLZWCodec() : pages_(), stack_(), nextCode_(kFirstFreeCode), codeWidth_(9), largestCode_(511) {}

GLZWCodec::~GLZWCodec() { FreePages(); }

void GLZWCodec::FreePages()
{
    for (Entry*& page : pages_) {
        delete[] page;
        page = nullptr;
    }
}

// Pages are made when a slot in them is first stored; a missing page holds only empty
// slots. Small inputs so touch a few pages instead of the whole table.
GLZWCodec::Entry* GLZWCodec::MakePage(uint32_t index)
{
    Entry*& page = pages_[index / kPageEntries];
    if (!page) {
        page = new (std::nothrow) Entry[kPageEntries];
        if (!page) {
            FreePages();
            return nullptr;
        }
        for (uint32_t i = 0; i < kPageEntries; ++i)
            page[i] = Entry{kEmpty, 0, 0};
    }
    return page;
}

void GLZWCodec::ResetTable(bool clearEntries)
{
    if (clearEntries)
        for (Entry* page : pages_)
            for (uint32_t i = 0; page && i < kPageEntries; ++i)
                page[i].code = kEmpty;
    nextCode_ = kFirstFreeCode;
    codeWidth_ = 9;
    largestCode_ = 511;
}

// Double hashing over a prime-sized table, so every slot is reached and the table never
// fills: it holds at most 32768 - 259 entries before a reset.
uint32_t GLZWCodec::FindSlot(uint32_t prefix, uint32_t character)
{
    uint32_t slot = (character << 7) ^ prefix;
    const uint32_t step = slot == 0 ? 1 : kTableSize - slot;
    for (;;) {
        const Entry* page = pages_[slot / kPageEntries];
        if (!page)
            return slot;
        const Entry& entry = page[slot % kPageEntries];
        if (entry.code == kEmpty || (entry.prefix == prefix && entry.character == character))
            return slot;
        if (step > slot)
            slot += kTableSize;
        slot -= step;
    }
}

uint32_t GLZWCodec::Compress(std::istream& in, std::ostream& out)
{
    ResetTable(true);
    GBitStream bits(out);
    std::streambuf* source = in.good() ? in.rdbuf() : nullptr;
    const int eof = std::char_traits<char>::eof();

    int next = source ? source->sbumpc() : eof;
    uint32_t s = next == eof ? kEndCode : uint32_t(uint8_t(next));
    while (next != eof && (next = source->sbumpc()) != eof) {
        const uint32_t c = uint8_t(next);
        const uint32_t slot = FindSlot(s, c);
        const Entry* page = pages_[slot / kPageEntries];
        if (page && page[slot % kPageEntries].code != kEmpty) {
            s = page[slot % kPageEntries].code;
            continue;
        }
        if (!MakePage(slot))
            return 0;
        Entry& entry = At(slot);
        entry.code = nextCode_++;
        entry.prefix = s;
        entry.character = uint8_t(c);
        if (!bits.WriteBits(s, codeWidth_))
            return 0;
        s = c;
        if (nextCode_ < kCodeLimit && nextCode_ > largestCode_) {
            if (!bits.WriteBits(kWidenCode, codeWidth_))
                return 0;
            ++codeWidth_;
            largestCode_ = largestCode_ * 2 + 1;
        } else if (nextCode_ >= kCodeLimit) {
            if (!bits.WriteBits(kResetCode, codeWidth_))
                return 0;
            ResetTable(true);
        }
    }
    in.setstate(std::ios::eofbit);
    if (!bits.WriteBits(s, codeWidth_) || !bits.WriteBits(kEndCode, codeWidth_))
        return 0;
    return bits.Flush();
}

// The stack fills from its top down, so an expansion ends up in reading order and is
// written in one piece. Every entry's prefix is a smaller code, so the walk ends; the
// depth check keeps it inside the stack whatever the table holds.
uint32_t GLZWCodec::Expand(uint32_t code, int32_t extra)
{
    uint32_t top = kTableSize;
    if (extra >= 0)
        stack_[--top] = uint8_t(extra);
    while (code >= kFirstFreeCode) {
        if (top == 0)
            return 0;
        const Entry& entry = At(code);
        stack_[--top] = entry.character;
        code = entry.prefix;
    }
    if (top == 0)
        return 0;
    stack_[--top] = uint8_t(code);
    return kTableSize - top;
}

uint32_t GLZWCodec::Decompress(std::istream& in, std::ostream& out)
{
    GBitStream bits(in);
    std::streambuf* sink = out.rdbuf();

    for (;;) {
        // After the start or a reset: a single byte, the end, or another reset. The
        // decoder reads only entries it has stored since, so the old ones may stay.
        ResetTable(false);
        uint32_t code = 0;
        if (!bits.ReadBits(&code, codeWidth_))
            return 0;
        if (code == kEndCode)
            return 1;
        if (code == kResetCode)
            continue;
        if (code > 255)
            return 0;
        const char single = char(code);
        if (!out.good() || !sink || sink->sputn(&single, 1) != 1) {
            out.setstate(std::ios::badbit);
            return 0;
        }
        uint32_t old = code;
        uint32_t first = code;

        for (;;) {
            if (!bits.ReadBits(&code, codeWidth_))
                return 0;
            if (code == kEndCode)
                return 1;
            if (code == kResetCode)
                break;
            if (code == kWidenCode) {
                if (codeWidth_ == kMaxWidth)
                    return 0;
                ++codeWidth_;
                largestCode_ = largestCode_ * 2 + 1;
                continue;
            }
            if (code > nextCode_)
                return 0;
            const uint32_t length = code < nextCode_ ? Expand(code, -1) : Expand(old, int32_t(first));
            if (length == 0)
                return 0;
            const uint8_t* bytes = stack_ + kTableSize - length;
            if (!out.good() || sink->sputn(reinterpret_cast<const char*>(bytes), length) != std::streamsize(length)) {
                out.setstate(std::ios::badbit);
                return 0;
            }
            first = bytes[0];
            if (!MakePage(nextCode_))
                return 0;
            Entry& entry = At(nextCode_);
            entry.code = nextCode_;
            entry.prefix = old;
            entry.character = uint8_t(first);
            if (++nextCode_ >= kCodeLimit)
                return 0;
            old = code;
        }
    }
}
