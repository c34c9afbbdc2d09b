// The DEVMODE converter over a colour laser printer model of the tests' making: the
// public fields to the DEVMODE and back, the defaults, the mismatch check, the quality
// and source maps. Forms are answered by the spooler of the test prefix.
#include "GuardedBytes.h"
#include "settings/devmode/GDriverDevMode.h"

#include "ConverterTestModel.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

using namespace ConverterModel;

namespace {

const uint32_t kIcmMethodFlag = 0x2000000, kIcmIntentFlag = 0x4000000;

DEVMODEW Blank()
{
    DEVMODEW devMode;
    std::memset(&devMode, 0, sizeof devMode);
    devMode.dmSpecVersion = 0x0401;
    devMode.dmSize = sizeof devMode;
    return devMode;
}

// A value of the tree, wherever it sits; 0xDEAD when absent.
uint16_t Get(GObjectBase* tree, long id)
{
    GObjectBase* found = tree->FindById(id);
    return found && found->ClassId() == GValueAttribute::kClassId ? static_cast<GValueAttribute*>(found)->GetValue()
                                                                   : 0xDEAD;
}

void Set(GObjectBase* tree, long id, uint16_t value)
{
    GObjectBase* found = tree->FindById(id);
    ASSERT_TRUE(found && found->ClassId() == GValueAttribute::kClassId) << id;
    static_cast<GValueAttribute*>(found)->SetValue(value);
}

void Remove(GObjectBase* holder, long id)
{
    ASSERT_TRUE(holder->FindById(id)) << id;
    delete holder->RemoveById(id);
}

// A converter over the model, its tree the model's document.
struct Fixture {
    explicit Fixture(uint16_t colourMode = 0, HANDLE printer = nullptr)
        : driver(colourMode, printer), devMode(&driver, nullptr), tree(devMode.GetSettingsTree())
    {
    }
    GObjectBase* Configuration() { return driver.GetPrinterConfiguration(); }
    DEVMODEW To()
    {
        DEVMODEW out = Blank();
        EXPECT_EQ(1, devMode.ToDevMode(tree, &out));
        return out;
    }
    Driver driver;
    GDriverDevMode devMode;
    GObjectBase* tree;
};

struct OpenedPrinter {
    OpenedPrinter()
    {
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ACCESS_USE};
        if (TestPrinter::Shared().Installed())
            OpenPrinterW(const_cast<wchar_t*>(TestPrinter::Shared().Name().c_str()), &handle, &access);
    }
    ~OpenedPrinter()
    {
        if (handle)
            ClosePrinter(handle);
    }
    HANDLE handle = nullptr;
};

} // namespace

TEST(ConverterToDevMode, OrientationDuplexAndCopies)
{
    Fixture f;
    const struct {
        uint16_t degrees;
        short orientation;
        short duplex[3];
    } rows[] = {{0, DMORIENT_PORTRAIT, {DMDUP_SIMPLEX, DMDUP_HORIZONTAL, DMDUP_VERTICAL}},
                {90, DMORIENT_LANDSCAPE, {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}},
                {180, DMORIENT_PORTRAIT, {DMDUP_SIMPLEX, DMDUP_HORIZONTAL, DMDUP_VERTICAL}},
                {270, DMORIENT_LANDSCAPE, {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}}};
    for (const auto& row : rows)
        for (uint16_t duplex = 0; duplex < 3; ++duplex) {
            Set(f.tree, 265, row.degrees);
            Set(f.tree, 253, duplex);
            const DEVMODEW out = f.To();
            EXPECT_EQ(row.orientation, out.dmOrientation) << row.degrees;
            EXPECT_EQ(row.duplex[duplex], out.dmDuplex) << row.degrees << " duplex " << duplex;
            EXPECT_TRUE(out.dmFields & DM_ORIENTATION);
            EXPECT_TRUE(out.dmFields & DM_DUPLEX);
        }
    Set(f.tree, 291, 42);
    EXPECT_EQ(42, f.To().dmCopies);
    Remove(f.tree, 291);
    Remove(f.tree, 265);
    DEVMODEW stale = Blank();
    stale.dmFields = DM_COPIES | DM_ORIENTATION;
    f.devMode.ToDevMode(f.tree, &stale);
    EXPECT_EQ(0u, stale.dmFields & (DM_COPIES | DM_ORIENTATION)) << "a missing feature clears its bit";
}

TEST(ConverterToDevMode, IcmIntentsUseOnlyTheDriversFlags)
{
    Fixture f;
    const uint32_t intents[] = {2, 1, 3, 4};
    for (uint16_t choice = 0; choice < 4; ++choice) {
        Set(f.tree, 351, choice);
        const DEVMODEW out = f.To();
        EXPECT_EQ(intents[choice], out.dmICMIntent) << choice;
        EXPECT_EQ(1u, out.dmICMMethod);
        EXPECT_EQ(kIcmMethodFlag | kIcmIntentFlag, out.dmFields & (kIcmMethodFlag | kIcmIntentFlag)) << choice;
        EXPECT_EQ(0u, out.dmFields & (DM_ICMMETHOD | DM_ICMINTENT)) << "never the platform's ICM bits";
    }
    const struct {
        uint16_t enable, method, intent;
        uint32_t dmMethod, flags;
    } rows[] = {{0, 0, 0, 1, kIcmMethodFlag},
                {1, 2, 0, 2, kIcmMethodFlag | kIcmIntentFlag},
                {1, 7, 0, 0, kIcmIntentFlag},
                {1, 0, 9, 1, kIcmIntentFlag}};
    for (const auto& row : rows) {
        Set(f.tree, 298, row.enable), Set(f.tree, 350, row.method), Set(f.tree, 351, row.intent);
        const DEVMODEW out = f.To();
        EXPECT_EQ(row.flags, out.dmFields & (kIcmMethodFlag | kIcmIntentFlag))
            << row.enable << row.method << row.intent;
        if (row.dmMethod) {
            EXPECT_EQ(row.dmMethod, out.dmICMMethod);
        }
    }
}

