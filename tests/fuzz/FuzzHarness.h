// The fuzz driver's harness: the module set up as its entry sets it up (its own new
// handler, which ends the process when an allocation fails), and one guard per case
// that names the case (target, seed, index) on every way the case can go wrong:
//   - the process ends (the module's critical-error path, exit) or an exception is left
//     unhandled: the case is written to the error output before the process goes;
//   - the case runs past its time limit: a watchdog thread writes it and ends the run;
//   - an error reaches the process-wide handler (whose default shows a box and exits):
//     written and ended the same way, since no foreign read may raise outside a capture;
//   - after the case: something it allocated is still live, it asked for more than the
//     largest block a read may take, a library was loaded or unloaded, or a target that
//     reads through the module's foreign-byte helper did not use it: a test failure.
//
// Settings (environment): QZ_FUZZ_SEED (1), QZ_FUZZ_CASES (per target; each target has
// its CI count), QZ_FUZZ_FIRST (0), QZ_FUZZ_CASE_MS (per-case limit, 20000),
// QZ_FUZZ_VERBOSE (prints each case before it runs), QZ_FUZZ_TARGET (runs only the named
// target).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct FuzzSettings {
    uint32_t seed;
    uint32_t cases;
    uint32_t first;
    uint32_t caseMs;
    bool verbose;
    std::string only;
};

// The settings, with ciCases when QZ_FUZZ_CASES is not set.
FuzzSettings ReadFuzzSettings(uint32_t ciCases);

// Attaches the module as its entry does (once per process) and installs the driver's
// reporters; Detach undoes both.
void AttachFuzzModule();
void DetachFuzzModule();

// The largest single request a case may make: a read asks for no more than the data
// and the device budget can hold.
const size_t kFuzzLargestRequest = 96u << 20;

// One case, from its construction to its Finish: named for the watchdog and the
// reporters, checked at Finish.
class FuzzCase {
public:
    // foreignRead: the target reads through the module's foreign-byte helper.
    FuzzCase(const char* target, uint32_t seed, uint32_t index, bool foreignRead);
    ~FuzzCase();
    FuzzCase(const FuzzCase&) = delete;
    FuzzCase& operator=(const FuzzCase&) = delete;

    // Ends the case and adds a test failure for each check that does not hold. With
    // firstRun, blocks left allocated are only answered (true), not reported: a first
    // run may make things for good (a table made on first use); the caller runs the
    // case again and reports what the second run leaves.
    bool Finish(bool firstRun = false);
    // The case's name: target, seed and index.
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    bool foreignRead_;
    bool finished_;
    long liveBefore_;
    uint32_t readsBefore_;
    std::vector<uintptr_t> modulesBefore_;
    uint32_t moduleEventsBefore_;
};

// Runs the case and checks it; a case whose first run leaves blocks allocated runs
// again, and what the second run leaves is reported.
template <class Run>
void RunFuzzCase(const char* target, uint32_t seed, uint32_t index, bool foreignRead, Run&& run)
{
    bool leaked = false;
    {
        FuzzCase guard(target, seed, index, foreignRead);
        run();
        leaked = guard.Finish(true);
    }
    if (leaked) {
        FuzzCase again(target, seed, index, foreignRead);
        run();
        again.Finish();
    }
}

// True when the loader reports every load and unload to the harness.
bool FuzzSeesModuleEvents();

// The loaded modules' base addresses, sorted.
std::vector<uintptr_t> LoadedModules();

// A few damaging steps on bytes: bit flips, bytes set to 0 or 0xFF, cuts, huge counts
// (binary and text), insertions, deletions. Within [from, to) when given.
std::string MutateBytes(std::string bytes, std::mt19937& random, size_t from = 0, size_t to = std::string::npos);
