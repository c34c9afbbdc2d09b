// The document events as the print system raises them: DrvDocumentEvent called in this
// process (after the module's attach ran here) for the test printer, on a real memory DC,
// with a driver object that records the private escapes instead of sending them.
#include "BoundedWait.h"
#include "DmcStandin.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/module/DocumentEventRecord.h"
#include "entry/module/EntryPoints.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "entry/module/OpenDocumentTable.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GLock.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" INT WINAPI DrvDocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID);

namespace {

struct Escape {
    int code;
    std::vector<uint8_t> input;
};

// Sets the value of a member of the holder, adding it when missing.
void SetFeature(GObjectBase* holder, long id, uint16_t value)
{
    ASSERT_NE(nullptr, holder);
    if (GValueAttribute* attribute = GDriverObject::Feature<GValueAttribute>(holder, id))
        attribute->SetValue(value);
    else
        holder->Add(new GValueAttribute(value, id));
}

// Removes every member with the id, at any depth.
void Drop(GObjectBase* holder, long id)
{
    while (GObjectBase* removed = holder->RemoveById(id))
        delete removed;
}

// The group of the settings with the id, added when missing.
GObjectBase* Group(GObjectBase* settings, long id)
{
    GObjectBase* group = settings ? settings->FindById(id) : nullptr;
    if (!group && settings) {
        group = new GAttributeComposite(id);
        settings->Add(group);
    }
    return group;
}

class RecordingUI;

// The document events of a RecordingUI: every escape and dialog goes to the object's
// records, and its job notice waits for the test's event when set.
class RecordingEvents : public GDriverUIDocumentEvents {
public:
    explicit RecordingEvents(RecordingUI& ui);
    int SendEscape(HDC, int code, int inputSize, const void* input, int outputSize, void* output) override;
    void ShowJobNotice() override;
    int ShowManualDuplexDialog() override;
    HFONT CreateWatermarkFont(const LOGFONTW& font) override;
    RWWString KsJobPluginPath() override;

private:
    RecordingUI& owner_;
};

// Records every escape and dialog through its document events.
class RecordingUI : public GDriverUI {
public:
    // The driver object is a virtual base: the most derived class names its printer.
    explicit RecordingUI(const PrinterIdentity& identity)
        : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()),
          GDriverUI(identity)
    {
        SetDocumentEventsForTesting(std::make_unique<RecordingEvents>(*this));
    }
    // A notice still shown reads the records below: it ends before they go.
    ~RecordingUI() override { DocumentEvents().JoinJobNotice(); }
    // The settings made afresh hold a stored job named by the settings' own text, and
    // the job-storage user name, unless the test turns that off.
    GObjectBase* CreateSettings() override
    {
        GObjectBase* settings = GDriverUI::CreateSettings();
        if (settings && storedJob) {
            GObjectBase* job = Group(settings, FeatureId::kJobSettings);
            SetFeature(job, FeatureId::kJobNameChoice, 1);
            SetFeature(job, FeatureId::kJobNameFromRenderer, 1);
            job->Add(new GStringAttribute("Quarterly", FeatureId::kJobNameText));
            job->Add(new GStringAttribute("Tester", FeatureId::kJobUserNameText));
        }
        return settings;
    }
    std::vector<Escape> escapes;
    RWWString pluginPath = RWWString(L"qzplom32.dll");
    HANDLE holdNotice = nullptr;
    std::atomic<int> noticesShown{0};
    int duplexDialogs = 0;
    bool storedJob = true;
    bool failFont = false;
};

RecordingEvents::RecordingEvents(RecordingUI& ui) : GDriverUIDocumentEvents(ui), owner_(ui) {}

int RecordingEvents::SendEscape(HDC, int code, int inputSize, const void* input, int outputSize, void* output)
{
    // The rendering module's job name: a full buffer with no terminating zero.
    if (uint32_t(code) == 0x303EB8E7 && output && outputSize > 0) {
        memset(output, 'J', size_t(outputSize));
        return 1;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(input);
    owner_.escapes.push_back({code, bytes ? std::vector<uint8_t>(bytes, bytes + inputSize) : std::vector<uint8_t>()});
    return 1;
}

void RecordingEvents::ShowJobNotice()
{
    if (owner_.holdNotice)
        WaitForSingleObject(owner_.holdNotice, kWaitBound);
    ++owner_.noticesShown;
}

int RecordingEvents::ShowManualDuplexDialog()
{
    ++owner_.duplexDialogs;
    return 1;
}

HFONT RecordingEvents::CreateWatermarkFont(const LOGFONTW& font)
{
    return owner_.failFont ? nullptr : GDriverUIDocumentEvents::CreateWatermarkFont(font);
}

RWWString RecordingEvents::KsJobPluginPath() { return owner_.pluginPath; }

std::atomic<int> g_made{0};
RecordingUI* g_last = nullptr;
GDriverUIMaker g_inner;

GDriverObject* MakeRecording(const PrinterIdentity& identity)
{
    ++g_made;
    g_last = new RecordingUI(identity);
    return g_last;
}

class DocumentEvents : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        g_inner = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker({&MakeRecording, g_inner.printerHandle});
        g_made = 0;
        g_last = nullptr;
        std::wstring name = printer.Name();
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
        dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, dc);
    }
    void TearDown() override
    {
        DeleteDC(dc);
        ClosePrinter(handle);
        ModuleLifetime::Detach(false);
        GUIOSFactory::SetDriverUIMaker(g_inner);
    }
    INT Event(int escape, ULONG inSize = 0, PVOID in = nullptr, ULONG outSize = 0, PVOID out = nullptr)
    {
        return DrvDocumentEvent(handle, dc, escape, inSize, in, outSize, out);
    }
    // CREATEDCPRE with the DEVMODE: the result, the copy in copy.
    INT CreatePre(DEVMODEW* devMode, DEVMODEW*& copy, BOOL ic = FALSE)
    {
        DOCEVENT_CREATEDCPRE record = {nullptr, nullptr, devMode, ic};
        copy = nullptr;
        return Event(DOCUMENTEVENT_CREATEDCPRE, sizeof record, &record, sizeof copy, &copy);
    }
    static uint32_t Entries() { return ModuleLifetime::DocumentTable()->Entries(); }

    const TestPrinter& printer = TestPrinter::Shared();
    HANDLE handle = nullptr;
    HDC dc = nullptr;
};

// A DEVMODE of the given public and driver sizes, its bytes a pattern.
std::vector<uint8_t> DevModeBytes(uint16_t size, uint16_t extra = 0, DWORD fields = 0)
{
    std::vector<uint8_t> bytes(std::max<size_t>(size_t(size) + extra, sizeof(DEVMODEW)));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + 1);
    DEVMODEW* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devMode->dmSize = size;
    devMode->dmDriverExtra = extra;
    devMode->dmFields = fields;
    return bytes;
}

int16_t ExpectedBias()
{
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    return int16_t(zone.Bias);
}

