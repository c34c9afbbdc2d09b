#include "model/MPersistentCompositeOnDisk.h"

#include "foundation/RWDiskBTree.h"
#include "model/GObjectIterator.h"
#include "model/GRecordComposite.h"
#include "model/GStreamHolder.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"
#include "model/MPersistentCompositeOnDiskImp.h"
#include "FileBytes.h"
#include "Registered.h"
#include "SpoolTempFolder.h"
#include "TempPath.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Store = MPersistentCompositeOnDisk;

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    if (at + 4 <= bytes.size())
        std::memcpy(&value, &bytes[at], 4);
    return value;
}

std::string KeyOf(const GObjectBase& object)
{
    char key[16];
    std::snprintf(key, sizeof key, "%lx", static_cast<unsigned long>(object.GetSerial()));
    return key;
}

GValueAttribute* Value(uint16_t value, long id) { return new GValueAttribute(value, id); }

uint16_t ValueOf(const GCountedRef& ref)
{
    const GValueAttribute* value = dynamic_cast<const GValueAttribute*>(ref.Get());
    return value ? value->GetValue() : 0xFFFF;
}

// The keys the file's B-tree holds, read with a tree of the store's parameters.
std::vector<std::string> TreeKeys(const TempPath& path)
{
    std::vector<std::string> keys;
    RWDiskFileManager file(path.c_str(), "rb");
    RWDiskBTree tree(file, 10, 0, 16, 0, RWDiskBTree::kNone, 0, 10, 10);
    tree.ApplyInOrder(
        [](const char* key, uint32_t, void* arg) { static_cast<std::vector<std::string>*>(arg)->push_back(key); },
        &keys);
    return keys;
}

bool Exists(const TempPath& path) { return !FileBytes(path.str()).empty(); }

} // namespace

TEST(RecordsStoreFile, KeepsOneObjectAndItsIndexAcrossClosing)
{
    AllowTempSpoolFolder();
    TempPath path("records-layout.rec");
    std::string key;
    {
        Store store(RWCString(path.c_str()), 0, 1);
        EXPECT_EQ(Word(FileBytes(path.str()), 4), 280u + 44u) << "header, free list, then the B-tree's info block";
        GValueAttribute* object = Value(7, 40);
        key = KeyOf(*object);
        store.AddRecord(object);
        EXPECT_EQ(store.Entries(), 1u);
    }
    const std::vector<uint8_t> bytes = FileBytes(path.str());
    EXPECT_EQ(Word(bytes, 0), 284u) << "the info block is the file's start";
    EXPECT_EQ(Word(bytes, 280), 44u);
    EXPECT_EQ(Word(bytes, 284 + 12), 2u) << "two keys: the object's and the index's";
    const uint32_t objectBlock = 328, objectSize = Word(bytes, objectBlock - 4);
    EXPECT_EQ(Word(bytes, objectBlock), 0x8888u);
    const uint32_t node = objectBlock - 4 + objectSize + 4;
    EXPECT_EQ(Word(bytes, node - 4), 492u) << "one 488-byte node";
    EXPECT_EQ(Word(bytes, 284), node) << "the root";
    const uint32_t indexBlock = node + 488 + 4;
    EXPECT_EQ(Word(bytes, indexBlock), 0x8888u);
    EXPECT_EQ(bytes.size(), indexBlock - 4 + Word(bytes, indexBlock - 4));
    EXPECT_EQ(TreeKeys(path), (std::vector<std::string>{key, MPersistentCompositeOnDiskImp::kIndexKey}));

    {
        Store store(RWCString(path.c_str()), 1, 1);
        EXPECT_EQ(store.Entries(), 1u);
        EXPECT_EQ(TreeKeys(path), std::vector<std::string>{key}) << "reopening takes the index out";
        const GCountedRef first = store.FindPtrById(40), second = store.FindPtrById(40);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first.Get(), second.Get());
        EXPECT_EQ(ValueOf(first), 7);
        EXPECT_TRUE(first->IsEqual(second.Get()));
        EXPECT_EQ(ValueOf(store.FindRecordById(40)), 7);
        EXPECT_FALSE(store.FindRecordById(40));
        EXPECT_EQ(store.Entries(), 0u);
        EXPECT_FALSE(store.HasFailed());
    }
    EXPECT_FALSE(Exists(path)) << "the delete flag removes the file";
}

