// Whole model trees on a binary file and on every typed stream kind: exact bytes,
// sharing, and crafted data that must fail cleanly.
#include "foundation/RWErrorHandler.h"
#include "model/GAttributeComposite.h"
#include "model/GCountedPtr.h"
#include "model/GDisplayStringAttribute.h"
#include "foundation/RWSlistCollectables.h"
#include "model/GValue32Attribute.h"
#include "model/MPersistentAssociation.h"
#include "model/MPersistentComposite.h"
#include "ModelTestObjects.h"
#include "RegisteredClasses.h"
#include "StoredForms.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Crafted model objects, read the same on every medium: id 1, a value or an
// enumeration of one value choice whose current choice current writes, and a persistent
// composite whose members follow (then End).
void AttributePart(StoredBytes& c, uint32_t id) { c.Root(id, 0).U32(1).U32(1); }
void Value(StoredBytes& c, uint32_t id, uint16_t value)
{
    AttributePart(c.Object(GValueAttribute::kClassId), id);
    c.U32(1).U16(value).End();
}
void Enumeration(StoredBytes& c, const std::function<void()>& current)
{
    AttributePart(c.Object(GEnumAttribute::kClassId), 1);
    Value(c.U32(1).U32(1), 1, 7);
    c.U32(1);
    current();
    c.U16(GValueAttribute::kClassId).End();
}
void Composite(StoredBytes& c, uint32_t id, uint32_t count)
{
    c.Object(MPersistentComposite::kClassId).Root(id, 0).U32(1).U32(count);
}

// Reads one reference from crafted data on the medium; the caller owns the result.
std::unique_ptr<GObjectBase> ReadCrafted(Medium medium, const std::function<void(StoredBytes&)>& build)
{
    StoredBytes crafted;
    build(crafted.LeadIn());
    RWCollectable* back = nullptr;
    if (medium == Medium::File) {
        back = RestoredFromBytes(crafted);
    } else {
        const std::string text = StreamTextOf(KindOf(medium), [&](RWDataOutStream& s) { crafted.WriteOn(s); });
        ReadStreamText(KindOf(medium), text, [&](RWDataInStream& s) { s >> back; });
    }
    return AsModel(back);
}

// Reads crafted data holding something that a holder must refuse: the refusal is
// reported, never passed to the handler.
std::unique_ptr<GObjectBase> ReadRefused(Medium medium, const std::function<void(StoredBytes&)>& build)
{
    TestErrorCapture capture;
    std::unique_ptr<GObjectBase> back = ReadCrafted(medium, build);
    EXPECT_FALSE(capture.Empty()) << medium;
    return back;
}

} // namespace

TEST(ModelStore, ACompositeStoresItsMembersAfterItsOwnFields)
{
    MPersistentComposite composite(5);
    composite.SetSerial(0x10);
    GValueAttribute* value = new GValueAttribute(0x0102, 7);
    value->SetSerial(0x20);
    composite.Add(value);
    const std::vector<uint8_t> expected = {
        0x88, 0x88, 0x00, 0x00,                                                 // lead-in
        0xF0, 0x02,                                                             // class 752
        0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, // root part
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                         // version, count
        0xFB, 0x02,                                                             // class 763
        0x01, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, //
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                         //
        0x01, 0x00, 0x00, 0x00, 0x02, 0x01,                                     //
    };
    EXPECT_EQ(expected, SavedBytes(&composite));
    EXPECT_EQ(expected.size(), composite.RecursiveStoreSize());
    // A value attribute alone: lead-in, class id, then 26 bytes.
    EXPECT_EQ(4u + 2 + 26, SavedBytes(value).size());
}

// A member held twice comes back as one shared object, the enumeration with one of its
// own members current and the settings' state word kept.
TEST(ModelStore, TreesKeepSharingAndTheCurrentChoiceOnEveryMedium)
{
    std::unique_ptr<MPersistentComposite> tree(SampleTree());
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, tree.get());
        ASSERT_TRUE(back) << medium;
        ASSERT_NE(nullptr, back->FindById(2)) << medium;
        EXPECT_EQ(0, static_cast<GAttribute*>(back->FindById(2))->GetStateWord()) << medium;
        MPersistentComposite* root = static_cast<MPersistentComposite*>(back.get());
        ASSERT_EQ(4u, root->Entries()) << medium;
        EXPECT_EQ(root->At(1), root->At(3)) << medium;
        EXPECT_EQ(1, root->At(1)->References()) << medium;
        GEnumAttribute* paper = static_cast<GEnumAttribute*>(back->FindById(15));
        ASSERT_NE(nullptr, paper) << medium;
        EXPECT_EQ(paper->At(1), paper->GetCurrent()) << medium;
    }
}