TEST_F(DocumentEvents, CreateDcCopiesSmallDevModeIntoStampedCopy)
{
    std::vector<uint8_t> bytes = DevModeBytes(200);
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(reinterpret_cast<DEVMODEW*>(bytes.data()), copy));
    ASSERT_NE(nullptr, copy);
    const uint8_t* copied = reinterpret_cast<const uint8_t*>(copy);
    EXPECT_EQ(0, memcmp(bytes.data(), copied, 200));
    for (size_t i = 200; i < 256; ++i)
        EXPECT_EQ(0, copied[i]) << "zero-filled past the copied bytes at " << i;
    uint32_t flags = 0;
    int16_t bias = 0;
    memcpy(&flags, copied + 256, 4);
    memcpy(&bias, copied + 260, 2);
    EXPECT_EQ(g_last->GetAppFlags(), flags);
    EXPECT_EQ(ExpectedBias(), bias);
    EXPECT_EQ(1u, Entries());
    EXPECT_EQ(1u, g_last->DocumentEvents().OwnDevModeCopies());
    Event(DOCUMENTEVENT_CREATEDCPOST, sizeof copy, &copy);
    EXPECT_EQ(0u, g_last->DocumentEvents().OwnDevModeCopies()) << "POST frees the copy it was handed";
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_EQ(0u, Entries());
}

TEST_F(DocumentEvents, InformationContextCopyIsNotStamped)
{
    std::vector<uint8_t> bytes = DevModeBytes(200);
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(reinterpret_cast<DEVMODEW*>(bytes.data()), copy, TRUE));
    const uint8_t* copied = reinterpret_cast<const uint8_t*>(copy);
    for (size_t i = 200; i < DocumentEventRecord::kSmallestCopy; ++i)
        EXPECT_EQ(0, copied[i]) << i;
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// RESETDCPRE stamps its copy as CREATEDCPRE does for a DC, here on an information
// context whose own copy has no stamp.
TEST_F(DocumentEvents, ResetDcCopyIsStamped)
{
    std::vector<uint8_t> bytes = DevModeBytes(200);
    DEVMODEW* first = nullptr;
    ASSERT_EQ(1, CreatePre(reinterpret_cast<DEVMODEW*>(bytes.data()), first, TRUE));
    g_last->SetAppFlags(0x00C0FFEE);
    DEVMODEW* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, Event(DOCUMENTEVENT_RESETDCPRE, sizeof devMode, &devMode, sizeof copy, &copy));
    ASSERT_NE(nullptr, copy);
    const uint8_t* copied = reinterpret_cast<const uint8_t*>(copy);
    EXPECT_EQ(0, memcmp(bytes.data(), copied, 200));
    uint32_t flags = 0;
    int16_t bias = 0;
    memcpy(&flags, copied + 256, 4);
    memcpy(&bias, copied + 260, 2);
    EXPECT_EQ(0x00C0FFEEu, flags);
    EXPECT_EQ(ExpectedBias(), bias);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Sound behaviour: copies never handed back through POST are freed at DELETEDC.
TEST_F(DocumentEvents, DeleteDcFreesCopiesLeftBehind)
{
    std::vector<uint8_t> bytes = DevModeBytes(220, 40);
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(reinterpret_cast<DEVMODEW*>(bytes.data()), copy));
    DEVMODEW* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    DEVMODEW* second = nullptr;
    ASSERT_EQ(1, Event(DOCUMENTEVENT_RESETDCPRE, sizeof devMode, &devMode, sizeof second, &second));
    EXPECT_EQ(2u, g_last->DocumentEvents().OwnDevModeCopies());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_EQ(0u, g_last->DocumentEvents().OwnDevModeCopies());
}

// Sound behaviour: a POST event handed memory the object did not allocate frees nothing.
TEST_F(DocumentEvents, PostNeverFreesTheApplicationsDevMode)
{
    std::vector<uint8_t> bytes = DevModeBytes(220);
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(reinterpret_cast<DEVMODEW*>(bytes.data()), copy));
    const std::vector<uint8_t> before = bytes;
    DEVMODEW* application = reinterpret_cast<DEVMODEW*>(bytes.data());
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_RESETDCPOST, sizeof application, &application));
    EXPECT_EQ(before, bytes);
    EXPECT_EQ(1u, g_last->DocumentEvents().OwnDevModeCopies());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(DocumentEvents, NullDevModeGivesNullCopy)
{
    DEVMODEW* copy = reinterpret_cast<DEVMODEW*>(1);
    EXPECT_EQ(1, CreatePre(nullptr, copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(DocumentEvents, UnknownHandleFailsAndChangesNothing)
{
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(0, g_made.load());
    EXPECT_EQ(0u, Entries());
}

TEST_F(DocumentEvents, EscapeAnswersZeroAndOnlyLowWordCounts)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ESCAPE));
    const uint32_t ended = g_last->DocumentEvents().PagesEnded();
    EXPECT_EQ(1, Event(0x10000 | DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(ended + 1, g_last->DocumentEvents().PagesEnded());
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1u, g_last->DocumentEvents().PageCount());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// A lock whose wait or release fails, and the reports the table makes of it.
struct FailingLock : GLock {
    bool failWait = false, failRelease = false;
    int32_t Acquire() override { return failWait ? -1 : 0; }
    int32_t Release() override { return failRelease ? -2 : 0; }
};
std::vector<std::pair<int32_t, uint16_t>> g_lockReports;
std::string g_lockSource;
void RecordLockFailure(int32_t severity, uint16_t id, RWCString source, int32_t, RWCString text)
{
    g_lockReports.push_back({severity, id});
    g_lockSource = source.Data();
    EXPECT_EQ(0u, text.Length());
}

TEST_F(DocumentEvents, ALockFailureIsReportedOnceAndTheEventStillCompletes)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    OpenDocumentTable* table = ModuleLifetime::DocumentTable();
    OpenDocumentTable::SetLockFailureReporterForTesting(&RecordLockFailure);
    const struct {
        bool failWait, failRelease;
        uint16_t reported;
    } rows[] = {{true, false, 301}, {false, true, 302}};
    for (const auto& row : rows) {
        FailingLock lock;
        lock.failWait = row.failWait;
        lock.failRelease = row.failRelease;
        table->SetLock(&lock);
        g_lockReports.clear();
        const uint32_t pages = g_last->DocumentEvents().PageCount();
        // STARTPAGE takes the table's lock once, to find the printer's entry.
        EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE)) << row.reported;
        EXPECT_EQ(pages + 1, g_last->DocumentEvents().PageCount());
        EXPECT_EQ((std::vector<std::pair<int32_t, uint16_t>>{{2, row.reported}}), g_lockReports);
        EXPECT_EQ(".\\winnt40\\nt40qddi", g_lockSource);
        table->SetLock(ModuleLifetime::DocumentTableLock());
    }
    OpenDocumentTable::SetLockFailureReporterForTesting(nullptr);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_EQ(0u, Entries());
}

// Sound behaviour: a second CREATEDCPRE on one handle gives back the object it replaces.
TEST_F(DocumentEvents, SecondCreateDcReleasesTheReplacedAcquisition)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    EXPECT_EQ(1u, Entries());
    RecordingUI* object = g_last;
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    uint32_t ticket = 0;
    EXPECT_EQ(0, ModuleLifetime::DriverServer()->FindTicket(ticket, object)) << "no acquisition left live";
    EXPECT_EQ(0u, Entries());
}

