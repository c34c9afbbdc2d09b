#include "graphics/GPdlWriter.h"

GPdlWriter::GPdlWriter() : GStoredLevel(kWriterId) {}

GPdlWriter::GPdlWriter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                       uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode)
    : GStoredLevel(name, initialState, configuration, id, addOnListId, addOnKind, addOnMode)
{
}

GPdlWriter::~GPdlWriter() = default;
