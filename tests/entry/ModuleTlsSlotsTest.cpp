// The table of the module's thread-local slots, here in the test program's own process:
// an unload frees what the module's code and runtime still hold, and never a slot that was
// freed already and may belong to someone else by now.
#include "entry/module/ModuleTlsSlots.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

// A slot that is still taken can be freed; one freed already cannot.
bool StillTaken(DWORD slot) { return TlsFree(slot) != FALSE; }

} // namespace

TEST(ModuleTlsSlots, FreeAllGivesBackWhatIsRecorded)
{
    const DWORD slot = ModuleTlsSlots::Alloc();
    ASSERT_NE(TLS_OUT_OF_INDEXES, slot);
    EXPECT_EQ(1u, ModuleTlsSlots::Count());
    ModuleTlsSlots::FreeAll();
    EXPECT_EQ(0u, ModuleTlsSlots::Count());
    EXPECT_FALSE(StillTaken(slot));
}

TEST(ModuleTlsSlots, ASlotItsOwnerFreedIsNotFreedAgain)
{
    const DWORD slot = ModuleTlsSlots::Alloc();
    ASSERT_TRUE(ModuleTlsSlots::Free(slot));
    // Another module takes the same slot.
    const DWORD other = TlsAlloc();
    ASSERT_EQ(slot, other);
    ModuleTlsSlots::FreeAll();
    EXPECT_TRUE(StillTaken(other));
}

TEST(ModuleTlsSlots, ASlotPastAFullTableIsHandedOutUnrecorded)
{
    std::vector<DWORD> slots;
    for (uint32_t i = 0; i <= ModuleTlsSlots::kCapacity; ++i)
        slots.push_back(ModuleTlsSlots::Alloc());
    EXPECT_EQ(ModuleTlsSlots::kCapacity, ModuleTlsSlots::Count());
    ModuleTlsSlots::FreeAll();
    for (uint32_t i = 0; i < ModuleTlsSlots::kCapacity; ++i)
        EXPECT_FALSE(StillTaken(slots[i])) << i;
    ASSERT_NE(TLS_OUT_OF_INDEXES, slots.back());
    EXPECT_TRUE(StillTaken(slots.back()));
}
