// The fonts of one mass-storage device of the printer, in the order they were added.
// Its object id is the device's code. A stored list may carry two dictionaries that
// find a description by its font number or by a 32-bit key; a list built from a
// device's font-list file has none.
#pragma once

#include "graphics/GDeviceFontDescription.h"
#include "model/GPersistent.h"
#include "model/MAssociationList.h"

#include <memory>
#include <vector>

class GDeviceFontList : public GPersistent<GDeviceFontList, GObjectBase, 856> {
public:
    static constexpr const char* kClassName = "GDeviceFontList";
    static constexpr uint32_t kStoredVersion = 3;
    GDeviceFontList* CreateNew() const override { return new GDeviceFontList; }
    GDeviceFontList* Copy() const override { return new GDeviceFontList(*this); }

    typedef int (*Predicate)(const GDeviceFontDescription& description, void* argument);

    GDeviceFontList();
    // An empty list of the device with that code, stamp 0, no dictionaries.
    explicit GDeviceFontList(const long& deviceCode);
    // Copies the descriptions and the stamp; the dictionaries are new lists sharing the
    // source's associations.
    GDeviceFontList(const GDeviceFontList& other);
    GDeviceFontList& operator=(const GDeviceFontList& other);
    ~GDeviceFontList() override;

    // The same object, or the same class and id, dictionaries both absent or the same,
    // and the same descriptions in the same order.
    bool IsSame(const GObjectBase* other) const override;
    uint32_t Entries() const override { return uint32_t(descriptions_.size()); }

    // Appends a copy.
    void Add(const GDeviceFontDescription& description);
    // Copies the description at index into out and answers 1; 0, leaving out as it
    // was, when the index is not below the count.
    int GetAt(uint32_t index, GDeviceFontDescription& out) const;
    // The first description for which the predicate answers non-zero: found gets it
    // and the answer is 1; 0 when none matches.
    virtual int FindFirstThat(Predicate predicate, void* argument, const GDeviceFontDescription** found) const;
    // The description the dictionary holds under the number; null without a
    // dictionary, for an unknown number, or when the value found is not a description.
    const GDeviceFontDescription* FindByFontNumber(uint16_t fontNumber) const;
    const GDeviceFontDescription* FindByKey(uint32_t key) const;

    uint32_t GetStamp() const { return stamp_; }
    void SetStamp(uint32_t stamp) { stamp_ = stamp; }
    // Adopt a dictionary (null: none); the one held is released.
    void SetFontNumberDictionary(MAssociationList* dictionary) { byNumber_.Set(dictionary); }
    void SetKeyDictionary(MAssociationList* dictionary) { byKey_.Set(dictionary); }
    // No descriptions, stamp 0, no dictionaries.
    void Clear();

    // Version 3: count, each description as an object, stamp, both dictionaries as
    // object references. Version 1 holds only the descriptions, version 2 the stamp too.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    std::vector<std::unique_ptr<GDeviceFontDescription>> descriptions_;
    uint32_t stamp_;
    GCountedRef byNumber_;
    GCountedRef byKey_;
};
