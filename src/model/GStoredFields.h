// Reading and writing the model's own fields, the same on a binary file and on a typed
// stream, so that each class writes its stored form once for both media. Every class
// writes a version word before its fields and reads them only when that word is 1.
//
// Reads answer whether the field arrived; a class keeps its fields unchanged unless all
// of them did.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCString.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GStoredCounts.h"

#include <cstdint>
#include <new>

const uint32_t kGStoredVersion = 1;

template <class T>
bool GReadField(RWBinaryFile& file, T& value)
{
    return file.Read(value);
}

template <class T>
bool GReadField(RWDataInStream& stream, T& value)
{
    stream >> value;
    return stream.Good();
}

inline bool GReadField(RWBinaryFile& file, RWCString& value) { return value.RestoreFrom(file); }
inline bool GReadField(RWDataInStream& stream, RWCString& value) { return value.RestoreFrom(stream); }

template <class T>
void GWriteField(RWBinaryFile& file, const T& value)
{
    file.Write(value);
}

template <class T>
void GWriteField(RWDataOutStream& stream, const T& value)
{
    stream << value;
}

inline void GWriteField(RWBinaryFile& file, const RWCString& value) { value.SaveOn(file); }
inline void GWriteField(RWDataOutStream& stream, const RWCString& value) { value.SaveOn(stream); }

// The version word and then each field in order: true when the version is 1 and every
// field arrived (reading stops at the first that did not).
template <class In, class... T>
bool GReadFields(In& in, T&... values)
{
    uint32_t version = 0;
    return GReadField(in, version) && version == kGStoredVersion && (GReadField(in, values) && ...);
}

template <class Out, class... T>
void GWriteFields(Out& out, const T&... values)
{
    GWriteField(out, kGStoredVersion);
    (GWriteField(out, values), ...);
}

// A run of bytes: one item at a time on a typed stream, in one block on a file. Reads
// answer whether every byte arrived.
inline bool GReadBytes(RWBinaryFile& file, uint8_t* bytes, uint32_t n)
{
    return file.Read(reinterpret_cast<char*>(bytes), n);
}

inline bool GReadBytes(RWDataInStream& stream, uint8_t* bytes, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        unsigned char byte = 0;
        stream >> byte;
        if (!stream.Good())
            return false;
        bytes[i] = byte;
    }
    return true;
}

inline void GWriteBytes(RWBinaryFile& file, const uint8_t* bytes, uint32_t n)
{
    if (n != 0)
        file.Write(reinterpret_cast<const char*>(bytes), n);
}

inline void GWriteBytes(RWDataOutStream& stream, const uint8_t* bytes, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
        stream << static_cast<unsigned char>(bytes[i]);
}

// A new block of length bytes read from the medium (null for length 0): the length is
// checked against what the medium can still supply before anything is allocated. False,
// with the medium marked and nothing allocated, when the bytes cannot be had.
template <class In>
bool GReadNewBlock(In& in, uint32_t length, uint8_t*& block)
{
    block = nullptr;
    if (length == 0)
        return true;
    if (!GCheckStoredCount(in, length, 1))
        return false;
    uint8_t* bytes = new (std::nothrow) uint8_t[length];
    if (!bytes || !GReadBytes(in, bytes, length)) {
        delete[] bytes;
        GRefuseStored(in);
        return false;
    }
    block = bytes;
    return true;
}
