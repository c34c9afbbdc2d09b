// One row of the form-to-tray database: the tray a form is loaded in and the media type
// it carries, with the form's name.
#pragma once

#include "foundation/RWWString.h"
#include "model/GAttribute.h"

class GFormToTrayAssociation : public GPersistent<GFormToTrayAssociation, GAttribute, 1013> {
public:
    static constexpr const char* kClassName = "GFormToTrayAssociation";
    GFormToTrayAssociation* CreateNew() const override { return new GFormToTrayAssociation; }
    GFormToTrayAssociation* Copy() const override { return new GFormToTrayAssociation(*this); }

    GFormToTrayAssociation();
    GFormToTrayAssociation(uint16_t key, uint16_t first, uint16_t second);
    GFormToTrayAssociation(uint16_t key, uint16_t first, uint16_t second, const RWWString& formName);
    // Its own copies of the three values.
    GFormToTrayAssociation(const GFormToTrayAssociation& other);
    GFormToTrayAssociation& operator=(const GFormToTrayAssociation& other);
    ~GFormToTrayAssociation() override;

    // The same class and id, the same three values and equal form names.
    bool IsSame(const GObjectBase* other) const override;
    // Answers 1; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Each the 16-bit value of its member; 0 for a member that restored data lacked.
    uint16_t GetKey() const { return ValueOf(key_); }
    uint16_t GetFirstValue() const { return ValueOf(first_); }
    uint16_t GetSecondValue() const { return ValueOf(second_); }
    const RWWString& GetFormName() const { return formName_; }

    // The three values as objects, then the form name. A stored value of another class
    // than a value attribute counts as absent.
    auto StoredForm() { return GFields(first_, key_, second_, formName_); }
    template <class In>
    void ReadForm(In& in);

private:
    static uint16_t ValueOf(const GCountedRef& value);
    static GCountedRef CopyOf(const GCountedRef& value);

    GCountedRef first_;
    GCountedRef key_;
    GCountedRef second_;
    RWWString formName_;
};