TEST(ModelStore, ACountedPointerStoresItsObjectAsAReference)
{
    for (Medium medium : kAllMedia) {
        GCountedPtr back(new GObjectBase(9));
        for (GObjectBase* object : {static_cast<GObjectBase*>(new GValueAttribute(4, 5)), static_cast<GObjectBase*>(nullptr)}) {
            GCountedPtr pointer(object);
            if (medium == Medium::File) {
                const std::vector<uint8_t> bytes = GutsBytes(pointer);
                EXPECT_EQ(pointer.BinaryStoreSize(), bytes.size());
                RestoreGutsFrom(back, bytes);
            } else {
                EXPECT_TRUE(StreamGutsInto(KindOf(medium), pointer, back)) << medium;
            }
            if (!object) {
                EXPECT_TRUE(back.IsNull()) << medium;
                continue;
            }
            ASSERT_FALSE(back.IsNull()) << medium;
            EXPECT_TRUE(back->IsSame(object)) << medium;
            EXPECT_EQ(0, back->References());
        }
    }
}

TEST(ModelStoreCrafted, AHugeMemberCountEndsWithTheData)
{
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = ReadCrafted(medium, [](StoredBytes& c) {
            Composite(c, 1, 0xFFFFFFFF);
            Value(c, 2, 3);
            Value(c, 3, 4);
        });
        ASSERT_TRUE(back) << medium;
        EXPECT_EQ(2u, back->Entries()) << medium;
    }
}

TEST(ModelStoreCrafted, NilMembersAreSkipped)
{
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = ReadCrafted(medium, [](StoredBytes& c) {
            Composite(c, 1, 3);
            Value(c.Nil(), 2, 3);
            c.Nil().End();
        });
        ASSERT_TRUE(back) << medium;
        EXPECT_EQ(1u, back->Entries()) << medium;
        ASSERT_NE(nullptr, back->FindById(2)) << medium;
        EXPECT_EQ(2, back->FindById(2)->GetId());
    }
}

namespace {

// Crafted data holding something a holder must refuse, and what must come back.
struct Refusal {
    const char* name;
    std::function<void(StoredBytes&)> build;
    std::function<void(GObjectBase&)> check;
};

const Refusal kRefusals[] = {
    {"a composite adopting itself",
     [](StoredBytes& c) {
         Composite(c, 1, 2);
         Value(c, 2, 3);
         c.Ref(1).End();
     },
     [](GObjectBase& back) {
         EXPECT_EQ(1u, back.Entries());
         EXPECT_EQ(-1, back.References());
     }},
    {"a composite adopting an ancestor",
     [](StoredBytes& c) {
         Composite(c, 1, 1);
         Composite(c, 2, 1);
         c.Ref(1).End().End();
     },
     [](GObjectBase& back) {
         EXPECT_EQ(-1, back.References());
         ASSERT_NE(nullptr, back.FindById(2));
         EXPECT_EQ(0u, back.FindById(2)->Entries());
     }},
    {"a member that is no model object",
     [](StoredBytes& c) {
         Composite(c, 1, 1);
         c.Object(RWCollectable::kClassId).End().End();
     },
     [](GObjectBase& back) { EXPECT_EQ(0u, back.Entries()); }},
    {"an embedded display string as a member",
     [](StoredBytes& c) {
         Composite(c, 1, 2);
         AttributePart(c.Object(GDisplayStringAttribute::kClassId), 5); // number 2
         c.U32(1).Object(GDisplayString::kClassId); // number 3, read into the attribute
         c.Root(0, 0).U32(1).Text("alt").Text("text").U16(9).End().End();
         c.Ref(3).End();
     },
     [](GObjectBase& back) {
         EXPECT_EQ(1u, back.Entries());
         EXPECT_EQ(9, static_cast<GDisplayStringAttribute*>(back.FindById(5))->GetDisplayString().GetStringId());
     }},
    {"a current choice that is no member",
     [](StoredBytes& c) { Enumeration(c, [&] { Value(c, 1, 8); }); },
     [](GObjectBase& back) {
         EXPECT_EQ(1u, back.Entries());
         EXPECT_EQ(nullptr, static_cast<GEnumAttribute&>(back).GetCurrent());
     }},
    {"a current choice naming the enumeration",
     [](StoredBytes& c) { Enumeration(c, [&] { c.Ref(1); }); },
     [](GObjectBase& back) { EXPECT_EQ(nullptr, static_cast<GEnumAttribute&>(back).GetCurrent()); }},
};

} // namespace

