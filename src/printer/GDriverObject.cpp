#include "printer/GDriverObject.h"

#include "model/GResourceMappingList.h"

namespace {

template <class T>
void Replace(T*& field, T* object)
{
    if (field == object)
        return;
    T* old = field;
    field = object;
    delete old;
}

} // namespace

GDriverObject::~GDriverObject()
{
    delete printer_;
    delete idPool_;
    delete subObject3_;
    delete idMap_;
}

void GDriverObject::SetPrinter(GObjectBase* printer) { Replace(printer_, printer); }
void GDriverObject::SetIdPool(GResourceMappingList* pool) { Replace(idPool_, pool); }
void GDriverObject::SetSubObject3(GResourceMappingList* map) { Replace(subObject3_, map); }
void GDriverObject::SetIdMap(GResourceMappingList* map) { Replace(idMap_, map); }
