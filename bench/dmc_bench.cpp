// The configuration update and factory export of the whole model: rounds of Update and
// ExportFactory on one GDriverDMCConfig over the installed test printer's settings
// (completed for the whole model as the round-trip test completes them), set
// against the configuration library stand-in's own cost: the same library calls, taken
// from one round's call log, replayed straight against its exports in one run.
//
//   dmc_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "DmcStandin.h"
#include "TestPrinter.h"
#include "WholeModelTree.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"
#include "settings/dmc/DMCLibraryAbi.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double Seconds(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The module's services, except that the configuration library is looked for in the
// stand-in's folder and its registration command is not run.
struct StandinFolderServices : GUIOSFactory {
    void GetModuleDirectory(RWWString& path) override { path = RWWString(DmcStandin::Folder().c_str()); }
    uint32_t RunCommand(const RWWString&, int) override { return 33; }
};

const GDriverUIMaker kRealMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new GDriverUI(identity); },
    [](GDriverObject* driver) -> void* {
        GDriverUI* ui = dynamic_cast<GDriverUI*>(driver);
        return ui ? ui->GetPrinterHandle() : nullptr;
    },
};

// The stand-in's entry points the driver calls.
struct Exports {
    DMCStartConfigProc startConfig;
    DMCStartExportProc startExport;
    DMCSetContextProc setContext;
    DMCSetExportProc setExport;
    DMCGetNamedFeatureAttributeProc getAttribute;
    DMCGetProc get;
    DMCEnumFeaturesProc enumFeatures;
    DMCEnumListTokenProc enumListToken;
    DMCCharToWideProc charToWide;
    DMCWideToCharProc wideToChar;
    DMCEndConfigProc endConfig;
    DMCEndExportProc endExport;

    explicit Exports(HMODULE module)
    {
        auto find = [module](auto& proc, const char* name) {
            proc = reinterpret_cast<std::remove_reference_t<decltype(proc)>>(
                reinterpret_cast<void*>(GetProcAddress(module, name)));
            return proc != nullptr;
        };
        complete = find(startConfig, "DMCStartConfig") & find(startExport, "DMCStartExport") &
                   find(setContext, "DMCSetContext") & find(setExport, "DMCSetExport") &
                   find(getAttribute, "DMCGetNamedFeatureAttribute") & find(get, "DMCGet") &
                   find(enumFeatures, "DMCEnumFeatures") & find(enumListToken, "DMCEnumListToken") &
                   find(charToWide, "DMCCharToWide") & find(wideToChar, "DMCWideToChar") &
                   find(endConfig, "DMCEndConfig") & find(endExport, "DMCEndExport");
    }
    bool complete = false;
};

enum class Kind { kStartConfig, kStartExport, kSetContext, kSetExport, kGetAttribute, kGet, kGetContext,
                  kEnumFeatures, kEnumListToken, kCharToWide, kWideToChar, kEndConfig, kEndExport };

// One logged call with its arguments, parsed before the timing.
struct Call {
    Kind kind;
    std::wstring a, b;
    uint32_t mode = 0;
};

std::vector<std::wstring> Words(const std::wstring& line)
{
    std::vector<std::wstring> words;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = line.find(L' ', at);
        words.push_back(line.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
        if (end == std::wstring::npos)
            break;
        at = end + 1;
    }
    return words;
}

// The text after the first n words.
std::wstring After(const std::wstring& line, size_t n)
{
    size_t at = 0;
    for (size_t i = 0; i < n && at != std::wstring::npos; ++i) {
        at = line.find(L' ', at);
        if (at != std::wstring::npos)
            ++at;
    }
    return at == std::wstring::npos ? std::wstring() : line.substr(at);
}

// The calls of a log, with the printer name the driver passed (it holds blanks). A line
// the driver never causes is counted and left out.
std::vector<Call> Parse(const std::vector<std::wstring>& log, const std::wstring& printer, size_t& unknown)
{
    std::vector<Call> calls;
    for (const std::wstring& line : log) {
        const std::vector<std::wstring> words = Words(line);
        if (words.empty())
            continue;
        const std::wstring& name = words[0];
        Call call{Kind::kEndConfig, {}, {}, 0};
        if (name == L"DMCStartConfig" && words.size() >= 5) {
            call.kind = Kind::kStartConfig;
            call.a = printer;
            call.mode = uint32_t(std::wcstoul(words[words.size() - 3].c_str(), nullptr, 10));
            call.b = words[words.size() - 2];
        } else if (name == L"DMCStartExport" && words.size() >= 4) {
            call.kind = Kind::kStartExport;
            call.a = printer;
            call.b = words[words.size() - 2];
            call.mode = uint32_t(std::wcstoul(words.back().c_str(), nullptr, 10));
        } else if (name == L"DMCSetContext" && words.size() == 2) {
            call.kind = Kind::kSetContext;
            call.a = words[1];
        } else if (name == L"DMCSetExport" && words.size() >= 3) {
            call.kind = Kind::kSetExport;
            call.a = words[1];
            call.b = After(line, 2);
        } else if (name == L"DMCGetNamedFeatureAttribute" && words.size() == 3) {
            call.kind = Kind::kGetAttribute;
            call.a = words[1];
            call.b = words[2];
        } else if (name == L"DMCGet" && words.size() == 2) {
            call.kind = words[1] == L"-" ? Kind::kGetContext : Kind::kGet;
            call.a = words[1];
        } else if (name == L"DMCEnumFeatures" && words.size() == 2) {
            call.kind = Kind::kEnumFeatures;
            call.a = words[1];
        } else if (name == L"DMCEnumListToken") {
            call.kind = Kind::kEnumListToken;
        } else if (name == L"DMCCharToWide") {
            call.kind = Kind::kCharToWide;
        } else if (name == L"DMCWideToChar") {
            call.kind = Kind::kWideToChar;
        } else if (name == L"DMCEndConfig") {
            call.kind = Kind::kEndConfig;
        } else if (name == L"DMCEndExport") {
            call.kind = Kind::kEndExport;
        } else {
            ++unknown;
            continue;
        }
        calls.push_back(call);
    }
    return calls;
}

