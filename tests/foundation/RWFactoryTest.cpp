#include "BoundedWait.h"
#include "TestCollectables.h"

#include "foundation/RWFactory.h"
#include "foundation/RWHashTable.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWSlistCollectablesStack.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

RWCollectable* MakeOne() { return new TestValue(1); }
RWCollectable* MakeTwo() { return new TestValue(2); }

// Ids far from every class of the module.
const RWClassID kTestId = 0x7A10;

bool Registered(RWClassID id)
{
    for (const RWFactoryClass& c : RWFactoryClasses())
        if (c.id == id)
            return true;
    return false;
}

// A name whose hash lands in the same bucket of a 64-bucket factory as the id.
std::string NameInBucketOf(RWClassID id)
{
    for (int i = 0;; ++i) {
        std::string name = "Colliding" + std::to_string(i);
        if (RWStringID(name.c_str()).Hash() % RWHashTable::kDefaultBuckets == id % RWHashTable::kDefaultBuckets)
            return name;
    }
}

} // namespace

TEST(RWFactory, FirstRegistrationOfAnIdOrANameStays)
{
    RWFactory factory;
    factory.AddFunction(MakeOne, kTestId, "First");
    factory.AddFunction(MakeTwo, kTestId, "First");
    EXPECT_EQ(2u, factory.Entries());
    EXPECT_EQ(MakeOne, factory.GetFunction(kTestId));
    EXPECT_EQ(MakeOne, factory.GetFunction(RWStringID("First")));

    // A new name for a known id: the id entry stays, the name entry is new.
    factory.AddFunction(MakeTwo, kTestId, "Second");
    EXPECT_EQ(3u, factory.Entries());
    EXPECT_EQ(MakeOne, factory.GetFunction(kTestId));
    EXPECT_EQ(RWStringID("First"), factory.StringId(kTestId));
    EXPECT_EQ(kTestId, factory.ClassIdOf("Second"));
    std::unique_ptr<RWCollectable> byName(factory.Create(RWStringID("Second")));
    std::unique_ptr<RWCollectable> byId(factory.Create(kTestId));
    EXPECT_EQ(2, ValueOf(byName.get()));
    EXPECT_EQ(1, ValueOf(byId.get()));
}

TEST(RWFactory, UnknownIdsAndNamesGiveTheEmptyAnswers)
{
    EXPECT_EQ(RWStringID("NoID"), RWFactoryStringId(kTestId));
    EXPECT_EQ(0x8000, RWFactoryClassId("Nobody"));
    EXPECT_EQ(nullptr, RWFactoryCreate(RWClassID(0x8000)));
    EXPECT_EQ(nullptr, RWFactoryCreate(RWStringID("NoID")));
}

TEST(RWFactory, EntriesByIdAndByNameNeverAnswerForEachOther)
{
    const std::string name = NameInBucketOf(kTestId);
    const RWFactoryEntryById byId(kTestId, MakeOne, RWStringID(name.c_str()));
    const RWFactoryEntryByName byName(kTestId, MakeOne, RWStringID(name.c_str()));
    EXPECT_FALSE(byId.IsEqual(&byName));
    EXPECT_FALSE(byName.IsEqual(&byId));

    // Only the name entry is left, in the bucket the id probes: the id finds nothing,
    // and removing by id again or by another name removes nothing.
    RWFactory factory;
    factory.AddFunction(MakeOne, kTestId, name.c_str());
    factory.RemoveFunction(kTestId);
    factory.RemoveFunction(RWStringID("Other"));
    EXPECT_EQ(nullptr, factory.GetFunction(kTestId));
    EXPECT_TRUE(factory.StringId(kTestId).IsNoId());
    factory.RemoveFunction(kTestId);
    EXPECT_EQ(1u, factory.Entries());
    EXPECT_EQ(kTestId, factory.ClassIdOf(name.c_str()));
    factory.RemoveFunction(RWStringID(name.c_str()));
    EXPECT_TRUE(factory.IsEmpty());
}

// Lookups by id answer from an index beside the set: it follows every removal and
// every registration that comes after one.
TEST(RWFactory, IdLookupsFollowRemovalAndANewRegistration)
{
    RWFactory factory;
    factory.AddFunction(MakeOne, kTestId, "First");
    factory.RemoveFunction(kTestId);
    EXPECT_EQ(nullptr, factory.GetFunction(kTestId));
    EXPECT_EQ(nullptr, factory.Create(kTestId));
    EXPECT_EQ(MakeOne, factory.GetFunction(RWStringID("First")));
    factory.AddFunction(MakeTwo, kTestId, "Second");
    EXPECT_EQ(MakeTwo, factory.GetFunction(kTestId));
    EXPECT_EQ(RWStringID("Second"), factory.StringId(kTestId));

    RWFactoryRegister(MakeOne, kTestId, RWStringID("ProcessWide"));
    RWFactoryUnregister(kTestId);
    EXPECT_EQ(nullptr, RWFactoryCreate(kTestId));
    RWFactoryRegister(MakeTwo, kTestId, RWStringID("ProcessWideAgain"));
    std::unique_ptr<RWCollectable> made(RWFactoryCreate(kTestId));
    EXPECT_EQ(2, ValueOf(made.get()));
    EXPECT_EQ(RWStringID("ProcessWideAgain"), RWFactoryStringId(kTestId));
    RWFactoryUnregister(kTestId);
    RWFactoryUnregister(RWStringID("ProcessWide"));
    RWFactoryUnregister(RWStringID("ProcessWideAgain"));
    EXPECT_EQ(nullptr, RWFactoryCreate(kTestId));
}