TEST(ConverterToDevMode, ColourByTheDeviceColourMode)
{
    const struct {
        uint16_t enable;
        int mode;  // 296, or -1 for absent
        uint16_t device;
        short color;
        bool flagged;
    } rows[] = {{0, 1, 0, DMCOLOR_COLOR, true},       {1, 1, 0, DMCOLOR_MONOCHROME, true},
                {1, 3, 1, DMCOLOR_MONOCHROME, true},  {1, 0, 1, DMCOLOR_COLOR, true},
                {1, 2, 0, DMCOLOR_COLOR, true},       {1, 1, 2, DMCOLOR_MONOCHROME, false},
                {1, 0, 2, DMCOLOR_COLOR, false},      {1, -1, 0, 0, false}};
    for (const auto& row : rows) {
        Fixture f(row.device);
        Set(f.tree, 294, row.enable);
        if (row.mode < 0)
            Remove(f.tree, 296);
        else
            Set(f.tree, 296, uint16_t(row.mode));
        const DEVMODEW out = f.To();
        EXPECT_EQ(row.flagged, (out.dmFields & DM_COLOR) != 0) << row.enable << " " << row.mode << " " << row.device;
        if (row.color) {
            EXPECT_EQ(row.color, out.dmColor) << row.enable << " " << row.mode << " " << row.device;
        }
    }
}

TEST(ConverterToDevMode, CollationNeedsTheDeviceAndTheSetting)
{
    const struct {
        uint16_t available, collate;
        bool flagged;
        short value;
    } rows[] = {{1, 1, true, DMCOLLATE_TRUE}, {1, 0, true, DMCOLLATE_FALSE}, {1, 5, true, DMCOLLATE_FALSE},
                {0, 1, false, DMCOLLATE_FALSE}};
    for (const auto& row : rows) {
        Fixture f;
        Set(f.Configuration(), 231, row.available);
        Set(f.tree, 292, row.collate);
        DEVMODEW out = Blank();
        out.dmCollate = 7;
        f.devMode.ToDevMode(f.tree, &out);
        EXPECT_EQ(row.flagged, (out.dmFields & DM_COLLATE) != 0) << row.available << row.collate;
        EXPECT_EQ(row.value, out.dmCollate) << row.available << row.collate;
    }
}

TEST(ConverterToDevMode, PaperCustomSizesAndReportedMediaSizes)
{
    Fixture f;
    DEVMODEW out = f.To();
    EXPECT_EQ(DMPAPER_LETTER, out.dmPaperSize);
    EXPECT_EQ(0u, out.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH)) << "sizes only for flagged applications";

    f.driver.SetAppFlags(0x200);
    for (uint16_t dpi : {600, 1200}) {
        Set(f.tree, 323, dpi), Set(f.tree, 324, dpi);
        out = f.To();
        EXPECT_EQ(DM_PAPERWIDTH | DM_PAPERLENGTH, out.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH));
        EXPECT_EQ(2159, out.dmPaperWidth) << dpi;
        EXPECT_EQ(2794, out.dmPaperLength) << dpi;
    }
    Set(f.tree, 260, 777);
    out = f.To();
    EXPECT_EQ(0u, out.dmFields & (DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH)) << "an unmapped paper";

    Set(f.tree, 260, kCustom);
    f.tree->Add(Value(1000, 1260)), f.tree->Add(Value(2000, 1261));
    out = f.To();
    EXPECT_EQ(DMPAPER_USER, out.dmPaperSize);
    EXPECT_EQ(1000, out.dmPaperWidth);
    EXPECT_EQ(2000, out.dmPaperLength);
    EXPECT_EQ(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH,
              out.dmFields & (DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH));
}

TEST(ConverterToDevMode, SourceByTrayThenByName)
{
    Fixture f;
    const struct {
        uint16_t tray;
        const char* name;
        bool flagged;
        short bin;
    } rows[] = {{11, "", true, DMBIN_LOWER},
                {14, "", true, DMBIN_AUTO},
                {11, "Manual Feed", true, DMBIN_MANUAL},
                {99, "Tray 3", true, DMBIN_MIDDLE},
                {99, "Nowhere", false, 0}};
    for (const auto& row : rows) {
        Set(f.tree, 258, row.tray);
        static_cast<GStringAttribute*>(f.tree->FindById(261))->SetString(row.name);
        const DEVMODEW out = f.To();
        EXPECT_EQ(row.flagged, (out.dmFields & DM_DEFAULTSOURCE) != 0) << row.tray << row.name;
        if (row.flagged) {
            EXPECT_EQ(row.bin, out.dmDefaultSource) << row.tray << row.name;
        }
    }
}

