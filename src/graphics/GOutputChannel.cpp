#include "graphics/GOutputChannel.h"

GOutputChannel::GOutputChannel(const RWCString& name) : bytesWritten_(0), name_(name), state_(kClosed) {}

GOutputChannel::~GOutputChannel()
{
    if (state_ == kInData)
        GOutputChannel::EndData();
    if (state_ == kOpen)
        GOutputChannel::Close();
}

int16_t GOutputChannel::Open(const RWWString&)
{
    if (state_ != kClosed)
        return 1;
    state_ = kOpen;
    return 0;
}

int16_t GOutputChannel::BeginData()
{
    if (state_ != kOpen && state_ != kInData)
        return 1;
    state_ = kInData;
    return 0;
}

int32_t GOutputChannel::IsNotOpen() const { return state_ < kOpen || state_ > kInData; }

int16_t GOutputChannel::Write(const RWCString& text)
{
    if (state_ == kOpen) {
        const int16_t status = BeginData();
        if (status != 0)
            return status;
    }
    if (state_ != kInData)
        return 1;
    return WriteBytes(text.Data(), uint32_t(text.Length()));
}

int16_t GOutputChannel::EndData()
{
    if (state_ == kInData) {
        state_ = kOpen;
        return 0;
    }
    return state_ == kOpen ? 0 : 1;
}

int16_t GOutputChannel::Close()
{
    if (state_ == kInData)
        EndData();
    if (state_ != kOpen)
        return 1;
    state_ = kClosed;
    return 0;
}

int16_t GOutputChannel::Finish()
{
    if (state_ == kInData)
        EndData();
    if (state_ == kOpen)
        Close();
    state_ = kFinished;
    return 0;
}
