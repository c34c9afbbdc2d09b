#include "entry/module/DocumentEventRecord.h"

#include <cstddef>

namespace {

// dmFields bit -> the end of the field it names in the public part.
const struct {
    DWORD bit;
    uint32_t end;
} kFieldEnds[] = {
    {DM_ORIENTATION, 78},   {DM_PAPERSIZE, 80},    {DM_PAPERLENGTH, 82},  {DM_PAPERWIDTH, 84},
    {DM_SCALE, 86},         {DM_COPIES, 88},       {DM_DEFAULTSOURCE, 90}, {DM_PRINTQUALITY, 92},
    {DM_COLOR, 94},         {DM_DUPLEX, 96},       {DM_YRESOLUTION, 98},  {DM_TTOPTION, 100},
    {DM_COLLATE, 102},      {DM_FORMNAME, 166},    {DM_LOGPIXELS, 168},   {DM_BITSPERPEL, 172},
    {DM_PELSWIDTH, 176},    {DM_PELSHEIGHT, 180},  {DM_DISPLAYFLAGS, 184}, {DM_DISPLAYFREQUENCY, 188},
    {DM_ICMMETHOD, 192},    {DM_ICMINTENT, 196},   {DM_MEDIATYPE, 200},   {DM_DITHERTYPE, 204},
};

// The end of dmFields: a DEVMODE shorter than this cannot say which fields it holds.
const uint32_t kFieldsEnd = 76;

bool PointerRoom(ULONG size, const void* pointer) { return pointer && size >= sizeof(void*); }

} // namespace

bool DocumentEventRecord::DevModeAcceptable(const DEVMODEW* devMode)
{
    if (!devMode)
        return true;
    if (IsBadReadPtr(devMode, kFieldsEnd))
        return false;
    const uint32_t size = devMode->dmSize;
    const uint32_t total = size + devMode->dmDriverExtra;
    if (size < kFieldsEnd || total > kLargestDevMode)
        return false;
    for (const auto& field : kFieldEnds)
        if ((devMode->dmFields & field.bit) && field.end > size)
            return false;
    return !IsBadReadPtr(devMode, total);
}

uint32_t DocumentEventRecord::CopySize(const DEVMODEW* devMode)
{
    const uint32_t total = uint32_t(devMode->dmSize) + devMode->dmDriverExtra;
    // The stamp fields lie past a small DEVMODE: its copy grows to hold them.
    return total < kStampBiasOffset + 2 ? kSmallestCopy : total;
}

bool DocumentEventRecord::ArgumentsValid(int event, ULONG inputSize, const void* input, ULONG outputSize,
                                         const void* output)
{
    switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE: {
        if (!input || inputSize < sizeof(DOCEVENT_CREATEDCPRE) || IsBadReadPtr(input, sizeof(DOCEVENT_CREATEDCPRE)))
            return false;
        if (!PointerRoom(outputSize, output))
            return false;
        return DevModeAcceptable(static_cast<const DOCEVENT_CREATEDCPRE*>(input)->pdm);
    }
    case DOCUMENTEVENT_RESETDCPRE:
        if (!PointerRoom(inputSize, input) || !PointerRoom(outputSize, output))
            return false;
        return DevModeAcceptable(*static_cast<const DEVMODEW* const*>(input));
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_RESETDCPOST:
        return PointerRoom(inputSize, input);
    default:
        return true;
    }
}
