// Clipping to a path, which the attribute owns.
// It is applied through the peripheral's ApplyClipToPath.
#pragma once

#include "graphics/GClipAttribute.h"
#include "graphics/GPathGraphic.h"
#include "model/GCountedRef.h"

class GClipToPath : public GPersistent<GClipToPath, GClipAttribute, 502> {
public:
    static constexpr const char* kClassName = "GClipToPath";
    GClipToPath* CreateNew() const override { return new GClipToPath; }
    GClipToPath* Copy() const override { return new GClipToPath(*this); }

    // No path, mode and operation unspecified.
    GClipToPath();
    // Takes the path (null allowed; anything that is no path is deleted).
    GClipToPath(GObjectBase* path, uint32_t operation, uint32_t mode, const long& id = 0);
    // The clip fields and a copy of the path.
    GClipToPath(const GClipToPath& other);
    GClipToPath& operator=(const GClipToPath& other);
    ~GClipToPath() override;

    // The clip comparison, then both without a path or equal paths.
    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    // The path's bounds; false, with a zero rectangle, when there is no path.
    bool GetBounds(GRect& bounds) const override;

    // The path primitive's class id: a stored object of another kind is dropped.
    static constexpr RWClassID kPathClassId = GPathGraphic::kClassId;

    GObjectBase* GetPath() const { return path_.Get(); }

    // The path as an object reference. A stored object that is no path is dropped; a
    // read that fails keeps the path held.
    auto StoredForm() { return GFields(path_); }
    template <class In>
    void ReadForm(In& in);

private:
    GCountedRef path_;
};