// Sound behaviour: records that cannot be read fail before anything is acquired.
TEST_F(DocumentEvents, HostileRecordsFailAndChangeNothing)
{
    std::vector<uint8_t> size0 = DevModeBytes(0);
    std::vector<uint8_t> size75 = DevModeBytes(75);
    std::vector<uint8_t> fieldsPastSize = DevModeBytes(76, 0, DM_ORIENTATION);
    std::vector<uint8_t> tooLarge = DevModeBytes(220, 0xFFFF);
    DEVMODEW* copy = nullptr;
    DOCEVENT_CREATEDCPRE good = {nullptr, nullptr, nullptr, FALSE};
    struct Case {
        const char* what;
        ULONG inSize;
        void* in;
        ULONG outSize;
        void* out;
        DEVMODEW* devMode;
    } cases[] = {
        {"null input", sizeof good, nullptr, sizeof copy, &copy, nullptr},
        {"input size 0", 0, &good, sizeof copy, &copy, nullptr},
        {"short input", sizeof good - 1, &good, sizeof copy, &copy, nullptr},
        {"null output", sizeof good, &good, sizeof copy, nullptr, nullptr},
        {"output size 3", sizeof good, &good, 3, &copy, nullptr},
        {"dmSize 0", sizeof good, &good, sizeof copy, &copy, reinterpret_cast<DEVMODEW*>(size0.data())},
        {"dmSize 75", sizeof good, &good, sizeof copy, &copy, reinterpret_cast<DEVMODEW*>(size75.data())},
        {"fields past dmSize", sizeof good, &good, sizeof copy, &copy,
         reinterpret_cast<DEVMODEW*>(fieldsPastSize.data())},
        {"past 64 KB", sizeof good, &good, sizeof copy, &copy, reinterpret_cast<DEVMODEW*>(tooLarge.data())},
    };
    for (const Case& c : cases) {
        good.pdm = c.devMode;
        EXPECT_EQ(-1, Event(DOCUMENTEVENT_CREATEDCPRE, c.inSize, c.in, c.outSize, c.out)) << c.what;
        EXPECT_EQ(0u, Entries()) << c.what;
        EXPECT_EQ(0, g_made.load()) << c.what;
    }
    // An open DC: RESETDCPRE and the POST events with unreadable records change nothing.
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    DEVMODEW* bad = reinterpret_cast<DEVMODEW*>(size75.data());
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_RESETDCPRE, sizeof bad, &bad, sizeof copy, &copy));
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_RESETDCPRE, sizeof bad, nullptr, sizeof copy, &copy));
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_RESETDCPOST, 0, &bad));
    EXPECT_EQ(-1, Event(DOCUMENTEVENT_CREATEDCPOST, sizeof bad, nullptr));
    EXPECT_EQ(0u, g_last->DocumentEvents().OwnDevModeCopies());
    EXPECT_EQ(1u, Entries());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Lets a held notice go after a moment, from a thread of its own.
DWORD WINAPI ReleaseLater(void* event)
{
    Sleep(50);
    SetEvent(event);
    return 0;
}

std::string Text(const Escape& escape)
{
    return std::string(escape.input.begin(), escape.input.end());
}

const Escape* Find(const std::vector<Escape>& escapes, uint32_t code)
{
    for (const Escape& escape : escapes)
        if (uint32_t(escape.code) == code)
            return &escape;
    return nullptr;
}

TEST_F(DocumentEvents, StartDocSendsHostInformation)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    DOCINFOW info = {sizeof info, L"Report", nullptr, nullptr, 0};
    DOCINFOW* infoPointer = &info;
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTDOC, sizeof infoPointer, &infoPointer));
    const std::vector<Escape>& escapes = g_last->escapes;
    const Escape* user = Find(escapes, 0x303EB8EF);
    ASSERT_NE(nullptr, user);
    EXPECT_LE(user->input.size(), 17u);
    EXPECT_EQ(0, user->input.back());
    const Escape* id = Find(escapes, 0x303EB8F1);
    ASSERT_NE(nullptr, id);
    ASSERT_EQ(37u, id->input.size());
    EXPECT_EQ(0, id->input[36]);
    EXPECT_EQ(36u, strlen(reinterpret_cast<const char*>(id->input.data())));
    const Escape* os = Find(escapes, 0x303EB8F0);
    ASSERT_NE(nullptr, os);
    EXPECT_EQ(0u, Text(*os).find("OS Info: WinNT Kernel;"));
    for (uint32_t code : {0x303EB8ECu, 0x303EB8EBu, 0x303EB8E7u})
        EXPECT_NE(nullptr, Find(escapes, code)) << std::hex << code;
    const Escape* application = Find(escapes, 0x303EB8E9);
    ASSERT_NE(nullptr, application);
    const std::string applicationText = Text(*application);
    EXPECT_TRUE(applicationText.rfind("Application Info: ", 0) == 0 ||
                applicationText == std::string("Application Context not Available", 34))
        << applicationText;
    const Escape* file = Find(escapes, 0x303EB8F9);
    ASSERT_NE(nullptr, file);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::vector<char> expected = GDriverUIDocumentEvents::NarrowText(wcsrchr(path, L'\\') + 1);
    EXPECT_EQ(std::string(expected.data(), expected.size()), Text(*file));
    const Escape* port = Find(escapes, 0x303EB8E8);
    ASSERT_NE(nullptr, port);
    EXPECT_EQ(std::string("FILE:", 6), Text(*port));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOC));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// The notice thread is joined at ABORTDOC, and DELETEDC after it finds nothing to wait for.
TEST_F(DocumentEvents, AbortDocJoinsTheHeldNoticeThread)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    HANDLE hold = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_last->holdNotice = hold;
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_TRUE(g_last->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(0, g_last->noticesShown.load());
    HANDLE releaser = CreateThread(nullptr, 0, &ReleaseLater, hold, 0, nullptr);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ABORTDOC));
    EXPECT_FALSE(g_last->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(1, g_last->noticesShown.load());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_TRUE(Signalled(releaser, "the releasing thread's end"));
    CloseHandle(releaser);
    CloseHandle(hold);
}

TEST_F(DocumentEvents, DeleteDcJoinsANoticeStillRunning)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    RecordingUI* object = g_last;
    HANDLE hold = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    object->holdNotice = hold;
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    HANDLE releaser = CreateThread(nullptr, 0, &ReleaseLater, hold, 0, nullptr);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    EXPECT_FALSE(object->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(1, object->noticesShown.load());
    EXPECT_TRUE(Signalled(releaser, "the releasing thread's end"));
    CloseHandle(releaser);
    CloseHandle(hold);
}

TEST(JobText, CleaningRules)
{
    const struct {
        const wchar_t* in;
        bool useDefault;
        const wchar_t* out;
    } cases[] = {
        {L"abc def", false, L"ABC DEF"},
        {L"\x01\x02\x1f", true, L"UNTITLED"},
        {L"\x01\x02\x1f", false, L""},
        {L"abcdefghijklmnopqrst", false, L"ABCDEFGHIJKLMNOP"},
        {L"a\"b~\x7f\x80z", false, L"AB~Z"},
    };
    for (const auto& c : cases) {
        RWWString text(c.in);
        GDriverUIDocumentEvents::CleanJobText(text, c.useDefault, RWWString(L"Untitled"), RWWString(L"UNTITLED"));
        EXPECT_STREQ(c.out, text.Data()) << "from " << RWWString(c.in).Length() << " characters";
    }
    // A default name holding a removed character gives way to the fallback.
    RWWString empty(L"");
    GDriverUIDocumentEvents::CleanJobText(empty, true, RWWString(L"Ohne \"Titel\""), RWWString(L"UNTITLED"));
    EXPECT_STREQ(L"UNTITLED", empty.Data());
}

