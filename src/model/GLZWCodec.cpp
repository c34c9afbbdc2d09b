#include "model/GLZWCodec.h"

#include "model/GBitStream.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <memory>
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

GLZWCodec::GLZWCodec() : pages_(), nextCode_(kFirstFreeCode), codeWidth_(9), largestCode_(511) {}

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

namespace {

// Codes are read a byte at a time as their bits are needed, so the input is left just
// behind the last byte the codes touched, as a bit-at-a-time reader would leave it.
class CodeReader {
public:
    explicit CodeReader(std::istream& in) : in_(in), source_(in.good() ? in.rdbuf() : nullptr) {}

    // The end of the input (or a stream not good to begin with) marks it failed at end.
    bool Read(uint32_t width, uint32_t& code)
    {
        while (count_ < width) {
            const int next = source_ ? source_->sbumpc() : std::char_traits<char>::eof();
            if (next == std::char_traits<char>::eof()) {
                in_.setstate(std::ios::eofbit | std::ios::failbit);
                source_ = nullptr;
                return false;
            }
            bits_ = bits_ << 8 | uint8_t(next);
            count_ += 8;
        }
        count_ -= width;
        code = bits_ >> count_ & ((1u << width) - 1);
        return true;
    }

private:
    std::istream& in_;
    std::streambuf* source_;
    uint32_t bits_ = 0;
    uint32_t count_ = 0;
};

// Grows a buffer to hold at least needed items (at most limit), keeping the first used
// ones; false when the memory could not be had.
template <class T>
bool Grow(std::unique_ptr<T[]>& buffer, uint32_t& capacity, uint32_t needed, uint32_t used, uint32_t limit,
          uint32_t slack = 0)
{
    if (needed <= capacity)
        return true;
    uint32_t size = std::max<uint32_t>(capacity, 4096);
    while (size < needed)
        size *= 2;
    size = std::min(size, limit);
    std::unique_ptr<T[]> bigger(new (std::nothrow) T[size + slack]);
    if (!bigger)
        return false;
    if (used != 0)
        std::memcpy(bigger.get(), buffer.get(), sizeof(T) * used);
    buffer.swap(bigger);
    capacity = size;
    return true;
}

// Most strings are a few dozen bytes: copied eight at a time, up to seven bytes past
// the end, which the window's slack holds. The source ends where the target begins.
inline void CopyForward(uint8_t* to, const uint8_t* from, uint32_t length)
{
    for (uint32_t i = 0; i < length; i += 8)
        std::memcpy(to + i, from + i, 8);
}

// The decoder's output and its table. Every code made since the last reset stands for
// a string that was written out whole, so an entry is where that string last appeared
// (moved to each new use, which keeps often used strings near) and its length: decoding
// a code is one copy inside the window of recent output. The window is written to the
// stream when it fills, keeping its last part; a code whose string has gone from it
// is walked back through its prefixes to the first one still inside, or to its first
// byte. Positions count from the last reset: fewer than 32768 codes of fewer than 32768
// bytes each stay below 2^32. Window and table grow as needed, so short data touch
// little memory.
class DecodeWindow {
public:
    // The window's full size and the part kept when it moves on; the part kept and the
    // longest string fit together.
    static constexpr uint32_t kWindow = 1u << 18;
    static constexpr uint32_t kKept = 1u << 16;
    static constexpr uint32_t kSlack = 8;
    static constexpr uint32_t kFirstCode = 259;
    static constexpr uint32_t kCodes = 32768 - kFirstCode;

    explicit DecodeWindow(std::ostream& out) : out_(out) {}

    // Writes what has not been written; false (and the stream marked bad) when refused.
    bool Flush()
    {
        const uint32_t pending = position_ - written_;
        if (pending == 0)
            return true;
        std::streambuf* sink = out_.rdbuf();
        const char* from = reinterpret_cast<const char*>(window_.get() + (written_ - start_));
        if (!out_.good() || !sink || sink->sputn(from, pending) != std::streamsize(pending)) {
            out_.setstate(std::ios::badbit);
            return false;
        }
        written_ = position_;
        return true;
    }

    // After a reset nothing before it is referred to again.
    bool Reset()
    {
        if (!Flush())
            return false;
        start_ = written_ = position_ = 0;
        made_ = 0;
        return true;
    }

    uint32_t Length(uint32_t code) const { return code < 256 ? 1 : codes_[code - kFirstCode].length; }

