// The DEVMODE holder that maps the public DEVMODEW fields to and from the settings tree,
// builds the default public part and judges what a DEVMODE asks of the device.
//
// So far it writes the identity fields and the private header of a default DEVMODE;
// the field mapping answers success and changes nothing, and the field checks accept
// every DEVMODE, until the mapping tables are in place.
#pragma once

#include "settings/devmode/GDevModeBase.h"

class GDevModeConverter : public GDevModeBase {
public:
    explicit GDevModeConverter(GDriverObject* driver);
    GDevModeConverter(const GDevModeConverter& other) = default;
    ~GDevModeConverter() override;

    // Also writes the printer name into dmDeviceName when it differs.
    void BindDriver(GDriverObject* driver) override;
    int ToDevMode(GObjectBase* tree, DEVMODEW* devMode) override;
    int FromDevMode(const DEVMODEW* devMode, GObjectBase* tree) override;
    RWWString GetDeviceName() override;
    RWCString GetDriverName() override;

    // For an application flagged 0x80 on a colour device: dmColor monochrome.
    virtual void ForceMonochromeForApplication();
    // Brings dmCollate of a 0x400 or 0x401 DEVMODE in line with the device's collation.
    virtual void NormalizeCollate(DEVMODEW* devMode);
    virtual uint16_t GetSpecVersion() = 0;
    virtual uint16_t GetDriverVersion();
    // 1 when every flagged field can be honoured, else 0 with the failing dmFields bits.
    virtual int CheckDevMode(void* unused, const DEVMODEW* devMode, int checkAll, uint32_t& mask);
    // Same sizes and the same dmSize + dmDriverExtra bytes as the object's own.
    virtual int PublicEquals(const DEVMODEW* devMode);
    virtual int IsEmfDatatype();
    // A fresh public part (identity and sizes) and private header, nothing packed.
    virtual void SetDefaults();
    // The resolution and bits of a DMRES_ quality: 1 when found.
    virtual int MapPrintQuality(int16_t quality, uint16_t& x, uint16_t& y, uint16_t& bits, GObjectBase* tree);
    virtual int ResolutionToQuality(GObjectBase* tree, uint16_t x, uint16_t y, int16_t& quality);
    // 0: no form passes the device check here.
    virtual int IsFormSupported(const wchar_t* formName, uint32_t& out, uint16_t xResolution, uint16_t yResolution,
                                uint32_t angle);
    virtual int CheckPair(uint32_t first, uint32_t second);
    // The tray name of a DMBIN_ code, and the code of a tray name: 1 when found.
    virtual int SourceName(int16_t binCode, RWCString& name);
    virtual int SourceFromName(GObjectBase* tree, const RWCString& name, int16_t& binCode);

protected:
    // dmDeviceName := the printer name, at most 31 characters and a 0.
    void WriteDeviceName(uint8_t* devMode);
};
