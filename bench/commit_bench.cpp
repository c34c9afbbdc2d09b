// What one OK's commit of the printer's stores asks the platform, counted by the system
// services in this process on the printer installed for the run: an OK that changes none
// of the printer's settings, one that changes the lists (366) alone, and one that changes
// all three stores. Each row gives the values written or removed, read, the keys opened,
// the lock waits and the asks of the printer's security, and its writes against those of
// the commit of all three stores, which every OK made before a commit wrote only what
// changed. Each OK is made in an entry call of its own; the first of each kind is not
// counted.
//
//   commit_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/module/EntryPrologue.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GPlatformCalls.h"
#include "printer/PrinterRecordScope.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A member added to the node of the store: a change of that store alone.
void Change(GObjectBase* tree, long store, uint16_t round)
{
    if (GObjectBase* node = tree ? tree->FindById(store) : nullptr)
        node->Add(new GValueAttribute(round, 990));
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    TestPrinter& printer = TestPrinter::Shared();
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 2;
    }
    if (!ModuleLifetime::Attach(GetModuleHandleW(nullptr), false)) {
        std::fprintf(stderr, "error: the module did not attach in this process\n");
        return 2;
    }
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &handle, &defaults);
    uint32_t ticket = 0;
    GDriverUI* ui = dynamic_cast<GDriverUI*>(EntryPrologue::Acquire(handle, nullptr, ticket));
    if (!ui || !ui->MergeDevModeIntoSettings(nullptr)) {
        std::fprintf(stderr, "error: no driver object in this process\n");
        return 2;
    }
    const struct {
        const char* what;
        long stores[3];  // changed; 0 ends
    } kinds[] = {
        {"nothing changed", {0}},
        {"the lists (366) changed", {FeatureId::kPrinterLists, 0}},
        {"all three changed", {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData}},
    };
    const GPlatformCalls::Kind shown[] = {GPlatformCalls::kValueWrite, GPlatformCalls::kValueRead,
                                          GPlatformCalls::kKeyOpen, GPlatformCalls::kLockWait,
                                          GPlatformCalls::kPrinterSecurity};
    double writes[3] = {};
    uint64_t counted[3][5] = {};
    bool failed = false;
    uint16_t round = 0;
    for (int kind = 0; kind < 3; ++kind) {
        for (int i = 0; i < rounds + 1; ++i) {
            std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
            for (long store : kinds[kind].stores)
                if (store)
                    Change(tree.get(), store, ++round);
            // The OK, as the sheet's entry call makes it.
            GPlatformCalls::Totals calls;
            {
                PrinterRecordScope call;
                const GPlatformCalls::Totals before = GPlatformCalls::Now();
                failed |= ui->CommitSettings(tree.get(), 1) != 1;
                calls = GPlatformCalls::Now().Since(before);
            }
            // The first of each kind is not counted: it may bring what an earlier one left.
            if (i == 0)
                continue;
            for (int k = 0; k < 5; ++k)
                counted[kind][k] += calls[shown[k]];
        }
        writes[kind] = double(counted[kind][0]) / rounds;
    }
    std::printf("what one OK's commit asks the platform, over %d commits of each kind\n", rounds);
    std::printf("  %-28s %8s %8s %8s %8s %9s %14s\n", "", "written", "read", "keys", "locks", "security",
                "writes/all 3");
    for (int kind = 0; kind < 3; ++kind) {
        std::printf("  %-28s", kinds[kind].what);
        for (int k = 0; k < 5; ++k)
            std::printf(" %8.1f", double(counted[kind][k]) / rounds);
        std::printf(" %14.2f\n", writes[2] > 0 ? writes[kind] / writes[2] : 0.0);
    }
    EntryPrologue::Release(ticket);
    ClosePrinter(handle);
    ModuleLifetime::Detach(false);
    if (failed) {
        std::fprintf(stderr, "error: a commit failed\n");
        return 1;
    }
    return 0;
}