TEST(ConverterToDevMode, QualityAsResolutionOrAsPresetKey)
{
    Fixture f;
    DEVMODEW out = f.To();
    EXPECT_EQ(600, out.dmPrintQuality);
    EXPECT_EQ(600, out.dmYResolution);
    EXPECT_EQ(DM_PRINTQUALITY | DM_YRESOLUTION, out.dmFields & (DM_PRINTQUALITY | DM_YRESOLUTION));

    Set(f.tree, 902, uint16_t(DMRES_MEDIUM));
    const struct {
        uint16_t enhancement;
        short quality;
    } rows[] = {{1, DMRES_MEDIUM}, {0, DMRES_DRAFT}};
    for (const auto& row : rows) {
        Set(f.tree, kEnhancement, row.enhancement);
        out = f.To();
        EXPECT_EQ(row.quality, out.dmPrintQuality);
        EXPECT_EQ(600, out.dmYResolution);
        EXPECT_EQ(DM_PRINTQUALITY, out.dmFields & (DM_PRINTQUALITY | DM_YRESOLUTION));
    }
    Set(f.tree, 323, 300), Set(f.tree, 324, 300);
    DEVMODEW none = Blank();
    none.dmPrintQuality = 77;
    f.devMode.ToDevMode(f.tree, &none);
    EXPECT_EQ(77, none.dmPrintQuality) << "no preset of that resolution: nothing changes";
    Remove(f.tree, 324);
    EXPECT_EQ(0u, f.To().dmFields & (DM_PRINTQUALITY | DM_YRESOLUTION));
}

TEST(ConverterFromDevMode, OrientationKeepsTheRotationTheDeviceLists)
{
    const struct {
        uint16_t before;
        short asked;
        uint16_t rotatable;
        uint16_t after;
    } rows[] = {{180, DMORIENT_PORTRAIT, 0, 180}, {180, DMORIENT_LANDSCAPE, 0, 270}, {0, DMORIENT_LANDSCAPE, 0, 90},
                {90, DMORIENT_PORTRAIT, 0, 0},    {90, DMORIENT_PORTRAIT, 1, 180},  {0, DMORIENT_LANDSCAPE, 1, 270},
                {0, 5, 0, 0}};
    for (const auto& row : rows) {
        Fixture f;
        Set(f.Configuration(), 929, row.rotatable);
        Set(f.tree, 265, row.before);
        DEVMODEW in = Blank();
        in.dmFields = DM_ORIENTATION;
        in.dmOrientation = row.asked;
        EXPECT_EQ(1, f.devMode.FromDevMode(&in, f.tree));
        EXPECT_EQ(row.after, Get(f.tree, 265)) << row.before << " " << row.asked << " " << row.rotatable;
    }
    // Without the rotated value in the list the plain one is taken.
    Fixture f;
    Set(f.tree, 265, 180);
    GAttributeComposite* plain = Composite(205, {Value(0, 0), Value(90, 0)});
    delete f.Configuration()->RemoveById(205);
    f.Configuration()->Add(plain);
    DEVMODEW in = Blank();
    in.dmFields = DM_ORIENTATION;
    in.dmOrientation = DMORIENT_LANDSCAPE;
    f.devMode.FromDevMode(&in, f.tree);
    EXPECT_EQ(90, Get(f.tree, 265));
}

TEST(ConverterFromDevMode, CopiesCustomSizesAndDuplex)
{
    Fixture f;
    // At least one copy, and no more than the device's copy range (1 to 999) takes.
    for (auto row : {std::make_pair(0, 1), {-5, 1}, {7, 7}, {999, 999}, {1000, 999}, {5000, 999}, {32767, 999}}) {
        DEVMODEW in = Blank();
        in.dmFields = DM_COPIES;
        in.dmCopies = short(row.first);
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.second, Get(f.tree, 291)) << row.first;
    }
    // Custom sizes within 3 x 5 and 8.5 x 14 inches, made when the tree lacks them.
    const struct {
        short width, length;
        uint16_t treeWidth, treeLength;
    } sizes[] = {{100, 100, 762, 1270}, {3000, 4000, 2159, 3556}, {1000, 2000, 1000, 2000}, {-3, 762, 762, 1270}};
    for (const auto& row : sizes) {
        Fixture g;
        DEVMODEW in = Blank();
        in.dmFields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        in.dmPaperSize = DMPAPER_USER;
        in.dmPaperWidth = row.width, in.dmPaperLength = row.length;
        g.devMode.FromDevMode(&in, g.tree);
        EXPECT_EQ(kCustom, Get(g.tree, 260));
        EXPECT_EQ(row.treeWidth, Get(g.tree, 1260)) << row.width;
        EXPECT_EQ(row.treeLength, Get(g.tree, 1261)) << row.length;
    }
    DEVMODEW in = Blank();
    in.dmFields = DM_PAPERSIZE;
    for (auto row : {std::make_pair(short(DMPAPER_A4), kA4), {short(DMPAPER_LEGAL), kLegal}, {short(999), kLetter}}) {
        in.dmPaperSize = row.first;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.second, Get(f.tree, 260)) << row.first << ": unknown papers give the default";
    }

    const struct {
        uint16_t degrees;
        short duplex;
        uint16_t wanted;
        uint16_t tree, margins;
    } duplexes[] = {{0, DMDUP_VERTICAL, 1, 2, 1},    {0, DMDUP_HORIZONTAL, 1, 1, 1}, {90, DMDUP_VERTICAL, 0, 1, 0},
                    {270, DMDUP_HORIZONTAL, 1, 2, 1}, {0, DMDUP_SIMPLEX, 1, 0, 7},   {0, 9, 1, 0, 7}};
    for (const auto& row : duplexes) {
        Set(f.tree, 265, row.degrees);
        Set(f.tree, 983, row.wanted);
        Set(f.tree, 713, 7);
        in = Blank();
        in.dmFields = DM_DUPLEX;
        in.dmDuplex = row.duplex;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.tree, Get(f.tree, 253)) << row.degrees << " " << row.duplex;
        EXPECT_EQ(row.margins, Get(f.tree, 713)) << row.degrees << " " << row.duplex;
    }
}

