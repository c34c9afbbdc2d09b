// The document sheet's SET_RESULT inside the shell's process exports the settings to the
// device-model configuration's factory sections. Wine's common property sheet never sends
// SET_RESULT, so the test calls DrvDocumentPropertySheets as the platform would: INIT,
// SET_RESULT, DESTROY, with a recording sheet callback.
#include "PrinterDataFixture.h"

#include "ChildProcess.h"
#include "RecordingComPropSheet.h"
#include "entry/module/EntryPoints.h"

#include <prsht.h>

#include <string>

using namespace PrinterDataTest;

namespace {

class DocumentSheetExport : public PrinterDataFixture {
protected:
    void SetUp() override
    {
        PrinterDataFixture::SetUp();
        RecordingComPropSheet::Current().Reset();
        header = {};
        header.cbSize = sizeof header;
        header.hPrinter = handle;
        header.pszPrinterName = &name[0];
        info = {};
        info.cbSize = sizeof info;
        info.hComPropSheet = reinterpret_cast<HANDLE>(0x66);
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&RecordingComPropSheet::Callback);
        info.lParamInit = reinterpret_cast<LPARAM>(&header);
    }
    LONG Call(WORD reason, LPARAM parameter = 0)
    {
        info.Reason = reason;
        return DrvDocumentPropertySheets(&info, parameter);
    }
    // One sheet from INIT to DESTROY, closed with the result: the exports it started.
    size_t Sheet(LRESULT result)
    {
        standin.Reset();
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
        SETRESULT_INFO set = {sizeof set, 0, reinterpret_cast<HANDLE>(0x67), result};
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set)));
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
        return CountLines(standin.Log(), L"DMCStartExport");
    }

    DOCUMENTPROPERTYHEADER header{};
    PROPSHEETUI_INFO info{};
};

// Outside the shell nothing is exported, committed or not.
TEST_F(DocumentSheetExport, OutsideTheShellACommittedSheetExportsNothing)
{
    InjectingDriverUI::injection.configInUse = 1;
    EXPECT_EQ(0u, Sheet(CPSUI_OK));
}

// Run in a copy of this program whose name holds "EXPLORER.EXE", as the shell's.
TEST_F(DocumentSheetExport, DISABLED_InTheShellOnlyACommittedSheetExportsOnce)
{
    const struct {
        int configInUse;
        LRESULT result;
        size_t exports;
    } rows[] = {{1, CPSUI_CANCEL, 0}, {1, CPSUI_OK, 1}, {0, CPSUI_OK, 0}, {1, CPSUI_OK, 1}};
    for (const auto& row : rows) {
        InjectingDriverUI::injection.configInUse = row.configInUse;
        EXPECT_EQ(row.exports, Sheet(row.result)) << "1100 = " << row.configInUse << ", result " << row.result;
    }
}

TEST(DocumentSheetInTheShell, OnlyACommittedSheetExportsOnce)
{
    const std::string program = ThisProgram();
    const std::string shell = program.substr(0, program.rfind('\\')) + "\\doc-explorer.exe";
    ASSERT_TRUE(CopyFileA(program.c_str(), shell.c_str(), FALSE));
    const ChildResult child = RunChildTest("DocumentSheetExport.DISABLED_InTheShell*", shell);
    DeleteFileA(shell.c_str());
    EXPECT_EQ(0u, child.exitCode) << child.output;
    EXPECT_NE(std::string::npos, child.output.find("[  PASSED  ] 1 test")) << child.output;
}

} // namespace