// Sound behaviour: the rendering module's answer is cut at byte 511, terminated or not.
TEST_F(DocumentEvents, RenderJobNameEndsAtByte511)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    RWWString name;
    EXPECT_EQ(1, g_last->DocumentEvents().QueryRenderJobName(dc, name));
    EXPECT_EQ(511u, name.Length());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST(JobText, CheckRules)
{
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L"Untitled"},
        {L"\x01\x02", L"UNTITLED"},
        {L"abcdefghijklmnopqrstu", L"abcdefghijklmnop"},
        {L"ok", L"ok"},
    };
    for (const auto& c : cases) {
        RWWString text(c.in);
        GDriverUIDocumentEvents::CheckJobText(text, RWWString(L"Untitled"), RWWString(L"UNTITLED"));
        EXPECT_STREQ(c.out, text.Data());
    }
}

TEST(JobText, UserNameIsAtMostSixteenCharacters)
{
    RWWString name;
    GDriverUIDocumentEvents::ReadUserName(name);
    EXPECT_LE(name.Length(), 16u);
}

TEST(DocumentEventRecords, DevModeBounds)
{
    std::vector<uint8_t> largest = DevModeBytes(220, uint16_t(DocumentEventRecord::kLargestDevMode - 220));
    EXPECT_TRUE(DocumentEventRecord::DevModeAcceptable(reinterpret_cast<DEVMODEW*>(largest.data())));
    std::vector<uint8_t> onePast = DevModeBytes(220, uint16_t(DocumentEventRecord::kLargestDevMode - 219));
    EXPECT_FALSE(DocumentEventRecord::DevModeAcceptable(reinterpret_cast<DEVMODEW*>(onePast.data())));
    std::vector<uint8_t> smallest = DevModeBytes(76);
    EXPECT_TRUE(DocumentEventRecord::DevModeAcceptable(reinterpret_cast<DEVMODEW*>(smallest.data())));
    std::vector<uint8_t> orientation = DevModeBytes(78, 0, DM_ORIENTATION);
    EXPECT_TRUE(DocumentEventRecord::DevModeAcceptable(reinterpret_cast<DEVMODEW*>(orientation.data())));
    std::vector<uint8_t> dither = DevModeBytes(200, 0, DM_DITHERTYPE);
    EXPECT_FALSE(DocumentEventRecord::DevModeAcceptable(reinterpret_cast<DEVMODEW*>(dither.data())));
    EXPECT_EQ(264u, DocumentEventRecord::CopySize(reinterpret_cast<DEVMODEW*>(smallest.data())));
    std::vector<uint8_t> exact = DevModeBytes(220, 42);
    EXPECT_EQ(262u + 0, DocumentEventRecord::CopySize(reinterpret_cast<DEVMODEW*>(exact.data())));
}

} // namespace

namespace {

TEST(Watermark, AngleOfEachMode)
{
    const struct {
        int mode, custom, horz, vert, angle;
    } cases[] = {
        {1, 0, 4800, 6600, 53}, {3, 0, 4800, 6600, 306}, {2, 0, 4800, 6600, 90},
        {4, 30, 4800, 6600, 30}, {0, 30, 4800, 6600, 0}, {1, 0, 0, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.angle, GDriverUIDocumentEvents::WatermarkAngle(c.mode, c.custom, c.horz, c.vert))
            << "mode " << c.mode;
}

TEST(Watermark, Colours)
{
    EXPECT_EQ(RGB(255, 232, 232), GDriverUIDocumentEvents::WatermarkColor(255, false, true, false, false));
    EXPECT_EQ(RGB(232, 232, 232), GDriverUIDocumentEvents::WatermarkColor(255, true, true, false, false));
    EXPECT_EQ(RGB(100, 100, 100), GDriverUIDocumentEvents::WatermarkColor(100, false, true, true, true));
    EXPECT_EQ(RGB(100, 255, 255), GDriverUIDocumentEvents::WatermarkColor(100, false, false, true, true));
}

GDriverUIDocumentEvents::WatermarkRecord Draft(int angleMode)
{
    GDriverUIDocumentEvents::WatermarkRecord record;
    record.text = RWWString(L"DRAFT");
    record.length = 5;
    wcscpy(record.font.lfFaceName, L"Arial");
    record.font.lfCharSet = DEFAULT_CHARSET;
    record.font.lfOutPrecision = OUT_TT_PRECIS;
    record.size = 72;
    record.color = RGB(255, 0, 0);
    record.angleMode = angleMode;
    return record;
}

class WatermarkDrawing : public DocumentEvents {};

TEST_F(WatermarkDrawing, DibSectionPixelsChangeAndDcStateIsKept)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 600;
    info.bmiHeader.biHeight = -800;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    HGDIOBJ old = SelectObject(dc, bitmap);
    memset(bits, 0xFF, 600 * 800 * 4);
    g_last->DocumentEvents().UseWatermark(Draft(1), 2);
    const COLORREF color = GetTextColor(dc);
    const int mapMode = GetMapMode(dc);
    const int background = GetBkMode(dc);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const int horz = GetDeviceCaps(dc, HORZRES);
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    size_t changed = 0;
    for (size_t i = 0; i < 600 * 800; ++i)
        changed += pixels[i] != 0xFFFFFFFFu;
    EXPECT_GT(changed, 100u) << "the text lands on the page";
    EXPECT_EQ(color, GetTextColor(dc));
    EXPECT_EQ(mapMode, GetMapMode(dc));
    EXPECT_EQ(background, GetBkMode(dc));
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(horz, GetDeviceCaps(dc, HORZRES));
    std::vector<uint32_t> marks;
    for (const Escape& escape : g_last->escapes)
        if (uint32_t(escape.code) == 0x303EB8ED) {
            ASSERT_EQ(12u, escape.input.size());
            uint32_t record[3];
            memcpy(record, escape.input.data(), 12);
            EXPECT_EQ(0xCFC14712u, record[0]);
            EXPECT_EQ(uint32_t(RGB(255, 0, 0)), record[2]);
            marks.push_back(record[1]);
        }
    EXPECT_EQ((std::vector<uint32_t>{1, 0}), marks) << "the drawing is bracketed";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(WatermarkDrawing, FirstPageOnlyDrawsOnPageOne)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    g_last->DocumentEvents().UseWatermark(Draft(0), 1);
    for (int page = 0; page < 3; ++page) {
        EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
        EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    }
    size_t marks = 0;
    for (const Escape& escape : g_last->escapes)
        marks += uint32_t(escape.code) == 0x303EB8ED;
    EXPECT_EQ(2u, marks);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

struct MetafileFinds {
    std::vector<LOGFONTW> fonts;
    std::vector<std::wstring> texts;
};

int CALLBACK CollectRecords(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM parameter)
{
    MetafileFinds& finds = *reinterpret_cast<MetafileFinds*>(parameter);
    if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
        const EMREXTCREATEFONTINDIRECTW* font = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
        finds.fonts.push_back(font->elfw.elfLogFont);
    } else if (record->iType == EMR_EXTTEXTOUTW) {
        const EMREXTTEXTOUTW* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const wchar_t* chars =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const uint8_t*>(record) + text->emrtext.offString);
        finds.texts.emplace_back(chars, text->emrtext.nChars);
    }
    return 1;
}