// A DEVMODE asking for two sides, read by the converter alone into a tree that asks two
// sides: without a duplex unit or manual duplexing the tree asks one side and its duplex
// margins stay as they were; with either, the two sides and the margins are taken.
TEST(ConverterFromDevMode, TwoSidesNeedTheUnitOrManualDuplexing)
{
    const struct {
        uint16_t unit, manual;
        uint16_t sides, margins;
    } rows[] = {{0, 0, 0, 7}, {1, 0, 2, 1}, {0, 1, 2, 1}};
    for (const auto& row : rows) {
        Fixture f;
        f.driver.SetInstalledState(Composite(365, {Value(row.unit, 308), Value(row.manual, 245)}));
        Set(f.tree, 265, 0);
        Set(f.tree, 253, 2);
        Set(f.tree, 983, 1);
        Set(f.tree, 713, 7);
        DEVMODEW in = Blank();
        in.dmFields = DM_DUPLEX;
        in.dmDuplex = DMDUP_VERTICAL;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.sides, Get(f.tree, 253)) << row.unit << row.manual;
        EXPECT_EQ(row.margins, Get(f.tree, 713)) << row.unit << row.manual;
    }
}

TEST(ConverterFromDevMode, SourceColourIcmAndCollation)
{
    Fixture f;
    DEVMODEW in = Blank();
    in.dmFields = DM_DEFAULTSOURCE;
    in.dmDefaultSource = DMBIN_MIDDLE;
    f.devMode.FromDevMode(&in, f.tree);
    EXPECT_EQ(12, Get(f.tree, 258));
    in.dmDefaultSource = short(16690);
    f.devMode.FromDevMode(&in, f.tree);
    EXPECT_EQ(12, Get(f.tree, 258));
    EXPECT_EQ(RWCString("Envelope Feeder"), static_cast<GStringAttribute*>(f.tree->FindById(261))->GetString());
    RWCString name;
    EXPECT_EQ(1, f.devMode.SourceName(DMBIN_MANUAL, name));
    EXPECT_EQ(RWCString("Manual Feed"), name);
    EXPECT_EQ(0, f.devMode.SourceName(99, name));
    int16_t bin = 0;
    EXPECT_EQ(1, f.devMode.SourceFromName(f.tree, "Automatic", bin));
    EXPECT_EQ(DMBIN_AUTO, bin);
    EXPECT_EQ(0, f.devMode.SourceFromName(f.tree, "automatic", bin)) << "names match exactly";

    const struct {
        uint16_t device;
        short color;
        uint16_t mode;
    } colours[] = {{0, DMCOLOR_MONOCHROME, 1}, {2, DMCOLOR_MONOCHROME, 3}, {1, DMCOLOR_COLOR, 0},
                   {0, DMCOLOR_COLOR, 1},      {2, DMCOLOR_COLOR, 3}};
    for (const auto& row : colours) {
        Fixture g(row.device);
        in = Blank();
        in.dmFields = DM_COLOR;
        in.dmColor = row.color;
        g.devMode.FromDevMode(&in, g.tree);
        EXPECT_EQ(row.mode, Get(g.tree, 296)) << row.device << " " << row.color;
    }

    const uint16_t choices[] = {0, 1, 0, 2, 3, 0};
    for (uint32_t intent = 0; intent < 6; ++intent) {
        in = Blank();
        in.dmFields = kIcmMethodFlag | kIcmIntentFlag;
        in.dmICMMethod = intent;
        in.dmICMIntent = intent;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(choices[intent], Get(f.tree, 351)) << intent;
        EXPECT_EQ(intent >= 2 && intent <= 4 ? 1 : 0, Get(f.tree, 350)) << intent;
    }

    const struct {
        uint32_t fields;
        short collate;
        uint16_t before, after;
    } collations[] = {{DM_COLLATE, DMCOLLATE_TRUE, 0, 1}, {DM_COLLATE, DMCOLLATE_FALSE, 1, 0},
                      {0, DMCOLLATE_TRUE, 1, 0},          {DM_COLLATE, 5, 1, 1}};
    for (const auto& row : collations) {
        Set(f.tree, 292, row.before);
        in = Blank();
        in.dmFields = row.fields;
        in.dmCollate = row.collate;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.after, Get(f.tree, 292)) << row.fields << " " << row.collate;
    }
}

