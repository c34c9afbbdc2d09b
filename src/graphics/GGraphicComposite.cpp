#include "graphics/GGraphicComposite.h"

#include "model/GStoredCounts.h"

// The rest of the class is inline; its registration is anchored here.
template class GPersistent<GGraphicComposite, GGraphic, 607>;

template <class In>
void GGraphicComposite::ReadForm(In& in)
{
    GMemberListOf::ReadForm(in);
    // A member that is no graphic is corrupt data: it is dropped, and the read ends so
    // that nothing later refers back to it.
    bool foreign = false;
    for (uint32_t i = members_.Entries(); i-- > 0;) {
        GObjectBase* member = members_.At(i);
        if (!member->IsKindOf(GGraphic::kClassId)) {
            Drop(members_.Remove(member));
            foreign = true;
        }
    }
    if (foreign)
        GRefuseStored(in);
}

template void GGraphicComposite::ReadForm(RWBinaryFile&);
template void GGraphicComposite::ReadForm(RWDataInStream&);
