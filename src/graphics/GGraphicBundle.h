// The graphic state that drawing commands carry: a state whose id is always 244, with
// seven member slots for the graphic attributes, each addressed by a fixed member id.
// A setter gives the attribute the slot's id and adds it by the state's rule, so a
// second attribute of the same kind set through one setter takes the first one's place.
#pragma once

#include "model/GState.h"

class GGraphicAttribute;

class GGraphicBundle : public GPersistent<GGraphicBundle, GState, 101> {
public:
    static constexpr const char* kClassName = "GGraphicBundle";
    GGraphicBundle* CreateNew() const override { return new GGraphicBundle; }
    GGraphicBundle* Copy() const override { return new GGraphicBundle(*this); }

    // The member ids of the slots, in the order of the operations below.
    static constexpr long kBrushId = 154;
    static constexpr long kCapId = 166;
    static constexpr long kClipId = 177;
    static constexpr long kFillModeId = 182;
    static constexpr long kJointId = 172;
    static constexpr long kPenId = 160;
    static constexpr long kRasterOperationId = 183;

    GGraphicBundle();
    // The id given is ignored: a graphic bundle's id is always 244.
    explicit GGraphicBundle(const long& id);
    GGraphicBundle(const GGraphicBundle& other);
    GGraphicBundle& operator=(const GGraphicBundle& other);
    ~GGraphicBundle() override;


    // Setters: take ownership of the attribute (null is ignored).
    virtual void SetBrush(GGraphicAttribute* attribute);
    virtual void SetCap(GGraphicAttribute* attribute);
    virtual void SetClip(GGraphicAttribute* attribute);
    virtual void SetFillMode(GGraphicAttribute* attribute);
    virtual void SetJoint(GGraphicAttribute* attribute);
    virtual void SetPen(GGraphicAttribute* attribute);
    virtual void SetRasterOperation(GGraphicAttribute* attribute);

    // Removers: the slot's member, owned by the caller, or null when the slot is empty.
    virtual GObjectBase* RemoveBrush();
    virtual GObjectBase* RemoveCap();
    virtual GObjectBase* RemoveClip();
    virtual GObjectBase* RemoveFillMode();
    virtual GObjectBase* RemoveJoint();
    virtual GObjectBase* RemovePen();
    virtual GObjectBase* RemoveRasterOperation();

    // Getters: the slot's member, borrowed, or null when the slot is empty.
    virtual GAttribute* GetBrush() const;
    virtual GAttribute* GetCap() const;
    virtual GAttribute* GetClip() const;
    virtual GAttribute* GetFillMode() const;
    virtual GAttribute* GetJoint() const;
    virtual GAttribute* GetPen() const;
    virtual GAttribute* GetRasterOperation() const;

    // Nothing follows the version word. The stored id is not taken: a graphic bundle's
    // id is always 244, whatever the data says.
    auto StoredForm() { return GFields(); }
    template <class In>
    void ReadForm(In& in)
    {
        SetId(kGraphicStateId);
        GReadForm(in, StoredForm());
    }

private:
    void SetSlot(const long& slotId, GGraphicAttribute* attribute);
    GObjectBase* RemoveSlot(const long& slotId);
};