TEST(ConverterFromDevMode, DmresCodesThroughPresetsAndThroughTheList)
{
    const struct {
        short quality;
        uint16_t x, bits, enhancement;
    } presets[] = {
        {DMRES_HIGH, 1200, 1, 1}, {DMRES_MEDIUM, 600, 1, 1}, {DMRES_LOW, 300, 4, 0}, {DMRES_DRAFT, 600, 1, 0}};
    // Draft's preset has bits 8, but the list's 600 dpi entry has 1: the list's bits win.
    for (const auto& row : presets) {
        Fixture f;
        Set(f.tree, 323, 300), Set(f.tree, 324, 300), Set(f.tree, 325, 4), Set(f.tree, kEnhancement, 0);
        DEVMODEW in = Blank();
        in.dmFields = DM_PRINTQUALITY;
        in.dmPrintQuality = row.quality;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.x, Get(f.tree, 323)) << row.quality;
        EXPECT_EQ(row.x, Get(f.tree, 324)) << row.quality;
        EXPECT_EQ(row.bits, Get(f.tree, 325)) << row.quality;
        EXPECT_EQ(row.enhancement, Get(f.tree, kEnhancement)) << row.quality << ": the preset's settings";
    }
    const struct {
        short quality;
        uint16_t x;
    } listed[] = {{DMRES_HIGH, 1200}, {DMRES_MEDIUM, 600}, {DMRES_LOW, 300}, {DMRES_DRAFT, 300}};
    for (const auto& row : listed) {
        Fixture f;
        delete f.Configuration()->RemoveById(903);
        Set(f.tree, 323, 300), Set(f.tree, 324, 300);
        DEVMODEW in = Blank();
        in.dmFields = DM_PRINTQUALITY;
        in.dmPrintQuality = row.quality;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.x, Get(f.tree, 323)) << row.quality << ": a list of two has no LOW or DRAFT";
    }
}

TEST(ConverterFromDevMode, AResolutionIsTakenOnlyWhenListed)
{
    const struct {
        short x, y;
        uint16_t treeX;
        uint16_t key;
    } rows[] = {{1200, 1200, 1200, uint16_t(DMRES_HIGH)}, {300, 300, 600, uint16_t(DMRES_MEDIUM)}};
    for (const auto& row : rows) {
        Fixture f;
        delete f.Configuration()->RemoveById(903);
        DEVMODEW in = Blank();
        in.dmFields = DM_PRINTQUALITY | DM_YRESOLUTION;
        in.dmPrintQuality = row.x, in.dmYResolution = row.y;
        f.devMode.FromDevMode(&in, f.tree);
        EXPECT_EQ(row.treeX, Get(f.tree, 323)) << row.x;
        EXPECT_EQ(row.key, Get(f.tree, 902)) << row.x << ": the key of the resolution kept";
    }
}

TEST(ConverterMapPrintQuality, ShortListsAndUnknownPresetsAreNotFound)
{
    Fixture f;
    uint16_t x = 11, y = 12, bits = 13;
    EXPECT_EQ(0, f.devMode.MapPrintQuality(DMRES_LOW, x, y, bits, f.tree)) << "no such preset";
    EXPECT_EQ(1, f.devMode.MapPrintQuality(DMRES_HIGH, x, y, bits, nullptr));
    EXPECT_EQ(1200, x);
    delete f.Configuration()->RemoveById(903);
    x = 11, y = 12, bits = 13;
    for (short quality : {short(DMRES_DRAFT), short(DMRES_LOW), short(-5), short(0), short(600)}) {
        EXPECT_EQ(0, f.devMode.MapPrintQuality(quality, x, y, bits, f.tree)) << quality;
        EXPECT_EQ(11, x);
        EXPECT_EQ(12, y);
        EXPECT_EQ(13, bits);
    }
    int16_t quality = 0;
    EXPECT_EQ(1, f.devMode.ResolutionToQuality(f.tree, 600, 600, quality));
    EXPECT_EQ(DMRES_MEDIUM, quality);
    EXPECT_EQ(0, f.devMode.ResolutionToQuality(f.tree, 300, 300, quality));
}

TEST(ConverterSetDefaults, TheGoldenPublicPartPassesTheCheck)
{
    OpenedPrinter printer;
    ASSERT_TRUE(printer.handle) << TestPrinter::Shared().Failure();
    const struct {
        uint16_t device;
        short color;
        uint32_t colourFlag;
    } rows[] = {{0, DMCOLOR_MONOCHROME, 0}, {1, DMCOLOR_COLOR, DM_COLOR}, {2, DMCOLOR_MONOCHROME, 0}};
    for (const auto& row : rows) {
        Fixture f(row.device, printer.handle);
        const DEVMODEW& own = *f.devMode.GetDevMode();
        EXPECT_STREQ(L"Colour Laser", own.dmDeviceName);
        EXPECT_EQ(0x0401, own.dmSpecVersion);
        EXPECT_EQ(24, own.dmDriverVersion);
        EXPECT_EQ(220, own.dmSize);
        EXPECT_EQ(952, own.dmDriverExtra);
        EXPECT_EQ(DM_FORMNAME | DM_DUPLEX | kIcmMethodFlag | kIcmIntentFlag | row.colourFlag, own.dmFields);
        EXPECT_EQ(DMORIENT_PORTRAIT, own.dmOrientation);
        EXPECT_EQ(0, own.dmPaperSize);
        EXPECT_STREQ(L"Letter", own.dmFormName);
        EXPECT_EQ(100, own.dmScale);
        EXPECT_EQ(DMDUP_SIMPLEX, own.dmDuplex);
        EXPECT_EQ(row.color, own.dmColor);
        EXPECT_EQ(2u, own.dmICMMethod) << "method choice 1";
        EXPECT_EQ(3u, own.dmICMIntent) << "intent choice 2";
        EXPECT_EQ(0u, own.dmBitsPerPel);
        EXPECT_EQ(DMCOLLATE_FALSE, own.dmCollate);
        uint32_t mask = 0xFFFF;
        EXPECT_EQ(1, f.devMode.CheckDevMode(nullptr, &own, 1, mask)) << std::hex << mask;
        EXPECT_EQ(0u, mask);
    }
    Fixture f(0, printer.handle);
    Set(f.Configuration(), 298, 0);
    f.devMode.SetDefaults();
    EXPECT_EQ(0u, f.devMode.GetDevMode()->dmFields & (kIcmMethodFlag | kIcmIntentFlag));
}

