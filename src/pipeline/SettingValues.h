// The small readings and writings of a settings holder's members (a job or page state,
// the printer configuration) that the producer and the page filters share. Each takes a
// missing holder as one without the member; a member of another class under the id
// counts as absent.
#pragma once

#include "foundation/RWCString.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

#include <cstdint>

namespace SettingValues {

inline GValueAttribute* Value(GObjectBase* holder, long id)
{
    return GDriverObject::Feature<GValueAttribute>(holder, id);
}

// The value, or the fallback when the holder has none.
inline uint16_t ValueOr(GObjectBase* holder, long id, uint16_t fallback)
{
    const GValueAttribute* value = Value(holder, id);
    return value ? value->GetValue() : fallback;
}

inline bool ValueIs(GObjectBase* holder, long id, uint16_t wanted)
{
    const GValueAttribute* value = Value(holder, id);
    return value && value->GetValue() == wanted;
}

// Sets the value, adding it when the holder has none.
inline void SetValue(GObjectBase* holder, long id, uint16_t value)
{
    if (GValueAttribute* found = Value(holder, id))
        found->SetValue(value);
    else if (holder)
        holder->Add(new GValueAttribute(value, id));
}

// Sets a value the holder has; a missing one stays missing.
inline void SetExisting(GObjectBase* holder, long id, uint16_t value)
{
    if (GValueAttribute* found = Value(holder, id))
        found->SetValue(value);
}

// Puts a new value in place of whatever member the holder has under the id.
inline void PutValue(GObjectBase* holder, long id, uint16_t value)
{
    if (!holder)
        return;
    GObjectBase::Drop(holder->RemoveById(id));
    holder->Add(new GValueAttribute(value, id));
}

// The text of the holder's string setting; empty when it has none.
inline RWCString Text(GObjectBase* holder, long id)
{
    const GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(holder, id);
    return text ? text->GetString() : RWCString();
}

// Adds a deep copy of the source's member of the id when the source holds one.
inline void CopySetting(GObjectBase* source, long id, GObjectBase* into)
{
    GObjectBase* found = source ? source->FindById(id) : nullptr;
    if (found && into)
        into->Add(found->DeepCopy());
}

// Turns the holder's orientation half round, for the other side of a sheet: 0 and 180,
// 90 and 270 change places; other values stay.
inline void TurnOrientationHalfRound(GObjectBase* holder)
{
    static const struct {
        uint16_t from, to;
    } turns[] = {{0, 180}, {90, 270}, {180, 0}, {270, 90}};
    GValueAttribute* orientation = Value(holder, FeatureId::kOrientation);
    if (!orientation)
        return;
    for (const auto& turn : turns)
        if (turn.from == orientation->GetValue()) {
            orientation->SetValue(turn.to);
            return;
        }
}

} // namespace SettingValues
