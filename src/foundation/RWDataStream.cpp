#include "foundation/RWDataStream.h"

namespace {

// The runtime's own bit values are its choice; the state word's are fixed.
struct BitPair {
    uint32_t word;
    std::ios::iostate runtime;
};

const BitPair kBitPairs[] = {
    {RWDataStream::kEof, std::ios::eofbit},
    {RWDataStream::kFail, std::ios::failbit},
    {RWDataStream::kBad, std::ios::badbit},
};

} // namespace

RWDataStream::~RWDataStream() = default;

bool RWDataStream::Eof() const { return (State() & kEof) != 0; }
bool RWDataStream::Fail() const { return (State() & (kFail | kBad)) != 0; }
bool RWDataStream::Bad() const { return (State() & kBad) != 0; }
bool RWDataStream::Good() const { return State() == 0; }

uint32_t RWDataStream::State() const
{
    if (!ios_)
        return kBad;
    const std::ios::iostate runtime = ios_->rdstate();
    uint32_t word = 0;
    for (const BitPair& pair : kBitPairs)
        if (runtime & pair.runtime)
            word |= pair.word;
    return word;
}

void RWDataStream::SetState(uint32_t state)
{
    if (!ios_)
        return;
    std::ios::iostate runtime = std::ios::goodbit;
    for (const BitPair& pair : kBitPairs)
        if (state & pair.word)
            runtime |= pair.runtime;
    ios_->clear(runtime);
}
