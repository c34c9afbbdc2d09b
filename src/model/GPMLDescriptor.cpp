#include "model/GPMLDescriptor.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GPMLDescriptor> g_registration("GPMLDescriptor");

} // namespace

// The stored forms of the wide name, found by the field readers and writers.
inline bool GReadField(RWBinaryFile& file, RWWString& value) { return value.RestoreFrom(file); }
inline bool GReadField(RWDataInStream& stream, RWWString& value) { return value.RestoreFrom(stream); }
inline void GWriteField(RWBinaryFile& file, const RWWString& value) { value.SaveOn(file); }
inline void GWriteField(RWDataOutStream& stream, const RWWString& value) { value.SaveOn(stream); }

GPMLDescriptor::GPMLDescriptor() : value_(0) {}

GPMLDescriptor::GPMLDescriptor(const wchar_t* name, int32_t value, const long& id)
    : GObjectBase(id), name_(name ? name : L""), value_(value)
{
}

GPMLDescriptor::~GPMLDescriptor() {}

GPMLDescriptor* GPMLDescriptor::CreateNew() const { return new GPMLDescriptor; }
GPMLDescriptor* GPMLDescriptor::Copy() const { return new GPMLDescriptor(*this); }
RWClassID GPMLDescriptor::ClassId() const { return kClassId; }

uint32_t GPMLDescriptor::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 8 + uint32_t(name_.BinaryStoreSize() + text_.BinaryStoreSize());
}

template <class In>
void GPMLDescriptor::ReadFields(In& in)
{
    RWWString name;
    int32_t value = 0;
    RWCString text;
    if (!GReadFields(in, name, value, text))
        return;
    name_ = name;
    value_ = value;
    text_ = text;
}

template <class Out>
void GPMLDescriptor::WriteFields(Out& out) const
{
    GWriteFields(out, name_, value_, text_);
}

void GPMLDescriptor::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GPMLDescriptor::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GPMLDescriptor::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GPMLDescriptor::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GPMLDescriptor::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

bool GPMLDescriptor::IsSame(const GObjectBase* other) const
{
    const GPMLDescriptor* descriptor = GSameClass<GPMLDescriptor>(this, other);
    return descriptor && GObjectBase::IsSame(descriptor) && descriptor->name_ == name_;
}

bool GPMLDescriptor::IsLess(const GPMLDescriptor& other) const { return name_ < other.name_; }

void GPMLDescriptor::SetText(const char* text) { text_ = text ? text : ""; }
