// The replication stepper: even spreading of extra repetitions, endless rows, activity.
#include "model/GReplicationStepper.h"

#include <gtest/gtest.h>

TEST(GReplicationStepper, StepsSpreadTheExtraRepetitionsThenStop)
{
    GReplicationStepper stepper;
    EXPECT_FALSE(stepper.IsActive());
    GStepper record{2, 3, 1, 3, 3};
    for (int16_t expected : {2, 2, 3, 0, 0, 0})
        EXPECT_EQ(expected, stepper.Step(record));

    struct Run {
        int16_t q, r, n;
    };
    for (const Run& run : {Run{2, 1, 3}, Run{0, 5, 7}, Run{3, 0, 4}, Run{1, 9, 9}}) {
        GStepper each{run.q, run.n, run.r, run.n, run.n};
        int total = 0;
        for (int step = 0; step < run.n + 2; ++step)
            total += stepper.Step(each);
        EXPECT_EQ(run.q * run.n + run.r, total) << run.q << " " << run.r << " " << run.n;
    }
}

TEST(GReplicationStepper, EndlessRowsRepeatTheValueAndCountInMode1)
{
    const GStepper rows{4, 9, 9, 0, 9};
    const GStepper columns{1, 2, 1, 2, 2};
    GReplicationStepper endless(rows, columns, 1, 1);
    EXPECT_TRUE(endless.IsActive());
    for (int call = 0; call < 100; ++call)
        ASSERT_EQ(4, endless.NextRowCount()) << call;
    EXPECT_EQ(4 + 1, endless.NextCount());
    EXPECT_EQ(4 + 2, endless.NextCount());
    EXPECT_EQ(4, endless.NextCount());

    GReplicationStepper bounded(rows, columns, 0, 0);
    EXPECT_EQ(1, bounded.NextCount());
    EXPECT_EQ(0, bounded.NextRowCount());
}