TEST(ModelStoreCrafted, RefusedMembersAndChoicesAreReportedAndLeftOut)
{
    for (const Refusal& refusal : kRefusals) {
        for (Medium medium : kAllMedia) {
            SCOPED_TRACE(testing::Message() << refusal.name << " on " << medium);
            std::unique_ptr<GObjectBase> back = ReadRefused(medium, refusal.build);
            ASSERT_TRUE(back);
            refusal.check(*back);
        }
    }
}

namespace {

// A counted holder of an object that the factory can make, and how to find the object
// it holds (null for anything that is not such a holder).
struct CountedHolder {
    const char* name;
    std::function<RWCollectable*(GObjectBase*)> hold;
    std::function<GObjectBase*(RWCollectable*)> held;
};

const CountedHolder kCountedHolders[] = {
    {"an association's key", [](GObjectBase* x) { return new MPersistentAssociation(x, nullptr); },
     [](RWCollectable* h) {
         MPersistentAssociation* a = dynamic_cast<MPersistentAssociation*>(h);
         return a ? a->GetKey() : nullptr;
     }},
    {"a composite",
     [](GObjectBase* x) {
         MPersistentComposite* c = new MPersistentComposite(1);
         c->Add(x);
         return c;
     },
     [](RWCollectable* h) {
         MPersistentComposite* c = dynamic_cast<MPersistentComposite*>(h);
         return c ? c->FindById(42) : nullptr;
     }},
};

RWCollectable* ListRestored(Medium medium, const std::vector<uint8_t>& bytes, const std::string& text)
{
    return medium == Medium::File ? RestoredFromBytes(bytes) : StreamRestored(KindOf(medium), text);
}

} // namespace

TEST(ModelStoreCrafted, NoObjectGoesToAListAndToACountedHolderBoth)
{
    for (const CountedHolder& holder : kCountedHolders) {
        for (bool objectFirst : {true, false}) {
            GValueAttribute* x = new GValueAttribute(7, 42);
            RWCollectable* h = holder.hold(x);
            RWSlistCollectables list;
            list.Insert(objectFirst ? x : h);
            list.Insert(objectFirst ? h : x);
            for (Medium medium : kAllMedia) {
                SCOPED_TRACE(testing::Message() << holder.name << (objectFirst ? " after" : " before")
                                                << " its object on " << medium);
                const std::vector<uint8_t> bytes = SavedBytes(&list);
                const std::string text = medium == Medium::File ? "" : StreamSaved(KindOf(medium), &list);
                const size_t size = medium == Medium::File ? bytes.size() : text.size();
                // Whole, then cut at every length (a cut right after the shared reference
                // once dropped the object that the list still held).
                for (size_t n = size + 1; n-- > 0;) {
                    TestErrorCapture capture;
                    std::unique_ptr<RWCollectable> back(
                        ListRestored(medium, Prefix(bytes, std::min(n, bytes.size())), text.substr(0, n)));
                    RWSlistCollectables* restored = dynamic_cast<RWSlistCollectables*>(back.get());
                    if (n == size) {
                        EXPECT_EQ(0u, capture.Last().find("[REF]")) << capture.Last();
                        ASSERT_TRUE(restored);
                        EXPECT_EQ(objectFirst ? 2u : 1u, restored->Entries());
                    }
                    if (!restored)
                        continue;
                    for (size_t i = 0; i < restored->Entries(); ++i) {
                        GObjectBase* held = holder.held(restored->At(i));
                        EXPECT_TRUE(!held || !restored->FindReference(held)) << n;
                    }
                    if (objectFirst && n == size) {
                        EXPECT_EQ(42, static_cast<GObjectBase*>(restored->First())->GetId());
                    }
                    restored->ClearAndDestroy();
                }
            }
            list.Clear();
            delete h;
        }
    }
}

