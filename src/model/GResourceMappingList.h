// A list of resource mappings searched by any of their three fields. A mapping enters
// only when its second code and resource are free (or, through AddIfSecondCodeFree,
// only its second code); the generic Add and Prepend of composites add nothing. Members that are
// not mappings are passed over by every search.
#pragma once

#include "model/GResourceMapping.h"
#include "model/MVersionedComposite.h"

class GResourceMappingList : public GPersistent<GResourceMappingList, MVersionedComposite, 1005> {
public:
    static constexpr const char* kClassName = "GResourceMappingList";
    auto StoredForm() { return GNoFields(); }
    GResourceMappingList* CreateNew() const override { return new GResourceMappingList; }
    GResourceMappingList* Copy() const override { return new GResourceMappingList(*this); }

    GResourceMappingList();
    explicit GResourceMappingList(const long& id);
    // Shares the source's members, as every composite does.
    GResourceMappingList(const GResourceMappingList& other) = default;
    GResourceMappingList& operator=(const GResourceMappingList& other) = default;
    ~GResourceMappingList() override;

    // Both add nothing: the object stays the caller's.
    void Add(GObjectBase* object) override;
    void Prepend(GObjectBase* object) override;
    // A new list with the id and a copy of every member, in order.
    GResourceMappingList* DeepCopy() const override;

    // 1 when the mapping was appended (the list owns it); 0 when a member has its second
    // code or its resource, or the list is full: the mapping stays the caller's.
    int Add(GResourceMapping* mapping);
    // The same with only the second-code test.
    int AddIfSecondCodeFree(GResourceMapping* mapping);
    // Appends a mapping read back from a stored list, as a restore does: stored lists
    // keep every mapping in order, repeated codes included. 1 when appended; 0 when the
    // list is full (the mapping stays the caller's).
    int AppendStored(GResourceMapping* mapping) { return mapping ? Append(mapping) : 0; }

    // The first member in list order that matches, borrowed; null when none. A second
    // code is searched as an unsigned number, so codes from 0x8000 up are never found.
    GResourceMapping* FindByFirstCode(uint16_t code);
    GResourceMapping* FindBySecondCode(uint16_t code);
    GResourceMapping* FindByResource(uint32_t resource);
    // Remove the first match and hand it to the caller; null when none.
    GResourceMapping* RemoveByFirstCode(uint16_t code);
    GResourceMapping* RemoveBySecondCode(uint16_t code);
    GResourceMapping* RemoveByResource(uint32_t resource);

private:
    int Append(GResourceMapping* mapping);
    GResourceMapping* RemoveMapping(GResourceMapping* mapping);
};