TEST(RecordsStoreFile, ReadsCompositesBackInOrderAndForwardsThroughProxies)
{
    AllowTempSpoolFolder();
    // The inner file's name starts with the outer one's: it is still another store.
    TempPath path("records-composite.rec"), inner("records-composite.rec2");
    Store store(RWCString(path.c_str()), 1, 1);
    MPersistentComposite* composite = new MPersistentComposite(10);
    for (uint16_t i = 0; i < 3; ++i)
        composite->Add(Value(i, 11 + i));
    store.AddRecord(composite);
    EXPECT_EQ(store.Entries(), 3u) << "three leaves under one composite record";
    store.Close();
    EXPECT_EQ(TreeKeys(path).size(), 5u) << "an empty composite, its three members and the index";

    GObjectIterator* it = store.CreateIterator();
    ASSERT_TRUE(it->Next());
    EXPECT_EQ(it->Current(), nullptr);
    EXPECT_EQ(it->CurrentRef()->Entries(), 3u);
    EXPECT_FALSE(it->Next());
    delete it;

    EXPECT_EQ(ValueOf(store.FindPtrById(12)), 1) << "members are found by their own id";
    EXPECT_EQ(store.ReplaceRecordById(12, Value(9, 12)), 1);
    const GCountedRef back = store.FindRecordById(10);
    ASSERT_TRUE(back);
    std::vector<uint16_t> values;
    GObjectIterator* members = back->CreateIterator();
    while (members->Next())
        values.push_back(dynamic_cast<GValueAttribute*>(members->Current())->GetValue());
    delete members;
    EXPECT_EQ(values, (std::vector<uint16_t>{0, 9, 2}));
    store.Close();
    EXPECT_EQ(TreeKeys(path), std::vector<std::string>{MPersistentCompositeOnDiskImp::kIndexKey});

    Store* other = new Store(RWCString(inner.c_str()), 1, 20);
    other->AddRecord(Value(5, 21));
    store.AddRecord(other);
    EXPECT_EQ(ValueOf(store.FindPtrById(21)), 5) << "the proxy record asks the other store";
    EXPECT_EQ(ValueOf(store.FindRecordById(21)), 5);
    EXPECT_FALSE(store.FindPtrById(21));
    EXPECT_TRUE(Exists(inner)) << "the proxy's copy keeps the other file";
    store.RemoveAll();
    EXPECT_EQ(store.Entries(), 0u);
    store.Close();
    EXPECT_EQ(TreeKeys(path), std::vector<std::string>{MPersistentCompositeOnDiskImp::kIndexKey}) << "emptied";
    EXPECT_FALSE(Exists(inner));
    EXPECT_FALSE(store.HasFailed());
}

TEST(RecordsStoreSharing, StoresOfOneNameShareTheFileAndTheDeleteRuleWaitsForTheLast)
{
    AllowTempSpoolFolder();
    TempPath path("records-shared.rec");
    {
    Store* first = new Store(RWCString(path.c_str()), 1, 1);
    Store* second = new Store(RWCString(path.c_str()), 0, 1);
    first->AddRecord(Value(3, 30));
    EXPECT_EQ(ValueOf(second->FindPtrById(30)), 3);
    first->Close();
    EXPECT_EQ(ValueOf(second->FindPtrById(30)), 3) << "closing one keeps the file open for the other";
    EXPECT_EQ(first->Entries(), 1u) << "a closed store opens again when used";

    Store* copy = new Store(*first);
    Store assigned;
    assigned = *copy;
    EXPECT_TRUE(copy->IsSame(first));
    delete first;
    delete copy;
    EXPECT_TRUE(Exists(path)) << "copies and assignments do not delete a file still in use";

    second->AddRecord(new Store(*second));
    const GCountedRef readBack = second->FindRecordByClassId(Store::kClassId);
    ASSERT_TRUE(readBack);
    EXPECT_FALSE(static_cast<Store*>(readBack.Get())->IsOpen()) << "a store read from bytes stays closed";
    EXPECT_EQ(0u, static_cast<Store*>(readBack.Get())->Entries());
    delete second;
    EXPECT_TRUE(Exists(path));
    assigned.Close();
    EXPECT_EQ(assigned.Entries(), 1u);
    }
    EXPECT_FALSE(Exists(path)) << "the last store object of the name takes the file with it";
}

