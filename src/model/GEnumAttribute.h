// An enumeration: an attribute composite whose members are the possible choices of one
// feature, all of one class and no two the same, with one of them current.
//
// The current choice is always null or one of the direct members: every operation that
// takes members out or puts others in their place fixes it, and so do the iterator it
// hands out and its member visits, whatever they do to the member slots.
#pragma once

#include "model/GPersistent.h"
#include "model/GAttributeComposite.h"

class GEnumAttribute : public GPersistent<GEnumAttribute, GAttributeComposite, 764, true> {
public:
    static constexpr const char* kClassName = "GEnumAttribute";
    GEnumAttribute* CreateNew() const override { return new GEnumAttribute; }
    GEnumAttribute* Copy() const override { return new GEnumAttribute(*this); }

    GEnumAttribute();
    explicit GEnumAttribute(const long& id);
    // Members shared; the current choice is the same shared member.
    GEnumAttribute(const GEnumAttribute& other);
    GEnumAttribute& operator=(const GEnumAttribute& other);
    ~GEnumAttribute() override;

    // The composite part, a version word, the current choice as an object reference
    // and the choice class id. A restore takes a current choice only when it is one of
    // the members read; any other object fails the read.
    // Also the same current choice (both null, or IsSame) and the same choice class.
    bool IsSame(const GObjectBase* other) const override;

    // Takes ownership. A choice that is not an attribute, is of another class than the
    // first choice, or is the same as a member is dropped. The first choice accepted
    // fixes the choice class and becomes current when none is.
    void Add(GObjectBase* choice) override;
    // When the current choice left the members, the first member becomes current
    // (null when none is left).
    GObjectBase* Remove(const GObjectBase* object) override;
    GObjectBase* RemoveById(const long& id) override;
    GObjectBase* RemoveByClassId(const RWClassID& classId) override;
    // A replaced current choice is followed to its replacement.
    int ReplaceById(const long& id, const GObjectBase* newObject) override;
    int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    int Replace(const GObjectBase* member, const GObjectBase* newObject) override;
    int ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject) override;
    void RemoveAll() override;
    // Keeps the selection: the copy's current choice is the copy of this one's.
    GEnumAttribute* DeepCopy() const override;
    // An iterator whose RemoveCurrent and ReplaceCurrent fix the current choice as
    // Remove and Replace do.
    GObjectIterator* CreateIterator() override;
    // A callback that puts another object in the current choice's slot makes that
    // object current; one that empties the slot makes the first member current.
    void ForEach(GMemberFunction fn, void* context) override;
    GObjectBase* FirstThat(GMemberFunction fn, void* context) override;

    // Does nothing: choices are not merged.
    int32_t Assign(const GAttribute* other) override;
    // The visitor's ApplyEnum; marks this enumeration applied.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    GObjectBase* GetCurrent() const { return current_; }
    // The first member that IsSame as the object becomes current; answers it, or null
    // (and the current choice stays) when there is none.
    GObjectBase* SetCurrent(const GObjectBase* object);
    // The member after the current one becomes current; nothing at the last member.
    void SelectNext();
    // The member before the current one becomes current; nothing at the first member.
    void SelectPrevious();
    RWClassID GetChoiceClassId() const { return choiceClassId_; }

    // The stored form, version word included, read and written by the class itself.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    class ChoiceIterator;

    // The first direct member that IsSame as the object, or null.
    GObjectBase* FindChoice(const GObjectBase* object) const;
    // After members left or were replaced: a current choice that is no longer a member
    // becomes the member now at formerSlot, else the first member (null when none).
    void FollowCurrent(int32_t formerSlot);
    // Runs a change of the members, then follows the current choice to what took its
    // slot (the first member when the slot is gone or empty); answers what it answered.
    template <class Change>
    auto FollowingCurrent(Change change) -> decltype(change());
    int32_t CurrentSlot() const { return current_ ? members_.IndexOf(current_) : -1; }

    GObjectBase* current_;
    RWClassID choiceClassId_;
};
