#include "foundation/RWBinaryFile.h"

#include "foundation/RWMessage.h"

#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <vector>

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(long) == 4, "stored widths");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "stored widths");

// The file's bytes in memory, in chunks of equal size keyed by their number. Bytes past
// what the file on disk holds and never written read as zero, as a gap in a file does.
struct RWBinaryFile::Image {
    struct Chunk {
        std::vector<char> bytes;
        // The changed bytes, [from, to) within the chunk; empty when from == to.
        size_t from = 0;
        size_t to = 0;
        uint64_t touched = 0;
    };

    Image(size_t chunkBytes, size_t most) : chunkBytes(chunkBytes), most(most) {}

    // The chunk of the number, read from the file when it holds any of its bytes; null
    // when it cannot be had (the file refused a read or a write back).
    Chunk* Get(FILE* file, size_t number)
    {
        // Most reads and writes fall in the chunk of the one before.
        if (last && lastNumber == number) {
            last->touched = ++clock;
            return last;
        }
        const auto found = chunks.find(number);
        if (found != chunks.end()) {
            found->second.touched = ++clock;
            last = &found->second, lastNumber = number;
            return last;
        }
        if (chunks.size() >= most) {
            // Every changed byte goes out in order before a chunk is let go.
            if (!WriteBack(file))
                return nullptr;
            auto oldest = chunks.begin();
            for (auto it = chunks.begin(); it != chunks.end(); ++it)
                if (it->second.touched < oldest->second.touched)
                    oldest = it;
            chunks.erase(oldest);
            last = nullptr;
        }
        Chunk chunk;
        chunk.bytes.assign(chunkBytes, 0);
        const uint64_t start = uint64_t(number) * chunkBytes;
        if (start < uint64_t(disk)) {
            const size_t n = size_t(std::min<uint64_t>(chunkBytes, uint64_t(disk) - start));
            ++reads;
            if (std::fseek(file, long(start), SEEK_SET) != 0 || std::fread(chunk.bytes.data(), 1, n, file) != n) {
                failed = true;
                return nullptr;
            }
        }
        chunk.touched = ++clock;
        last = &chunks.emplace(number, std::move(chunk)).first->second, lastNumber = number;
        return last;
    }

    // Writes the changed bytes of every chunk, in ascending order of offset.
    bool WriteBack(FILE* file)
    {
        for (auto& entry : chunks) {
            Chunk& chunk = entry.second;
            if (chunk.from == chunk.to)
                continue;
            const uint64_t start = uint64_t(entry.first) * chunkBytes + chunk.from;
            const size_t n = chunk.to - chunk.from;
            ++writes;
            if (std::fseek(file, long(start), SEEK_SET) != 0 ||
                std::fwrite(chunk.bytes.data() + chunk.from, 1, n, file) != n) {
                failed = true;
                return false;
            }
            disk = std::max(disk, long(start + n));
            chunk.from = chunk.to = 0;
        }
        return true;
    }

    bool Read(FILE* file, void* data, size_t n)
    {
        char* out = static_cast<char*>(data);
        const size_t available = pos < size ? size_t(size - pos) : 0;
        size_t left = std::min(n, available);
        while (left > 0) {
            Chunk* chunk = Get(file, size_t(pos) / chunkBytes);
            if (!chunk)
                return false;
            const size_t at = size_t(pos) % chunkBytes, k = std::min(left, chunkBytes - at);
            std::memcpy(out, chunk->bytes.data() + at, k);
            out += k, left -= k, pos += long(k);
        }
        if (n > available) {
            eof = true;
            return false;
        }
        return true;
    }

    bool Write(FILE* file, const void* data, size_t n)
    {
        if (n > size_t(LONG_MAX - pos))
            return false;
        const char* in = static_cast<const char*>(data);
        while (n > 0) {
            Chunk* chunk = Get(file, size_t(pos) / chunkBytes);
            if (!chunk)
                return false;
            const size_t at = size_t(pos) % chunkBytes, k = std::min(n, chunkBytes - at);
            std::memcpy(chunk->bytes.data() + at, in, k);
            if (chunk->from == chunk->to)
                chunk->from = at, chunk->to = at + k;
            else
                chunk->from = std::min(chunk->from, at), chunk->to = std::max(chunk->to, at + k);
            in += k, n -= k, pos += long(k);
            size = std::max(size, pos);
        }
        return true;
    }