TEST_F(WatermarkDrawing, MetafileHoldsTheFontAndOneText)
{
    HDC metafile = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, metafile);
    HDC event = dc;
    dc = metafile;
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    g_last->DocumentEvents().UseWatermark(Draft(1), 2);
    const int angle = GDriverUIDocumentEvents::WatermarkAngle(1, 0, GetDeviceCaps(metafile, HORZRES),
                                                              GetDeviceCaps(metafile, VERTRES));
    const int height = -MulDiv(72, GetDeviceCaps(metafile, LOGPIXELSY), 72);
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    dc = event;
    HENHMETAFILE closed = CloseEnhMetaFile(metafile);
    ASSERT_NE(nullptr, closed);
    MetafileFinds finds;
    EnumEnhMetaFile(nullptr, closed, &CollectRecords, &finds, nullptr);
    DeleteEnhMetaFile(closed);
    ASSERT_EQ(1u, finds.fonts.size());
    EXPECT_EQ(angle * 10, finds.fonts[0].lfEscapement);
    EXPECT_EQ(height, finds.fonts[0].lfHeight);
    ASSERT_EQ(1u, finds.texts.size());
    EXPECT_EQ(L"DRAFT", finds.texts[0]);
}

// Sound behaviour: an empty text draws nothing and still answers 1.
TEST_F(WatermarkDrawing, EmptyTextDrawsNothing)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    GDriverUIDocumentEvents::WatermarkRecord empty = Draft(0);
    empty.text = RWWString(L"");
    empty.length = 0;
    g_last->DocumentEvents().UseWatermark(empty, 2);
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(nullptr, Find(g_last->escapes, 0x303EB8ED));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

} // namespace

namespace {

struct DocumentRun {
    HANDLE printer = nullptr;
    std::atomic<int> failures{0};
};

// One DC's whole life, twenty times over, on the printer handle of the run.
DWORD WINAPI RunDocuments(void* parameter)
{
    DocumentRun& run = *static_cast<DocumentRun*>(parameter);
    HDC dc = CreateCompatibleDC(nullptr);
    for (int round = 0; round < 20; ++round) {
        DEVMODEW* copy = nullptr;
        DOCEVENT_CREATEDCPRE record = {nullptr, nullptr, nullptr, FALSE};
        const int events[] = {DOCUMENTEVENT_STARTDOCPOST, DOCUMENTEVENT_STARTPAGE, DOCUMENTEVENT_ABORTDOC};
        if (DrvDocumentEvent(run.printer, dc, DOCUMENTEVENT_CREATEDCPRE, sizeof record, &record, sizeof copy, &copy) != 1)
            ++run.failures;
        for (int event : events)
            if (DrvDocumentEvent(run.printer, dc, event, 0, nullptr, 0, nullptr) < 0)
                ++run.failures;
        if (DrvDocumentEvent(run.printer, dc, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr) != 0)
            ++run.failures;
    }
    DeleteDC(dc);
    return 0;
}

// Two printer handles on two threads, each with its own document table entry and notice
// thread: both finish (the wait only catches a hang) and the table ends empty.
TEST_F(DocumentEvents, TwoHandlesOnTwoThreadsNeverHang)
{
    DocumentRun runs[2];
    std::wstring name = printer.Name();
    for (DocumentRun& run : runs)
        ASSERT_TRUE(OpenPrinterW(&name[0], &run.printer, nullptr));
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(nullptr, 0, &RunDocuments, &runs[i], 0, nullptr);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 120000));
    for (int i = 0; i < 2; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(0, runs[i].failures.load());
        ClosePrinter(runs[i].printer);
    }
    EXPECT_EQ(0u, Entries());
}

} // namespace

// The keystroke stand-in reports each call here: begin, a page each, end.
std::vector<std::string> g_ksCalls;
std::vector<uint32_t> g_ksEndFlags;
std::vector<uint32_t> g_ksBeginWords;
std::vector<std::wstring> g_ksBeginTexts;

extern "C" __declspec(dllexport) uint32_t __cdecl QzTestKsJobCall(const char* entry, const uint32_t* words,
                                                                  uint32_t count, const void*, uint32_t)
{
    g_ksCalls.push_back(entry);
    if (std::string(entry) == "ksBeginJobEx" && count == 6) {
        g_ksBeginWords.assign(words, words + count);
        const wchar_t* output = reinterpret_cast<const wchar_t*>(uintptr_t(words[3]));
        const wchar_t* document = reinterpret_cast<const wchar_t*>(uintptr_t(words[4]));
        g_ksBeginTexts = {output ? output : L"(null)", document ? document : L"(null)"};
    }
    if (std::string(entry) == "ksEndJob" && count == 2)
        g_ksEndFlags.push_back(words[1]);
    return std::strncmp(entry, "ksBeginJob", 10) == 0 ? 0x5150 : 0;
}

namespace {

class KeystrokeJob : public DocumentEvents {
protected:
    void Document(int lastEvent)
    {
        g_ksCalls.clear();
        g_ksEndFlags.clear();
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, CreatePre(nullptr, copy));
        const std::wstring library = DmcStandin::ProgramFolder() + L"\\qzplom32-whole\\qzplom32.dll";
        g_last->pluginPath = RWWString(library.c_str());
        DOCINFOW info = {sizeof info, L"Report", nullptr, nullptr, 0};
        DOCINFOW* infoPointer = &info;
        EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTDOC, sizeof infoPointer, &infoPointer));
        EXPECT_NE(nullptr, GetModuleHandleW(library.c_str())) << "the stand-in is loaded for the job";
        for (int page = 0; page < 2; ++page) {
            EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
            EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
        }
        EXPECT_EQ(0, Event(lastEvent));
        EXPECT_EQ(nullptr, GetModuleHandleW(library.c_str())) << "and unloaded after it";
        EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    }
};

TEST_F(KeystrokeJob, BeginAPageEachAndEnd)
{
    Document(DOCUMENTEVENT_ENDDOCPOST);
    EXPECT_EQ((std::vector<std::string>{"ksBeginJobEx", "ksEndPage", "ksEndPage", "ksEndJob"}), g_ksCalls);
    EXPECT_EQ(std::vector<uint32_t>{0}, g_ksEndFlags);
}

TEST_F(KeystrokeJob, AbortedAfterAbortDoc)
{
    Document(DOCUMENTEVENT_ABORTDOC);
    EXPECT_EQ(std::vector<uint32_t>{1}, g_ksEndFlags);
}

} // namespace

namespace {

// The per-user values of the test printer's job storage, removed before and after each
// test that touches them.
class JobStorage : public DocumentEvents {
protected:
    void SetUp() override
    {
        DocumentEvents::SetUp();
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, CreatePre(nullptr, copy));
        ASSERT_NE(nullptr, g_last);
        RWWString key;
        g_last->GetJobStorageKey(key);
        keyPath = key.Data();
        Clear();
    }
    void TearDown() override
    {
        Clear();
        DocumentEvents::TearDown();
    }
    void Clear()
    {
        for (const wchar_t* value : {L"LocalJobStorage", L"DontShowJobName"})
            RegDeleteKeyValueW(HKEY_CURRENT_USER, keyPath.c_str(), value);
    }
    void SetUserValue(const wchar_t* value, DWORD data)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                                 &key, nullptr));
        RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
        RegCloseKey(key);
    }
    std::wstring keyPath;
};

