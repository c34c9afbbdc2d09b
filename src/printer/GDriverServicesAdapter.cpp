#include "printer/GDriverServicesAdapter.h"

#include "printer/GOSFactory.h"

#include <cstdio>

GServicesAdapter::~GServicesAdapter() = default;

GDriverServicesAdapter::GDriverServicesAdapter(GDriverObject* client, GOSFactory* services)
    : client_(client), services_(services)
{
}

GDriverServicesAdapter::~GDriverServicesAdapter() = default;

RWWString GDriverServicesAdapter::NumberedName(uint32_t number)
{
    char text[100];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(number));
    return RWWString(text);
}

int GDriverServicesAdapter::SetDword(const RWWString& name, uint32_t value)
{
    return services_->SetPrinterDataDword(client_, name, value);
}

int GDriverServicesAdapter::SetString(const RWWString& name, const RWWString& text)
{
    return services_->SetPrinterDataString(client_, name, text);
}

int GDriverServicesAdapter::SetBinary(const RWWString& name, const void* data, uint32_t length)
{
    return services_->SetPrinterDataBinary(client_, name, data, length);
}

int GDriverServicesAdapter::SaveObjectNamed(const RWWString& name, const GObjectBase* object)
{
    return services_->SaveObjectToPrinterData(client_, name, object);
}

int GDriverServicesAdapter::SaveObjectNumbered(uint32_t number, const GObjectBase* object)
{
    return services_->SaveObjectToPrinterData(client_, NumberedName(number), object);
}

uint32_t GDriverServicesAdapter::GetDword(const RWWString& name, uint32_t fallback)
{
    return services_->GetPrinterDataDword(client_, name, fallback);
}

RWWString& GDriverServicesAdapter::GetString(RWWString& result, const RWWString& name, const RWWString& fallback)
{
    services_->GetPrinterDataString(result, client_, name, fallback);
    return result;
}

int GDriverServicesAdapter::GetBinary(const RWWString& name, void* buffer, uint32_t size, uint32_t& length)
{
    return services_->GetPrinterDataBinary(client_, name, buffer, size, length);
}

GObjectBase* GDriverServicesAdapter::LoadObjectNamed(const RWWString& name, int portable)
{
    return services_->LoadObjectFromPrinterData(client_, name, portable);
}

GObjectBase* GDriverServicesAdapter::LoadObjectNumbered(const uint32_t& number, int portable)
{
    return services_->LoadObjectFromPrinterData(client_, NumberedName(number), portable);
}
