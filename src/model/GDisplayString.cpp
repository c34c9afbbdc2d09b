#include "model/GDisplayString.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GDisplayString> g_registration("GDisplayString");

} // namespace

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

template <class In>
void GDisplayString::ReadFields(In& in)
{
    RWCString altText;
    RWCString text;
    uint16_t stringId = 0;
    if (!GReadFields(in, altText, text, stringId))
        return;
    altText_ = altText;
    text_ = text;
    stringId_ = stringId;
}

template <class Out>
void GDisplayString::WriteFields(Out& out) const
{
    GWriteFields(out, altText_, text_, stringId_);
}

void GDisplayString::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GDisplayString::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GDisplayString::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GDisplayString::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GDisplayString::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

bool GDisplayString::IsSame(const GObjectBase* other) const
{
    const GDisplayString* display = GSameClass<GDisplayString>(this, other);
    return display && display->GetId() == GetId() && display->stringId_ == stringId_ && display->text_ == text_ &&
           display->altText_ == altText_;
}