// The calls made straight against the exports, with buffers of the contract's sizes; a
// token walk works on the list the last section listing filled, as the driver's does.
void Replay(const Exports& exports, const std::vector<Call>& calls)
{
    std::vector<wchar_t> keyword(DMCAbi::kKeywordChars), list(DMCAbi::kListChars);
    std::vector<char> narrow(DMCAbi::kNarrowBytes);
    for (const Call& call : calls) {
        switch (call.kind) {
        case Kind::kStartConfig:
            exports.startConfig(call.a.c_str(), call.mode, call.b.c_str(), 0);
            break;
        case Kind::kStartExport:
            exports.startExport(call.a.c_str(), call.b.c_str(), call.mode);
            break;
        case Kind::kSetContext:
            exports.setContext(call.a.c_str());
            break;
        case Kind::kSetExport:
            exports.setExport(call.a.c_str(), call.b.c_str());
            break;
        case Kind::kGetAttribute:
            exports.getAttribute(call.a.c_str(), call.b.c_str(), keyword.data());
            break;
        case Kind::kGet:
            exports.get(call.a.c_str(), keyword.data());
            break;
        case Kind::kGetContext:
            exports.get(nullptr, keyword.data());
            break;
        case Kind::kEnumFeatures:
            exports.enumFeatures(call.a.c_str(), list.data());
            break;
        case Kind::kEnumListToken:
            exports.enumListToken(keyword.data(), list.data());
            break;
        case Kind::kCharToWide:
            exports.charToWide(keyword.data(), "W1908");
            break;
        case Kind::kWideToChar:
            exports.wideToChar(narrow.data(), L"W1908");
            break;
        case Kind::kEndConfig:
            exports.endConfig();
            break;
        case Kind::kEndExport:
            exports.endExport();
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
    TestPrinter& printer = TestPrinter::Shared();
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 1;
    }
    DmcStandin standin;
    HMODULE library = GetModuleHandleW((DmcStandin::Folder() + L"\\QZVRTA32.dll").c_str());
    const Exports exports(library);
    if (!standin.Loaded() || !exports.complete) {
        std::fprintf(stderr, "error: the configuration library stand-in is not there\n");
        return 1;
    }
    if (!ModuleLifetime::Attach(GetModuleHandleW(nullptr), false))
        return 1;
    new StandinFolderServices;
    const GDriverUIMaker previous = GUIOSFactory::GetDriverUIMaker();
    GUIOSFactory::SetDriverUIMaker(kRealMaker);
    const std::wstring name = printer.Name();
    uint32_t ticket = 0;
    GDriverObject* object = ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket);
    GDriverUI* ui = dynamic_cast<GDriverUI*>(object);
    if (!ui || ui->MergeDevModeIntoSettings(nullptr) != 1) {
        std::fprintf(stderr, "error: no driver UI object for the test printer\n");
        return 1;
    }
    GObjectBase* tree = object->GetSettings();
    GOSFactory::Instance()->SetPrinterDataString(object, L"Stale", L"FALSE");

    size_t unknown = 0, calls = 0;
    double driver = 0, replay = 0;
    {
        GDriverDMCConfig config(tree, object);
        if (!config.Library().IsLoaded()) {
            std::fprintf(stderr, "error: the binding did not load the stand-in\n");
            return 1;
        }
        // The model gives every feature somewhere to go, as the round-trip test checks.
        if (!WholeModelTree::MissingPaths(tree, config).empty())
            std::fprintf(stderr, "warning: the model lacks some translators' attributes\n");
        auto round = [&] {
            config.Update(name.c_str(), 0);
            config.ExportFactory(name.c_str());
        };
        // One round's calls, as the stand-in logged them.
        round();
        standin.Reset();
        round();
        const std::vector<Call> logged = Parse(standin.Log(), config.GetPrinterName().Data(), unknown);
        calls = logged.size();
        standin.Reset();
        driver = Seconds(rounds, round);
        standin.Reset();
        replay = Seconds(rounds, [&] { Replay(exports, logged); });
        standin.Reset();
    }

    ModuleLifetime::DriverServer()->Release(ticket);
    GUIOSFactory::SetDriverUIMaker(previous);
    ModuleLifetime::Detach(false);

    std::printf("library calls per round: %zu (%zu log lines not replayed)\n", calls, unknown);
    std::printf("%-44s %12s %12s\n", "round", "ms/round", "ratio");
    std::printf("%-44s %12.3f %12.2f\n", "Update(0) + ExportFactory, whole model", 1000 * driver / rounds,
                replay > 0 ? driver / replay : 0);
    std::printf("%-44s %12.3f %12.2f\n", "the same library calls replayed", 1000 * replay / rounds, 1.0);
    return 0;
}
