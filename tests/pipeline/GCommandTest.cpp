#include "model/GCommand.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "model/MPersistentComposite.h"
#include "model/GState.h"

#include "../model/ModelTestObjects.h"
#include "../model/StoredForms.h"
#include "DeletionCount.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The smallest concrete command: Execute answers a status it was given.
class TestCommand : public GCommand {
public:
    TestCommand() = default;
    explicit TestCommand(const long& id) : GCommand(id) {}
    TestCommand(GState* state, const long& id) : GCommand(state, id) {}
    TestCommand* CreateNew() const override { return new TestCommand; }
    TestCommand* Copy() const override { return new TestCommand(*this); }
    RWClassID ClassId() const override { return kClassId; }
    int16_t Execute(GCommandHandler&) override { return status; }

    static constexpr RWClassID kClassId = 0x7601;
    int16_t status = 0;
};

const RWFactoryRegistration kRegistration(RWCreateInstance<TestCommand>, TestCommand::kClassId, "TestCommand",
                                          &RWKindOfClass<TestCommand>);

// The root part of a command with id 3 and serial 8, and the command's version word.
const std::vector<uint8_t> kCommandPart = {
    0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, // root: version, id, serial
    0x01, 0x00, 0x00, 0x00,                                                 // command: version
};

TestCommand Numbered(GState* state)
{
    TestCommand command(state, 3);
    command.SetSerial(8);
    return command;
}

// A state whose deletion, and its copies', is counted.
class CountedState : public GState {
public:
    CountedState(const long& id, int* deletions) : GState(id), count_(deletions) {}
    CountedState(const CountedState& other) : GState(other), count_(other.count_.Counter()) {}
    CountedState* Copy() const override { return new CountedState(*this); }

private:
    DeletionCount count_;
};

} // namespace

TEST(GCommandConstruct, StateIsHeldAndReleased)
{
    int deletions = 0;
    {
        CountedState* state = new CountedState(246, &deletions);
        TestCommand command(state, 3);
        EXPECT_EQ(state, command.GetState());
        EXPECT_EQ(0, state->References());
    }
    EXPECT_EQ(1, deletions);
}

TEST(GCommandConstruct, CopySharesTheStateWithAClearMark)
{
    GState* state = new GState(246);
    TestCommand command(state, 3);
    command.SetModified();
    TestCommand copy(command);
    EXPECT_EQ(state, copy.GetState());
    EXPECT_EQ(1, state->References());
    EXPECT_EQ(0u, copy.GetModified());
    EXPECT_EQ(3, copy.GetId());

    TestCommand assigned;
    assigned = command;
    EXPECT_EQ(state, assigned.GetState());
    EXPECT_EQ(2, state->References());
}

TEST(GCommandState, AdoptStateReleasesTheOldOne)
{
    int deletions = 0;
    TestCommand command(new CountedState(246, &deletions), 0);
    CountedState* second = new CountedState(256, &deletions);
    command.AdoptState(second);
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(second, command.GetState());
    command.AdoptState(second);
    EXPECT_EQ(0, second->References());
    command.AdoptState(nullptr);
    EXPECT_EQ(nullptr, command.GetState());
    EXPECT_EQ(2, deletions);
}

TEST(GCommandState, SetStateSharesTheReferencedStateAndRefusesOtherObjects)
{
    GCountedRef state(new GState(246));
    TestCommand command(new GState(1), 0);
    command.SetState(state);
    EXPECT_EQ(state.Get(), command.GetState());
    EXPECT_EQ(1, state->References());
    command.SetState(state);
    EXPECT_EQ(1, state->References());
    command.SetState(GCountedRef(new GValueAttribute(1, 2)));
    EXPECT_EQ(state.Get(), command.GetState());
    command.SetState(GCountedRef());
    EXPECT_EQ(nullptr, command.GetState());
    EXPECT_EQ(0, state->References());
}

TEST(GCommandState, DetachStateHandsTheStateOverWithoutDeletingIt)
{
    int deletions = 0;
    CountedState* state = new CountedState(246, &deletions);
    TestCommand command(state, 0);
    GState* detached = command.DetachState();
    EXPECT_EQ(state, detached);
    EXPECT_EQ(nullptr, command.GetState());
    EXPECT_EQ(-1, detached->References());
    EXPECT_EQ(0, deletions);
    delete detached;
    EXPECT_EQ(nullptr, command.DetachState());
}

TEST(GCommandState, GetStateIntoAReferenceTakesOne)
{
    GState* state = new GState(246);
    TestCommand command(state, 0);
    GCountedRef held;
    command.GetState(held);
    EXPECT_EQ(state, held.Get());
    EXPECT_EQ(1, state->References());
    TestCommand stateless;
    stateless.GetState(held);
    EXPECT_TRUE(held.IsNull());
    EXPECT_EQ(0, state->References());
}

