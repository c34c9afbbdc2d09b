#include "model/GDisplayString.h"

#include "foundation/RWBinaryFile.h"

GDisplayString::GDisplayString() : stringId_(0) {}

GDisplayString::GDisplayString(uint16_t stringId, const char* text, const char* altText)
    : stringId_(stringId), text_(text), altText_(altText)
{
}

GDisplayString::~GDisplayString() {}

GDisplayString* GDisplayString::CreateNew() const { return new GDisplayString; }
GDisplayString* GDisplayString::Copy() const { return new GDisplayString(*this); }
RWClassID GDisplayString::ClassId() const { return kClassId; }

uint32_t GDisplayString::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 6 + uint32_t(altText_.BinaryStoreSize() + text_.BinaryStoreSize());
}

void GDisplayString::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    RWCString altText;
    RWCString text;
    uint16_t stringId = 0;
    if (!ReadVersion(file) || !altText.RestoreFrom(file) || !text.RestoreFrom(file) || !file.Read(stringId))
        return;
    altText_ = altText;
    text_ = text;
    stringId_ = stringId;
}

void GDisplayString::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteVersion(file);
    altText_.SaveOn(file);
    text_.SaveOn(file);
    file.Write(stringId_);
}

bool GDisplayString::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

bool GDisplayString::IsSame(const GObjectBase* other) const
{
    const GDisplayString* display = GSameClass<GDisplayString>(this, other);
    return display && display->GetId() == GetId() && display->stringId_ == stringId_ && display->text_ == text_ &&
           display->altText_ == altText_;
}
