// Every read of settings from outside takes only the classes settings are made of: a
// tree holding a records store, a peripheral proxy or a class nobody registered, at its
// root or three levels down, fails the read as a whole; a tree of settings classes only
// is read whole. One row per reader and tree.
#include "../model/RegisteredClasses.h"
#include "PackedSettingsBytes.h"
#include "SettingsTestDriver.h"
#include "SettingsTestServices.h"
#include "TestErrorCapture.h"
#include "model/GAttributeComposite.h"
#include "model/GLZWCodec.h"
#include "model/GObjectIterator.h"
#include "foundation/RWClassList.h"
#include "model/GStreamHolder.h"
#include "model/GValue32Attribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPeripheralProxy.h"
#include "printer/GSettingsClasses.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/serializer/GSettingsTreeSerializer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace SettingsTest;

namespace {

typedef std::vector<uint8_t> Bytes;

// A class that a settings composite would not take in memory, or that nobody
// registered, is written as a listed class the trees hold nowhere else, and its class
// id is then patched in the bytes: the read decides before it reads any field.
const RWClassID kMarkerClass = GValue32Attribute::kClassId;
const RWClassID kUnregisteredClass = 0x7777;

enum class Leaf { Listed, RecordsStore, PeripheralProxy, Unregistered };

GObjectBase* MakeLeaf(Leaf leaf)
{
    switch (leaf) {
    case Leaf::PeripheralProxy:
        return new GPeripheralProxy;
    case Leaf::RecordsStore:
    case Leaf::Unregistered:
        return new GValue32Attribute(7, 902);
    case Leaf::Listed:
        break;
    }
    return Composite(902, {Value(5, 903), new GStringAttribute("text", 904)});
}

// The leaf alone, or under three composites that hold settings beside it.
GObjectBase* MakeTree(Leaf leaf, int depth)
{
    GObjectBase* node = MakeLeaf(leaf);
    for (int level = depth; level > 0; --level)
        node = Composite(800 + level, {Value(uint16_t(level), 810 + level), node});
    return node;
}

// The marker class's id after ':' in the typed stream becomes the class given.
bool PatchMarker(Bytes& bytes, RWClassID into)
{
    for (size_t i = 0; i + 2 < bytes.size(); ++i)
        if (bytes[i] == ':' && bytes[i + 1] == uint8_t(kMarkerClass) && bytes[i + 2] == uint8_t(kMarkerClass >> 8)) {
            bytes[i + 1] = uint8_t(into);
            bytes[i + 2] = uint8_t(into >> 8);
            return true;
        }
    return false;
}

Bytes Native(const RWCollectable* object)
{
    Bytes buffer(8192);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    *holder.GetStream() << object;
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

// The tree as the value of the one association of a list, in the compact form.
Bytes Compact(GObjectBase* tree, uint32_t mode)
{
    MAssociationList list(377);
    list.Add(new MPersistentAssociation(Value(1, 0), tree->DeepCopy(), 0));
    Bytes buffer(8192);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    GSettingsTreeSerializer serializer;
    EXPECT_EQ(1, serializer.Save(&list, *holder.GetStream(), &holder, mode));
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

// The tree as a member of a peripheral's current state.
Bytes InPeripheral(GObjectBase* tree)
{
    GPeripheralComposite peripheral;
    GState* state = new GState(GState::kCurrentStateId);
    state->Add(tree->DeepCopy());
    peripheral.SetCurrentState(state);
    return Native(&peripheral);
}

Bytes Packed(const Bytes& data, bool lzw) { return lzw ? Lzw(data) : Zlib(data); }

// A DEVMODE of the driver carrying the packed bytes.
Bytes Carrying(const Bytes& packed)
{
    TestDriver driver;
    GDriverDevMode devMode(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    EXPECT_EQ(1, devMode.Pack(tree.get()));
    Bytes bytes(GDevModeBase::kTotalSize, 0);
    devMode.CopyOut(reinterpret_cast<DEVMODEW*>(bytes.data()));
    EXPECT_LE(packed.size(), size_t(GDevModeBase::kPackedCapacity));
    bytes[GDevModeBase::kPackedLengthAt] = uint8_t(packed.size());
    bytes[GDevModeBase::kPackedLengthAt + 1] = uint8_t(packed.size() >> 8);
    std::copy(packed.begin(), packed.end(), bytes.begin() + GDevModeBase::kPackedAt);
    return bytes;
}

GObjectBase* FirstValue(GObjectBase* list)
{
    MPersistentAssociation* pair = nullptr;
    GObjectIterator* it = list ? list->CreateIterator() : nullptr;
    if (it && it->Next())
        pair = dynamic_cast<MPersistentAssociation*>(it->Current());
    delete it;
    return pair ? pair->GetValue() : nullptr;
}

// One reader of settings from outside: how it writes the tree, and how it reads the
// bytes back into what it answers, with the tree found in it (null when refused).
struct Reader {
    const char* name;
    Bytes (*encode)(GObjectBase* tree);
    // Reads the bytes; the answer owns what was read, tree points at the tree in it.
    std::unique_ptr<GObjectBase> (*read)(const Bytes& bytes, GObjectBase*& tree);
};

// A DEVMODE carries settings only under their root (360): the tree goes in as its member.
// The settings' root holding the tree, then the resolution that makes it settings.
Bytes UnderSettingsRoot(GObjectBase* tree)
{
    GAttributeComposite root(360);
    root.Add(tree->DeepCopy());
    root.Add(Composite(249, {Value(600, 323), Value(600, 324)}));
    return Native(&root);
}

std::unique_ptr<GObjectBase> ReadDevMode(const Bytes& bytes, GObjectBase*& tree, bool lzw)
{
    TestDriver driver;
    GDriverDevMode devMode(&driver, nullptr);
    const Bytes devModeBytes = Carrying(Packed(bytes, lzw));
    const uint32_t flags = GDevModeBase::kNativeCoding | (lzw ? GDevModeBase::kLzwCodec : 0);
    std::unique_ptr<GObjectBase> read(devMode.UnpackSettings(reinterpret_cast<const DEVMODEW*>(devModeBytes.data()), flags));
    tree = nullptr;
    if (GObjectIterator* it = read ? read->CreateIterator() : nullptr) {
        if (it->Next())
            tree = it->Current();
        delete it;
    }
    return read;
}

std::unique_ptr<GObjectBase> ReadCompact(const Bytes& bytes, uint32_t mode, GObjectBase*& tree)
{
    TestDriver driver;
    GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 1);
    GSettingsTreeSerializer serializer;
    std::unique_ptr<GObjectBase> read(serializer.Load(*holder.GetStream(), &holder, &driver, mode));
    tree = FirstValue(read.get());
    return read;
}

std::unique_ptr<GObjectBase> ReadPrinterData(const Bytes& bytes, uint16_t storedForm, GObjectBase*& tree)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    TestDriver driver(storedForm);
    services.SetPrinterDataBinary(&driver, L"Stored", bytes.data(), uint32_t(bytes.size()));
    std::unique_ptr<GObjectBase> read(services.LoadObjectFromPrinterData(&driver, L"Stored", 0));
    tree = storedForm == 1 ? FirstValue(read.get()) : read.get();
    return read;
}

const Reader kReaders[] = {
    {"DEVMODE, zlib and the native coding", UnderSettingsRoot,
     [](const Bytes& b, GObjectBase*& t) { return ReadDevMode(b, t, false); }},
    {"DEVMODE, LZW and the native coding", UnderSettingsRoot,
     [](const Bytes& b, GObjectBase*& t) { return ReadDevMode(b, t, true); }},
    {"compact form, association of kind 9", [](GObjectBase* t) { return Compact(t, GSettingsTreeSerializer::kPortable); },
     [](const Bytes& b, GObjectBase*& t) { return ReadCompact(b, GSettingsTreeSerializer::kPortable, t); }},
    {"printer data, object graph", [](GObjectBase* t) { return Native(t); },
     [](const Bytes& b, GObjectBase*& t) { return ReadPrinterData(b, 0, t); }},
    {"printer data, compact form", [](GObjectBase* t) { return Compact(t, 1); },
     [](const Bytes& b, GObjectBase*& t) { return ReadPrinterData(b, 1, t); }},
    {"a peripheral's settings", InPeripheral,
     [](const Bytes& b, GObjectBase*& t) {
         GInStreamHolder holder(b.data(), uint32_t(b.size()), 1);
         GObjectBase* read = nullptr;
         {
             TestErrorCapture capture;
             *holder.GetStream() >> read;
         }
         std::unique_ptr<GObjectBase> owned(read);
         GPeripheral* peripheral = dynamic_cast<GPeripheral*>(read);
         GState* state = peripheral ? peripheral->GetCurrentState() : nullptr;
         t = nullptr;
         if (state) {
             GObjectIterator* it = state->CreateIterator();
             if (it && it->Next())
                 t = it->Current();
             delete it;
         }
         return owned;
     }},
};

} // namespace

TEST(SettingsClassList, HoldsTheSettingsClassesAndNoStoreProxyOrLoader)
{
    const RWClassList& list = GSettingsClasses::List();
    for (RWClassID id : {GAttributeComposite::kClassId, GState::kClassId, GValueAttribute::kClassId,
                         GStringAttribute::kClassId, MAssociationList::kClassId, MPersistentAssociation::kClassId})
        EXPECT_TRUE(list.Holds(id)) << id;
    for (RWClassID id : {MPersistentCompositeOnDisk::kClassId, RWClassID(782), GPeripheralProxy::kClassId,
                         RWClassID(780), GPeripheral::kClassId, kUnregisteredClass})
        EXPECT_FALSE(list.Holds(id)) << id;
}

TEST(SettingsClassList, EveryReaderRefusesForeignClassesAtTheRootAndThreeLevelsDown)
{
    const struct {
        const char* what;
        Leaf leaf;
    } leaves[] = {
        {"records store", Leaf::RecordsStore},
        {"peripheral proxy", Leaf::PeripheralProxy},
        {"unregistered class", Leaf::Unregistered},
    };
    for (const Reader& reader : kReaders)
        for (const auto& leaf : leaves)
            for (int depth : {0, 3}) {
                const std::string row = std::string(reader.name) + ", " + leaf.what + " at depth " + std::to_string(depth);
                std::unique_ptr<GObjectBase> tree(MakeTree(leaf.leaf, depth));
                Bytes bytes = reader.encode(tree.get());
                ASSERT_FALSE(bytes.empty()) << row;
                if (leaf.leaf == Leaf::Unregistered) {
                    ASSERT_TRUE(PatchMarker(bytes, kUnregisteredClass)) << row;
                }
                if (leaf.leaf == Leaf::RecordsStore) {
                    ASSERT_TRUE(PatchMarker(bytes, MPersistentCompositeOnDisk::kClassId)) << row;
                }
                GObjectBase* found = nullptr;
                std::unique_ptr<GObjectBase> read = reader.read(bytes, found);
                EXPECT_EQ(nullptr, read.get()) << row;
            }
}

TEST(SettingsClassList, EveryReaderTakesATreeOfSettingsClassesWhole)
{
    for (const Reader& reader : kReaders)
        for (int depth : {0, 3}) {
            const std::string row = std::string(reader.name) + " at depth " + std::to_string(depth);
            std::unique_ptr<GObjectBase> tree(MakeTree(Leaf::Listed, depth));
            GObjectBase* found = nullptr;
            std::unique_ptr<GObjectBase> read = reader.read(reader.encode(tree.get()), found);
            ASSERT_NE(nullptr, read.get()) << row;
            ASSERT_NE(nullptr, found) << row;
            EXPECT_TRUE(found->IsEqual(tree.get())) << row;
            EXPECT_NE(nullptr, found->FindById(903)) << row;
        }
}

// Over every registered class's sample: a class of the list is read back whole under
// the list, with all it holds; any other class is refused before it is made.
TEST(SettingsClassList, EveryRegisteredClassIsReadWholeWhenListedAndRefusedOtherwise)
{
    const RWClassList& list = GSettingsClasses::List();
    size_t listedSeen = 0;
    for (const RegisteredSample& sample : RegisteredSamples()) {
        if (!sample.make)
            continue;
        std::unique_ptr<RWCollectable> object(sample.make());
        ASSERT_NE(nullptr, object.get()) << sample.name;
        const Bytes bytes = Native(object.get());
        GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 1);
        RWCollectable* read = nullptr;
        std::string refusal;
        {
            TestErrorCapture capture;
            GSettingsClasses::Scope settingsOnly;
            *holder.GetStream() >> read;
            for (const std::string& m : capture.Messages()) refusal += m + "; ";
        }
        std::unique_ptr<RWCollectable> owned(read);
        if (list.Holds(object->ClassId())) {
            ++listedSeen;
            // A sample may hold a member of a class that is no setting (a state holding
            // a graphic bundle): the whole read is refused, naming that class.
            unsigned refused = 0;
            if (!read && std::sscanf(refusal.c_str(), "[ID] Unexpected class ID %u", &refused) == 1) {
                EXPECT_FALSE(list.Holds(RWClassID(refused))) << sample.name << ": " << refusal;
                continue;
            }
            ASSERT_NE(nullptr, read) << sample.name << ": " << refusal;
            EXPECT_EQ(bytes, Native(read)) << sample.name;
        } else {
            EXPECT_EQ(nullptr, read) << sample.name;
        }
    }
    EXPECT_GE(listedSeen, list.Ids().size() - 2) << "the list's classes have samples";
}