TEST(ConverterCheckDevMode, EachFaultAloneGivesItsBits)
{
    OpenedPrinter printer;
    ASSERT_TRUE(printer.handle) << TestPrinter::Shared().Failure();
    Fixture f(0, printer.handle);
    const struct {
        const char* what;
        void (*damage)(DEVMODEW&);
        uint32_t mask;
    } rows[] = {
        {"good", [](DEVMODEW&) {}, 0},
        {"orientation 3", [](DEVMODEW& d) { d.dmOrientation = 3; }, DM_ORIENTATION},
        {"resolution 300", [](DEVMODEW& d) { d.dmPrintQuality = 300, d.dmYResolution = 300; },
         DM_PRINTQUALITY | DM_YRESOLUTION},
        {"DMRES_LOW", [](DEVMODEW& d) { d.dmPrintQuality = DMRES_LOW; }, DM_PRINTQUALITY | DM_YRESOLUTION},
        {"DMRES_LOW, no y", [](DEVMODEW& d) { d.dmPrintQuality = DMRES_LOW, d.dmFields &= ~DM_YRESOLUTION; },
         DM_PRINTQUALITY},
        {"width too small", [](DEVMODEW& d) { d.dmPaperWidth = 761; }, DM_PAPERWIDTH},
        {"length too large", [](DEVMODEW& d) { d.dmPaperLength = 3557; }, DM_PAPERLENGTH},
        {"paper A3", [](DEVMODEW& d) { d.dmPaperSize = DMPAPER_A3; }, DM_PAPERSIZE},
        {"paper 0, a custom size by width and length", [](DEVMODEW& d) { d.dmPaperSize = 0; }, 0},
        {"paper 0 with the length too large", [](DEVMODEW& d) { d.dmPaperSize = 0, d.dmPaperLength = 3557; },
         DM_PAPERLENGTH},
        {"paper 0 without a length", [](DEVMODEW& d) { d.dmPaperSize = 0, d.dmFields &= ~DM_PAPERLENGTH; },
         DM_PAPERSIZE},
        {"form source", [](DEVMODEW& d) { d.dmDefaultSource = DMBIN_FORMSOURCE; }, DM_DEFAULTSOURCE},
        {"unknown bin", [](DEVMODEW& d) { d.dmDefaultSource = DMBIN_ENVELOPE; }, DM_DEFAULTSOURCE},
        {"copies 0", [](DEVMODEW& d) { d.dmCopies = 0; }, DM_COPIES},
        {"copies 1000", [](DEVMODEW& d) { d.dmCopies = 1000; }, DM_COPIES},
        {"colour 3", [](DEVMODEW& d) { d.dmColor = 3; }, DM_COLOR},
        {"duplex 4", [](DEVMODEW& d) { d.dmDuplex = 4; }, DM_DUPLEX},
        {"collate 2", [](DEVMODEW& d) { d.dmCollate = 2; }, DM_COLLATE},
        {"form A3", [](DEVMODEW& d) { wcscpy(d.dmFormName, L"A3"); }, DM_FORMNAME},
        {"form unknown", [](DEVMODEW& d) { wcscpy(d.dmFormName, L"No such form"); }, DM_FORMNAME},
        {"form of 32 characters", [](DEVMODEW& d) { wmemset(d.dmFormName, L'L', CCHFORMNAME); }, DM_FORMNAME},
    };
    for (const auto& row : rows) {
        DEVMODEW d = Blank();
        d.dmFields = DM_ORIENTATION | DM_PRINTQUALITY | DM_YRESOLUTION | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PAPERSIZE |
                     DM_DEFAULTSOURCE | DM_COPIES | DM_COLOR | DM_DUPLEX | DM_COLLATE | DM_FORMNAME;
        d.dmOrientation = DMORIENT_PORTRAIT;
        d.dmPrintQuality = 1200, d.dmYResolution = 1200;
        d.dmPaperWidth = 762, d.dmPaperLength = 3556;
        d.dmPaperSize = DMPAPER_LETTER;
        d.dmDefaultSource = DMBIN_UPPER;
        d.dmCopies = 999;
        d.dmColor = DMCOLOR_COLOR;
        d.dmDuplex = DMDUP_VERTICAL;
        d.dmCollate = DMCOLLATE_TRUE;
        wcscpy(d.dmFormName, L"A4");
        row.damage(d);
        uint32_t mask = 0xFFFF;
        EXPECT_EQ(row.mask ? 0 : 1, f.devMode.CheckDevMode(nullptr, &d, 1, mask)) << row.what;
        EXPECT_EQ(row.mask, mask) << row.what;
    }
}

// The form source can print while the printer's form-to-tray table (the one the device
// sheet stores and the bin query reads) is customized, and a tray only while it is not;
// a table in the document's settings counts for nothing.
TEST(ConverterCheckDevMode, TheFormSourceFollowsThePrintersFormToTrayTable)
{
    Fixture f;
    auto* table = new GFormToTrayDatabase(510);
    f.driver.SetInstalledState(Composite(365, {table}));
    auto* documents = new GFormToTrayDatabase(510);
    documents->SetAssociation(2, DMPAPER_A4, 94);
    f.tree->Add(documents);
    const struct {
        bool customized;
        short bin;
        uint32_t mask;
    } rows[] = {{false, DMBIN_FORMSOURCE, DM_DEFAULTSOURCE}, {false, DMBIN_UPPER, 0},
                {true, DMBIN_FORMSOURCE, 0},                 {true, DMBIN_UPPER, DM_DEFAULTSOURCE}};
    for (const auto& row : rows) {
        table->RemoveAll();
        if (row.customized)
            table->SetAssociation(2, DMPAPER_A4, 94);
        DEVMODEW d = Blank();
        d.dmFields = DM_DEFAULTSOURCE;
        d.dmDefaultSource = row.bin;
        uint32_t mask = 0;
        EXPECT_EQ(row.mask ? 0 : 1, f.devMode.CheckDevMode(nullptr, &d, 1, mask)) << row.customized << row.bin;
        EXPECT_EQ(row.mask, mask) << row.customized << " " << row.bin;
    }
}

