// What an application sets in a DEVMODE comes back through the platform's
// DocumentPropertiesW on the installed test printer, one field changed at a time from the
// printer's own default, together with the device capabilities that offer each choice.
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const size_t kTotal = 1172;
const size_t kPublic = 220;
// A DEVMODE of an older application: the public part cut short after dmTTOption.
const size_t kShort = 156;

DEVMODEW& As(Bytes& bytes) { return *reinterpret_cast<DEVMODEW*>(bytes.data()); }
const DEVMODEW& As(const Bytes& bytes) { return *reinterpret_cast<const DEVMODEW*>(bytes.data()); }

class DevModeRoundTrip : public testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        name = printer.Name();
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
        SetLastError(0xdeadbeef);
        defaults = Ask(nullptr);
        ASSERT_EQ(kTotal, defaults.size());
    }
    void TearDown() override
    {
        if (handle)
            ClosePrinter(handle);
    }

    // The DEVMODE the module answers for the input (the printer's default without one).
    Bytes Ask(const Bytes* in)
    {
        Bytes out(kTotal + 64, 0xEE);
        As(out).dmSize = sizeof(DEVMODEW);
        const DWORD mode = in ? DM_IN_BUFFER | DM_OUT_BUFFER : DM_OUT_BUFFER;
        const LONG answer = DocumentPropertiesW(nullptr, handle, &name[0], &As(out),
                                                in ? const_cast<DEVMODEW*>(&As(*in)) : nullptr, mode);
        EXPECT_EQ(IDOK, answer);
        out.resize(kTotal);
        return out;
    }
    long Capability(WORD index, void* output = nullptr)
    {
        return DeviceCapabilitiesW(name.c_str(), L"FILE:", index, static_cast<wchar_t*>(output), nullptr);
    }
    template <class T>
    std::vector<T> List(WORD index, size_t width = 1)
    {
        const long count = Capability(index);
        std::vector<T> items(count > 0 ? size_t(count) * width : 0);
        if (count > 0) {
            EXPECT_EQ(count, Capability(index, items.data()));
        }
        return items;
    }
    bool Bin(WORD bin)
    {
        const std::vector<WORD> bins = List<WORD>(DC_BINS);
        return std::find(bins.begin(), bins.end(), bin) != bins.end();
    }
    bool Paper(WORD paper)
    {
        const std::vector<WORD> papers = List<WORD>(DC_PAPERS);
        return std::find(papers.begin(), papers.end(), paper) != papers.end();
    }
    bool PaperName(const wchar_t* form)
    {
        const std::vector<wchar_t> names = List<wchar_t>(DC_PAPERNAMES, 64);
        for (size_t at = 0; at < names.size(); at += 64)
            if (std::wcsncmp(&names[at], form, 64) == 0)
                return true;
        return false;
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name;
    HANDLE handle = nullptr;
    Bytes defaults;
};

void Name(DEVMODEW& d, const wchar_t* form)
{
    std::memset(d.dmFormName, 0, sizeof d.dmFormName);
    std::wcsncpy(d.dmFormName, form, CCHFORMNAME - 1);
}

std::wstring FormOf(const DEVMODEW& d) { return std::wstring(d.dmFormName, wcsnlen(d.dmFormName, CCHFORMNAME)); }

TEST_F(DevModeRoundTrip, ThePrintersDefaultIsLetterPortraitFromABinTheModuleLists)
{
    const DEVMODEW& d = As(defaults);
    EXPECT_EQ(DMPAPER_LETTER, d.dmPaperSize);
    EXPECT_EQ(L"Letter", FormOf(d));
    EXPECT_TRUE(d.dmFields & DM_FORMNAME);
    EXPECT_EQ(DMORIENT_PORTRAIT, d.dmOrientation);
    EXPECT_EQ(DMDUP_SIMPLEX, d.dmDuplex);
    EXPECT_EQ(DMCOLOR_COLOR, d.dmColor);
    EXPECT_EQ(100, d.dmScale);
    ASSERT_TRUE(d.dmFields & DM_DEFAULTSOURCE);
    EXPECT_TRUE(Bin(WORD(d.dmDefaultSource))) << d.dmDefaultSource;
    // What the DEVMODE flags is what DC_FIELDS reports.
    EXPECT_EQ(long(d.dmFields), Capability(DC_FIELDS));
    EXPECT_EQ(0u, d.dmFields & DM_SCALE);
}

