#include "printer/PrinterIdentity.h"

#include <gtest/gtest.h>

namespace {

// Equal keys share a driver object; keys of the same driver may reuse a spare one.
TEST(PrinterIdentityKeys, EqualsNeedsEveryFieldSameDriverOnlyTheDriver)
{
    void* const handle = reinterpret_cast<void*>(0x1234);
    const PrinterIdentity base(handle, L"Laser", L"Driver", L"FILE:", 0);
    const struct {
        PrinterIdentity other;
        int equals;
        int sameDriver;
    } cases[] = {
        {PrinterIdentity(handle, L"Laser", L"Driver", L"FILE:", 0), 1, 1},
        {PrinterIdentity(nullptr, L"Laser", L"Driver", L"FILE:", 0), 0, 1},
        {PrinterIdentity(handle, L"laser", L"Driver", L"FILE:", 0), 0, 1},
        {PrinterIdentity(handle, L"Laser2", L"Driver", L"FILE:", 0), 0, 1},
        {PrinterIdentity(handle, L"Laser", L"Driver", L"LPT1:", 0), 0, 1},
        {PrinterIdentity(handle, L"Laser", L"Driver", L"FILE:", 1), 0, 1},
        {PrinterIdentity(handle, L"Laser", L"DRIVER", L"FILE:", 0), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.equals, base.Equals(c.other));
        EXPECT_EQ(c.sameDriver, base.SameDriver(c.other));
    }
}

// A printer that cannot be opened leaves the name as given, no handle, empty names.
TEST(PrinterIdentityRead, UnknownPrinterKeepsTheGivenName)
{
    const PrinterIdentity identity(nullptr, L"qz no such printer", 0);
    EXPECT_TRUE(identity.Equals(PrinterIdentity(nullptr, L"qz no such printer", L"", L"", 0)));
}

} // namespace
