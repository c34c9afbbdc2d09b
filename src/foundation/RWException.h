// The foundation library's error objects. The library never throws: it builds one of
// these, hands it to the error handler (RWErrorHandler.h) and carries on when the
// handler returns.
#pragma once

#include <cstdint>
#include <cstdio>

class RWMessageText;

class RWException {
public:
    explicit RWException(const char* text);
    explicit RWException(const RWMessageText& text);
    // Copies the text only when copy is set; otherwise the caller keeps it alive.
    RWException(const char* text, bool copy);
    RWException(const RWException& other);
    RWException& operator=(const RWException&) = delete;
    virtual ~RWException();

    const char* Why() const { return text_; }
    bool OwnsText() const { return ownsText_ != 0; }

private:
    const char* text_;
    uint32_t ownsText_;
};

class RWOutOfMemoryError : public RWException {
public:
    explicit RWOutOfMemoryError(uint32_t requested);
    uint32_t Requested() const { return requested_; }

private:
    uint32_t requested_;
};

// Errors caused outside the program: files, streams, stored data.
class RWExternalError : public RWException {
public:
    using RWException::RWException;
};

class RWFileError : public RWExternalError {
public:
    RWFileError(const RWMessageText& text, FILE* file, uint32_t kind);
    FILE* File() const { return file_; }
    uint32_t Kind() const { return kind_; }

private:
    FILE* file_;
    uint32_t kind_;
};

class RWStreamError : public RWExternalError {
public:
    RWStreamError(const RWMessageText& text, const void* stream);
    const void* Stream() const { return stream_; }

private:
    const void* stream_;
};

// Inconsistent use or data.
class RWInternalError : public RWException {
public:
    using RWException::RWException;
};

// Index and range errors.
class RWBoundsError : public RWInternalError {
public:
    using RWInternalError::RWInternalError;
};