TEST_F(JobStorage, AStoredJobIsNamedAndItsNoticeShown)
{
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(1, g_last->noticesShown.load());
    EXPECT_STREQ(L"Quarterly", g_last->DocumentEvents().GetJobName().Data());
    const GDriverUIDocumentEvents::JobNotice& notice = g_last->DocumentEvents().GetJobNotice();
    EXPECT_STREQ(L"Tester", notice.userName.Data()) << "the job-storage user name comes first";
    EXPECT_STREQ(L"Quarterly", notice.jobName.Data());
    EXPECT_EQ(printer.Name(), std::wstring(notice.printerName.Data()));
    EXPECT_NE(0u, notice.resourceLibrary.Length());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(JobStorage, NoStoredJobStartsNoNotice)
{
    g_last->storedJob = false;
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_FALSE(g_last->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(0, g_last->noticesShown.load());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(JobStorage, DontShowJobNameStartsNoNotice)
{
    SetUserValue(L"DontShowJobName", 1);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_FALSE(g_last->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(0, g_last->noticesShown.load());
    EXPECT_STREQ(L"Quarterly", g_last->DocumentEvents().GetJobName().Data()) << "the job is still named";
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Mode 1 keeps "LocalJobStorage" = 1 at the end of the document; once it exists, the
// next document neither names the job nor shows the notice.
TEST_F(JobStorage, ModeOneKeepsLocalJobStorageWhichEndsTheNotices)
{
    EXPECT_FALSE(g_last->DocumentEvents().LocalJobStorageExists());
    g_last->DocumentEvents().SetJobStorageMode(1);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(1, g_last->noticesShown.load());
    EXPECT_TRUE(g_last->DocumentEvents().LocalJobStorageExists());
    HKEY key = nullptr;
    DWORD value = 0, size = sizeof value, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"LocalJobStorage", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                              &size));
    RegCloseKey(key);
    EXPECT_EQ(DWORD(REG_DWORD), type);
    EXPECT_EQ(1u, value);
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_FALSE(g_last->DocumentEvents().JobNoticeRunning());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_EQ(1, g_last->noticesShown.load());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Without "LocalJobStorage" the settings are made afresh for the document; with it the
// object's settings stay as they were.
TEST_F(JobStorage, StartDocPostMakesTheSettingsAfreshOnlyWithoutLocalJobStorage)
{
    const long marker = 0x4000F00D;
    for (bool local : {false, true}) {
        if (local)
            SetUserValue(L"LocalJobStorage", 0);
        GObjectBase* settings = g_last->GetSettings();
        ASSERT_NE(nullptr, settings);
        settings->Add(new GValueAttribute(1, marker));
        EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
        EXPECT_EQ(local, g_last->GetSettings()->FindById(marker) != nullptr) << "LocalJobStorage " << local;
        EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    }
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

TEST_F(JobStorage, ModeZeroWritesNothing)
{
    EXPECT_EQ(0, Event(DOCUMENTEVENT_STARTDOCPOST));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOCPOST));
    EXPECT_FALSE(g_last->DocumentEvents().LocalJobStorageExists());
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// ENDDOC sends {0xCFC14711, 1, 0} only with duplex (253) and manual duplex (245) both on,
// and shows the instructions only when the printer does not turn the pages (no 1010).
TEST_F(DocumentEvents, EndDocSendsTheManualDuplexEscapeOnlyWithBothFeatures)
{
    const struct {
        uint16_t duplex, manual;
        bool turns;
        bool escape, dialog;
    } rows[] = {
        {0, 0, false, false, false}, {1, 0, false, false, false}, {0, 1, false, false, false},
        {1, 1, false, true, true},   {1, 1, true, true, false},
    };
    const uint8_t expected[] = {0x11, 0x47, 0xC1, 0xCF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (const auto& row : rows) {
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, CreatePre(nullptr, copy));
        // The server may hand out the same object again: its records start afresh.
        g_last->escapes.clear();
        g_last->duplexDialogs = 0;
        GObjectBase* settings = g_last->GetSettings();
        ASSERT_NE(nullptr, settings);
        Drop(settings, FeatureId::kDuplex);
        Drop(settings, FeatureId::kDuplexFallback);
        Drop(settings, FeatureId::kManualDuplexMarker);
        SetFeature(settings, FeatureId::kDuplex, row.duplex);
        SetFeature(settings, FeatureId::kDuplexFallback, row.manual);
        if (row.turns)
            SetFeature(settings, FeatureId::kManualDuplexMarker, 1);
        EXPECT_EQ(0, Event(DOCUMENTEVENT_ENDDOC));
        const Escape* escape = Find(g_last->escapes, 0x303EB8EE);
        EXPECT_EQ(row.escape, escape != nullptr) << row.duplex << row.manual;
        if (escape) {
            EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), escape->input);
        }
        EXPECT_EQ(row.dialog ? 1 : 0, g_last->duplexDialogs) << row.duplex << row.manual << row.turns;
        EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    }
}

// Sound behaviour: without an expected page count nothing is divided by it; the decision
// then goes on only through booklet printing (279).
TEST_F(DocumentEvents, NoExpectedPageCountIsNeverDividedBy)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    GObjectBase* settings = g_last->GetSettings();
    ASSERT_NE(nullptr, settings);
    SetFeature(settings, FeatureId::kManualDuplexMarker, 1);
    Drop(settings, FeatureId::kBookletPrinting);
    SetFeature(settings, FeatureId::kBookletPrinting, 0);
    const struct {
        uint32_t ended, expected;
        uint16_t booklet;
        int wanted;
    } rows[] = {
        {5, 0, 0, 0}, {0, 0, 0, 0}, {5, 0, 1, 1}, {5, 2, 0, 1}, {2, 2, 0, 0}, {1, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SetFeature(settings, FeatureId::kBookletPrinting, row.booklet);
        EXPECT_EQ(row.wanted, g_last->DocumentEvents().ManualDuplexWanted(row.ended, row.expected))
            << row.ended << "/" << row.expected << " booklet " << row.booklet;
    }
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Sound behaviour: a registry text of any length or type reaches the escape bounded and
// terminated; a value that is not a string is sent empty.
TEST_F(DocumentEvents, RegistryTextsAreBoundedAndTerminated)
{
    const wchar_t* const path = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    wchar_t saved[512] = {};
    DWORD savedSize = sizeof(saved) - sizeof(wchar_t), savedType = 0;
    const bool hadValue = RegQueryValueExW(key, L"CachePrimaryDomain", nullptr, &savedType,
                                           reinterpret_cast<BYTE*>(saved), &savedSize) == ERROR_SUCCESS;
    const std::wstring shortText(255, L'D');
    const std::wstring fullText(256, L'D');
    const std::wstring longText(3000, L'D');
    const DWORD number = 7;
    // sent: the exact escape size, or 0 for any size up to 257 (the value is left out and
    // the default domain, if any, is sent instead).
    const struct {
        DWORD type;
        const BYTE* data;
        DWORD size;
        size_t sent;
    } rows[] = {
        // 256 characters with no terminator: all of them, terminated.
        {REG_SZ, reinterpret_cast<const BYTE*>(shortText.data()), DWORD(shortText.size() * sizeof(wchar_t)), 256},
        {REG_SZ, reinterpret_cast<const BYTE*>(fullText.data()), DWORD(fullText.size() * sizeof(wchar_t)), 257},
        {REG_SZ, reinterpret_cast<const BYTE*>(longText.data()), DWORD(longText.size() * sizeof(wchar_t)), 0},
        {REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number, 0},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"CachePrimaryDomain", 0, row.type, row.data, row.size));
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, CreatePre(nullptr, copy));
        g_last->escapes.clear();
        EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTDOC));
        const Escape* domain = Find(g_last->escapes, 0x303EB8EB);
        ASSERT_NE(nullptr, domain);
        if (row.sent) {
            EXPECT_EQ(row.sent, domain->input.size());
        } else {
            EXPECT_LE(domain->input.size(), 257u);
        }
        ASSERT_FALSE(domain->input.empty());
        EXPECT_EQ(0, domain->input.back());
        EXPECT_EQ(domain->input.size() - 1, strlen(reinterpret_cast<const char*>(domain->input.data())));
        EXPECT_EQ(0, Event(DOCUMENTEVENT_ABORTDOC));
        EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    }
    if (hadValue)
        RegSetValueExW(key, L"CachePrimaryDomain", 0, savedType, reinterpret_cast<const BYTE*>(saved), savedSize);
    else
        RegDeleteValueW(key, L"CachePrimaryDomain");
    RegCloseKey(key);
}

