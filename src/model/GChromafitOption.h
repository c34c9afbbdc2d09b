// The base of the colour option values: small graphic-state attributes that each carry
// one colour-processing choice (an option number of the colour-adjustment numbering)
// down the job pipeline to a page writer, which turns it into the device's own value
// through a value map in the printer's settings.
#pragma once

#include "model/GAttributeVisitor.h"
#include "model/GChromafitSettings.h"
#include "model/GGraphicAttribute.h"

#include <cstdint>

class GChromafitOption : public GStoredLevel<GChromafitOption, GGraphicAttribute, 0> {
public:
    GChromafitOption(uint32_t option, const long& id);
    GChromafitOption(const GChromafitOption& other) = default;
    GChromafitOption& operator=(const GChromafitOption& other) = default;
    ~GChromafitOption() override;

    // The value that the printer's settings (target, searched by feature id) associate
    // with the option number; 0 when none.
    virtual uint16_t GetDeviceValue(GObjectBase* target) const = 0;
    // The option number.
    virtual uint16_t GetValue() const;

    // The same object, or the same class id and option number; feature ids are not
    // compared.
    bool IsSame(const GObjectBase* other) const override;

    auto StoredForm() { return GFields(option_); }

private:
    int32_t option_;
};

// One colour option class: its default option number, its value map's feature id and
// the visitor operation made for it. Level is the class's persistent level (its class
// id and registration).
template <class Self, class Level, uint16_t DefaultOption, long MapId, int16_t (GAttributeVisitor::*Apply)(Self&)>
class GChromafitOptionOf : public Level {
public:
    static constexpr uint16_t kDefaultOption = DefaultOption;
    static constexpr long kMapId = MapId;

    GChromafitOptionOf() : Level(DefaultOption, 0) {}
    GChromafitOptionOf(uint32_t option, const long& id) : Level(option, id) {}

    // A colour option class stores only the option of the level above.
    auto StoredForm() { return GNoFields(); }

    int16_t ApplyTo(GAttributeVisitor& visitor) override { return (visitor.*Apply)(static_cast<Self&>(*this)); }
    uint16_t GetDeviceValue(GObjectBase* target) const override;
};

// A class id shared by two classes: the id and kind-of of a persistent class, but the
// registration with the factory is made by hand, once for both.
template <class Self, class Parent, RWClassID Id>
class GSharedIdLevel : public GStoredLevel<Self, Parent, Id> {
public:
    using GStoredLevel<Self, Parent, Id>::GStoredLevel;

    RWClassID ClassId() const override { return Id; }
};

template <class Self, class Level, uint16_t DefaultOption, long MapId, int16_t (GAttributeVisitor::*Apply)(Self&)>
uint16_t GChromafitOptionOf<Self, Level, DefaultOption, MapId, Apply>::GetDeviceValue(GObjectBase* target) const
{
    return GetAssociatedValue(MapId, target, this->GetValue());
}
