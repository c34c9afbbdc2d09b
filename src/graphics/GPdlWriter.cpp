#include "graphics/GPdlWriter.h"

GPdlWriter::GPdlWriter() : GStoredLevel(kWriterId) {}

GPdlWriter::GPdlWriter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                       uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode)
    : GStoredLevel(name, initialState, configuration, id, addOnListId, addOnKind, addOnMode)
{
}

GPdlWriter::GPdlWriter(const GPdlWriter& other) : GStoredLevel(other) {}

GPdlWriter& GPdlWriter::operator=(const GPdlWriter& other)
{
    GStoredLevel::operator=(other);
    return *this;
}

GPdlWriter::~GPdlWriter() = default;

uint32_t GPdlWriter::ReleaseDeviceMemory(uint32_t bytes) { return budget_.Release(bytes); }

uint32_t GPdlWriter::ReserveDeviceMemory(uint32_t bytes) { return budget_.Reserve(bytes); }