// Each row changes the printer's default DEVMODE as an application would and names what
// comes back, with the capabilities that offer (or do not offer) the choice.
TEST_F(DevModeRoundTrip, WhatAnApplicationSetsComesBackAsTheCapabilitiesOfferIt)
{
    const struct {
        const char* what;
        size_t size;                      // bytes handed in: whole, public part or cut short
        void (*change)(DEVMODEW&);
        void (*check)(const DEVMODEW& before, const DEVMODEW& after);
        bool (*offered)(DevModeRoundTrip&);
    } rows[] = {
        {"simplex", kTotal, [](DEVMODEW& d) { d.dmDuplex = DMDUP_SIMPLEX; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMDUP_SIMPLEX, a.dmDuplex); },
         [](DevModeRoundTrip& t) { return t.Capability(DC_DUPLEX) == 1; }},
        {"two-sided from simplex", kTotal, [](DEVMODEW& d) { d.dmDuplex = DMDUP_HORIZONTAL; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMDUP_HORIZONTAL, a.dmDuplex); },
         [](DevModeRoundTrip& t) { return t.Capability(DC_DUPLEX) == 1; }},
        {"monochrome", kTotal, [](DEVMODEW& d) { d.dmColor = DMCOLOR_MONOCHROME; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMCOLOR_MONOCHROME, a.dmColor);
             EXPECT_TRUE(a.dmFields & DM_COLOR);
         },
         [](DevModeRoundTrip& t) { return t.Capability(DC_COLORDEVICE) == 1; }},
        // The scale is no field this driver maps: DC_FIELDS does not offer it and the
        // default's 100 stands.
        {"scale 50", kTotal, [](DEVMODEW& d) { d.dmScale = 50, d.dmFields |= DM_SCALE; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(100, a.dmScale);
             EXPECT_EQ(0u, a.dmFields & DM_SCALE);
         },
         [](DevModeRoundTrip& t) { return (t.Capability(DC_FIELDS) & DM_SCALE) == 0; }},
        {"collated copies", kTotal,
         [](DEVMODEW& d) { d.dmCollate = DMCOLLATE_TRUE, d.dmCopies = 3, d.dmFields |= DM_COLLATE; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMCOLLATE_TRUE, a.dmCollate);
             EXPECT_EQ(3, a.dmCopies);
             EXPECT_TRUE(a.dmFields & DM_COLLATE);
         },
         [](DevModeRoundTrip& t) { return t.Capability(DC_COLLATE) == 1; }},
        {"source Tray 2", kTotal, [](DEVMODEW& d) { d.dmDefaultSource = 258, d.dmFields |= DM_DEFAULTSOURCE; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(258, a.dmDefaultSource); },
         [](DevModeRoundTrip& t) { return t.Bin(258); }},
        {"custom 150 x 200 mm", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperSize = DMPAPER_USER, d.dmPaperWidth = 1500, d.dmPaperLength = 2000;
             d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
         },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_USER, a.dmPaperSize);
             EXPECT_EQ(1500, a.dmPaperWidth);
             EXPECT_EQ(2000, a.dmPaperLength);
             EXPECT_EQ(0u, a.dmFields & DM_FORMNAME) << "no form names a custom size";
         },
         [](DevModeRoundTrip& t) {
             const long smallest = t.Capability(DC_MINEXTENT), largest = t.Capability(DC_MAXEXTENT);
             return t.Paper(DMPAPER_USER) && LOWORD(smallest) <= 1500 && HIWORD(smallest) <= 2000 &&
                    LOWORD(largest) >= 1500 && HIWORD(largest) >= 2000;
         }},
        // A width and a length without a paper size ask for the custom size; one of them
        // alone, or with the other 0, asks for nothing new.
        {"paper 0 with 150 x 200 mm", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperSize = 0, d.dmPaperWidth = 1500, d.dmPaperLength = 2000;
             d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
         },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_USER, a.dmPaperSize);
             EXPECT_EQ(1500, a.dmPaperWidth);
             EXPECT_EQ(2000, a.dmPaperLength);
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_USER); }},
        {"150 x 200 mm without a paper size, the form name left as it was", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperWidth = 1500, d.dmPaperLength = 2000;
             d.dmFields = (d.dmFields | DM_PAPERWIDTH | DM_PAPERLENGTH) & ~DWORD(DM_PAPERSIZE);
         },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_USER, a.dmPaperSize);
             EXPECT_EQ(1500, a.dmPaperWidth);
             EXPECT_EQ(2000, a.dmPaperLength);
             EXPECT_EQ(0u, a.dmFields & DM_FORMNAME);
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_USER); }},
        {"paper 0 with a width only", kTotal,
         [](DEVMODEW& d) { d.dmPaperSize = 0, d.dmPaperWidth = 1500, d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH; },
         [](const DEVMODEW& b, const DEVMODEW& a) {
             EXPECT_EQ(b.dmPaperSize, a.dmPaperSize) << "the default paper, as for any unknown paper";
             EXPECT_EQ(0u, a.dmFields & DM_PAPERWIDTH);
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LETTER); }},
        {"paper 0 with a width and a length of 0", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperSize = 0, d.dmPaperWidth = 1500, d.dmPaperLength = 0;
             d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
         },
         [](const DEVMODEW& b, const DEVMODEW& a) { EXPECT_EQ(b.dmPaperSize, a.dmPaperSize); },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LETTER); }},
        {"paper 0 with a width of 0 and a length", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperSize = 0, d.dmPaperWidth = 0, d.dmPaperLength = 2000;
             d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
         },
         [](const DEVMODEW& b, const DEVMODEW& a) { EXPECT_EQ(b.dmPaperSize, a.dmPaperSize); },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LETTER); }},
        {"a length only without a paper size", kTotal,
         [](DEVMODEW& d) {
             d.dmPaperLength = 2000;
             d.dmFields = (d.dmFields | DM_PAPERLENGTH) & ~DWORD(DM_PAPERSIZE | DM_FORMNAME);
         },
         [](const DEVMODEW& b, const DEVMODEW& a) { EXPECT_EQ(b.dmPaperSize, a.dmPaperSize); },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LETTER); }},
        {"form name A4 alone", kTotal,
         [](DEVMODEW& d) { Name(d, L"A4"), d.dmFields = (d.dmFields | DM_FORMNAME) & ~DWORD(DM_PAPERSIZE); },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_A4, a.dmPaperSize);
             EXPECT_EQ(L"A4", FormOf(a));
         },
         [](DevModeRoundTrip& t) { return t.PaperName(L"A4"); }},
        {"paper A4", kTotal, [](DEVMODEW& d) { d.dmPaperSize = DMPAPER_A4; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_A4, a.dmPaperSize);
             EXPECT_EQ(L"A4", FormOf(a)) << "the form name names the paper";
             EXPECT_TRUE(a.dmFields & DM_FORMNAME);
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_A4) && t.PaperName(L"A4"); }},
        {"5000 copies", kTotal, [](DEVMODEW& d) { d.dmCopies = 5000; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(999, a.dmCopies) << "as many as DC_COPIES says"; },
         [](DevModeRoundTrip& t) { return t.Capability(DC_COPIES) == 999; }},
        {"A4 landscape with another driver's private part", kTotal,
         [](DEVMODEW& d) {
             std::memcpy(reinterpret_cast<uint8_t*>(&d) + 224, "Another Driver\0", 15);
             d.dmPaperSize = DMPAPER_A4, d.dmOrientation = DMORIENT_LANDSCAPE;
         },
         [](const DEVMODEW& b, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_A4, a.dmPaperSize);
             EXPECT_EQ(DMORIENT_LANDSCAPE, a.dmOrientation);
             EXPECT_EQ(b.dmDuplex, a.dmDuplex) << "nothing asked for another duplex";
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_A4); }},
        {"A4 landscape, two-sided, with another driver's private part", kTotal,
         [](DEVMODEW& d) {
             std::memcpy(reinterpret_cast<uint8_t*>(&d) + 224, "Another Driver\0", 15);
             d.dmPaperSize = DMPAPER_A4, d.dmOrientation = DMORIENT_LANDSCAPE, d.dmDuplex = DMDUP_HORIZONTAL;
         },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMORIENT_LANDSCAPE, a.dmOrientation);
             EXPECT_EQ(DMDUP_HORIZONTAL, a.dmDuplex) << "the duplex asked for, whatever the orientation";
         },
         [](DevModeRoundTrip& t) { return t.Capability(DC_DUPLEX) == 1; }},
        {"landscape and two-sided, whole", kTotal,
         [](DEVMODEW& d) { d.dmOrientation = DMORIENT_LANDSCAPE, d.dmDuplex = DMDUP_HORIZONTAL; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMORIENT_LANDSCAPE, a.dmOrientation);
             EXPECT_EQ(DMDUP_HORIZONTAL, a.dmDuplex);
         },
         [](DevModeRoundTrip& t) { return t.Capability(DC_DUPLEX) == 1; }},
        // The cases that came back already, from whole, public-only and short DEVMODEs.
        {"A4, whole", kTotal, [](DEVMODEW& d) { d.dmPaperSize = DMPAPER_A4; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMPAPER_A4, a.dmPaperSize); },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_A4); }},
        {"Legal, public part", kPublic, [](DEVMODEW& d) { d.dmPaperSize = DMPAPER_LEGAL; },
         [](const DEVMODEW&, const DEVMODEW& a) {
             EXPECT_EQ(DMPAPER_LEGAL, a.dmPaperSize);
             EXPECT_EQ(L"Legal", FormOf(a));
         },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LEGAL); }},
        {"landscape, public part", kPublic, [](DEVMODEW& d) { d.dmOrientation = DMORIENT_LANDSCAPE; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMORIENT_LANDSCAPE, a.dmOrientation); },
         [](DevModeRoundTrip& t) { return t.Capability(DC_ORIENTATION) == 90; }},
        {"2 copies, short", kShort, [](DEVMODEW& d) { d.dmCopies = 2; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(2, a.dmCopies); },
         [](DevModeRoundTrip& t) { return t.Capability(DC_COPIES) >= 2; }},
        {"duplex 2, short", kShort, [](DEVMODEW& d) { d.dmDuplex = DMDUP_VERTICAL; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMDUP_VERTICAL, a.dmDuplex); },
         [](DevModeRoundTrip& t) { return t.Capability(DC_DUPLEX) == 1; }},
        {"Legal, short", kShort, [](DEVMODEW& d) { d.dmPaperSize = DMPAPER_LEGAL; },
         [](const DEVMODEW&, const DEVMODEW& a) { EXPECT_EQ(DMPAPER_LEGAL, a.dmPaperSize); },
         [](DevModeRoundTrip& t) { return t.Paper(DMPAPER_LEGAL); }},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(row.offered(*this)) << row.what << ": the capabilities offer it";
        Bytes in = defaults;
        row.change(As(in));
        // A short DEVMODE flags only the fields it holds: those up to dmCollate.
        if (row.size < kPublic)
            As(in).dmFields &= DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                               DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_YRESOLUTION |
                               DM_TTOPTION | DM_COLLATE;
        As(in).dmSize = WORD(std::min(row.size, kPublic));
        As(in).dmDriverExtra = WORD(row.size > kPublic ? row.size - kPublic : 0);
        in.resize(row.size);
        in.resize(kTotal, 0); // what lies past the DEVMODE's sizes is nobody's
        const Bytes out = Ask(&in);
        const DEVMODEW& after = As(out);
        row.check(As(defaults), after);
        EXPECT_EQ(kPublic, after.dmSize) << row.what;
        EXPECT_EQ(kTotal - kPublic, after.dmDriverExtra) << row.what;
        // The answer agrees with itself: its form, when it names one, is its paper's.
        if (after.dmFields & DM_FORMNAME) {
            const std::vector<WORD> papers = List<WORD>(DC_PAPERS);
            const std::vector<wchar_t> names = List<wchar_t>(DC_PAPERNAMES, 64);
            for (size_t i = 0; i < papers.size(); ++i) {
                if (papers[i] == WORD(after.dmPaperSize)) {
                    EXPECT_EQ(std::wstring(&names[i * 64]), FormOf(after)) << row.what;
                }
            }
        }
        // What the answer flags lies inside what the driver reports it takes.
        const DWORD sized = DM_FORMNAME | DM_PAPERWIDTH | DM_PAPERLENGTH;
        EXPECT_EQ(0u, after.dmFields & ~DWORD(Capability(DC_FIELDS)) & ~sized) << row.what;
    }
}

