#include "model/MPersistentCompositeOnDisk.h"

#include "SpoolTempFolder.h"
#include "TempPath.h"
#include "TestOSFactory.h"
#include "model/GValueAttribute.h"

#include <gtest/gtest.h>

// The store's lock is the services' semaphore, which is not re-entrant by itself: a
// search that a proxy record forwards into another store must not wait on it.
TEST(RecordsStoreLock, ComesFromTheServicesAndIsTakenAgainByForwardedSearches)
{
    TestOSFactory* services = new TestOSFactory;
    AllowTempSpoolFolder();
    TempPath outerPath("records-lock-outer.rec"), innerPath("records-lock-inner.rec");
    {
        MPersistentCompositeOnDisk outer(RWCString(outerPath.c_str()), 1, 1);
        MPersistentCompositeOnDisk* inner = new MPersistentCompositeOnDisk(RWCString(innerPath.c_str()), 1, 2);
        inner->AddRecord(new GValueAttribute(8, 80));
        outer.AddRecord(inner);
        EXPECT_EQ(1, services->locksMade);
        const GCountedRef found = outer.FindRecordById(80);
        ASSERT_TRUE(found);
        EXPECT_EQ(8, static_cast<GValueAttribute*>(found.Get())->GetValue());
    }
    EXPECT_EQ(1, services->locksMade);
}