    // Appends the string of code (a byte below 256, else a made code), followed by its
    // own first byte when repeat is set (a code the coder used as soon as it made it).
    // False when the window could not be had or the stream refused its bytes.
    bool Put(uint32_t code, bool repeat)
    {
        const uint32_t length = Length(code);
        uint8_t* to = Room(length + (repeat ? 1 : 0));
        if (!to)
            return false;
        if (code < 256) {
            to[0] = uint8_t(code);
        } else {
            Copy(code, length, to);
            codes_[code - kFirstCode].at = position_;
        }
        if (repeat)
            to[length] = to[0];
        last_ = position_;
        lastLength_ = length + (repeat ? 1 : 0);
        position_ += lastLength_;
        return true;
    }

    // Makes the next code: the string written before the last one (code old, written at
    // oldAt) and the first byte of the last one, which follows it.
    bool Make(uint32_t old, uint32_t oldAt, uint32_t oldLength)
    {
        if (!Grow(codes_, codeCapacity_, made_ + 1, made_, kCodes))
            return false;
        codes_[made_++] = Code{oldAt, oldLength + 1, uint16_t(old), window_[last_ - start_]};
        return true;
    }

    uint32_t LastAt() const { return last_; }
    uint32_t LastLength() const { return lastLength_; }

private:
    struct Code {
        uint32_t at;
        uint32_t length;
        uint16_t prefix;
        uint8_t last;
    };

    // Room for length bytes at the end of the window, growing it or moving it on.
    uint8_t* Room(uint32_t length)
    {
        const uint32_t needed = position_ - start_ + length;
        if (needed > kWindow) {
            if (!Flush())
                return nullptr;
            const uint32_t kept = std::min(kKept, position_ - start_);
            std::memmove(window_.get(), window_.get() + (position_ - start_ - kept), kept);
            start_ = position_ - kept;
        } else if (!Grow(window_, windowCapacity_, needed, position_ - start_, kWindow, kSlack)) {
            return nullptr;
        }
        return window_.get() + (position_ - start_);
    }

    void Copy(uint32_t code, uint32_t length, uint8_t* to)
    {
        const Code* entry = &codes_[code - kFirstCode];
        if (entry->at >= start_) {
            CopyForward(to, window_.get() + (entry->at - start_), length);
            return;
        }
        // Gone from the window: the bytes behind the first prefix still inside are filled
        // from the end, so that prefix is copied exactly.
        for (;;) {
            to[--length] = entry->last;
            code = entry->prefix;
            if (code < kFirstCode) {
                to[0] = uint8_t(code);
                return;
            }
            entry = &codes_[code - kFirstCode];
            if (entry->at >= start_) {
                std::memcpy(to, window_.get() + (entry->at - start_), length);
                return;
            }
        }
    }

    std::ostream& out_;
    std::unique_ptr<uint8_t[]> window_;
    std::unique_ptr<Code[]> codes_;
    uint32_t windowCapacity_ = 0;
    uint32_t codeCapacity_ = 0;
    uint32_t made_ = 0;
    uint32_t start_ = 0;
    uint32_t written_ = 0;
    uint32_t position_ = 0;
    uint32_t last_ = 0;
    uint32_t lastLength_ = 0;
};

} // namespace

uint32_t GLZWCodec::Decompress(std::istream& in, std::ostream& out)
{
    CodeReader codes(in);
    DecodeWindow window(out);
    // Every way out writes what was decoded up to there, as the stream would have had it.
    auto finish = [&](uint32_t result) { return window.Flush() ? result : 0; };

    for (;;) {
        // After the start or a reset: a single byte, the end, or another reset.
        ResetTable(false);
        if (!window.Reset())
            return 0;
        uint32_t code = 0;
        if (!codes.Read(codeWidth_, code))
            return finish(0);
        if (code == kEndCode)
            return finish(1);
        if (code == kResetCode)
            continue;
        if (code > 255)
            return finish(0);
        if (!window.Put(code, false))
            return finish(0);
        uint32_t old = code;

        for (;;) {
            if (!codes.Read(codeWidth_, code))
                return finish(0);
            if (code == kEndCode)
                return finish(1);
            if (code == kResetCode)
                break;
            if (code == kWidenCode) {
                if (codeWidth_ == kMaxWidth)
                    return finish(0);
                ++codeWidth_;
                largestCode_ = largestCode_ * 2 + 1;
                continue;
            }
            if (code > nextCode_)
                return finish(0);
            const uint32_t oldAt = window.LastAt(), oldLength = window.LastLength();
            const bool repeat = code == nextCode_;
            if (!window.Put(repeat ? old : code, repeat) || !window.Make(old, oldAt, oldLength))
                return finish(0);
            if (++nextCode_ >= kCodeLimit)
                return finish(0);
            old = code;
        }
    }
}
