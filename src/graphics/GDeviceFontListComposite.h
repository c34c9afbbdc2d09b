// All device font lists of one printer, one per device that has fonts, found in the
// printer's settings under id 414. The composite owns its lists; it holds nothing but
// device font lists.
#pragma once

#include "graphics/GDeviceFontList.h"
#include "model/MPersistentComposite.h"

class GDeviceFontListComposite : public GPersistent<GDeviceFontListComposite, GObjectBase, 873> {
public:
    static constexpr const char* kClassName = "GDeviceFontListComposite";
    static constexpr long kSettingId = 414;
    GDeviceFontListComposite* CreateNew() const override { return new GDeviceFontListComposite; }
    GDeviceFontListComposite* Copy() const override { return new GDeviceFontListComposite(*this); }

    // Empty, id 414.
    GDeviceFontListComposite();
    // Shares the source's lists.
    GDeviceFontListComposite(const GDeviceFontListComposite& other);
    GDeviceFontListComposite& operator=(const GDeviceFontListComposite& other);
    ~GDeviceFontListComposite() override;

    // The same class and id and members that do not differ.
    bool IsSame(const GObjectBase* other) const override;

    // Only device font lists are taken; anything else is dropped.
    void Add(GObjectBase* object) override;
    void Prepend(GObjectBase* object) override;
    GObjectBase* RemoveById(const long& id) override;
    int ReplaceById(const long& id, const GObjectBase* newObject) override;
    void RemoveAll() override;
    // The list of the device with that code, or null.
    GObjectBase* FindById(const long& id) override;
    uint32_t Entries() const override { return members_.Entries(); }
    GObjectIterator* CreateIterator() override;
    GObjectBase* DeepCopy() const override;

    GDeviceFontList* FindList(long deviceCode);
    // Each list of other replaces this composite's list of the same device, or is added
    // as a deep copy.
    void Merge(const GDeviceFontListComposite& other);
    // A deep copy of each list of other is added.
    void AddCopies(const GDeviceFontListComposite& other);

    // Version 1, then the member list as an object; a restore of another version keeps
    // the members.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const { return 4 + members_.RecursiveStoreSize(); }

private:
    static bool IsList(const GObjectBase* object);

    MPersistentComposite members_;
};
