#include "foundation/RWBinaryFile.h"

#include "foundation/RWMessage.h"

#include <io.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(long) == 4, "stored widths");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "stored widths");

RWBinaryFile::RWBinaryFile(const char* name, const char* mode)
    : name_(RWDuplicateText(name)), mode_(), file_(nullptr), lastOp_(LastOp::None), position_(-1)
{
    if (mode) {
        file_ = std::fopen(name_, mode);
        SetMode(mode);
        return;
    }
    file_ = std::fopen(name_, "rb+");
    SetMode("rb+");
    if (!file_) {
        file_ = std::fopen(name_, "wb+");
        SetMode("wb+");
    }
}

RWBinaryFile::~RWBinaryFile()
{
    if (file_)
        std::fclose(file_);
    delete[] name_;
}

void RWBinaryFile::SetMode(const char* mode)
{
    std::strncpy(mode_, mode, sizeof mode_ - 1);
    mode_[sizeof mode_ - 1] = 0;
}

// Binary and not appending: every byte read or written moves the position by one.
bool RWBinaryFile::Tracked() const { return std::strchr(mode_, 'b') && !std::strchr(mode_, 'a'); }

bool RWBinaryFile::Readable() const { return std::strchr(mode_, 'r') || std::strchr(mode_, '+'); }

bool RWBinaryFile::Exists() const { return Exists(name_, 0); }
bool RWBinaryFile::Exists(const char* name) { return Exists(name, 0); }
bool RWBinaryFile::Exists(const char* name, int accessMode) { return name && _access(name, accessMode) == 0; }

void RWBinaryFile::Advance(bool done, size_t n)
{
    if (position_ < 0)
        return;
    position_ = done && n <= size_t(LONG_MAX - position_) ? position_ + long(n) : -1;
}

bool RWBinaryFile::ReadBytes(void* data, size_t size, size_t count)
{
    if (!file_)
        return false;
    if (lastOp_ == LastOp::Write)
        std::fflush(file_);
    lastOp_ = LastOp::Read;
    if (count == 0)
        return true;
    const bool done = std::fread(data, size, count, file_) == count;
    Advance(done, size * count);
    return done;
}

bool RWBinaryFile::WriteBytes(const void* data, size_t size, size_t count)
{
    if (!file_)
        return false;
    if (lastOp_ == LastOp::Read)
        std::fseek(file_, 0, SEEK_CUR);
    lastOp_ = LastOp::Write;
    if (count == 0)
        return true;
    const bool done = std::fwrite(data, size, count, file_) == count;
    Advance(done, size * count);
    return done;
}

