// A builder of crafted stored data: items appended little-endian, as the binary file
// writes them, in the object-graph form's vocabulary and the model's (root parts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StoredBytes {
public:
    StoredBytes& U8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    StoredBytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    StoredBytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    StoredBytes& Raw(const std::vector<uint8_t>& more)
    {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    // A counted text: its length word, then its bytes.
    StoredBytes& Text(const std::string& text)
    {
        U32(uint32_t(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    // The root part of a model object: version 1, id, serial.
    StoredBytes& Root(int32_t id, int32_t serial) { return U32(1).U32(uint32_t(id)).U32(uint32_t(serial)); }
    // The magic word in front of an outermost object.
    StoredBytes& LeadIn() { return U32(0x8888); }
    // An object of a class by id: its id, then what its fields add.
    StoredBytes& Object(uint16_t classId) { return U16(classId); }
    // A back-reference to object number n (the nil object is number 0).
    StoredBytes& Ref(uint32_t n) { return U16(0xFFFF).U32(n); }
    StoredBytes& Nil() { return Ref(0); }

    const std::vector<uint8_t>& Get() const { return bytes_; }
    operator const std::vector<uint8_t>&() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
