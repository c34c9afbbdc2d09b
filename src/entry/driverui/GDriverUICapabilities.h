// The device capabilities of the driver UI object: one answer per capability index, from
// the current DEVMODE object, the printer's configuration and the settings, with the
// paper lists cached until the state word marks them stale.
#pragma once

#include "entry/module/GDriverUIOperations.h"
#include "foundation/RWWString.h"

#include <cstdint>
#include <vector>

class GDriverUI;
class GObjectBase;

class GDriverUICapabilities {
public:
    explicit GDriverUICapabilities(GDriverUI& ui) : ui_(ui) {}
    GDriverUICapabilities(const GDriverUICapabilities&) = delete;
    GDriverUICapabilities& operator=(const GDriverUICapabilities&) = delete;

    // The answer of one capability index for the DEVMODE (null: the defaults).
    DWORD DeviceCapabilities(WORD capability, PVOID output, PDEVMODEW devMode);
    // The paper lists of the capability queries, rebuilt when the state word marks them
    // stale: the count, or -1 for none.
    DWORD EnumPapers(wchar_t* names, WORD* codes, POINT* sizes);
    // The orientation answer of a settings value.
    static DWORD OrientationAnswer(const uint16_t* value);
    // One extent in tenths of a millimetre packed as the capability answers it: width in
    // the low word, length in the high one; 0 when either is 65535 or more.
    static DWORD PackExtent(int32_t width, int32_t length);
    // The signed value of a value or range member of the holder; the fallback when it
    // has neither.
    static int16_t SignedOf(GObjectBase* holder, long id, int16_t fallback);
    // The custom size's paper name is read again at its next use: for another printer.
    void ForgetCustomSizeName() { customSizeNameRead_ = false; }

private:
    DWORD Capability(WORD capability, PVOID output);
    DWORD Bins(WORD* numbers, wchar_t* names);
    DWORD Resolutions(LONG* pairs);
    DWORD Extent(uint16_t mediaId);
    DWORD Duplex();
    void FreePaperCache();

    GDriverUI& ui_;
    uint32_t paperCount_ = 0;
    std::vector<wchar_t> paperNames_;
    std::vector<WORD> paperCodes_;
    std::vector<POINT> paperSizes_;
    // The custom size's paper name from the resource library, learnt once for the
    // printer (loading the library is a file mapping each time).
    bool customSizeNameRead_ = false;
    RWWString customSizeName_;
};
