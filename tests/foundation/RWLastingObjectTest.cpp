#include "foundation/RWLastingObject.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

RWLastingObject<std::vector<int>> g_first;
RWLastingObject<std::vector<int>> g_second;

// Two lasting objects of one type are two objects: what one holds the other never sees,
// and each is the same object at every use.
TEST(RWLastingObject, EachInstanceHoldsItsOwnObject)
{
    g_first.Get().push_back(1);
    g_second.Get().push_back(2);
    g_second.Get().push_back(3);
    EXPECT_NE(&g_first.Get(), &g_second.Get());
    EXPECT_EQ(std::vector<int>{1}, g_first.Get());
    EXPECT_EQ((std::vector<int>{2, 3}), g_second.Get());
    g_first.Get().clear();
    g_second.Get().clear();
}

} // namespace
