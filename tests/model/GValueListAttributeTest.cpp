#include "model/GBookletComposite.h"
#include "model/GOptMediaComposite.h"
#include "ModelTestObjects.h"
#include "Registered.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The attribute part of an object with id 7, serial 3 and state word 1.
const std::vector<uint8_t> kAttributePart = {
    0x01, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, // root: version, id, serial
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                         // attribute: version, state
};

GOptMediaComposite Media(uint16_t primary, uint16_t second, std::initializer_list<uint16_t> values)
{
    GOptMediaComposite media(primary, second);
    media.SetId(7);
    media.SetSerial(3);
    for (uint16_t v : values)
        media.AddValue(v);
    return media;
}

std::vector<int32_t> ValuesOf(const GValueListAttribute& list)
{
    std::vector<int32_t> values;
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        values.push_back(list.GetValueAt(int16_t(i)));
    return values;
}

} // namespace

TEST(GValueListValues, IndexesOutsideTheListAnswerMinusOne)
{
    GOptMediaComposite media = Media(1, 0, {10, 20});
    EXPECT_EQ(-1, media.GetValueAt(-1));
    EXPECT_EQ(-1, media.GetValueAt(2));
    EXPECT_EQ(-1, media.GetValueAt(-32768));
    EXPECT_EQ(20, media.GetValueAt(1));

    GOptMediaComposite empty;
    for (int16_t index : {int16_t(0), int16_t(1), int16_t(-1), int16_t(32767), int16_t(-32768)})
        EXPECT_EQ(-1, empty.GetValueAt(index)) << index;
}

TEST(GValueListSame, SecondValueIsNotCompared)
{
    GOptMediaComposite a = Media(4, 1, {1, 2});
    GOptMediaComposite b = Media(4, 2, {1, 2});
    EXPECT_TRUE(a.IsSame(&b));
    EXPECT_FALSE(a.Differs(&b));
}

TEST(GValueListSame, PrimaryIdClassAndEveryValueAreCompared)
{
    GOptMediaComposite a = Media(4, 1, {1, 2});
    GOptMediaComposite otherId = Media(4, 1, {1, 2});
    otherId.SetId(8);
    const GOptMediaComposite others[] = {Media(5, 1, {1, 2}), Media(4, 1, {1, 3}), Media(4, 1, {1}), otherId};
    for (const GOptMediaComposite& other : others)
        EXPECT_FALSE(a.IsSame(&other));
    EXPECT_FALSE(a.IsSame(nullptr));
    GBookletComposite booklet(4, 0);
    booklet.SetId(7);
    booklet.AddPair(1, 2);
    EXPECT_FALSE(a.IsSame(&booklet));
    EXPECT_FALSE(booklet.IsSame(&a));
}

TEST(GValueListCopy, CopiesOwnTheirLists)
{
    std::unique_ptr<GOptMediaComposite> original(new GOptMediaComposite(Media(4, 1, {1, 2})));
    original->SetStateWord(0);
    std::unique_ptr<GOptMediaComposite> copy(original->Copy());
    original->AddValue(3);
    EXPECT_EQ((std::vector<int32_t>{1, 2}), ValuesOf(*copy));
    EXPECT_EQ(7, copy->GetId());
    EXPECT_EQ(3, copy->GetSerial());
    EXPECT_EQ(0, copy->GetStateWord());
    EXPECT_EQ(1, copy->GetSecondValue());
    original.reset();
    EXPECT_EQ((std::vector<int32_t>{1, 2}), ValuesOf(*copy));

    GOptMediaComposite assigned;
    assigned = *copy;
    copy.reset();
    EXPECT_EQ((std::vector<int32_t>{1, 2}), ValuesOf(assigned));
    assigned = assigned;
    EXPECT_EQ(2u, assigned.GetCount());

    std::unique_ptr<GBookletComposite> fresh(GBookletComposite(1, 1).CreateNew());
    EXPECT_EQ(0u, fresh->GetCount());
    EXPECT_EQ(794, fresh->ClassId());
}

TEST(GValueListApply, AnswersOneAndCallsNoVisitorAndAssignCopiesNoValues)
{
    GBookletComposite booklet(1, 0);
    RecordingPeripheral peripheral;
    EXPECT_EQ(1, booklet.ApplyTo(peripheral));
    EXPECT_TRUE(peripheral.visits.empty());
    EXPECT_EQ(1, booklet.GetStateWord());
    booklet.SetFlags(5);
    EXPECT_EQ(0, booklet.GetFlags());
    EXPECT_EQ(1, booklet.IsValueList());

    GOptMediaComposite target = Media(1, 0, {1});
    GOptMediaComposite source = Media(2, 0, {5, 6});
    source.SetId(9);
    EXPECT_EQ(1, target.Assign(&source));
    EXPECT_EQ(9, target.GetId());
    EXPECT_EQ(1, target.GetPrimaryValue());
    EXPECT_EQ(1u, target.GetCount());
}

TEST(GValueListStore, StoredFormIsVersionTwoWithValues)
{
    GOptMediaComposite media = Media(0x0102, 0xFFFE, {3, 0x8001});
    const std::vector<uint8_t> expected = Joined(kAttributePart, {
        0x02, 0x00, 0x00, 0x00, // version
        0x02, 0x01,             // primary value
        0xFE, 0xFF,             // second value
        0x02, 0x00, 0x00, 0x00, // count
        0x03, 0x00, 0x01, 0x80, // values
    });
    const std::vector<uint8_t> bytes = GutsBytes(media);
    EXPECT_EQ(expected, bytes);
}

// Version 3 reads the two values and keeps the list; versions 0 and 1 read the list.
TEST(GValueListStore, OtherVersionsReadWhatTheyHold)
{
    for (uint8_t version : {0, 1, 3}) {
        // Primary 11, second 12, one value 99.
        const std::vector<uint8_t> bytes = Joined(kAttributePart, {version, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0C, 0x00,
                                                                  0x01, 0x00, 0x00, 0x00, 0x63, 0x00});
        GOptMediaComposite media = Media(1, 2, {5, 6});
        RestoreGutsFrom(media, bytes);
        if (version == 3) {
            EXPECT_EQ(11, media.GetPrimaryValue());
            EXPECT_EQ(12, media.GetSecondValue());
            EXPECT_EQ((std::vector<int32_t>{5, 6}), ValuesOf(media));
        } else {
            EXPECT_EQ((std::vector<int32_t>{99}), ValuesOf(media)) << int(version);
        }
    }
}