TEST(ConverterCheckDevMode, TwoSidedIsJudgedByTheDevicesDuplexRangeNotByTheInstalledUnit)
{
    Fixture f;
    auto* range = GDriverObject::Feature<GRangeAttribute>(f.Configuration(), 203);
    ASSERT_NE(nullptr, range);
    const struct {
        int16_t largest;
        uint16_t unit;
        short duplex;
        uint32_t mask;
    } rows[] = {{2, 0, DMDUP_VERTICAL, 0},         {2, 0, DMDUP_HORIZONTAL, 0}, {2, 1, DMDUP_VERTICAL, 0},
                {0, 1, DMDUP_VERTICAL, DM_DUPLEX}, {0, 1, DMDUP_SIMPLEX, 0},    {1, 0, DMDUP_VERTICAL, DM_DUPLEX},
                {1, 0, DMDUP_HORIZONTAL, 0}};
    for (const auto& row : rows) {
        range->SetMaximum(row.largest);
        f.driver.SetSettings(Composite(0, {Composite(365, {Value(row.unit, 308), Value(0, 245)})}));
        DEVMODEW d = Blank();
        d.dmFields = DM_DUPLEX;
        d.dmDuplex = row.duplex;
        uint32_t mask = 0;
        EXPECT_EQ(row.mask ? 0 : 1, f.devMode.CheckDevMode(nullptr, &d, 1, mask)) << row.largest << row.unit;
        EXPECT_EQ(row.mask, mask) << row.largest << row.unit << " " << row.duplex;
    }
    range->SetMaximum(2);
}

// A DEVMODE saved asking for two sides as the printer's default, read by a DEVMODE object
// of its own once the duplex unit is gone: what it holds then asks one side, unflagged,
// and so do its settings; with the unit, or manual duplexing, the two sides stay.
TEST(ConverterFollowInstalledState, ASavedTwoSidedDefaultIsOneSidedWithoutTheUnit)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(TestPrinter::Shared().Name().c_str()), &printer, &access));
    const struct {
        uint16_t unit, manual;
        short duplex;
        uint32_t flagged;
        uint16_t sides;
    } rows[] = {{1, 0, DMDUP_VERTICAL, DM_DUPLEX, 2}, {0, 1, DMDUP_VERTICAL, DM_DUPLEX, 2}, {0, 0, DMDUP_SIMPLEX, 0, 0}};
    for (const auto& row : rows) {
        Fixture f(0, printer);
        f.driver.SetInstalledState(Composite(365, {Value(1, 308), Value(0, 245)}));
        Set(f.tree, 253, 2);
        ASSERT_EQ(1, f.devMode.Pack(nullptr));
        std::vector<uint8_t> saved(f.devMode.GetTotalSize(), 0);
        ASSERT_EQ(1, f.devMode.CopyOut(reinterpret_cast<DEVMODEW*>(saved.data())));
        ASSERT_EQ(DMDUP_VERTICAL, reinterpret_cast<DEVMODEW*>(saved.data())->dmDuplex);
        DWORD needed = 0;
        GetPrinterW(printer, 2, nullptr, 0, &needed);
        std::vector<BYTE> record(needed);
        ASSERT_TRUE(needed && GetPrinterW(printer, 2, record.data(), needed, &needed));
        auto* info = reinterpret_cast<PRINTER_INFO_2W*>(record.data());
        info->pDevMode = reinterpret_cast<DEVMODEW*>(saved.data());
        info->pSecurityDescriptor = nullptr;
        ASSERT_TRUE(SetPrinterW(printer, 2, record.data(), 0));

        f.driver.SetInstalledState(Composite(365, {Value(row.unit, 308), Value(row.manual, 245)}));
        GDriverDevMode again(&f.driver, printer);
        ASSERT_EQ(1, again.IsLoaded());
        again.FollowInstalledState();
        const DEVMODEW* out = again.GetDevMode();
        EXPECT_EQ(row.duplex, out->dmDuplex) << row.unit << row.manual;
        EXPECT_EQ(row.flagged, out->dmFields & DM_DUPLEX) << row.unit << row.manual;
        EXPECT_EQ(row.sides, Get(again.GetSettingsTree(), 253)) << row.unit << row.manual;
        uint32_t mask = 0;
        EXPECT_EQ(1, again.CheckDevMode(nullptr, out, 1, mask)) << std::hex << mask;
    }
    ClosePrinter(printer);
}

