#include "printer/GFormToTrayAssociation.h"

#include "model/GValueAttribute.h"

namespace {

GCountedRef NewValue(uint16_t value) { return GCountedRef(new GValueAttribute(value, 0)); }

bool SameValue(const GCountedRef& a, const GCountedRef& b)
{
    if (!a || !b)
        return !a && !b;
    return a->IsSame(b.Get());
}

// A restored member that is not a value attribute is let go.
void KeepValueOnly(GCountedRef& value)
{
    if (value && value->ClassId() != GValueAttribute::kClassId)
        value.Set(nullptr);
}

} // namespace

GFormToTrayAssociation::GFormToTrayAssociation() : GFormToTrayAssociation(0, 0, 0) {}

GFormToTrayAssociation::GFormToTrayAssociation(uint16_t key, uint16_t first, uint16_t second)
    : GFormToTrayAssociation(key, first, second, RWWString())
{
}

GFormToTrayAssociation::GFormToTrayAssociation(uint16_t key, uint16_t first, uint16_t second,
                                               const RWWString& formName)
    : first_(NewValue(first)), key_(NewValue(key)), second_(NewValue(second)), formName_(formName)
{
}

GFormToTrayAssociation::GFormToTrayAssociation(const GFormToTrayAssociation& other)
    : GPersistent(other), first_(CopyOf(other.first_)), key_(CopyOf(other.key_)), second_(CopyOf(other.second_)),
      formName_(other.formName_)
{
}

GFormToTrayAssociation& GFormToTrayAssociation::operator=(const GFormToTrayAssociation& other)
{
    if (this != &other) {
        GAttribute::operator=(other);
        first_ = CopyOf(other.first_);
        key_ = CopyOf(other.key_);
        second_ = CopyOf(other.second_);
        formName_ = other.formName_;
    }
    return *this;
}

GFormToTrayAssociation::~GFormToTrayAssociation() {}

template <class In>
void GFormToTrayAssociation::ReadForm(In& in)
{
    if (!GReadForm(in, StoredForm()))
        return;
    KeepValueOnly(first_);
    KeepValueOnly(key_);
    KeepValueOnly(second_);
}

template void GFormToTrayAssociation::ReadForm(RWBinaryFile&);
template void GFormToTrayAssociation::ReadForm(RWDataInStream&);

bool GFormToTrayAssociation::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GFormToTrayAssociation* row = GSameClass<GFormToTrayAssociation>(this, other);
    return row && row->GetId() == GetId() && SameValue(row->first_, first_) && SameValue(row->key_, key_) &&
           SameValue(row->second_, second_) && row->formName_ == formName_;
}

int16_t GFormToTrayAssociation::ApplyTo(GAttributeVisitor&) { return 1; }

uint16_t GFormToTrayAssociation::ValueOf(const GCountedRef& value)
{
    return value ? static_cast<const GValueAttribute*>(value.Get())->GetValue() : 0;
}

GCountedRef GFormToTrayAssociation::CopyOf(const GCountedRef& value)
{
    return GCountedRef(value ? value->Copy() : nullptr);
}
