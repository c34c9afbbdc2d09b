// A path: the primitives drawn while a path was open, nested paths included. Generic
// walks of an object tree do not enter it (it is no composite to them and gives an empty
// iterator); the writers and the path's own operations walk its members directly.
#pragma once

#include "graphics/GGeometry.h"
#include "graphics/GGraphicComposite.h"

class GPathGraphic : public GPersistent<GPathGraphic, GGraphicComposite, 603> {
public:
    static constexpr const char* kClassName = "GPathGraphic";
    GPathGraphic* CreateNew() const override { return new GPathGraphic; }
    GPathGraphic* Copy() const override { return new GPathGraphic(*this); }

    // Empty, not closed.
    GPathGraphic();
    GPathGraphic(GState* state, const long& id);
    GPathGraphic(const GPathGraphic& other) = default;
    GPathGraphic& operator=(const GPathGraphic& other) = default;
    ~GPathGraphic() override;

    // Same closed flag, then as a graphic composite.
    bool IsSame(const GObjectBase* other) const override;

    // The walks see the path alone, never its members.
    GObjectBase* FindById(const long& id) override;
    GObjectBase* FindByClassId(const RWClassID& classId) override;
    GObjectBase* FindSame(const GObjectBase* object) override;
    GObjectBase* FindKindOf(const RWClassID& classId) override;
    GObjectBase* CollectByClassId(const RWClassID& classId, GObjectBase* into) override;
    GObjectBase* CollectById(const long& id, GObjectBase* into) override;
    GObjectBase* SelectById(const long& id) override;
    GObjectBase* SelectByClassId(const RWClassID& classId) override;
    GObjectBase* CollectKindOf(const RWClassID& classId, GObjectBase* into) override;
    GObjectBase* SelectKindOf(const RWClassID& classId) override;
    GObjectBase* AsComposite() override;
    GObjectIterator* CreateIterator() override;

    // The peripheral's path handler.
    int16_t Execute(GCommandHandler& target) override;

    // The rectangle covering the bounds of the point lists and nested paths among the
    // members (a nested empty path counts as all zeros); all zeros when there are none.
    GRect GetBounds();

    uint32_t IsClosed() const { return closed_; }
    void SetClosed(uint32_t closed) { closed_ = closed; }

    auto StoredForm() { return GFields(closed_); }

private:
    uint32_t closed_ = 0;
};