// Sound behaviour: a watermark name that the list does not hold leaves mode 0, so the
// last job's watermark is not printed, and the page still ends with 1.
TEST_F(DocumentEvents, AWatermarkNameNotInTheListDrawsNothing)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    GDriverUIDocumentEvents::WatermarkRecord last;
    last.text = RWWString(L"LAST JOB");
    last.length = 8;
    last.size = 40;
    g_last->DocumentEvents().UseWatermark(last, 2);
    GObjectBase* settings = g_last->GetSettings();
    ASSERT_NE(nullptr, settings);
    GObjectBase* selection = Group(Group(settings, FeatureId::kDocumentSettings), FeatureId::kWatermarkDefinition);
    SetFeature(selection, FeatureId::kWatermarkPageRule, 0);
    SetFeature(selection, FeatureId::kWatermarkGate, 0);
    // A listed name that only starts with the selected name is not that name.
    GAttributeComposite* listed = new GAttributeComposite(0);
    listed->Add(new GStringAttribute("Quarterly Draft", FeatureId::kWatermarkName));
    Group(Group(settings, FeatureId::kPrinterLists), FeatureId::kWatermarkList)->Add(listed);
    for (const char* name : {"No Such Watermark", "Quarterly"}) {
        Drop(selection, FeatureId::kWatermarkSelected);
        selection->Add(new GStringAttribute(name, FeatureId::kWatermarkSelected));
        EXPECT_EQ(1, g_last->DocumentEvents().PrepareWatermark()) << name;
        EXPECT_EQ(0u, g_last->DocumentEvents().WatermarkMode()) << name;
    }
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(nullptr, Find(g_last->escapes, 0x303EB8ED));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

// Sound behaviour: a font GDI cannot make skips the drawing, answers 1 and leaves the
// DC as it was.
TEST_F(DocumentEvents, AFailedFontDrawsNothingAndKeepsTheDc)
{
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    GDriverUIDocumentEvents::WatermarkRecord record;
    record.text = RWWString(L"DRAFT");
    record.length = 5;
    record.size = 72;
    record.color = RGB(255, 0, 0);
    g_last->DocumentEvents().UseWatermark(record, 2);
    g_last->failFont = true;
    const COLORREF color = GetTextColor(dc);
    const int mapMode = GetMapMode(dc);
    const int background = GetBkMode(dc);
    const int extra = GetTextCharacterExtra(dc);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTPAGE));
    EXPECT_EQ(1, Event(DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(nullptr, Find(g_last->escapes, 0x303EB8ED));
    EXPECT_EQ(color, GetTextColor(dc));
    EXPECT_EQ(mapMode, GetMapMode(dc));
    EXPECT_EQ(background, GetBkMode(dc));
    EXPECT_EQ(extra, GetTextCharacterExtra(dc));
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
}

} // namespace

namespace {

// The job begins with the copies of the document settings (291 under 364), option 434 and
// the document's output, or the port when it names none.
TEST_F(KeystrokeJob, BeginsWithTheCopiesTheOptionAndTheOutput)
{
    const struct {
        const wchar_t* output;
        const wchar_t* sent;
    } rows[] = {{nullptr, L"FILE:"}, {L"C:\\out.prn", L"C:\\out.prn"}};
    for (const auto& row : rows) {
        g_ksCalls.clear();
        g_ksBeginWords.clear();
        g_ksBeginTexts.clear();
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, CreatePre(nullptr, copy));
        g_last->pluginPath = RWWString((DmcStandin::ProgramFolder() + L"\\qzplom32-whole\\qzplom32.dll").c_str());
        GObjectBase* settings = g_last->GetSettings();
        ASSERT_NE(nullptr, settings);
        GObjectBase* options = Group(settings, FeatureId::kDocumentSettings);
        Drop(options, FeatureId::kCopies);
        SetFeature(options, FeatureId::kCopies, 3);
        Drop(settings, FeatureId::kJobNotification);
        SetFeature(settings, FeatureId::kJobNotification, 1);
        DOCINFOW info = {sizeof info, L"Report", row.output, nullptr, 0};
        DOCINFOW* infoPointer = &info;
        EXPECT_EQ(1, Event(DOCUMENTEVENT_STARTDOC, sizeof infoPointer, &infoPointer));
        ASSERT_EQ(6u, g_ksBeginWords.size());
        EXPECT_EQ(3u, g_ksBeginWords[1]) << "copies";
        EXPECT_EQ(1u, g_ksBeginWords[2]) << "option 434";
        ASSERT_EQ(2u, g_ksBeginTexts.size());
        EXPECT_EQ(std::wstring(row.sent), g_ksBeginTexts[0]);
        EXPECT_EQ(std::wstring(L"Report"), g_ksBeginTexts[1]);
        EXPECT_EQ(0, Event(DOCUMENTEVENT_ABORTDOC));
        EXPECT_EQ(0, Event(DOCUMENTEVENT_DELETEDC));
    }
}

TEST(KeystrokeHolder, AMissingLibraryBeginsNothingAndEndsNothing)
{
    GKsJobPluginHolder holder;
    GKsJobPluginHolder::JobDescription job;
    job.output = RWWString(L"FILE:");
    job.document = RWWString(L"Report");
    EXPECT_EQ(0, holder.Begin(RWWString(L"C:\\no\\such\\qzplom32.dll"), job));
    EXPECT_FALSE(holder.HasJob());
    EXPECT_EQ(0, holder.Page());
    EXPECT_EQ(0, holder.End());
    EXPECT_EQ(0, holder.Abort());
}

