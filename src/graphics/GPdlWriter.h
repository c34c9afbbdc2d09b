// The base of the page-description writers: a peripheral composite that the printer
// recognises by kind (765) and to which it gives the writer's name under id 373. It does
// not answer a class id of its own; the concrete writers do.
#pragma once

#include "printer/GPeripheralComposite.h"

class GPdlWriter : public GStoredLevel<GPdlWriter, GPeripheralComposite, 765> {
public:
    // The id under which the printer finds its page-description writer.
    static constexpr long kWriterId = 101;
    // The id of the name attribute the printer adds to the writer's current state.
    static constexpr long kNameAttributeId = 373;

    GPdlWriter();
    GPdlWriter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
               uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode);
    GPdlWriter(const GPdlWriter& other) = default;
    ~GPdlWriter() override;

    auto StoredForm() { return GNoFields(); }
};
