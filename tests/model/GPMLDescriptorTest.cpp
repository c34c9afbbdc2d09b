#include "model/GPMLDescriptor.h"

#include "foundation/RWFactory.h"

#include "StoredForms.h"

#include <gtest/gtest.h>

TEST(GPMLDescriptorClass, IsClass956ByObjectAndByName)
{
    EXPECT_EQ(956, GPMLDescriptor().ClassId());
    EXPECT_EQ(956, RWFactoryClassId(RWStringID("GPMLDescriptor")));
    EXPECT_TRUE(GPMLDescriptor().IsKindOf(956));
}

TEST(GPMLDescriptorCompare, SameNameAndIdAreSameWhateverValueAndText)
{
    GPMLDescriptor a(L"Drum", 1, 5);
    a.SetText("one");
    GPMLDescriptor b(L"Drum", 2, 5);
    b.SetText("two");
    EXPECT_TRUE(a.IsSame(&b));
    GPMLDescriptor otherName(L"drum", 1, 5);
    GPMLDescriptor otherId(L"Drum", 1, 6);
    EXPECT_FALSE(a.IsSame(&otherName));
    EXPECT_FALSE(a.IsSame(&otherId));
}

TEST(GPMLDescriptorCompare, IsLessComparesNamesExactly)
{
    GPMLDescriptor lower(L"Alpha", 0);
    GPMLDescriptor upper(L"Beta", 0);
    GPMLDescriptor small(L"alpha", 0);
    EXPECT_TRUE(lower.IsLess(upper));
    EXPECT_FALSE(upper.IsLess(lower));
    EXPECT_FALSE(lower.IsLess(lower));
    EXPECT_TRUE(lower.IsLess(small));
}

TEST(GPMLDescriptorStore, FileFormIsWideNameValueThenText)
{
    GPMLDescriptor descriptor(L"Ab", -2, 1);
    descriptor.SetSerial(2);
    descriptor.SetText("xyz");
    const uint8_t expected[] = {
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00,                                                  // version
        0x02, 0x00, 0x00, 0x00, 'A',  0x00, 'b',  0x00,                          // wide name
        0xFE, 0xFF, 0xFF, 0xFF,                                                  // value
        0x03, 0x00, 0x00, 0x00, 'x',  'y',  'z',                                 // text
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), GutsBytes(descriptor));
}

