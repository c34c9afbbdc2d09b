#include "printer/GDriverModel.h"

#include "model/GObjectBase.h"
#include "model/GResourceMappingList.h"

#include <utility>

GDriverModel::GDriverModel() = default;
GDriverModel::~GDriverModel() = default;

void GDriverModel::Swap(GDriverModel& other)
{
    std::swap(printer, other.printer);
    std::swap(idPool, other.idPool);
    std::swap(osTrayMap, other.osTrayMap);
    std::swap(idMap, other.idMap);
    std::swap(source, other.source);
}
