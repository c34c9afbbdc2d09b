// The document sheet's road through the driver UI object: the mode flags of its UI
// context and the sheet reasons with a recording sheet callback.
#include "SheetFixture.h"

#include "entry/module/DriverPlatform.h"

namespace {

TEST(DocumentSheetModeFlags, FollowPermissionAdvancedDefaultsAndTheHost)
{
    const struct {
        uint32_t mode, major;
        int readOnly;
        bool loaded, explorer;
        uint32_t expected;
    } cases[] = {
        {DM_NOPERMISSION, 5, 0, false, false, 1 | 4 | 8},
        {DM_NOPERMISSION, 4, 0, false, false, 1},
        {DM_ADVANCED, 6, 1, true, true, 2},
        {DM_USER_DEFAULT, 6, 1, true, false, 4 | 8},
        {DM_USER_DEFAULT, 6, 0, true, false, 0},
        {0, 4, 0, true, true, 2},
        {0, 6, 0, true, false, 2},
        {0, 6, 0, true, true, 0},
        {0, 6, 1, true, true, 2 | 4 | 8},
        {0, 6, 1, false, false, 2 | 4 | 8},
        {0, 6, 0, false, false, 0},
        {0, 4, 1, false, false, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, GDriverUI::DocumentModeFlags(c.mode, c.major, c.readOnly, c.loaded, c.explorer))
            << std::hex << c.mode << std::dec << ' ' << c.major << ' ' << c.readOnly << ' ' << c.loaded << ' '
            << c.explorer;
}

using DocumentSheet = SheetFixture;

TEST_F(DocumentSheet, InitWithoutPagesAnswersZeroAndDestroyFreesTheContext)
{
    std::wstring name = printer.Name();
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.pszPrinterName = &name[0];
    header.fMode = DM_USER_DEFAULT;
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof info;
    info.lParamInit = reinterpret_cast<LPARAM>(&header);
    info.hComPropSheet = reinterpret_cast<HANDLE>(0x55);
    info.pfnComPropSheet = reinterpret_cast<PFNCOMPROPSHEET>(&RecordingComPropSheet::Callback);
    info.Reason = PROPSHEETUI_REASON_INIT;
    info.Result = 7;
    EXPECT_EQ(0, ui->DocumentPropertySheets(&info, 0)) << "the model lists no plug-in: no pages";
    EXPECT_EQ(0u, info.Result);

    PROPSHEETUI_INFO_HEADER title = {};
    title.cbSize = sizeof title;
    info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    EXPECT_EQ(1, ui->DocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&title)));
    EXPECT_EQ(0x16, title.Flags);
    EXPECT_STREQ(name.c_str(), title.pTitle);

    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(1, ui->DocumentPropertySheets(&info, 0));
    info.Reason = PROPSHEETUI_REASON_GET_ICON;
    EXPECT_EQ(0, ui->DocumentPropertySheets(&info, 0));
    info.lParamInit = 0;
    info.Reason = PROPSHEETUI_REASON_INIT;
    EXPECT_EQ(-1, ui->DocumentPropertySheets(&info, 0)) << "no header";
}

}  // namespace
