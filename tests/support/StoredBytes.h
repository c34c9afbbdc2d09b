// A builder of crafted stored data: items appended little-endian, as the binary file
// writes them, in the object-graph form's vocabulary and the model's (root parts). The
// same items written on a typed stream give the stream's form of the data (WriteOn);
// there an object's fields stand between braces, so End closes each Object.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWDataOutStream.h"

#include <cstdint>
#include <string>
#include <vector>

class StoredBytes {
public:
    StoredBytes& U8(uint8_t v) { return Add(kU8, v, {v}); }
    StoredBytes& U16(uint16_t v) { return Add(kU16, v, {uint8_t(v), uint8_t(v >> 8)}); }
    StoredBytes& U32(uint32_t v) { return Add(kU32, v, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    StoredBytes& Raw(const std::vector<uint8_t>& more) { return Add(kRaw, 0, more); }
    // A counted text: its length word, then its bytes.
    StoredBytes& Text(const std::string& text)
    {
        std::vector<uint8_t> bytes = StoredBytes().U32(uint32_t(text.size())).Get();
        bytes.insert(bytes.end(), text.begin(), text.end());
        return Add(kText, 0, bytes, text);
    }
    // The root part of a model object: version 1, id, serial.
    StoredBytes& Root(int32_t id, int32_t serial) { return U32(1).U32(uint32_t(id)).U32(uint32_t(serial)); }
    // The magic word in front of an outermost object (the file's only).
    StoredBytes& LeadIn() { return Add(kLeadIn, 0, {0x88, 0x88, 0, 0}); }
    // An object of a class by id: its id, then what its fields add, then End.
    StoredBytes& Object(uint16_t classId) { return Add(kObject, classId, {uint8_t(classId), uint8_t(classId >> 8)}); }
    StoredBytes& End() { return Add(kEnd, 0, {}); }
    // A back-reference to object number n (the nil object is number 0).
    StoredBytes& Ref(uint32_t n) { return Add(kRef, n, {0xFF, 0xFF, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}); }
    StoredBytes& Nil() { return Ref(0); }

    const std::vector<uint8_t>& Get() const { return bytes_; }
    operator const std::vector<uint8_t>&() const { return bytes_; }

    // The items as a typed stream writes them; raw bytes go as single bytes.
    void WriteOn(RWDataOutStream& s) const
    {
        for (const Item& item : items_) {
            switch (item.kind) {
            case kU8: s << static_cast<unsigned char>(item.value); break;
            case kU16: s << static_cast<unsigned short>(item.value); break;
            case kU32: s << static_cast<unsigned int>(item.value); break;
            case kRaw:
                for (uint8_t b : item.bytes)
                    s << static_cast<unsigned char>(b);
                break;
            case kText: RWCString(item.text.c_str(), item.text.size()).SaveOn(s); break;
            case kLeadIn: break;
            case kObject: s << ':' << static_cast<unsigned short>(item.value) << '{'; break;
            case kEnd: s << '}'; break;
            case kRef: s << '@' << static_cast<int>(item.value); break;
            }
        }
    }

private:
    enum Kind { kU8, kU16, kU32, kRaw, kText, kLeadIn, kObject, kEnd, kRef };
    struct Item {
        Kind kind;
        uint32_t value;
        std::vector<uint8_t> bytes;
        std::string text;
    };

    StoredBytes& Add(Kind kind, uint32_t value, const std::vector<uint8_t>& bytes, const std::string& text = {})
    {
        items_.push_back({kind, value, bytes, text});
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    std::vector<uint8_t> bytes_;
    std::vector<Item> items_;
};
