// The associations and the two lists as parts of stored object graphs: exact bytes,
// shared and null keys, and crafted graphs that must fail cleanly.
#include "ModelTestObjects.h"
#include "StoredForms.h"

#include "foundation/RWFactory.h"
#include "model/GBinaryData.h"
#include "model/GLocaleInfo.h"
#include "model/GPMDVersionInfo.h"
#include "model/GPMLDescriptor.h"
#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/MAssociationList.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class AssociationGraphs : public testing::TestWithParam<Medium> {};

} // namespace

TEST(MPersistentAssociationStore, FileFormIsVersionKeyThenValue)
{
    MPersistentAssociation association(new GPersistableLong(-1, 3), nullptr, 2);
    association.SetSerial(0x10);
    association.GetKey()->SetSerial(0x11);
    const uint8_t expected[] = {
        0x88, 0x88, 0x00, 0x00,                                                  // lead-in
        0x03, 0x03,                                                              // class 771
        0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00,                                                  // version
        0x09, 0x03,                                                              // key: class 777
        0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00,  //   root part
        0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,                          //   version, value
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,                                      // value: the nil object
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), SavedBytes(&association));
}

TEST(MAssociationListStore, EmptyListEndsWithItsOwnVersion)
{
    MAssociationList list(1);
    list.SetSerial(2);
    const uint8_t expected[] = {
        0x88, 0x88, 0x00, 0x00,                                                  // lead-in
        0x04, 0x03,                                                              // class 772
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // version, no members
        0x01, 0x00, 0x00, 0x00,                                                  // the list's version
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), SavedBytes(&list));
}

TEST(GResourceMappingListStore, MappingsFollowTheCountAndTheListVersionEnds)
{
    GResourceMappingList list(1);
    list.SetSerial(2);
    GResourceMapping* mapping = new GResourceMapping(0x0A0B0C0D, 16690, -2, 4);
    mapping->SetSerial(5);
    list.Add(mapping);
    const std::vector<uint8_t> expected = StoredBytes()
                                              .U32(0x8888)
                                              .U16(1005)
                                              .Root(1, 2)
                                              .U32(1)
                                              .U32(1)
                                              .U16(1004)
                                              .Root(4, 5)
                                              .U32(1)
                                              .U32(0x0A0B0C0D)
                                              .U16(16690)
                                              .U16(0xFFFE)
                                              .U32(1);
    EXPECT_EQ(expected, SavedBytes(&list));
}

TEST_P(AssociationGraphs, SharedValueComesBackShared)
{
    MAssociationList list;
    GSelectionString* shared = new GSelectionString("shared", 0);
    list.Add(new MPersistentAssociation(new GPersistableLong(1), shared));
    list.Add(new MPersistentAssociation(new GPersistableLong(2), shared));
    EXPECT_EQ(1, shared->References());
    std::unique_ptr<GObjectBase> back = GraphRoundTrip(GetParam(), &list);
    MAssociationList* restored = dynamic_cast<MAssociationList*>(back.get());
    ASSERT_TRUE(restored);
    ASSERT_EQ(2u, restored->Entries());
    GObjectBase* first = static_cast<MPersistentAssociation*>(restored->At(0))->GetValue();
    GObjectBase* second = static_cast<MPersistentAssociation*>(restored->At(1))->GetValue();
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(1, first->References());
}

TEST(MPersistentAssociationOwnership, SharedKeyOrValueIsDestroyedWithItsLastHolder)
{
    int deletions = 0;
    TrackedObject* shared = new TrackedObject(9, &deletions);
    {
        MAssociationList list;
        list.Add(new MPersistentAssociation(new GPersistableLong(1), shared));
        list.Add(new MPersistentAssociation(shared, nullptr));
        delete list.RemoveByKey(shared);
        EXPECT_EQ(0, deletions);
    }
    EXPECT_EQ(1, deletions);
}

INSTANTIATE_TEST_SUITE_P(AllMedia, AssociationGraphs, testing::ValuesIn(kAllMedia), testing::PrintToStringParamName());

// A stored association (id 1) with a null value: a null key comes back null; a key
// naming the association itself or no model object is refused.
TEST(MPersistentAssociationCrafted, NullPartsComeBackNullAndKeysNamingItselfOrNoModelObjectAreRefused)
{
    const StoredBytes head = StoredBytes().LeadIn().Object(771).Root(1, 1).U32(1);
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(StoredBytes(head).Nil().Nil()));
    MPersistentAssociation* association = dynamic_cast<MPersistentAssociation*>(back.get());
    ASSERT_TRUE(association);
    EXPECT_EQ(nullptr, association->GetKey());
    EXPECT_EQ(nullptr, association->GetValue());
    for (const StoredBytes& key : {StoredBytes().Ref(1), StoredBytes().Object(RWCollectable::kClassId)}) {
        TestErrorCapture capture;
        back.reset(RestoredFromBytes(StoredBytes(head).Raw(key).Nil()));
        EXPECT_NE(std::string::npos, capture.Last().find("[ID]")) << capture.Last();
        if (MPersistentAssociation* refused = dynamic_cast<MPersistentAssociation*>(back.get())) {
            EXPECT_EQ(nullptr, refused->GetKey());
        }
    }
}

TEST(PersistentValuesFactory, TypedExtractionReadsOnlyItsOwnClass)
{
    GBinaryData data(nullptr, 0, 0, 6);
    {
        BytesFile file(SavedBytes(&data));
        GBinaryData* back = nullptr;
        file.File() >> back;
        std::unique_ptr<GBinaryData> owned(back);
        ASSERT_TRUE(back);
        EXPECT_EQ(6, back->GetId());
    }
    TestErrorCapture capture;
    BytesFile file(SavedBytes(&data));
    GLocaleInfo* wrong = nullptr;
    file.File() >> wrong;
    EXPECT_EQ(nullptr, wrong);
    EXPECT_NE(std::string::npos, capture.Last().find("[ID]"));
}