TEST(RecordsStoreFailures, DuplicateKeysAndUnopenablePathsFailCleanly)
{
    AllowTempSpoolFolder();
    TempPath path("records-duplicate.rec");
    {
        Store store(RWCString(path.c_str()), 1, 1);
        GValueAttribute original(1, 50);
        store.AddRecord(original.Copy());
        store.AddRecord(original.Copy());
        EXPECT_TRUE(store.HasFailed());
        EXPECT_EQ(store.Entries(), 1u) << "the copy left no record";
        EXPECT_EQ(TreeKeys(path).size(), 1u);
        EXPECT_EQ(ValueOf(store.FindRecordById(50)), 1);
    }
    Store missing(RWCString("Z:\\no such folder\\records.rec"), 0, 1);
    EXPECT_TRUE(missing.HasFailed());
    missing.AddRecord(Value(1, 1));
    EXPECT_EQ(missing.Entries(), 0u);
    EXPECT_FALSE(missing.FindPtrById(1));
}

TEST(RecordsStoreFailures, DamagedFilesGiveAFailureNotACrash)
{
    AllowTempSpoolFolder();
    TempPath path("records-damaged.rec");
    struct Damage {
        const char* what;
        void (*apply)(std::vector<uint8_t>& bytes);
    };
    const Damage damages[] = {
        {"index block", [](std::vector<uint8_t>& b) { std::memset(&b[b.size() - 30], 0xA5, 30); }},
        {"truncated", [](std::vector<uint8_t>& b) { b.resize(b.size() / 2); }},
        {"header", [](std::vector<uint8_t>& b) { b.resize(20); }},
        {"object block", [](std::vector<uint8_t>& b) { std::memset(&b[330], 0x5A, 16); }},
    };
    for (const Damage& damage : damages) {
        {
            Store store(RWCString(path.c_str()), 0, 1);
            store.AddRecord(Value(4, 60));
            store.AddRecord(Value(5, 61));
        }
        std::vector<uint8_t> bytes = FileBytes(path.str());
        damage.apply(bytes);
        ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
        TestErrorCapture capture;
        {
            Store store(RWCString(path.c_str()), 1, 1);
            const GCountedRef first = store.FindRecordById(60);
            EXPECT_FALSE(first) << damage.what;
            store.FindPtrById(61);
            EXPECT_TRUE(store.HasFailed()) << damage.what;
        }
        std::remove(path.c_str());
    }
}

TEST(RecordsStoreThreads, TwoThreadsFillTwoStores)
{
    AllowTempSpoolFolder();
    TempPath a("records-thread-a.rec"), b("records-thread-b.rec");
    Store storeA(RWCString(a.c_str()), 1, 1), storeB(RWCString(b.c_str()), 1, 2);
    auto fill = [](Store* store) {
        for (long i = 0; i < 200; ++i)
            store->AddRecord(Value(uint16_t(i), i + 1));
        for (long i = 0; i < 200; i += 2)
            store->FindRecordById(i + 1);
    };
    std::thread first(fill, &storeA), second(fill, &storeB);
    first.join();
    second.join();
    EXPECT_EQ(storeA.Entries(), 100u);
    EXPECT_EQ(storeB.Entries(), 100u);
    EXPECT_EQ(ValueOf(storeB.FindPtrById(200)), 199);
    EXPECT_FALSE(storeA.HasFailed() || storeB.HasFailed());
}