    const size_t chunkBytes;
    const size_t most;
    std::map<size_t, Chunk> chunks;
    // The file's size as read and written through here, and what the file on disk holds.
    long size = 0;
    long disk = 0;
    long pos = 0;
    bool eof = false;
    bool failed = false;
    uint64_t clock = 0;
    // The chunk used last (std::map keeps its elements in place).
    Chunk* last = nullptr;
    size_t lastNumber = 0;
    size_t reads = 0;
    size_t writes = 0;
};

RWBinaryFile::RWBinaryFile(const char* name, const char* mode)
    : name_(RWDuplicateText(name)), mode_(), file_(nullptr), lastOp_(LastOp::None), position_(-1)
{
    if (mode) {
        file_ = std::fopen(name_, mode);
        SetMode(mode);
        return;
    }
    // A file that is not there is made at once: asking whether it exists is cheaper on
    // the system than an open that fails.
    if (Exists(name_, 0)) {
        file_ = std::fopen(name_, "rb+");
        SetMode("rb+");
    }
    if (!file_) {
        file_ = std::fopen(name_, "wb+");
        SetMode("wb+");
    }
}

RWBinaryFile::~RWBinaryFile()
{
    if (file_) {
        WriteBack();
        std::fclose(file_);
    }
    delete[] name_;
}

bool RWBinaryFile::Buffer(size_t chunkBytes, size_t chunks)
{
    if (image_)
        return true;
    // Only a binary file opened for reading and writing ("r+", "w+") can be held in memory.
    if (!file_ || chunkBytes == 0 || chunks == 0 || !Tracked() || !std::strchr(mode_, '+'))
        return false;
    // The size from the end of the file: a seek stays in the process where asking the
    // system about the file would not.
    const long offset = std::fflush(file_) == 0 ? std::ftell(file_) : -1;
    if (offset < 0 || std::fseek(file_, 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file_);
    if (std::fseek(file_, offset, SEEK_SET) != 0 || size < 0)
        return false;
    std::unique_ptr<Image> image(new (std::nothrow) Image(chunkBytes, chunks));
    if (!image)
        return false;
    // Whole chunks go to and from the system in one call each: the runtime's own buffer
    // would only copy them once more.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    image->size = image->disk = size;
    image->pos = offset;
    image_ = std::move(image);
    return true;
}

bool RWBinaryFile::WriteBack() { return !image_ || !file_ || image_->WriteBack(file_); }

size_t RWBinaryFile::FileReads() const { return image_ ? image_->reads : 0; }
size_t RWBinaryFile::FileWrites() const { return image_ ? image_->writes : 0; }

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
    if (image_)
        return image_->Read(file_, data, size * count);
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
    if (image_)
        return image_->Write(file_, data, size * count);
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
    if (image_) {
        size_t n = 0;
        for (;;) {
            if (n + 1 == size) {
                buffer[n] = 0;
                return false;
            }
            char c = 0;
            if (!image_->Read(file_, &c, 1) || c == 0)
                break;
            buffer[n++] = c;
        }
        buffer[n] = 0;
        return true;
    }
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

long RWBinaryFile::CurOffset()
{
    if (file_ && image_)
        return image_->pos;
    return file_ ? std::ftell(file_) : -1;
}

long RWBinaryFile::Remaining()
{
    if (file_ && image_)
        return image_->size > image_->pos ? image_->size - image_->pos : 0;
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
    if (image_) {
        image_->pos = 0, image_->eof = false;
        return true;
    }
    std::rewind(file_);
    lastOp_ = LastOp::None;
    position_ = Tracked() ? 0 : -1;
    return true;
}

bool RWBinaryFile::SeekTo(long offset)
{
    if (file_ && image_) {
        if (offset < 0)
            return false;
        image_->pos = offset, image_->eof = false;
        return true;
    }
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
    if (file_ && image_) {
        image_->pos = image_->size, image_->eof = false;
        return true;
    }
    position_ = -1;
    if (!file_ || std::fseek(file_, 0, SEEK_END) != 0)
        return false;
    lastOp_ = LastOp::None;
    return true;
}

bool RWBinaryFile::Eof() const { return file_ && (image_ ? image_->eof : std::feof(file_) != 0); }
bool RWBinaryFile::Error() const { return file_ && (std::ferror(file_) || (image_ && image_->failed)); }

bool RWBinaryFile::Flush()
{
    if (file_ && image_)
        return image_->WriteBack(file_) && std::fflush(file_) == 0;
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
    if (file_ && image_)
        return image_->size == 0;
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
    // What was held in memory goes with the file; a new file is buffered alike.
    std::unique_ptr<Image> image(std::move(image_));
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
    if (file_ && image)
        Buffer(image->chunkBytes, image->most);
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
