#include "printer/GKeyWatch.h"

#include "printer/GPlatformCalls.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

const wchar_t kWatched[] = L"Software\\QzKeyWatchTest";
const wchar_t kBelow[] = L"Software\\QzKeyWatchTest\\Below";

// The generation stays while nothing below the key changes and moves at the first ask
// after each change: a value written to the key, a key made below it, a value written
// there, that key removed. Each unchanged ask is one look at the event, nothing more.
TEST(KeyWatch, TheGenerationMovesAtTheFirstAskAfterEachChangeBelowTheKey)
{
    HKEY key = nullptr, below = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWatched, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const DWORD one = 1;
    const struct {
        const char* change;
        std::function<void()> make;
        bool moves;
    } rows[] = {
        {"nothing", [] {}, false},
        {"a value written to the key",
         [&] { RegSetValueExW(key, L"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one); }, true},
        {"nothing again", [] {}, false},
        {"a key made below it",
         [&] { RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBelow, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &below, nullptr); },
         true},
        {"a value written below",
         [&] { RegSetValueExW(below, L"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one); },
         true},
        {"the key below removed",
         [&] {
             RegCloseKey(below);
             RegDeleteKeyW(HKEY_LOCAL_MACHINE, kBelow);
         },
         true},
        {"nothing at last", [] {}, false},
    };
    GKeyWatch watch(kWatched);
    uint64_t last = watch.Generation();
    EXPECT_NE(0u, last);
    for (const auto& row : rows) {
        row.make();
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        const uint64_t now = watch.Generation();
        const GPlatformCalls::Totals asked = GPlatformCalls::Now().Since(before);
        EXPECT_NE(0u, now) << row.change;
        EXPECT_EQ(row.moves, now != last) << row.change;
        EXPECT_EQ(1u, asked[GPlatformCalls::kEventWait]) << row.change;
        EXPECT_EQ(0u, asked[GPlatformCalls::kKeyOpen] + asked[GPlatformCalls::kValueRead]) << row.change;
        last = now;
    }
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kWatched);
}

// Asked from several threads at once, no ask that begins after a change returned gets the
// generation handed out before the change, whichever thread arms the watch again.
TEST(KeyWatch, EveryAskFromAnyThreadAfterAChangeSeesIt)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWatched, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    GKeyWatch watch(kWatched);
    for (DWORD round = 0; round < 20; ++round) {
        const uint64_t before = watch.Generation();
        RegSetValueExW(key, L"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&round), sizeof round);
        std::atomic<int> stale{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([&] {
                for (int ask = 0; ask < 20; ++ask)
                    if (watch.Generation() == before)
                        ++stale;
            });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(0, stale.load()) << "round " << round;
    }
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kWatched);
}

// A watch that cannot be armed hands out 0 at every ask, so that its reader reads its
// stamps: the key missing, the platform refusing at the first arming, or at a later one.
TEST(KeyWatch, AWatchThatCannotBeArmedHandsOutNone)
{
    static int armings;
    const struct {
        const char* what;
        const wchar_t* path;
        GKeyWatch::Armer armer;
        uint64_t first;
    } rows[] = {
        {"the key missing", L"Software\\QzKeyWatchTest\\Missing", nullptr, 0},
        {"refused at once", kWatched, [](HKEY, HANDLE) -> LONG { return ERROR_ACCESS_DENIED; }, 0},
        {"refused again after firing",
         kWatched,
         [](HKEY, HANDLE event) -> LONG {
             // Armed once, the event set as a change would, then refused.
             if (armings++)
                 return ERROR_ACCESS_DENIED;
             SetEvent(event);
             return ERROR_SUCCESS;
         },
         1},
    };
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWatched, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const auto& row : rows) {
        armings = 0;
        const GKeyWatch::Armer previous = GKeyWatch::SetArmerForTesting(row.armer);
        GKeyWatch watch(row.path);
        EXPECT_EQ(row.first, watch.Generation()) << row.what;
        EXPECT_EQ(0u, watch.Generation()) << row.what;
        EXPECT_EQ(0u, watch.Generation()) << row.what;
        GKeyWatch::SetArmerForTesting(previous);
    }
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kWatched);
}

} // namespace