TEST(RecordsStoreClasses, AreRegistered)
{
    EXPECT_TRUE(IsRegistered(781, "MPersistentCompositeOnDisk"));
    EXPECT_TRUE(IsRegistered(782, "MPersistentCompositeOnDiskImp"));
    EXPECT_TRUE(IsRegistered(783, "GRecord"));
    EXPECT_TRUE(IsRegistered(784, "GRecordProxy"));
    EXPECT_TRUE(IsRegistered(785, "GRecordComposite"));
}

namespace {

// Where the closed file keeps its index.
uint32_t IndexBlock(const TempPath& path)
{
    uint32_t block = 0;
    RWDiskFileManager file(path.c_str(), "rb");
    RWDiskBTree tree(file, 10, 0, 16, 0, RWDiskBTree::kNone, 0, 10, 10);
    tree.ApplyInOrder(
        [](const char* key, uint32_t value, void* arg) {
            if (std::strcmp(key, MPersistentCompositeOnDiskImp::kIndexKey) == 0)
                *static_cast<uint32_t*>(arg) = value;
        },
        &block);
    return block;
}

} // namespace

// An index whose member count the rest of the file cannot hold once read back as an
// empty store with no failure, and closing wrote that empty index over the records.
// Refused, it sets the failure flag and stays as it was: with the count mended, every
// record is there again.
TEST(RecordsStoreFailures, ARefusedIndexFailsAndIsNeverWrittenBack)
{
    AllowTempSpoolFolder();
    TempPath path("records-index-count.rec");
    {
        Store store(RWCString(path.c_str()), 0, 1);
        for (long id = 70; id < 75; ++id)
            store.AddRecord(Value(uint16_t(id), id));
    }
    for (const uint32_t damaged : {0x00FFFFFFu, 0xFFFFFFFFu}) {
        const uint32_t block = IndexBlock(path);
        std::vector<uint8_t> bytes = FileBytes(path.str());
        ASSERT_GT(block, 0u);
        ASSERT_LT(block, bytes.size());
        const uint8_t versionAndCount[] = {1, 0, 0, 0, 5, 0, 0, 0};
        const auto found = std::search(bytes.begin() + block, bytes.end(), std::begin(versionAndCount),
                                       std::end(versionAndCount));
        ASSERT_NE(bytes.end(), found);
        const size_t count = size_t(found - bytes.begin()) + 4;
        std::memcpy(&bytes[count], &damaged, 4);
        ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
        {
            TestErrorCapture capture;
            Store store(RWCString(path.c_str()), 0, 1);
            EXPECT_TRUE(store.HasFailed()) << damaged;
            EXPECT_EQ(0u, store.Entries());
        }
        EXPECT_EQ(block, IndexBlock(path)) << "the index stays where it was";
        std::vector<uint8_t> after = FileBytes(path.str());
        ASSERT_GT(after.size(), count + 4);
        const uint32_t mended = 5;
        std::memcpy(&after[count], &mended, 4);
        ASSERT_TRUE(WriteFileBytes(path.str(), after));
        Store store(RWCString(path.c_str()), 0, 1);
        EXPECT_FALSE(store.HasFailed()) << damaged;
        for (long id = 70; id < 75; ++id)
            EXPECT_EQ(ValueOf(store.FindPtrById(id)), uint16_t(id)) << damaged;
    }
}

