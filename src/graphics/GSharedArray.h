// The elements of a text string or of escapements: either the caller's buffer, referred
// to (owned 0, storage and data both that buffer), or storage of the array's own. An
// array copies a caller's elements into its own storage before anything is changed, so
// that an object that is spooled or changed never refers to, or writes, a caller's
// buffer. Elements are 8-bit or 16-bit; the user of the array says which.
//
// A failed allocation leaves the array empty (count 0): never a count without elements.
#pragma once

#include <cstdint>

class GSharedArray {
public:
    // The most elements an array holds (every user counts in 16 bits or less).
    static constexpr uint32_t kMaxCount = 0x10000;

    GSharedArray() = default;
    // Refers to the caller's count elements; with owned 1 the buffer is adopted and must
    // come from NewBuffer. A null buffer or a count above the bound gives an empty array.
    GSharedArray(void* buffer, uint32_t count, uint32_t owned);
    GSharedArray(GSharedArray&& other) noexcept;
    GSharedArray& operator=(GSharedArray&& other) noexcept;
    GSharedArray(const GSharedArray&) = delete;
    GSharedArray& operator=(const GSharedArray&) = delete;
    ~GSharedArray();

    // Zeroed storage for count elements that an owned array may adopt; null when the
    // count is 0, above the bound, or cannot be allocated.
    static void* NewBuffer(uint32_t count, uint32_t elementSize);
    static void FreeBuffer(void* buffer);

    // Owned zeroed elements; false, and empty, when they could not be allocated.
    bool Allocate(uint32_t count, uint32_t elementSize);
    // An owned copy of count elements at data.
    bool CopyFrom(const void* data, uint32_t count, uint32_t elementSize);
    // Copy before change: a referred array takes an owned copy of its elements. False,
    // and empty, when the copy could not be made.
    bool MakeOwned(uint32_t elementSize);
    // Frees owned storage; the array is empty and owned 0.
    void Clear();

    uint32_t IsOwned() const { return owned_; }
    uint32_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0 || !data_; }
    const void* GetData() const { return data_; }

    template <class T>
    const T* Elements() const
    {
        return static_cast<const T*>(data_);
    }
    // The elements for change: owned first; null when empty.
    template <class T>
    T* WritableElements()
    {
        return MakeOwned(sizeof(T)) && data_ ? static_cast<T*>(data_) : nullptr;
    }

private:
    uint32_t owned_ = 0;
    void* storage_ = nullptr;
    void* data_ = nullptr;
    uint32_t count_ = 0;
};