// A custom size asked by width and length alone is kept within the device's custom
// limits as DC_MINEXTENT and DC_MAXEXTENT report them: at each limit it stands, one
// tenth of a millimetre past it is brought back to it.
TEST_F(DevModeRoundTrip, ACustomSizeByWidthAndLengthStaysWithinTheExtents)
{
    const long smallest = Capability(DC_MINEXTENT), largest = Capability(DC_MAXEXTENT);
    ASSERT_GT(smallest, 0);
    ASSERT_GT(largest, smallest);
    const int minWidth = LOWORD(smallest), minLength = HIWORD(smallest);
    const int maxWidth = LOWORD(largest), maxLength = HIWORD(largest);
    const struct {
        const char* what;
        int width, length, wantWidth, wantLength;
    } rows[] = {
        {"one by one", 1, 1, minWidth, minLength},
        {"at the smallest", minWidth, minLength, minWidth, minLength},
        {"below the smallest", minWidth - 1, minLength - 1, minWidth, minLength},
        {"at the largest", maxWidth, maxLength, maxWidth, maxLength},
        {"above the largest", maxWidth + 1, maxLength + 1, maxWidth, maxLength},
    };
    for (const auto& row : rows) {
        Bytes in = defaults;
        DEVMODEW& d = As(in);
        d.dmPaperSize = 0, d.dmPaperWidth = short(row.width), d.dmPaperLength = short(row.length);
        d.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        const Bytes out = Ask(&in);
        EXPECT_EQ(DMPAPER_USER, As(out).dmPaperSize) << row.what;
        EXPECT_EQ(row.wantWidth, As(out).dmPaperWidth) << row.what;
        EXPECT_EQ(row.wantLength, As(out).dmPaperLength) << row.what;
    }
}

} // namespace