// A store reopened only to look (peeks and a walk) leaves its file as it found it, byte
// for byte; one that took a record out writes its index anew.
TEST(RecordsStoreFile, ReopeningOnlyToLookLeavesTheFileAsItWas)
{
    TempPath path("records-look.rec");
    {
        Store store(RWCString(path.c_str()), 0, 1);
        for (uint16_t i = 0; i < 30; ++i)
            store.AddRecord(Value(i, 100 + i));
        MPersistentComposite* composite = new MPersistentComposite(20);
        for (uint16_t i = 0; i < 3; ++i)
            composite->Add(Value(i, 21 + i));
        store.AddRecord(composite);
    }
    const std::vector<uint8_t> before = FileBytes(path.str());
    ASSERT_FALSE(before.empty());
    for (int round = 0; round < 2; ++round) {
        Store store(RWCString(path.c_str()), 0, 1);
        EXPECT_EQ(ValueOf(store.FindPtrById(105)), 5);
        EXPECT_EQ(ValueOf(store.FindPtrById(22)), 1);
        GObjectIterator* it = store.CreateIterator();
        uint32_t walked = 0;
        while (it->Next())
            walked += it->CurrentRef() ? 1 : 0;
        delete it;
        EXPECT_EQ(31u, walked);
        store.Close();
        EXPECT_FALSE(store.HasFailed());
        EXPECT_EQ(before, FileBytes(path.str())) << round;
    }
    {
        Store store(RWCString(path.c_str()), 0, 1);
        EXPECT_EQ(ValueOf(store.FindRecordById(105)), 5);
    }
    EXPECT_NE(before, FileBytes(path.str()));
    Store store(RWCString(path.c_str()), 1, 1);
    EXPECT_EQ(store.Entries(), 32u);
    EXPECT_FALSE(store.FindPtrById(105));
    EXPECT_EQ(ValueOf(store.FindPtrById(129)), 29);
}

namespace {

std::vector<uint8_t> StoredBytes(const GObjectBase& object)
{
    std::vector<uint8_t> buffer(4096);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    *holder.GetStream() << static_cast<const RWCollectable*>(&object);
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

GObjectBase* ReadBack(const std::vector<uint8_t>& bytes)
{
    GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 1);
    GObjectBase* read = nullptr;
    *holder.GetStream() >> read;
    return read;
}

} // namespace

// Bytes naming a file and asking for its deletion make a store that is closed for good:
// whatever is done with it, its copies and its assignments, the file named is neither
// made nor opened nor removed.
TEST(RecordsStoreFromBytes, StaysClosedAndNeverMakesOrRemovesTheFileItNames)
{
    AllowTempSpoolFolder();
    TempPath victim("records-victim.rec"), absent("records-absent.rec");
    std::vector<uint8_t> naming[2];
    {
        Store made(RWCString(victim.c_str()), 1, 1);
        made.Close();
        naming[0] = StoredBytes(made);
        Store other(RWCString(absent.c_str()), 1, 1);
        other.Close();
        naming[1] = StoredBytes(other);
    }
    ASSERT_FALSE(Exists(victim)) << "the code's own delete flag removed its file";
    const std::vector<uint8_t> placed = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteFileBytes(victim.str(), placed));
    const struct {
        const char* what;
        void (*use)(Store& store);
    } uses[] = {
        {"nothing", [](Store&) {}},
        {"an added record", [](Store& s) { s.AddRecord(Value(1, 1)); }},
        {"a search", [](Store& s) { s.FindRecordById(1); }},
        {"an opening", [](Store& s) { s.Open(); }},
        {"an opening by its name", [](Store& s) { s.Open(RWCString(s.GetFileName())); }},
        {"a copy used", [](Store& s) { Store copy(s); copy.AddRecord(Value(1, 1)); }},
        {"an assignment used", [](Store& s) { Store assigned; assigned = s; assigned.FindPtrById(1); }},
        {"emptying", [](Store& s) { s.RemoveAll(); }},
    };
    for (const std::vector<uint8_t>& bytes : naming)
        for (const auto& use : uses) {
            {
                std::unique_ptr<GObjectBase> read(ReadBack(bytes));
                Store* store = dynamic_cast<Store*>(read.get());
                ASSERT_NE(nullptr, store) << use.what;
                EXPECT_TRUE(store->IsFromBytes()) << use.what;
                use.use(*store);
                EXPECT_FALSE(store->IsOpen()) << use.what;
                EXPECT_EQ(0u, store->GetDeleteFlag()) << use.what;
                EXPECT_EQ(0u, store->Entries()) << use.what;
                EXPECT_TRUE(store->HasFailed()) << use.what;
            }
            EXPECT_EQ(placed, FileBytes(victim.str())) << use.what;
            EXPECT_FALSE(Exists(absent)) << use.what;
        }
}

