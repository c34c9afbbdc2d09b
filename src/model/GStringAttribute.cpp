#include "model/GStringAttribute.h"

#include "model/GAttributeVisitor.h"

GStringAttribute::GStringAttribute() {}
GStringAttribute::GStringAttribute(const char* text, const long& id) : GPersistent(id), string_(text) {}
GStringAttribute::GStringAttribute(const RWCString& text, const long& id) : GPersistent(id), string_(text) {}
GStringAttribute::~GStringAttribute() {}

bool GStringAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GStringAttribute* string = GSameClass<GStringAttribute>(this, other);
    return string && string->GetId() == GetId() && string->string_ == string_;
}

int16_t GStringAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyString(*this); }
