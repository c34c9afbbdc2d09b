// What a provider of the registry's service list (capability 0x10000) opens for a driver
// object: a service that answers for the printer's configuration, asked once and then
// deleted by the driver object. Such providers return this type from OpenSecondary.
#pragma once

#include <cstdint>

class GConfiguration;

class GProviderService {
public:
    GProviderService() = default;
    GProviderService(const GProviderService&) = delete;
    GProviderService& operator=(const GProviderService&) = delete;
    virtual ~GProviderService() = default;

    // The service's status for the configuration (0 for success).
    virtual uint32_t AnswerFor(GConfiguration& configuration) = 0;
};
