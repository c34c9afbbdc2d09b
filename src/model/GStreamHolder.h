// Holders that pair a runtime stream over memory or a file with one of the library's
// typed data streams over it, and own both. The system services hand these out.
//
// Stream kinds: 0 portable text, 1 raw host-order binary, 2 binary with a recorded byte
// order; any other kind makes no typed stream.
#pragma once

#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWWString.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <streambuf>

class GStreamHolder {
public:
    GStreamHolder() = default;
    GStreamHolder(const GStreamHolder&) = delete;
    GStreamHolder& operator=(const GStreamHolder&) = delete;
    virtual ~GStreamHolder();

    // The current read or write position of the runtime stream; -1, with the runtime
    // stream's fail state set, when it cannot be told.
    virtual std::streamoff Tell() = 0;
    // Moves the write position to an absolute position (output only); a position that
    // cannot be reached sets the fail state.
    virtual void SeekTo(std::streamoff position) = 0;
};

class GInStreamHolder : public GStreamHolder {
public:
    // Over the caller's bytes, neither copied nor freed.
    GInStreamHolder(const void* data, uint32_t length, int kind);
    // Over a file opened for binary input.
    GInStreamHolder(const RWWString& path, int kind);
    ~GInStreamHolder() override;

    // The typed stream; null for an unknown kind or when it could not be made.
    RWDataInStream* GetStream() const { return stream_.get(); }
    // The runtime stream under it.
    std::istream& Runtime() { return *runtime_; }
    std::streamoff Tell() override;
    void SeekTo(std::streamoff position) override;

private:
    void MakeStream(int kind);

    std::unique_ptr<std::streambuf> buffer_;
    std::unique_ptr<std::istream> runtime_;
    std::unique_ptr<RWDataInStream> stream_;
};

class GOutStreamHolder : public GStreamHolder {
public:
    // Over the caller's buffer of a fixed capacity: a write past its end fails and the
    // buffer never grows; seeking to the end gives the capacity.
    GOutStreamHolder(void* buffer, uint32_t capacity, int kind);
    // Over a file opened for binary output, truncated.
    GOutStreamHolder(const RWWString& path, int kind);
    ~GOutStreamHolder() override;

    RWDataOutStream* GetStream() const { return stream_.get(); }
    std::ostream& Runtime() { return *runtime_; }
    std::streamoff Tell() override;
    void SeekTo(std::streamoff position) override;

private:
    void MakeStream(int kind);

    std::unique_ptr<std::streambuf> buffer_;
    std::unique_ptr<std::ostream> runtime_;
    std::unique_ptr<RWDataOutStream> stream_;
};
