// A narrow slice of the system services for code that must not see them whole: the
// printer data and stored objects of one client, bound once, so that each call names
// only the value. Calls go to the system services that were live when it was made.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>

class GDriverObject;
class GObjectBase;
class GOSFactory;

class GServicesAdapter {
public:
    virtual ~GServicesAdapter();
};

class GDriverServicesAdapter : public GServicesAdapter {
public:
    GDriverServicesAdapter(GDriverObject* client, GOSFactory* services);
    GDriverServicesAdapter(const GDriverServicesAdapter&) = delete;
    GDriverServicesAdapter& operator=(const GDriverServicesAdapter&) = delete;
    ~GDriverServicesAdapter() override;

    virtual int SetDword(const RWWString& name, uint32_t value);
    virtual int SetString(const RWWString& name, const RWWString& text);
    virtual int SetBinary(const RWWString& name, const void* data, uint32_t length);
    virtual int SaveObjectNamed(const RWWString& name, const GObjectBase* object);
    virtual int SaveObjectNumbered(uint32_t number, const GObjectBase* object);
    virtual uint32_t GetDword(const RWWString& name, uint32_t fallback);
    virtual RWWString& GetString(RWWString& result, const RWWString& name, const RWWString& fallback);
    virtual int GetBinary(const RWWString& name, void* buffer, uint32_t size, uint32_t& length);
    virtual GObjectBase* LoadObjectNamed(const RWWString& name, int portable);
    virtual GObjectBase* LoadObjectNumbered(const uint32_t& number, int portable);

    // The value name of a number: its unsigned decimal text.
    static RWWString NumberedName(uint32_t number);

private:
    GDriverObject* client_;
    GOSFactory* services_;
};