namespace {

// Composite k holds composite k - 1 twice (new, then a back-reference), down to a value:
// a few bytes a level, 2^(levels + 1) - 1 objects along every path.
void DoublingTree(StoredBytes& c, uint32_t levels, uint32_t k)
{
    if (k == 0)
        return Value(c, 0, 1);
    Composite(c, k, 2);
    DoublingTree(c, levels, k - 1);
    c.Ref(levels - k + 2).End();
}

// The root holds n composites, each holding the one before it: n levels deep.
void Chain(StoredBytes& c, uint32_t n)
{
    Composite(c, 0, n);
    Value(c, 1, 1);
    for (uint32_t k = 2; k <= n; ++k) {
        Composite(c, k, 1);
        c.Ref(k).End();
    }
    c.End();
}

} // namespace

TEST(ModelStoreCrafted, TreesThatExpandPastAnyRealTreeAreRefused)
{
    struct Case {
        const char* name;
        std::function<void(StoredBytes&)> build;
        uint32_t totalEntries; // 0: refused
    };
    const Case cases[] = {
        {"10 doublings", [](StoredBytes& c) { DoublingTree(c, 10, 10); }, 2047},
        {"40 doublings", [](StoredBytes& c) { DoublingTree(c, 40, 40); }, 0},
        {"a chain 500 deep", [](StoredBytes& c) { Chain(c, 500); }, 1 + 500 * 501 / 2},
        {"a chain 600 deep", [](StoredBytes& c) { Chain(c, 600); }, 0},
    };
    for (const Case& test : cases) {
        for (Medium medium : kAllMedia) {
            SCOPED_TRACE(testing::Message() << test.name << " on " << medium);
            TestErrorCapture capture;
            std::unique_ptr<GObjectBase> back = ReadCrafted(medium, test.build);
            if (test.totalEntries) {
                ASSERT_TRUE(back);
                EXPECT_TRUE(capture.Empty()) << capture.Last();
                EXPECT_EQ(test.totalEntries, back->TotalEntries());
            } else {
                EXPECT_FALSE(back);
                EXPECT_EQ(0u, capture.Last().find("[READERR]")) << capture.Last();
            }
        }
    }
}

TEST(ModelStoreCrafted, ACutInsideAMemberFailsTheOutermostRead)
{
    MPersistentComposite tree(1);
    tree.Add(new GValueAttribute(2, 3));
    tree.Add(new GValueAttribute(4, 5));
    TestErrorCapture capture;
    const std::vector<uint8_t> bytes = SavedBytes(&tree);
    EXPECT_EQ(nullptr, RestoredFromBytes(Prefix(bytes, bytes.size() - 1)));
    EXPECT_EQ("[READERR] Read error", capture.Last());
    for (StreamKind kind : kAllStreamKinds) {
        // Cut just inside the last member's braces.
        const std::string text = StreamSaved(kind, &tree);
        EXPECT_EQ(nullptr, StreamRestored(kind, text.substr(0, text.rfind('{') + 1))) << int(kind);
        EXPECT_EQ("[READERR] Read error", capture.Last()) << int(kind);
    }
}

TEST(ModelStoreVersion, ACompositeOfAnotherVersionKeepsItsMembers)
{
    MPersistentComposite stored(1);
    stored.Add(new GValueAttribute(1, 2));
    std::vector<uint8_t> bytes = GutsBytes(stored);
    bytes[12] = 2;
    MPersistentComposite target(3);
    target.Add(new GValueAttribute(5, 6));
    RestoreGutsFrom(target, bytes);
    EXPECT_EQ(1, target.GetId());
    ASSERT_EQ(1u, target.Entries());
    EXPECT_EQ(6, target.At(0)->GetId());
}