TEST(KeystrokeHolder, TheDescriptionReadsTheSettingsAndTheConfiguration)
{
    GAttributeComposite settings(0);
    auto* options = new GAttributeComposite(FeatureId::kDocumentSettings);
    options->Add(new GValueAttribute(5, FeatureId::kCopies));
    settings.Add(options);
    settings.Add(new GValueAttribute(0, FeatureId::kJobNotification));
    GAttributeComposite configuration(0);
    configuration.Add(new GValueAttribute(1, FeatureId::kJobNotification));
    DOCINFOW info = {sizeof info, L"Report", nullptr, nullptr, 0};
    GKsJobPluginHolder::JobDescription job =
        GDriverUIDocumentEvents::KsJobDescription(&settings, &configuration, &info, RWWString(L"LPT1:"));
    EXPECT_EQ(5u, job.copies);
    EXPECT_EQ(1u, job.option434) << "the configuration's option comes first";
    EXPECT_STREQ(L"LPT1:", job.output.Data());
    EXPECT_STREQ(L"Report", job.document.Data());
    job = GDriverUIDocumentEvents::KsJobDescription(&settings, nullptr, nullptr, RWWString(L"LPT1:"));
    EXPECT_EQ(0u, job.option434);
    EXPECT_STREQ(L"", job.document.Data());
    job = GDriverUIDocumentEvents::KsJobDescription(nullptr, nullptr, nullptr, RWWString(L"LPT1:"));
    EXPECT_EQ(0u, job.copies);
}

} // namespace

namespace {

// A fresh object holds no settings tree: STARTDOC first makes sure the printer's data can
// be written (the probe value appears), and closes the own handle it may have opened.
TEST_F(DocumentEvents, StartDocWithoutSettingsProbesThePrinterDataAndClosesTheOwnHandle)
{
    const std::wstring dataKey = printer.RegistryKey() + L"\\PrinterDriverData";
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, dataKey.c_str(), L"RegWriteTestStr");
    std::wstring name = printer.Name();
    RecordingUI ui(PrinterIdentity(handle, name.c_str(), 1));
    ASSERT_EQ(nullptr, ui.GetCurrentSettings());
    DOCINFOW info = {sizeof info, L"Report", nullptr, nullptr, 0};
    DOCINFOW* infoPointer = &info;
    EXPECT_EQ(1, ui.DocumentEvent(handle, dc, DOCUMENTEVENT_STARTDOC, sizeof infoPointer, &infoPointer, 0, nullptr));
    EXPECT_EQ(nullptr, ui.GetOwnHandle());
    DWORD type = 0, needed = 0;
    wchar_t text[64] = {};
    EXPECT_EQ(DWORD(ERROR_SUCCESS), GetPrinterDataW(handle, const_cast<wchar_t*>(L"RegWriteTestStr"), &type,
                                                    reinterpret_cast<BYTE*>(text), sizeof(text) - sizeof(wchar_t),
                                                    &needed));
    EXPECT_STREQ(L"RegWriteTestStr", text);
    EXPECT_NE(nullptr, Find(ui.escapes, 0x303EB8E8)) << "the document's escapes still follow";
    EXPECT_EQ(0, ui.DocumentEvent(handle, dc, DOCUMENTEVENT_ABORTDOC, 0, nullptr, 0, nullptr));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, dataKey.c_str(), L"RegWriteTestStr");
}

} // namespace

// Two documents printing at once in one process, each on its own device context: the
// pages each counts and the manual-duplex decision each makes are its own, whatever the
// other does in between or on another thread at the same time.
TEST_F(DocumentEvents, TwoDocumentsOnTwoThreadsCountAndDecideTheirOwn)
{
    std::wstring name = printer.Name();
    HANDLE secondHandle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &secondHandle, nullptr));
    HDC secondDc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, secondDc);
    DEVMODEW* copy = nullptr;
    ASSERT_EQ(1, CreatePre(nullptr, copy));
    RecordingUI* first = g_last;
    DOCEVENT_CREATEDCPRE record = {nullptr, nullptr, nullptr, FALSE};
    DEVMODEW* secondCopy = nullptr;
    ASSERT_EQ(1, DrvDocumentEvent(secondHandle, secondDc, DOCUMENTEVENT_CREATEDCPRE, sizeof record, &record,
                                  sizeof secondCopy, &secondCopy));
    RecordingUI* second = g_last;
    ASSERT_NE(first, second);
    for (RecordingUI* ui : {first, second}) {
        GObjectBase* settings = ui->GetSettings();
        ASSERT_NE(nullptr, settings);
        SetFeature(settings, FeatureId::kManualDuplexMarker, 1);
        Drop(settings, FeatureId::kBookletPrinting);
    }
    struct Document {
        HANDLE handle;
        HDC dc;
        RecordingUI* ui;
        uint32_t pages, expected;
        int dialogs;
    };
    const Document documents[] = {{handle, dc, first, 400, 2, 1}, {secondHandle, secondDc, second, 2, 2, 0}};
    auto event = [](const Document& d, int escape) { return DrvDocumentEvent(d.handle, d.dc, escape, 0, nullptr, 0, nullptr); };

    // In turn on one thread: the second document's start clears nothing of the first's.
    EXPECT_EQ(1, event(documents[0], DOCUMENTEVENT_STARTDOC));
    EXPECT_EQ(1, event(documents[0], DOCUMENTEVENT_ENDPAGE));
    EXPECT_EQ(1, event(documents[1], DOCUMENTEVENT_STARTDOC));
    EXPECT_EQ(1u, first->DocumentEvents().PagesEnded());
    EXPECT_EQ(0u, second->DocumentEvents().PagesEnded());
    EXPECT_EQ(1, event(documents[0], DOCUMENTEVENT_STARTDOC));
    for (const Document& d : documents)
        d.ui->DocumentEvents().SetExpectedPages(d.expected);

    // At once on two threads.
    std::atomic<int> ready{0};
    auto print = [&](const Document& d) {
        ++ready;
        while (ready.load() < 2)
            std::this_thread::yield();
        for (uint32_t page = 0; page < d.pages; ++page)
            event(d, DOCUMENTEVENT_ENDPAGE);
    };
    std::thread one(print, std::cref(documents[0])), two(print, std::cref(documents[1]));
    one.join();
    two.join();
    for (const Document& d : documents) {
        EXPECT_EQ(d.pages, d.ui->DocumentEvents().PagesEnded());
        EXPECT_EQ(d.expected, d.ui->DocumentEvents().ExpectedPages());
    }
    std::thread endOne([&] { event(documents[0], DOCUMENTEVENT_ENDDOCPOST); });
    std::thread endTwo([&] { event(documents[1], DOCUMENTEVENT_ENDDOCPOST); });
    endOne.join();
    endTwo.join();
    for (const Document& d : documents) {
        EXPECT_EQ(d.dialogs, d.ui->duplexDialogs) << d.pages << " pages of " << d.expected;
        EXPECT_EQ(0u, d.ui->DocumentEvents().PagesEnded());
    }
    EXPECT_EQ(0, event(documents[1], DOCUMENTEVENT_DELETEDC));
    EXPECT_EQ(0, event(documents[0], DOCUMENTEVENT_DELETEDC));
    DeleteDC(secondDc);
    ClosePrinter(secondHandle);
}