TEST(ConverterCheckDevMode, StopsAtTheFirstFaultUnlessAllAreAsked)
{
    Fixture f;
    DEVMODEW d = Blank();
    d.dmFields = DM_ORIENTATION | DM_COPIES | DM_COLOR | DM_COLLATE;
    d.dmOrientation = 3, d.dmCopies = 0, d.dmColor = 0, d.dmCollate = 2;
    uint32_t mask = 0;
    EXPECT_EQ(0, f.devMode.CheckDevMode(nullptr, &d, 0, mask));
    EXPECT_EQ(uint32_t(DM_ORIENTATION), mask);
    EXPECT_EQ(0, f.devMode.CheckDevMode(nullptr, &d, 1, mask));
    EXPECT_EQ(uint32_t(DM_ORIENTATION | DM_COPIES | DM_COLOR | DM_COLLATE), mask);

    // Older public parts: collation is not judged; too old or too short is refused at once.
    const struct {
        uint16_t specVersion, size;
        int result;
    } rows[] = {{0x0320, 188, 1}, {0x0300, 220, 0}, {0x0401, 67, 0}, {0x0401, 68, 1}, {0x0401, 219, 1}};
    for (const auto& row : rows) {
        DEVMODEW old = Blank();
        old.dmSpecVersion = row.specVersion, old.dmSize = row.size;
        old.dmFields = DM_COLLATE;
        old.dmCollate = 2;
        mask = 0xFFFF;
        EXPECT_EQ(row.result, f.devMode.CheckDevMode(nullptr, &old, 1, mask))
            << std::hex << row.specVersion << " " << row.size;
        EXPECT_EQ(0u, mask);
    }
}

TEST(ConverterCheckDevMode, ReadsNothingPastDmSizeAndChangesNoSetting)
{
    Fixture f;
    GuardedBytes block(100);
    ASSERT_TRUE(block.Data());
    std::memset(block.Data(), 0xFF, 100);
    DEVMODEW* d = block.DevMode();
    std::memset(d, 0, 76);
    d->dmSpecVersion = 0x0401, d->dmSize = 100, d->dmFields = 0xFFFFFFFF;
    Set(f.tree, kEnhancement, 0);
    std::unique_ptr<GObjectBase> before(f.tree->DeepCopy());
    uint32_t mask = 0;
    f.devMode.CheckDevMode(nullptr, d, 1, mask);
    EXPECT_EQ(0u, mask & (DM_COLLATE | DM_FORMNAME)) << "fields past dmSize are absent";
    d->dmPrintQuality = DMRES_HIGH;
    f.devMode.CheckDevMode(nullptr, d, 1, mask);
    EXPECT_TRUE(f.tree->IsEqual(before.get())) << "a check copies no preset into the settings";
    f.devMode.FromDevMode(d, f.tree);
    f.devMode.NormalizeCollate(d);

    // The same fields end to end: a DEVMODE of 76 bytes flags nothing it lacks.
    GuardedBytes small(76);
    std::memset(small.Data(), 0, 76);
    small.DevMode()->dmSpecVersion = 0x0401, small.DevMode()->dmSize = 76, small.DevMode()->dmFields = 0xFFFFFFFF;
    EXPECT_EQ(1, f.devMode.CheckDevMode(nullptr, small.DevMode(), 1, mask));
    Set(f.tree, 292, 1);
    f.devMode.FromDevMode(small.DevMode(), f.tree);
    EXPECT_EQ(1, Get(f.tree, 292)) << "a collate field past dmSize leaves collation alone";
}

TEST(ConverterResolutionZero, NoConversionAndTheWidestCustomRange)
{
    Fixture f;
    f.driver.SetAppFlags(0x200);
    Set(f.tree, 323, 0), Set(f.tree, 324, 0);
    DEVMODEW out = Blank();
    out.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
    f.devMode.ToDevMode(f.tree, &out);
    EXPECT_EQ(0u, out.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH));

    DEVMODEW in = Blank();
    in.dmFields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
    in.dmPaperSize = DMPAPER_USER, in.dmPaperWidth = 5000, in.dmPaperLength = 10;
    f.devMode.FromDevMode(&in, f.tree);
    EXPECT_EQ(5000, Get(f.tree, 1260)) << "no device limits to clamp to";
    EXPECT_EQ(10, Get(f.tree, 1261));

    // The object's own tree at resolution 0: the custom range is 0 to 32767.
    Set(f.devMode.GetSettingsTree(), 323, 0), Set(f.devMode.GetSettingsTree(), 324, 0);
    const struct {
        short width;
        uint32_t mask;
    } rows[] = {{0, 0}, {32767, 0}, {-1, DM_PAPERWIDTH}};
    for (const auto& row : rows) {
        DEVMODEW d = Blank();
        d.dmFields = DM_PAPERWIDTH;
        d.dmPaperWidth = row.width;
        uint32_t mask = 0;
        f.devMode.CheckDevMode(nullptr, &d, 1, mask);
        EXPECT_EQ(row.mask, mask) << row.width;
    }
}

TEST(ConverterForms, TheSpoolersFormsAnswerTheFormCheck)
{
    OpenedPrinter printer;
    ASSERT_TRUE(printer.handle) << TestPrinter::Shared().Failure();
    Fixture f(0, printer.handle);
    const struct {
        const wchar_t* name;
        uint32_t angle;
        int supported;
    } rows[] = {{L"Letter", 0, 1}, {L"A4", 0, 1}, {L"letter", 0, 1}, {L"Legal", 0, 1}, {L"A4", 90, 0},
                {L"A3", 0, 0},     {L"Ledger", 0, 0}, {L"No such form", 0, 0}};
    for (const auto& row : rows) {
        uint32_t index = 0;
        EXPECT_EQ(row.supported, f.devMode.IsFormSupported(row.name, index, 600, 600, row.angle))
            << std::string(row.name, row.name + wcslen(row.name));
        if (row.supported) {
            EXPECT_GE(index, 1u);
        }
    }
}
