#include "graphics/GPathGraphic.h"

#include "graphics/GPointListGraphic.h"
#include "model/GCommandHandler.h"

GPathGraphic::GPathGraphic() {}
GPathGraphic::GPathGraphic(GState* state, const long& id) : GPersistent(state, id) {}
GPathGraphic::~GPathGraphic() {}

bool GPathGraphic::IsSame(const GObjectBase* other) const
{
    const GPathGraphic* path = GSameClass<GPathGraphic>(this, other);
    return path && path->closed_ == closed_ && GGraphicComposite::IsSame(other);
}

GObjectBase* GPathGraphic::FindById(const long& id) { return GObjectBase::FindById(id); }
GObjectBase* GPathGraphic::FindByClassId(const RWClassID& classId) { return GObjectBase::FindByClassId(classId); }
GObjectBase* GPathGraphic::FindSame(const GObjectBase* object) { return GObjectBase::FindSame(object); }
GObjectBase* GPathGraphic::FindKindOf(const RWClassID& classId) { return GObjectBase::FindKindOf(classId); }
GObjectBase* GPathGraphic::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return GObjectBase::CollectByClassId(classId, into);
}
GObjectBase* GPathGraphic::CollectById(const long& id, GObjectBase* into) { return GObjectBase::CollectById(id, into); }
GObjectBase* GPathGraphic::SelectById(const long& id) { return GObjectBase::SelectById(id); }
GObjectBase* GPathGraphic::SelectByClassId(const RWClassID& classId) { return GObjectBase::SelectByClassId(classId); }
GObjectBase* GPathGraphic::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return GObjectBase::CollectKindOf(classId, into);
}
GObjectBase* GPathGraphic::SelectKindOf(const RWClassID& classId) { return GObjectBase::SelectKindOf(classId); }
GObjectBase* GPathGraphic::AsComposite() { return nullptr; }
GObjectIterator* GPathGraphic::CreateIterator() { return GObjectBase::CreateIterator(); }

int16_t GPathGraphic::Execute(GCommandHandler& target) { return target.DrawPath(*this); }

GRect GPathGraphic::GetBounds()
{
    GRect bounds{0, 0, 0, 0};
    bool found = false;
    for (uint32_t i = 0; i < Entries(); ++i) {
        GGraphic* member = At(i);
        GRect r;
        if (member && member->IsKindOf(GPointListGraphic::kClassId))
            r = static_cast<GPointListGraphic*>(member)->GetBounds();
        else if (member && member->IsKindOf(kClassId))
            r = static_cast<GPathGraphic*>(member)->GetBounds();
        else
            continue;
        if (found)
            UniteRect(bounds, r);
        else
            bounds = r;
        found = true;
    }
    return bounds;
}