bool RWBinaryFile::Read(char& v) { return ReadBytes(&v, 1, 1); }
bool RWBinaryFile::Read(unsigned char& v) { return ReadBytes(&v, 1, 1); }
bool RWBinaryFile::Read(short& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(unsigned short& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(int& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(unsigned int& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(long& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(unsigned long& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(float& v) { return ReadBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Read(double& v) { return ReadBytes(&v, sizeof v, 1); }

bool RWBinaryFile::Read(char* v, size_t n) { return ReadBytes(v, 1, n); }
bool RWBinaryFile::Read(short* v, size_t n) { return ReadBytes(v, sizeof *v, n); }
bool RWBinaryFile::Read(int* v, size_t n) { return ReadBytes(v, sizeof *v, n); }
bool RWBinaryFile::Read(long* v, size_t n) { return ReadBytes(v, sizeof *v, n); }
bool RWBinaryFile::Read(float* v, size_t n) { return ReadBytes(v, sizeof *v, n); }
bool RWBinaryFile::Read(double* v, size_t n) { return ReadBytes(v, sizeof *v, n); }

bool RWBinaryFile::ReadString(char* buffer, size_t size)
{
    if (!buffer || size == 0 || !ReadBytes(nullptr, 1, 0))
        return false;
    // Read a char at a time: where it stops is left to the runtime.
    position_ = -1;
    size_t n = 0;
    for (;;) {
        if (n + 1 == size) {
            buffer[n] = 0;
            return false;
        }
        const int c = std::fgetc(file_);
        if (c == EOF || c == 0)
            break;
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = 0;
    return true;
}

bool RWBinaryFile::Write(char v) { return WriteBytes(&v, 1, 1); }
bool RWBinaryFile::Write(unsigned char v) { return WriteBytes(&v, 1, 1); }
bool RWBinaryFile::Write(short v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(unsigned short v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(int v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(unsigned int v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(long v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(unsigned long v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(float v) { return WriteBytes(&v, sizeof v, 1); }
bool RWBinaryFile::Write(double v) { return WriteBytes(&v, sizeof v, 1); }

bool RWBinaryFile::Write(const char* v, size_t n) { return WriteBytes(v, 1, n); }
bool RWBinaryFile::Write(const short* v, size_t n) { return WriteBytes(v, sizeof *v, n); }
bool RWBinaryFile::Write(const int* v, size_t n) { return WriteBytes(v, sizeof *v, n); }
bool RWBinaryFile::Write(const long* v, size_t n) { return WriteBytes(v, sizeof *v, n); }
bool RWBinaryFile::Write(const float* v, size_t n) { return WriteBytes(v, sizeof *v, n); }
bool RWBinaryFile::Write(const double* v, size_t n) { return WriteBytes(v, sizeof *v, n); }

bool RWBinaryFile::Write(const char* text)
{
    if (!text)
        return false;
    return WriteBytes(text, 1, std::strlen(text) + 1);
}

long RWBinaryFile::CurOffset() { return file_ ? std::ftell(file_) : -1; }

long RWBinaryFile::Remaining()
{
    // Unflushed writes do not show in the file's size yet.
    if (!file_ || (lastOp_ == LastOp::Write && !Flush()))
        return -1;
    const long offset = std::ftell(file_);
    struct _stat info;
    if (offset < 0 || _fstat(_fileno(file_), &info) != 0)
        return -1;
    return info.st_size > offset ? info.st_size - offset : 0;
}

bool RWBinaryFile::SeekToBegin()
{
    if (!file_)
        return false;
    std::rewind(file_);
    lastOp_ = LastOp::None;
    position_ = Tracked() ? 0 : -1;
    return true;
}

bool RWBinaryFile::SeekTo(long offset)
{
    // Already there: the last operation is kept, so that a switch between reading and
    // writing still gets the runtime's flush or seek.
    if (file_ && offset >= 0 && offset == position_)
        return true;
    // A little way ahead of a read (the length word before a record that was not read):
    // read over the gap, mostly out of what the runtime has read ahead already. When
    // the gap cannot be read the real seek follows.
    if (file_ && position_ >= 0 && offset > position_ && offset - position_ <= long(kReadOverLimit) &&
        lastOp_ != LastOp::Write && Readable()) {
        char gap[kReadOverLimit];
        const size_t n = size_t(offset - position_);
        lastOp_ = LastOp::Read;
        if (std::fread(gap, 1, n, file_) == n) {
            position_ = offset;
            return true;
        }
    }
    if (!file_ || std::fseek(file_, offset, SEEK_SET) != 0) {
        position_ = -1;
        return false;
    }
    lastOp_ = LastOp::None;
    position_ = Tracked() ? offset : -1;
    return true;
}

bool RWBinaryFile::SeekToEnd()
{
    position_ = -1;
    if (!file_ || std::fseek(file_, 0, SEEK_END) != 0)
        return false;
    lastOp_ = LastOp::None;
    return true;
}

bool RWBinaryFile::Eof() const { return file_ && std::feof(file_); }
bool RWBinaryFile::Error() const { return file_ && std::ferror(file_); }

bool RWBinaryFile::Flush()
{
    // The runtime may drop what it had read ahead and leave the system's position
    // beyond the stream's: the next seek goes to the system.
    position_ = -1;
    if (!file_ || std::fflush(file_) != 0)
        return false;
    lastOp_ = LastOp::None;
    return true;
}

bool RWBinaryFile::IsEmpty()
{
    // The runtime's buffer may still hold bytes the file's size does not show yet.
    if (!file_ || !Flush())
        return false;
    struct _stat info;
    if (_fstat(_fileno(file_), &info) != 0)
        return false;
    return info.st_size == 0;
}

bool RWBinaryFile::Erase()
{
    position_ = -1;
    if (file_ && std::fclose(file_) != 0) {
        file_ = nullptr;
        return false;
    }
    file_ = nullptr;
    lastOp_ = LastOp::None;
    if (std::remove(name_) != 0)
        return false;
    file_ = std::fopen(name_, "wb+");
    SetMode("wb+");
    return file_ != nullptr;
}

namespace {
template <class T>
RWBinaryFile& ReadNew(RWBinaryFile& file, T*& item)
{
    item = new T();
    file.Read(*item);
    return file;
}
} // namespace

RWBinaryFile& operator>>(RWBinaryFile& file, char*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned char*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, short*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned short*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, int*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned int*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, long*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned long*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, float*& item) { return ReadNew(file, item); }
RWBinaryFile& operator>>(RWBinaryFile& file, double*& item) { return ReadNew(file, item); }
