// The job's output channel: a byte sink with a name (a port or a file) and a small state
// machine that brackets the job and its data. Concrete channels supply the sink, the
// page boundary and whether they can be used; the base keeps the order of the steps.
// Every step that is not allowed in the current state answers 1 and changes nothing.
//
// The base destructor cannot reach a concrete channel's overrides (that part of the
// object is gone by then): a concrete channel that must end its data and close on its
// sink does so in its own destructor.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"

#include <cstdint>

class GOutputChannel {
public:
    enum State : uint32_t { kClosed = 0, kOpen = 1, kInData = 2, kFinished = 3 };

    explicit GOutputChannel(const RWCString& name);
    GOutputChannel(const GOutputChannel&) = delete;
    GOutputChannel& operator=(const GOutputChannel&) = delete;
    // Ends the data and closes a channel that is still open, in the base's own steps.
    virtual ~GOutputChannel();

    // Starts the job under the document name: from closed to open.
    virtual int16_t Open(const RWWString& documentName);
    virtual int16_t BeginData();
    // 1 unless the channel is open or in its data.
    virtual int32_t IsNotOpen() const;
    // The sink: hands the bytes on, answers its own status.
    virtual int16_t WriteBytes(const void* data, uint32_t length) = 0;
    // Enters the data first when the channel is only open.
    virtual int16_t Write(const RWCString& text);
    // The page boundary: back from the data to open.
    virtual int16_t EndData();
    virtual int16_t Close();
    // Ends the data and closes whatever the state; nothing reopens the channel after it.
    // It is also how a job is abandoned.
    virtual int16_t Finish();
    // The page boundary on the concrete sink: what it has is flushed.
    virtual int16_t PageBoundary() = 0;
    // Whether the concrete channel can be used; a fresh channel that its provider made
    // usable answers true before it is opened.
    virtual bool IsOpen() const = 0;

    int16_t Abort() { return Finish(); }
    uint32_t GetBytesWritten() const { return bytesWritten_; }
    const RWCString& GetName() const { return name_; }
    uint32_t GetState() const { return state_; }

protected:
    void CountWritten(uint32_t bytes) { bytesWritten_ += bytes; }

private:
    uint32_t bytesWritten_;
    RWCString name_;
    uint32_t state_;
};
