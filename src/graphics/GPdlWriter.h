// The base of the page-description writers: a peripheral composite that the printer
// recognises by kind (765) and to which it gives the writer's name under id 373. It does
// not answer a class id of its own; the concrete writers do.
#pragma once

#include "graphics/GDeviceMemoryBudget.h"
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
    // The copy's memory budget is fresh (nothing used, the default total).
    GPdlWriter(const GPdlWriter& other);
    // The budget stays this writer's own.
    GPdlWriter& operator=(const GPdlWriter& other);
    ~GPdlWriter() override;

    // Gives bytes back to the memory budget: answers what is free after.
    virtual uint32_t ReleaseDeviceMemory(uint32_t bytes);
    // Takes bytes from the memory budget (all that is left when fewer are free):
    // answers what is free after.
    virtual uint32_t ReserveDeviceMemory(uint32_t bytes);
    // Deletes a downloaded font from the printer by its name: the writer's own language.
    virtual void RemoveDownloadedFont(const RWCString& name) = 0;

    GDeviceMemoryBudget& GetMemoryBudget() { return budget_; }
    const GDeviceMemoryBudget& GetMemoryBudget() const { return budget_; }

private:
    GDeviceMemoryBudget budget_;
};
