// The DEVMODE holder that maps the public DEVMODEW fields to and from the settings tree,
// builds the default public part and judges what a DEVMODE asks of the device.
//
// A DEVMODE from outside is read only as far as its dmSize vouches: a field whose end
// lies past dmSize counts as absent, whatever dmFields says. The ICM method and intent
// are flagged with 0x2000000 and 0x4000000 of dmFields, as the driver's stored DEVMODEs
// carry them.
#pragma once

#include "settings/devmode/GDevModeBase.h"

class GDevModeConverter : public GDevModeBase {
public:
    explicit GDevModeConverter(GDriverObject* driver);
    GDevModeConverter(const GDevModeConverter& other) = default;
    ~GDevModeConverter() override;

    // Also writes the printer name into dmDeviceName when it differs.
    void BindDriver(GDriverObject* driver) override;
    // The public fields and dmFields from the tree, inside the DEVMODE's dmSize; a field
    // the tree cannot give keeps its value with its bit cleared. 1.
    int ToDevMode(GObjectBase* tree, DEVMODEW* devMode) override;
    // The flagged fields into the tree, each only when the tree holds its feature. 1.
    int FromDevMode(const DEVMODEW* devMode, GObjectBase* tree) override;
    RWWString GetDeviceName() override;
    RWCString GetDriverName() override;

    // For an application flagged 0x80 on a colour device: dmColor monochrome.
    virtual void ForceMonochromeForApplication();
    // Brings dmCollate of a 0x400 or 0x401 DEVMODE in line with the device's collation.
    virtual void NormalizeCollate(DEVMODEW* devMode);
    virtual uint16_t GetSpecVersion() = 0;
    virtual uint16_t GetDriverVersion();
    // 1 when every flagged field can be honoured, else 0 with the failing dmFields bits;
    // checkAll 1 collects every fault, otherwise the first ends the check. Changes no
    // setting.
    virtual int CheckDevMode(void* unused, const DEVMODEW* devMode, int checkAll, uint32_t& mask);
    // The object's own DEVMODE made again from its tree when its own check refuses any
    // field (a source the printer as now installed does not offer, a paper, copies), when
    // the printer cannot print two sides it asks for, or when it can and the duplex field
    // is not offered; without a duplex unit or manual duplexing the tree asks one side. A
    // field still refused then is no longer flagged.
    // 1 when it was made again, 0 when nothing needed it.
    virtual int FollowInstalledState();
    // Same sizes and the same dmSize + dmDriverExtra bytes as the object's own.
    virtual int PublicEquals(const DEVMODEW* devMode);
    virtual int IsEmfDatatype();
    // The default public part and a fresh private header, nothing packed.
    virtual void SetDefaults();
    // The resolution and bits of a quality (a DMRES_ code or a preset's key): 1 when
    // found. A preset's other settings are copied into the tree when one is given.
    virtual int MapPrintQuality(int16_t quality, uint16_t& x, uint16_t& y, uint16_t& bits, GObjectBase* tree);
    // The quality key of a resolution (and, with presets, of the tree's settings).
    virtual int ResolutionToQuality(GObjectBase* tree, uint16_t x, uint16_t y, int16_t& quality);
    // 0 here: the DEVMODE object that knows the spooler's forms answers it.
    virtual int IsFormSupported(const wchar_t* formName, uint32_t& out, uint16_t xResolution, uint16_t yResolution,
                                uint32_t angle);
    virtual int CheckPair(uint32_t first, uint32_t second);
    // The tray name of a DMBIN_ code (the extra sources first, then the installed trays
    // of the OS tray map), and the code of a tray of feature 193 (the tree's, then the
    // configuration's) named exactly so: 1 when found.
    virtual int SourceName(int16_t binCode, RWCString& name);
    virtual int SourceFromName(GObjectBase* tree, const RWCString& name, int16_t& binCode);

protected:
    // The dmFields bits of a DEVMODE from outside whose fields lie inside its dmSize.
    static uint32_t PresentFields(const void* devMode);
    // The configuration of the driver object's printer; null without one.
    GObjectBase* Configuration() const;
    // The device's resolution list: 1300 when the driver's 1302 is 2, else 206.
    GObjectBase* ResolutionList() const;
    // The smallest and largest custom size in tenths of a millimetre at the tree's
    // resolution; 0 to 32767 without a media pool or a positive resolution.
    void CustomLimits(GObjectBase* tree, int32_t smallest[2], int32_t largest[2]);
    // True when a DEVMODE from outside asks for a custom size by its width and length
    // alone: both flagged and positive, with no paper size (unflagged or 0), on a device
    // that offers the custom size.
    bool AsksSizeByDimensions(const void* devMode);
    // dmDeviceName := the printer name, at most 31 characters and a 0.
    void WriteDeviceName(uint8_t* devMode);

private:
    // The public fields as one table of rows (bits, place, feature, into the tree, out of
    // it, check) that ToDevMode, FromDevMode and CheckDevMode each walk.
    struct FieldWalk;
    struct FieldRules;
};
