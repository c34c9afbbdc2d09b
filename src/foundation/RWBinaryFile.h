// A typed binary file over a runtime stream: fixed-width values in the host's byte
// order, each read or write answering whether the whole item went through.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

class RWBinaryFile {
public:
    // With a mode, opens with it; without, opens an existing file "rb+" and otherwise
    // creates it "wb+". A file that cannot be opened leaves Handle() null.
    explicit RWBinaryFile(const char* name, const char* mode = nullptr);
    ~RWBinaryFile();
    RWBinaryFile(const RWBinaryFile&) = delete;
    RWBinaryFile& operator=(const RWBinaryFile&) = delete;

    // Keeps the file's bytes in memory from now on, in chunks of chunkBytes read whole
    // from the file as they are first needed: reads and writes are served from memory,
    // and changed bytes reach the file in ascending order of offset at Flush, when
    // the file is destroyed, and whenever a chunk more than the bound would be held (the
    // chunk touched longest ago then goes). A file that cannot be read and written
    // stays unbuffered: false. A failed write back sets the error flag (Error) for good.
    bool Buffer(size_t chunkBytes, size_t chunks);
    bool IsBuffered() const { return image_ != nullptr; }
    // Writes the changed chunks back without flushing the runtime's stream; false when
    // a write failed. Without buffering, true.
    bool WriteBack();
    // Calls to the system that read or wrote the file's bytes since it was buffered.
    size_t FileReads() const;
    size_t FileWrites() const;

    const char* GetName() const { return name_; }
    // The mode the file was opened with: the given one, "rb+" or "wb+".
    const char* Mode() const { return mode_; }
    FILE* Handle() const { return file_; }
    bool IsValid() const { return file_ != nullptr; }

    bool Exists() const;
    static bool Exists(const char* name);
    static bool Exists(const char* name, int accessMode);

    bool Read(char& v);
    bool Read(unsigned char& v);
    bool Read(short& v);
    bool Read(unsigned short& v);
    bool Read(int& v);
    bool Read(unsigned int& v);
    bool Read(long& v);
    bool Read(unsigned long& v);
    bool Read(float& v);
    bool Read(double& v);

    bool Read(char* v, size_t n);
    bool Read(short* v, size_t n);
    bool Read(int* v, size_t n);
    bool Read(long* v, size_t n);
    bool Read(float* v, size_t n);
    bool Read(double* v, size_t n);

    // Reads a NUL-terminated text into a buffer of the given size (terminator included).
    // True when a NUL or the end of the file ended the text; false when the buffer
    // filled first (what fitted is stored, terminated) or the size is 0.
    bool ReadString(char* buffer, size_t size);

    bool Write(char v);
    bool Write(unsigned char v);
    bool Write(short v);
    bool Write(unsigned short v);
    bool Write(int v);
    bool Write(unsigned int v);
    bool Write(long v);
    bool Write(unsigned long v);
    bool Write(float v);
    bool Write(double v);

    bool Write(const char* v, size_t n);
    bool Write(const short* v, size_t n);
    bool Write(const int* v, size_t n);
    bool Write(const long* v, size_t n);
    bool Write(const float* v, size_t n);
    bool Write(const double* v, size_t n);

    // Writes the text and its terminating NUL.
    bool Write(const char* text);

    long CurOffset();
    // Bytes from the current position to the end of the file; -1 when not known. Lets a
    // reader check a stored length against what the file can still supply.
    long Remaining();
    bool SeekToBegin();
    bool SeekTo(long offset);
    bool SeekToEnd();
    bool Eof() const;
    bool Error() const;
    bool Flush();
    bool IsEmpty();
    // Closes, deletes and re-creates the file empty ("wb+").
    bool Erase();

private:
    enum class LastOp { None, Read, Write };
    struct Image;

    bool ReadBytes(void* data, size_t size, size_t count);
    bool WriteBytes(const void* data, size_t size, size_t count);
    void SetMode(const char* mode);
    bool Tracked() const;
    bool Readable() const;
    // The widest gap a seek ahead of a read reads over rather than seeks.
    static const size_t kReadOverLimit = 256;

    // The position after a read or write of n bytes; unknown after a short one.
    void Advance(bool done, size_t n);

    char* name_;
    char mode_[9];
    FILE* file_;
    // The C runtime needs a seek or flush between a write and a read on one stream.
    LastOp lastOp_;
    // The stream's position when this object knows it (binary modes that do not
    // append), else -1. A seek to where the stream already is is left out, and one a
    // short way ahead of a read reads over the gap: a real seek drops the runtime's
    // buffer and asks the system, and a records file seeks before every item it reads
    // or writes, most often to where the last one ended or just behind it.
    long position_;
    // The bytes in memory while the file is buffered.
    std::unique_ptr<Image> image_;
};

// Heap-allocating readers: each allocates one item, stores its address and reads into
// it. The caller owns the item; the read's result is not reported.
RWBinaryFile& operator>>(RWBinaryFile& file, char*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned char*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, short*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned short*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, int*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned int*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, long*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, unsigned long*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, float*& item);
RWBinaryFile& operator>>(RWBinaryFile& file, double*& item);
