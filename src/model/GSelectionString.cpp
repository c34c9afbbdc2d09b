#include "model/GSelectionString.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GSelectionString> g_registration("GSelectionString");

} // namespace

GSelectionString::GSelectionString() : index_(0) {}

GSelectionString::GSelectionString(const char* text, int16_t index, const long& id)
    : GObjectBase(id), index_(index), text_(text ? text : "")
{
}

GSelectionString::~GSelectionString() {}

GSelectionString* GSelectionString::CreateNew() const { return new GSelectionString; }
GSelectionString* GSelectionString::Copy() const { return new GSelectionString(*this); }
RWClassID GSelectionString::ClassId() const { return kClassId; }

uint32_t GSelectionString::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 6 + uint32_t(text_.BinaryStoreSize());
}

template <class In>
void GSelectionString::ReadFields(In& in)
{
    RWCString text;
    int16_t index = 0;
    if (!GReadFields(in, text, index))
        return;
    text_ = text;
    index_ = index;
}

template <class Out>
void GSelectionString::WriteFields(Out& out) const
{
    GWriteFields(out, text_, index_);
}

void GSelectionString::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GSelectionString::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GSelectionString::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GSelectionString::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GSelectionString::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GObjectBase::IsKindOf(classId);
}

bool GSelectionString::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GSelectionString* selection = GSameClass<GSelectionString>(this, other);
    return selection && GObjectBase::IsSame(selection) && selection->index_ == index_ && selection->text_ == text_;
}