bool IsTestValue(RWClassID kind) { return kind == TestValue::kClassId; }

// The id index is paged by the id's high byte: ids at each edge of a page answer alone,
// their kind included, and answer nothing once withdrawn.
TEST(RWFactory, IdsAtThePageEdgesAnswerAloneUntilWithdrawn)
{
    const RWClassID ids[] = {0x0000, 0x00FF, 0x0100, 0x7AFF, 0xFFFF};
    RWFactory factory;
    for (RWClassID id : ids)
        factory.AddFunction(id == 0x0100 ? MakeTwo : MakeOne, id, ("Edge" + std::to_string(id)).c_str(),
                            IsTestValue);
    for (RWClassID id : ids)
        EXPECT_EQ(id == 0x0100 ? MakeTwo : MakeOne, factory.GetFunction(id)) << id;
    EXPECT_EQ(nullptr, factory.GetFunction(0x0101));
    EXPECT_EQ(nullptr, factory.GetFunction(0xFFFE));
    for (RWClassID id : ids) {
        factory.RemoveFunction(id);
        EXPECT_EQ(nullptr, factory.GetFunction(id)) << id;
    }

    const RWClassID edge = 0x7AFF;
    RWFactoryRegister(MakeOne, edge, RWStringID("EdgeProcessWide"), IsTestValue);
    EXPECT_EQ(RWKindAnswer::Yes, RWFactoryIsKindOf(edge, TestValue::kClassId));
    EXPECT_EQ(RWKindAnswer::No, RWFactoryIsKindOf(edge, RWClassID(edge + 1)));
    RWFactoryUnregister(edge);
    EXPECT_EQ(RWKindAnswer::Unknown, RWFactoryIsKindOf(edge, TestValue::kClassId));
    RWFactoryUnregister(RWStringID("EdgeProcessWide"));
}

TEST(RWFactoryRegistry, TheRootTheCollectionsAndTheAssociationsRegisterThemselves)
{
    const struct {
        RWClassID id;
        const char* name;
    } classes[] = {{0x8007, "RWCollectable"},       {0x8033, "RWSlistCollectables"},
                   {0x8036, "RWSlistCollectablesStack"}, {0x805E, "RWHashTable"},
                   {0x802B, "RWSet"},               {0x8025, "RWIdentitySet"},
                   {0x8003, "RWBTree"},             {0x8004, "RWBTreeDictionary"},
                   {0x8008, "RWCollectableAssociation"}, {0x805F, "RWCollectableIDAssociation"}};
    for (const auto& c : classes) {
        std::unique_ptr<RWCollectable> byId(RWFactoryCreate(c.id));
        std::unique_ptr<RWCollectable> byName(RWFactoryCreate(RWStringID(c.name)));
        ASSERT_NE(nullptr, byId) << c.name;
        ASSERT_NE(nullptr, byName) << c.name;
        EXPECT_EQ(c.id, byId->ClassId());
        EXPECT_EQ(c.id, byName->ClassId());
        EXPECT_EQ(RWStringID(c.name), RWFactoryStringId(c.id));
        EXPECT_EQ(c.id, RWFactoryClassId(c.name));
    }
}

TEST(RWFactoryRegistry, RegistrationsLastUntilUnregisteredOrDestroyed)
{
    RWFactoryRegister(MakeOne, kTestId);
    EXPECT_EQ(RWStringID("No_RWStringID"), RWFactoryStringId(kTestId));
    std::unique_ptr<RWCollectable> made(RWFactoryCreate(kTestId));
    EXPECT_EQ(1, ValueOf(made.get()));
    RWFactoryUnregister(kTestId);
    RWFactoryUnregister(RWStringID("No_RWStringID"));
    EXPECT_FALSE(Registered(kTestId));
    EXPECT_EQ(0x8000, RWFactoryClassId("No_RWStringID"));

    {
        const RWFactoryRegistration registration(MakeTwo, kTestId, "ScopedTestClass", nullptr);
        made.reset(RWFactoryCreate(RWStringID("ScopedTestClass")));
        EXPECT_EQ(2, ValueOf(made.get()));
    }
    EXPECT_FALSE(Registered(kTestId));
    EXPECT_EQ(nullptr, RWFactoryCreate(RWStringID("ScopedTestClass")));
    EXPECT_EQ(0x8000, RWFactoryClassId("ScopedTestClass"));
}

