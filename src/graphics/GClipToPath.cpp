#include "graphics/GClipToPath.h"

#include "model/GAttributeVisitor.h"

namespace {

GObjectBase* CopyOfPath(const GCountedRef& path) { return path ? path->Copy() : nullptr; }

} // namespace

GClipToPath::GClipToPath() {}

GClipToPath::GClipToPath(GObjectBase* path, uint32_t operation, uint32_t mode, const long& id)
    : GPersistent(operation, mode, id)
{
    if (path && !path->IsKindOf(kPathClassId))
        delete path;
    else
        path_.Set(path);
}

GClipToPath::GClipToPath(const GClipToPath& other) : GPersistent(other), path_(CopyOfPath(other.path_)) {}

GClipToPath& GClipToPath::operator=(const GClipToPath& other)
{
    if (this != &other) {
        GClipAttribute::operator=(other);
        path_.Set(CopyOfPath(other.path_));
    }
    return *this;
}

GClipToPath::~GClipToPath() {}

bool GClipToPath::IsSame(const GObjectBase* other) const
{
    if (!GClipAttribute::IsSame(other))
        return false;
    const GClipToPath* clip = static_cast<const GClipToPath*>(other);
    if (!path_ || !clip->path_)
        return !path_ && !clip->path_;
    return path_->IsSame(clip->path_.Get());
}

int16_t GClipToPath::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToPath(*this); }

bool GClipToPath::GetBounds(GRect& bounds) const
{
    if (!path_) {
        bounds = GRect{0, 0, 0, 0};
        return false;
    }
    bounds = static_cast<GPathGraphic*>(path_.Get())->GetBounds();
    return true;
}

template <class In>
void GClipToPath::ReadForm(In& in)
{
    if (GReadForm(in, StoredForm()) && path_ && !path_->IsKindOf(kPathClassId))
        path_.Set(nullptr);
}

template void GClipToPath::ReadForm(RWBinaryFile&);
template void GClipToPath::ReadForm(RWDataInStream&);
