// The DEVMODE classes against the real spooler of the test prefix: the printer's default
// DEVMODE set with SetPrinterW and read back through the printer's handle, and the
// spooler's forms database behind the form source.
#include "settings/devmode/GDriverDevMode.h"

#include "SettingsTestDriver.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <vector>

using namespace SettingsTest;

namespace {

typedef std::vector<uint8_t> Bytes;

void SetWord(Bytes& bytes, size_t at, uint16_t value) { bytes[at] = uint8_t(value), bytes[at + 1] = uint8_t(value >> 8); }

// The user-interface side of the driver object as far as forms go: the spooler's forms,
// a fit rule of its own (sheets up to 216 mm wide, turned at 90 degrees) and a small
// paper-code table.
class SpoolerOwner : public GDriverObjectImp {
public:
    explicit SpoolerOwner(HANDLE printer) : GDriverObject(L"Colour Laser", L"QZ Colour Laser PCL6"), printer_(printer)
    {
        SetTestPrinter(*this, 1);
    }
    GObjectBase* CreateDefaultSettings() override { return DefaultDocument(); }
    uint16_t DefaultPaperCode() override { return 23; }
    FORM_INFO_1W* EnumForms(uint32_t& count) override
    {
        DWORD needed = 0, returned = 0;
        // The spooler's own call, not this object's (EnumForms is a macro of the spooler's headers).
        ::EnumFormsW(printer_, 1, nullptr, 0, &needed, &returned);
        BYTE* forms = needed ? new BYTE[needed] : nullptr;
        if (!forms || !::EnumFormsW(printer_, 1, forms, needed, &needed, &returned))
            return delete[] forms, count = 0, nullptr;
        count = returned;
        return reinterpret_cast<FORM_INFO_1W*>(forms);
    }
    void FreeForms(FORM_INFO_1W* forms) override { delete[] reinterpret_cast<BYTE*>(forms); }
    int FormFitsDevice(uint32_t angle, uint16_t, uint16_t, int, uint32_t index) override
    {
        lastAngle = angle;
        uint32_t count = 0;
        FORM_INFO_1W* forms = EnumForms(count);
        const bool fits = forms && index >= 1 && index <= count &&
                          (angle == 90 ? forms[index - 1].Size.cy : forms[index - 1].Size.cx) <= 216000;
        FreeForms(forms);
        return fits;
    }
    int PaperCodeToFormIndex(uint16_t code, uint32_t& index) override
    {
        for (const auto& row : kPapers)
            if (row.code == code)
                return IndexOf(row.name, index);
        return 0;
    }
    int FormIndexToPaperCode(uint32_t index, uint16_t& code) override
    {
        for (const auto& row : kPapers) {
            uint32_t at = 0;
            if (IndexOf(row.name, at) && at == index)
                return code = row.code, 1;
        }
        return 0;
    }
    uint32_t lastAngle = 0xFFFF;

private:
    struct Paper {
        uint16_t code;
        const wchar_t* name;
    };
    static constexpr Paper kPapers[] = {{1, L"Letter"}, {8, L"A3"}, {9, L"A4"}};
    int IndexOf(const wchar_t* name, uint32_t& index)
    {
        uint32_t count = 0;
        FORM_INFO_1W* forms = EnumForms(count);
        int found = 0;
        for (uint32_t i = 0; forms && i < count && !found; ++i)
            if (forms[i].pName && std::wcscmp(forms[i].pName, name) == 0)
                index = i + 1, found = 1;
        FreeForms(forms);
        return found;
    }
    HANDLE printer_;
};

struct OpenedPrinter {
    OpenedPrinter()
    {
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
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

// Makes the DEVMODE and the datatype the printer's own (no security descriptor).
BOOL StoreDefault(HANDLE printer, Bytes devMode, const wchar_t* datatype)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> record(needed);
    if (!needed || !GetPrinterW(printer, 2, record.data(), needed, &needed))
        return FALSE;
    PRINTER_INFO_2W* info = reinterpret_cast<PRINTER_INFO_2W*>(record.data());
    info->pDevMode = reinterpret_cast<DEVMODEW*>(devMode.data());
    info->pSecurityDescriptor = nullptr;
    info->pDatatype = const_cast<wchar_t*>(datatype);
    return SetPrinterW(printer, 2, record.data(), 0);
}

uint16_t PaperOf(GObjectBase* tree)
{
    GObjectBase* found = tree ? tree->FindById(260) : nullptr;
    return found && found->ClassId() == GValueAttribute::kClassId ? static_cast<GValueAttribute*>(found)->GetValue()
                                                                   : 0xDEAD;
}

} // namespace

TEST(DevModeSpooler, ThePrintersValidDefaultIsLoadedAndItsDatatypeRead)
{
    OpenedPrinter printer;
    ASSERT_TRUE(printer.handle) << TestPrinter::Shared().Failure();
    SpoolerOwner owner(printer.handle);
    GDriverDevMode source(&owner, nullptr);
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    for (long id : {365, 366, 368, 283})
        delete tree->RemoveById(id);
    static_cast<GValueAttribute*>(tree->FindById(260))->SetValue(9);
    ASSERT_EQ(1, source.Pack(tree.get()));
    Bytes good(GDevModeBase::kTotalSize);
    source.CopyOut(reinterpret_cast<DEVMODEW*>(good.data()));
    Bytes version3 = good, capacity900 = good;
    SetWord(version3, 262, 3);
    SetWord(capacity900, 268, 900);

    const struct {
        const char* what;
        Bytes devMode;
        const wchar_t* datatype;
        int loaded;
        int emf;
        uint16_t paper;
    } rows[] = {
        {"valid", good, L"NT EMF 1.003", 1, 1, 9},
        {"version word 3", version3, L"RAW", 0, 0, 1},
        {"capacity 900", capacity900, L"NT EMF 1.003", 0, 1, 1},
        {"valid, RAW", good, L"RAW", 1, 0, 9},
    };
    for (const auto& row : rows) {
        SetLastError(0xdeadbeef);
        ASSERT_TRUE(StoreDefault(printer.handle, row.devMode, row.datatype)) << row.what << " " << GetLastError();
        GDriverDevMode devMode(&owner, printer.handle);
        EXPECT_EQ(row.loaded, devMode.IsLoaded()) << row.what;
        EXPECT_EQ(row.emf, devMode.IsEmfDatatype()) << row.what;
        EXPECT_EQ(row.paper, PaperOf(devMode.GetSettingsTree())) << row.what;
        if (row.loaded) {
            Bytes own(reinterpret_cast<uint8_t*>(devMode.GetDevMode()),
                      reinterpret_cast<uint8_t*>(devMode.GetDevMode()) + GDevModeBase::kTotalSize);
            // The spooler rewrites public fields (the device name); the private part is ours.
            EXPECT_EQ(Bytes(row.devMode.begin() + 220, row.devMode.end()), Bytes(own.begin() + 220, own.end()))
                << row.what << ": the private bytes kept by the spooler";
        }
    }
}

TEST(DevModeSpooler, TheFormSourceNamesSpoolerForms)
{
    OpenedPrinter printer;
    ASSERT_TRUE(printer.handle) << TestPrinter::Shared().Failure();
    SpoolerOwner owner(printer.handle);
    GDriverDevMode devMode(&owner, nullptr);
    GObjectBase* tree = devMode.GetSettingsTree();
    GValueAttribute* paper = static_cast<GValueAttribute*>(tree->FindById(260));
    DEVMODEW* own = devMode.GetDevMode();

    // To the DEVMODE: the form of the tree's paper, or no form name.
    const struct {
        uint16_t paper;
        const wchar_t* name;
    } out[] = {{9, L"A4"}, {8, L"A3"}, {77, nullptr}};
    for (const auto& row : out) {
        paper->SetValue(row.paper);
        own->dmDefaultSource = DMBIN_FORMSOURCE;
        own->dmFields |= DM_FORMNAME;
        EXPECT_EQ(1, devMode.ToDevMode(tree, own));
        EXPECT_EQ(row.name != nullptr, (own->dmFields & DM_FORMNAME) != 0) << row.paper;
        if (row.name) {
            EXPECT_STREQ(row.name, own->dmFormName) << row.paper;
        }
    }
    // From the DEVMODE: a form that fits gives its paper code, else the default code.
    const struct {
        const wchar_t* name;
        short orientation;
        uint16_t paper;
        uint32_t angle;
    } in[] = {{L"letter", DMORIENT_PORTRAIT, 1, 0},
              {L"A3", DMORIENT_PORTRAIT, 23, 0},
              {L"A4", DMORIENT_LANDSCAPE, 23, 90},
              {L"No such form", DMORIENT_PORTRAIT, 23, 0xFFFF}};
    for (const auto& row : in) {
        paper->SetValue(9);
        owner.lastAngle = 0xFFFF;
        own->dmOrientation = row.orientation;
        DEVMODEW given = *own;
        given.dmDefaultSource = DMBIN_FORMSOURCE;
        given.dmFields = DM_FORMNAME;
        wcsncpy(given.dmFormName, row.name, CCHFORMNAME);
        EXPECT_EQ(1, devMode.FromDevMode(&given, tree));
        EXPECT_EQ(row.paper, paper->GetValue()) << "'" << std::string(row.name, row.name + wcslen(row.name)) << "'";
        EXPECT_EQ(row.angle, owner.lastAngle);
    }
    // A form name of 32 characters without an end is read as 32 characters.
    DEVMODEW given = *own;
    given.dmDefaultSource = DMBIN_FORMSOURCE;
    given.dmFields = DM_FORMNAME;
    for (wchar_t& c : given.dmFormName)
        c = L'x';
    paper->SetValue(9);
    EXPECT_EQ(1, devMode.FromDevMode(&given, tree));
    EXPECT_EQ(23, paper->GetValue());
}
