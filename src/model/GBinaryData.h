// A block of bytes carried through the object graph: opaque data such as the weights and
// tables of the gray conversions, found by id in the printer's configuration.
//
// The owns flag says whether the bytes given to the object are the object's to free
// (with delete[]). A buffer the object allocated itself (a copy, an assignment, a
// restore) is always freed by it, whatever the owns flag says; one buffer never has two
// owners.
#pragma once

#include "model/GPersistent.h"

#include <cstdint>

class GBinaryData : public GPersistent<GBinaryData, GObjectBase, 4> {
public:
    static constexpr const char* kClassName = "GBinaryData";
    GBinaryData* CreateNew() const override { return new GBinaryData; }
    GBinaryData* Copy() const override { return new GBinaryData(*this); }

    GBinaryData();
    // Takes the pointer as given; nothing is copied. With owns set the data must come
    // from new uint8_t[]. Null data has length 0.
    GBinaryData(uint8_t* data, uint32_t length, int32_t owns, const long& id = 0);
    // A fresh root part (id 0, a new serial) and a buffer of its own holding the
    // source's bytes; owns flag 0. Empty when the buffer cannot be had.
    GBinaryData(const GBinaryData& other);
    // Root part by the root's assignment, then a buffer of its own holding the other's
    // bytes (empty when it cannot be had); owns flag 0.
    GBinaryData& operator=(const GBinaryData& other);
    ~GBinaryData() override;

    // The same class and id, the same length, and the same buffer or the same bytes.
    bool IsSame(const GObjectBase* other) const override;

    // Frees the current data when it is the object's, then takes the three values (the
    // data the object already holds is never freed by giving it again).
    void SetData(uint8_t* data, uint32_t length, int32_t owns);
    // Hands the data to the caller (to free with delete[] when the object held it as
    // its own) and empties the object without freeing.
    uint8_t* Release();
    // Frees the data when it is the object's and empties the object.
    void Clear();

    uint8_t* GetData() const { return data_; }
    uint32_t GetLength() const { return length_; }
    int32_t OwnsData() const { return owns_; }

    // The stored form, read and written by the class itself: version word, length, owns
    // flag, then the bytes. A length the data cannot hold leaves the object as it was
    // and the medium at its end.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    // Takes a copy of the bytes into a buffer of its own; empty when it cannot be had.
    void CopyBytes(const GBinaryData& other);

    uint8_t* data_;
    uint32_t length_;
    int32_t owns_;
    // The data is a buffer this object allocated.
    bool allocated_;
};
