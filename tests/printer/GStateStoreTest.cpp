// States as parts of stored object graphs: a member two states hold comes back shared.
#include "model/MPersistentComposite.h"
#include "model/GState.h"

#include "../model/ModelTestObjects.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

TEST(GStateStore, SharedMemberIsReadBackShared)
{
    MPersistentComposite pair;
    GState* first = new GState(GState::kPageStateId);
    GState* second = new GState(GState::kPageStateId);
    GValueAttribute* shared = new GValueAttribute(3, 40);
    first->Add(shared);
    second->Add(shared);
    pair.Add(first);
    pair.Add(second);
    std::unique_ptr<RWCollectable> restored(RestoredFromBytes(SavedBytes(&pair)));
    MPersistentComposite* copy = dynamic_cast<MPersistentComposite*>(restored.get());
    ASSERT_NE(nullptr, copy);
    ASSERT_EQ(2u, copy->Entries());
    GObjectBase* a = static_cast<GState*>(copy->At(0))->At(0);
    GObjectBase* b = static_cast<GState*>(copy->At(1))->At(0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(1, a->References());
}

