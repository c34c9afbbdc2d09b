// What the graphics objects ask of the page-description writer they serve: a colour paint
// sets itself as the writer's pen or brush, a downloaded font record books and returns the
// device memory it uses. The writer base implements it, so graphics never names the writers.
#pragma once

#include "foundation/RWCString.h"

#include <cstdint>

class GColorPaint;

class GPdlTarget {
public:
    virtual ~GPdlTarget() = default;

    virtual int16_t SetPenColor(GColorPaint& paint) = 0;
    virtual int16_t SetBrushColor(GColorPaint& paint) = 0;
    virtual uint32_t ReserveDeviceMemory(uint32_t bytes) = 0;
    virtual uint32_t ReleaseDeviceMemory(uint32_t bytes) = 0;
    virtual void RemoveDownloadedFont(const RWCString& name) = 0;
};
