#include "graphics/GColorBase.h"

GColorBase::GColorBase() {}
GColorBase::GColorBase(const long& id) : GStoredLevel(id) {}
GColorBase::~GColorBase() {}

namespace {

bool IsColor(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && model->IsKindOf(GColorBase::kClassId);
}

template <class In>
In& ReadColor(In& in, GColorBase*& color)
{
    color = static_cast<GColorBase*>(
        dynamic_cast<GObjectBase*>(RWCollectable::RestoreKindOf(in, IsColor, GColorBase::kClassId)));
    return in;
}

} // namespace

RWBinaryFile& operator>>(RWBinaryFile& file, GColorBase*& color) { return ReadColor(file, color); }
RWDataInStream& operator>>(RWDataInStream& stream, GColorBase*& color) { return ReadColor(stream, color); }
