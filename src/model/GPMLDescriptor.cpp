#include "model/GPMLDescriptor.h"

GPMLDescriptor::GPMLDescriptor() : value_(0) {}

GPMLDescriptor::GPMLDescriptor(const wchar_t* name, int32_t value, const long& id)
    : GPersistent(id), name_(name ? name : L""), value_(value)
{
}

GPMLDescriptor::~GPMLDescriptor() {}

bool GPMLDescriptor::IsSame(const GObjectBase* other) const
{
    const GPMLDescriptor* descriptor = GSameClass<GPMLDescriptor>(this, other);
    return descriptor && GObjectBase::IsSame(descriptor) && descriptor->name_ == name_;
}

bool GPMLDescriptor::IsLess(const GPMLDescriptor& other) const { return name_ < other.name_; }

void GPMLDescriptor::SetText(const char* text) { text_ = text ? text : ""; }
