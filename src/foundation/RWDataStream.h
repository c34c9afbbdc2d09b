// The state shared by every typed data stream: one word of bits, kept in the runtime
// stream that each implementation embeds over the caller's stream buffer.
#pragma once

#include <cstdint>
#include <ios>
#include <streambuf>

class RWDataStream {
public:
    // State bits; 0 is good.
    static constexpr uint32_t kEof = 1;
    static constexpr uint32_t kFail = 2;
    static constexpr uint32_t kBad = 4;

    virtual ~RWDataStream();

    // True when the end of the data was reached.
    virtual bool Eof() const;
    // True when an operation failed or the stream is bad (as a runtime stream answers).
    virtual bool Fail() const;
    virtual bool Bad() const;
    virtual bool Good() const;
    virtual uint32_t State() const;
    // Replaces the whole state word.
    virtual void SetState(uint32_t state);

protected:
    RWDataStream() = default;
    RWDataStream(const RWDataStream&) = delete;
    RWDataStream& operator=(const RWDataStream&) = delete;

    // Each implementation calls this once from its constructor with its runtime stream.
    void Attach(std::ios& stream) { ios_ = &stream; }
    // Sets the given bits in addition to those already set.
    void AddState(uint32_t bits) { SetState(State() | bits); }
    // The caller's stream buffer, or null.
    std::streambuf* StreamBuffer() const { return ios_ ? ios_->rdbuf() : nullptr; }

private:
    std::ios* ios_ = nullptr;
};