TEST(GCommandEqual, IdsAndStatesDecide)
{
    GState* shared = new GState(246);
    TestCommand a(shared, 1);
    TestCommand b(shared, 1);
    EXPECT_TRUE(a.IsEqual(&b));

    TestCommand otherId(shared, 2);
    EXPECT_FALSE(a.IsEqual(&otherId));

    GState* alike = new GState(246);
    TestCommand withAlike(alike, 1);
    EXPECT_TRUE(a.IsEqual(&withAlike));
    alike->Add(new GValueAttribute(1, 10));
    EXPECT_FALSE(a.IsEqual(&withAlike));
    // Sameness is the root's: the ids alone.
    EXPECT_TRUE(a.IsSame(&withAlike));

    TestCommand stateless(1);
    EXPECT_FALSE(a.IsEqual(&stateless));
    EXPECT_FALSE(stateless.IsEqual(&a));
    EXPECT_TRUE(stateless.IsEqual(&stateless));
    EXPECT_TRUE(TestCommand(1).IsEqual(&stateless));
    EXPECT_FALSE(stateless.IsEqual(nullptr));
}

TEST(GCommandStore, StateIsStoredAsAnObjectReferenceOrTheNilObject)
{
    GState* state = new GState(246);
    state->Add(new GValueAttribute(2, 30));
    for (GState* held : {static_cast<GState*>(nullptr), state}) {
        const TestCommand command = Numbered(held);
        std::vector<uint8_t> expected = kCommandPart;
        const std::vector<uint8_t> reference = SavedBytes(held);
        expected.insert(expected.end(), reference.begin(), reference.end());
        const std::vector<uint8_t> bytes = GutsBytes(command);
        EXPECT_EQ(expected, bytes);
        EXPECT_EQ(bytes.size(), command.BinaryStoreSize());
    }
    // Inside a graph the missing state takes 6 bytes: lead-in, class id, root part and
    // version word, then the nil reference.
    const TestCommand stateless = Numbered(nullptr);
    EXPECT_EQ(4u + 2u + 16u + 6u, SavedBytes(&stateless).size());
}

TEST(GCommandStore, RestoreHoldsTheStateReadAndClearsTheMark)
{
    GState* state = new GState(246);
    state->Add(new GValueAttribute(2, 30));
    const TestCommand command = Numbered(state);

    TestCommand fromFile(new GState(1), 0);
    fromFile.SetModified();
    EXPECT_EQ(0, RestoreGutsAndMeasure(fromFile, GutsBytes(command)).left);
    EXPECT_TRUE(fromFile.IsEqual(&command));
    ASSERT_NE(nullptr, fromFile.GetState());
    EXPECT_EQ(0, fromFile.GetState()->References());
    EXPECT_EQ(0u, fromFile.GetModified());
}

TEST(GCommandStore, StoredNilClearsTheState)
{
    TestCommand command(new GState(246), 0);
    RestoreGutsFrom(command, GutsBytes(Numbered(nullptr)));
    EXPECT_EQ(nullptr, command.GetState());
    EXPECT_EQ(3, command.GetId());
}

TEST(GCommandStore, StoredObjectThatIsNoStateIsDropped)
{
    GValueAttribute value(1, 30);
    std::vector<uint8_t> bytes = kCommandPart;
    const std::vector<uint8_t> reference = SavedBytes(&value);
    bytes.insert(bytes.end(), reference.begin(), reference.end());

    GState* state = new GState(246);
    TestCommand command(state, 0);
    RestoreGutsFrom(command, bytes);
    EXPECT_EQ(state, command.GetState());
    EXPECT_EQ(0, state->References());
}

// A stored object that is no state ends the read: a later reference to it in the same
// graph must not reach the object the command let go of.
TEST(GCommandStore, StoredObjectThatIsNoStateEndsTheRead)
{
    const std::vector<uint8_t> bytes = StoredBytes()
                                           .LeadIn()
                                           .Object(MPersistentComposite::kClassId) // object 1: two members
                                           .Root(1, 0).U32(1).U32(2)
                                           .Object(TestCommand::kClassId) // object 2: a command
                                           .Root(3, 0).U32(1)
                                           .Object(GValueAttribute::kClassId) // object 3, where the state belongs
                                           .Root(30, 0).U32(1).U32(1).U32(1).U16(5)
                                           .Ref(3); // the second member: object 3 again
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(bytes));
    MPersistentComposite* composite = dynamic_cast<MPersistentComposite*>(back.get());
    ASSERT_NE(nullptr, composite);
    ASSERT_EQ(1u, composite->Entries());
    GCommand* command = dynamic_cast<GCommand*>(composite->At(0));
    ASSERT_NE(nullptr, command);
    EXPECT_EQ(nullptr, command->GetState());
}

