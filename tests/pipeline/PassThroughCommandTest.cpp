#include "pipeline/GDownloadHeaderCommand.h"
#include "pipeline/GPassThroughCommand.h"

#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const uint8_t kBytes[] = {0x1B, 0x45, 0x00, 0x7F};

// The guts of a command's own level: the bytes after the command part.
std::vector<uint8_t> OwnPart(const GCommand& command, const GCommand& bare)
{
    const std::vector<uint8_t> all = GutsBytes(command);
    const size_t head = GutsBytes(bare).size() - 8; // the bare class's version and kind
    return std::vector<uint8_t>(all.begin() + long(head), all.end());
}

} // namespace

TEST(GPassThroughCommandStore, StoresVersionLengthTargetAndBytes)
{
    GPassThroughCommand command(kBytes, 4, 767, 3);
    const std::vector<uint8_t> expected = {0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0xFF, 0x02, 0x1B, 0x45, 0x00, 0x7F};
    EXPECT_EQ(expected, OwnPart(command, GDownloadHeaderCommand(0, 3)));
    EXPECT_EQ(GutsBytes(command).size(), command.BinaryStoreSize());

    GPassThroughCommand back;
    EXPECT_EQ(0, RestoreGutsAndMeasure(back, GutsBytes(command)).left);
    EXPECT_EQ(4, back.GetLength());
    EXPECT_EQ(767, back.GetTargetClassId());
    EXPECT_EQ(1u, back.IsDataOwned());
    ASSERT_NE(nullptr, back.GetData());
    EXPECT_NE(static_cast<const uint8_t*>(kBytes), back.GetData());
    EXPECT_EQ(0, std::memcmp(kBytes, back.GetData(), 4));
}

TEST(GPassThroughCommandStore, LengthZeroStoresNoBytesAndRestoresWithoutData)
{
    GPassThroughCommand command(nullptr, 0, 788, 3);
    const std::vector<uint8_t> expected = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x03};
    EXPECT_EQ(expected, OwnPart(command, GDownloadHeaderCommand(0, 3)));
    GPassThroughCommand back(kBytes, 4, 767, 0);
    RestoreGutsFrom(back, GutsBytes(command));
    EXPECT_EQ(nullptr, back.GetData());
    EXPECT_EQ(0, back.GetLength());
    EXPECT_EQ(788, back.GetTargetClassId());
}

// A stored length that the data cannot supply is refused before a block is asked for,
// and the command keeps what it held.
TEST(GPassThroughCommandStore, TruncatedBytesFailAndKeepTheCommandAsItWas)
{
    const std::vector<uint8_t> whole = GutsBytes(GPassThroughCommand(kBytes, 4, 767, 3));
    for (size_t cut = 1; cut <= 4; ++cut) {
        GPassThroughCommand back(kBytes + 1, 2, 788, 0);
        back.MakeDataOwned();
        const uint8_t* before = back.GetData();
        RestoreGutsFrom(back, Prefix(whole, whole.size() - cut));
        EXPECT_EQ(before, back.GetData()) << cut;
        EXPECT_EQ(2, back.GetLength()) << cut;
        EXPECT_EQ(788, back.GetTargetClassId()) << cut;
    }
}

TEST(GPassThroughCommandData, NewCommandBorrowsAndPrepareMakesTheBytesItsOwn)
{
    uint8_t caller[4] = {1, 2, 3, 4};
    GPassThroughCommand command(caller, 4, 767, 0);
    EXPECT_EQ(caller, command.GetData());
    EXPECT_EQ(0u, command.IsDataOwned());
    command.Prepare();
    EXPECT_EQ(1u, command.IsDataOwned());
    EXPECT_NE(caller, command.GetData());
    caller[0] = 9;
    EXPECT_EQ(1, command.GetData()[0]);
    const uint8_t* owned = command.GetData();
    EXPECT_EQ(1, command.MakeDataOwned());
    EXPECT_EQ(owned, command.GetData());
}

// Each command frees only its own block: a copy and an assigned command own copies.
TEST(GPassThroughCommandData, CopiesOwnCopiesOfTheBytes)
{
    GPassThroughCommand original(kBytes, 4, 767, 0);
    original.MakeDataOwned();
    GPassThroughCommand copy(original);
    GPassThroughCommand assigned(kBytes, 2, 788, 0);
    assigned = original;
    for (const GPassThroughCommand* c : {&copy, &assigned}) {
        EXPECT_NE(original.GetData(), c->GetData());
        EXPECT_EQ(1u, c->IsDataOwned());
        EXPECT_TRUE(c->IsSame(&original));
    }
    std::unique_ptr<GObjectBase> made(original.Copy());
    EXPECT_TRUE(made->IsSame(&original));
}

TEST(GPassThroughCommandSameness, LengthTargetOwnershipAndBytesDecide)
{
    uint8_t other[4] = {0x1B, 0x45, 0x00, 0x7F};
    GPassThroughCommand base(kBytes, 4, 767, 0);
    struct Row {
        const uint8_t* data;
        uint16_t length, target;
        long id;
        bool same;
    } rows[] = {
        {other, 4, 767, 0, true},    // the same bytes in another block
        {kBytes, 3, 767, 0, false},  // length
        {kBytes, 4, 788, 0, false},  // target
        {nullptr, 4, 767, 0, false}, // no data on one side
        {kBytes, 4, 767, 1, false},  // id
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.same, GPassThroughCommand(row.data, row.length, row.target, row.id).IsSame(&base))
            << row.length << " " << row.target << " " << row.id;
    GPassThroughCommand owned(kBytes, 4, 767, 0);
    owned.MakeDataOwned();
    EXPECT_FALSE(owned.IsSame(&base)) << "owned flags differ";
    other[3] = 0;
    EXPECT_FALSE(GPassThroughCommand(other, 4, 767, 0).IsSame(&base));
}

TEST(GDownloadHeaderCommandStore, StoresTheKindAndComparesIt)
{
    GDownloadHeaderCommand command(-2, 3);
    const std::vector<uint8_t> all = GutsBytes(command);
    const std::vector<uint8_t> tail(all.end() - 8, all.end());
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF}), tail);
    EXPECT_EQ(all.size(), command.BinaryStoreSize());
    GDownloadHeaderCommand back;
    RestoreGutsFrom(back, all);
    EXPECT_EQ(-2, back.GetKind());
    EXPECT_TRUE(back.IsSame(&command));
    EXPECT_FALSE(GDownloadHeaderCommand(5, 3).IsSame(&command));
}
