#include "model/GObjectBase.h"

#include <gtest/gtest.h>

TEST(GObjectBaseCount, NewObjectHasNoHolder)
{
    GObjectBase object;
    EXPECT_EQ(-1, object.References());
}
