// The per-printer driver object as the system services see it: the first argument of
// every printer-data operation. The driver object itself lives with the driver core.
#pragma once

class GDriverObject {
public:
    virtual ~GDriverObject() = default;
};