TEST(RWFactoryRegistry, TheLastUnregistrationDestroysTheFactory)
{
    const std::vector<RWFactoryClass> classes = RWFactoryClasses();
    ASSERT_FALSE(classes.empty());
    ASSERT_NE(nullptr, RWFactoryInstance());
    for (const RWFactoryClass& c : classes) {
        RWFactoryUnregister(c.id);
        RWFactoryUnregister(c.name);
    }
    EXPECT_EQ(nullptr, RWFactoryInstance());
    EXPECT_EQ(nullptr, RWFactoryCreate(RWCollectable::kClassId));
    EXPECT_TRUE(RWFactoryStringId(RWCollectable::kClassId).IsNoId());
    EXPECT_TRUE(RWFactoryClasses().empty());
    EXPECT_EQ(nullptr, RWFactoryInstance()); // lookups do not bring it back

    RWFactory* fresh = GetFactory();
    ASSERT_NE(nullptr, fresh);
    EXPECT_TRUE(fresh->IsEmpty());
    EXPECT_EQ(fresh, RWFactoryInstance());

    for (const RWFactoryClass& c : classes)
        RWFactoryRegister(c.create, c.id, c.name);
    EXPECT_EQ(classes.size(), RWFactoryClasses().size());
    std::unique_ptr<RWCollectable> made(RWFactoryCreate(RWCollectable::kClassId));
    EXPECT_NE(nullptr, made);
}

TEST(RWFactoryRegistry, ThreadsRegisterLookUpAndUnregisterAtOnce)
{
    const int kThreads = 4;
    const int kRounds = 300;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            const RWClassID id = RWClassID(0x7B00 + t);
            const std::string name = "ThreadClass" + std::to_string(t);
            for (int i = 0; i < kRounds; ++i) {
                RWFactoryRegister(MakeOne, id, name.c_str());
                std::unique_ptr<RWCollectable> made(RWFactoryCreate(id));
                if (ValueOf(made.get()) != 1 || RWFactoryClassId(name.c_str()) != id)
                    ++failures[t];
                std::unique_ptr<RWCollectable> root(RWFactoryCreate(RWCollectable::kClassId));
                if (!root)
                    ++failures[t];
                RWFactoryUnregister(id);
                RWFactoryUnregister(RWStringID(name.c_str()));
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(0, failures[t]) << t;
        EXPECT_FALSE(Registered(RWClassID(0x7B00 + t)));
    }
}

// The module registers every class from static objects when it loads and unregisters
// them when it unloads; the locks and the factory must survive any order of those.
std::string ModulePath()
{
    const char* build = std::getenv("QZ_BUILD_DIR");
    std::string path = build ? std::string("Z:") + build + "/src/entry/module/qzui32.dll" : std::string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST(RWFactoryModule, LoadsAndUnloadsRepeatedly)
{
    const std::string path = ModulePath();
    if (path.empty())
        GTEST_SKIP() << "QZ_BUILD_DIR not set";
    for (int i = 0; i < 3; ++i) {
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module) << path << " error " << GetLastError();
        EXPECT_TRUE(FreeLibrary(module));
    }
}

// The module releases its per-thread slot when it unloads: a thread that loaded it and
// a thread started before it, both alive across the unload, end afterwards unharmed.
TEST(RWFactoryModule, ThreadsAliveAcrossTheUnloadEndAfterIt)
{
    const std::string path = ModulePath();
    if (path.empty())
        GTEST_SKIP() << "QZ_BUILD_DIR not set";
    HANDLE loaded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE unloaded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HMODULE module = nullptr;
    std::thread bystander([unloaded] { WaitForSingleObject(unloaded, kWaitBound); });
    std::thread loader([&] {
        module = LoadLibraryA(path.c_str());
        SetEvent(loaded);
        WaitForSingleObject(unloaded, kWaitBound);
    });
    EXPECT_TRUE(Signalled(loaded, "the load on another thread"));
    EXPECT_NE(nullptr, module) << path << " error " << GetLastError();
    EXPECT_TRUE(module && FreeLibrary(module));
    // The module's keep-alive holds it a little longer and then unloads it from a thread
    // of its own.
    for (int waited = 0; waited < 5000 && GetModuleHandleA(path.c_str()); waited += 10)
        Sleep(10);
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    SetEvent(unloaded);
    loader.join();
    bystander.join();
    CloseHandle(loaded);
    CloseHandle(unloaded);
    // A load after threads came and went starts clean.
    module = LoadLibraryA(path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_TRUE(FreeLibrary(module));
}