TEST(RecordsStoreCopies, AreOpenOnlyWhenTheirSourceIs)
{
    AllowTempSpoolFolder();
    TempPath path("records-copies.rec");
    Store store(RWCString(path.c_str()), 1, 1);
    ASSERT_TRUE(store.IsOpen());
    Store openCopy(store);
    EXPECT_TRUE(openCopy.IsOpen());
    store.Close();
    Store closedCopy(store);
    EXPECT_FALSE(closedCopy.IsOpen());
    Store assigned;
    assigned = store;
    EXPECT_FALSE(assigned.IsOpen());
}

// A store takes only the name of a file directly inside a folder the module made for
// its spool files, written out in full; any other name leaves it failed with no file.
TEST(RecordsStoreNames, OnlyAbsoluteNamesInsideASpoolFolderAreTaken)
{
    AllowTempSpoolFolder();
    const std::string folder = TempPath::Folder();
    const std::string leaf = "records-name.rec";
    std::string forward = folder + "\\" + leaf;
    for (char& c : forward)
        c = c == '\\' ? '/' : c;
    const struct {
        std::string name;
        bool taken;
    } rows[] = {
        {folder + "\\" + leaf, true},
        {"records-name.rec", false},
        {"210 x 297", false},
        {"$", false},
        {".\\" + leaf, false},
        {folder + "\\.\\" + leaf, false},
        {folder + "\\sub\\..\\" + leaf, false},
        {folder + "\\" + leaf + ":stream", false},
        {folder.substr(0, 2) + leaf, false},
        {"\\\\?\\" + folder + "\\" + leaf, false},
        {"\\\\.\\" + folder + "\\" + leaf, false},
        {forward, false},
        {folder + "\\deeper\\" + leaf, false},
        {folder + "x\\" + leaf, false},
        {"", false},
    };
    for (const auto& row : rows) {
        {
            Store store(RWCString(row.name.c_str()), 1, 1);
            EXPECT_EQ(row.taken, !store.HasFailed()) << row.name;
            EXPECT_EQ(row.taken, bool(store.IsOpen())) << row.name;
            store.AddRecord(Value(1, 1));
            EXPECT_EQ(row.taken ? 1u : 0u, store.Entries()) << row.name;
        }
        EXPECT_TRUE(FileBytes(folder + "\\" + leaf).empty()) << row.name;
        EXPECT_TRUE(FileBytes(leaf).empty()) << row.name;
    }
    EXPECT_FALSE(Store::AddSpoolFolder(RWWString(L"relative\\spool")));
    EXPECT_FALSE(Store::AddSpoolFolder(RWWString(L"\\SystemRoot\\System32\\Spool\\Printers")));
    EXPECT_FALSE(Store::AddSpoolFolder(RWWString(L"C:\\spool\\..\\elsewhere")));
    EXPECT_FALSE(Store::AddSpoolFolder(RWWString()));
}

// A spool folder the module removed is forgotten: a name inside it is no longer taken.
TEST(RecordsStoreNames, AForgottenSpoolFolderIsNoLongerTaken)
{
    const std::string folder = TempPath::Folder() + "\\forgotten-spool";
    const RWWString wide(folder.c_str(), RWWString::multiByte);
    const RWCString name((folder + "\\page.rec").c_str());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(Store::AddSpoolFolder(wide));
    {
        Store store(name, 1, 1);
        EXPECT_FALSE(store.HasFailed());
    }
    Store::ForgetSpoolFolder(wide);
    {
        Store store(name, 1, 1);
        EXPECT_TRUE(store.HasFailed());
    }
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}
