#include "settings/serializer/GSettingsTreeSerializer.h"

#include "AllocationWatch.h"
#include "SettingsTestDriver.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/GValue32Attribute.h"
#include "model/MAssociationList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace SettingsTest;

namespace {

typedef std::vector<uint8_t> Bytes;

// A composite with id 7 holding the children, as written in portable mode.
Bytes Container7(const Bytes& children)
{
    Bytes bytes = {0x01, 0x01, 0x00, 0x07, 0x00, uint8_t(children.size() + 4), 0x00};
    bytes.insert(bytes.end(), children.begin(), children.end());
    bytes.push_back(0x00);
    return bytes;
}

Bytes PackedBody(GObjectBase* child, uint32_t mode = kPortable, long holderId = 7)
{
    GAttributeComposite holder(holderId);
    if (child)
        holder.Add(child);
    return Body(Pack(&holder, mode));
}

template <class T>
T* Member(GObjectBase* tree, long id)
{
    GObjectBase* found = tree ? tree->FindById(id) : nullptr;
    return found && found->ClassId() == T::kClassId ? static_cast<T*>(found) : nullptr;
}

uint16_t ValueOf(GObjectBase* tree, long id)
{
    GValueAttribute* value = Member<GValueAttribute>(tree, id);
    return value ? value->GetValue() : 0xDEAD;
}

// Takes the member out of its holder (a direct member of holderId, or of the tree).
void Drop(GObjectBase* tree, long id, long holderId = 0)
{
    GObjectBase* holder = holderId ? tree->FindById(holderId) : tree;
    delete holder->RemoveById(id);
}

} // namespace

TEST(SettingsTreeBytes, PortableRecordsHaveTheirFixedBytes)
{
    EXPECT_EQ(WithLeadIn(Container7({})), Pack(std::unique_ptr<GObjectBase>(Composite(7, {})).get(), kPortable));
    const Bytes empty = {0x01, 0x01, 0x00, 0x07, 0x00, 0x04, 0x00, 0x00};
    EXPECT_EQ(empty, Container7({})) << "an empty container is 8 bytes with length 4";

    GRangeAttribute range(1, 999, 2, 5, 7);
    GFormToTrayDatabase forms(7);
    forms.SetAssociation(1, 2, 3);
    const struct {
        GObjectBase* child;
        Bytes bytes;
    } rows[] = {
        {Value(0, 7), {0x6E, 0x07, 0x00}},
        {Value(20, 7), {0x82, 0x07, 0x00}},
        {Value(21, 7), {0x03, 0x07, 0x00, 0x15, 0x00}},
        {Value(0xFFFF, 7), {0x03, 0x07, 0x00, 0xFF, 0xFF}},
        {Value(0, 0x10005), {0x6E, 0x05, 0x00}},
        {new GStringAttribute("abc", 7), {0x07, 0x07, 0x00, 0x04, 0x00, 0x61, 0x62, 0x63, 0x00}},
        {new GStringAttribute("", 7), {0x07, 0x07, 0x00, 0x01, 0x00, 0x00}},
        {range.DeepCopy(), {0x05, 0x01, 0x00, 0x07, 0x00, 0xE7, 0x03, 0x01, 0x00, 0x02, 0x00, 0x05, 0x00}},
        {forms.DeepCopy(),
         {0x08, 0x01, 0x00, 0x07, 0x00, 0x89, 0x2E, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00,
          0x02, 0x00, 0x00}},
        {new GCustomMediaSize(16385, "C", 3, 0x10203, 5, 7),
         {0x0B, 0x01, 0x00, 0x07, 0x00, 0x01, 0x40, 0x01, 0x00, 0x00, 0x00, 0x43, 0x03, 0x00, 0x03, 0x02, 0x01, 0x00,
          0x05, 0x00, 0x00, 0x00}},
        {new GDisplayStringAttribute(7, 0x1234, "a", "bc"),
         {0x06, 0x01, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x61, 0x34, 0x12, 0x02, 0x00, 0x00, 0x00, 0x62, 0x63}},
        {new GChromafitAttribute(7, 1, 2, 3, 4, 5, 6), {0x04, 0x01, 0x00, 0x07, 0x00, 1, 2, 3, 4, 5, 6}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Container7(row.bytes), PackedBody(row.child)) << int(row.bytes[0]);

    auto* ver2 = new GChromafitEnhancedAttributeVer2(7);
    const int pairs[][2] = {{3, 2}, {0, 0}, {0, 1}, {0, 3}, {1, 0}, {1, 1}, {1, 3}, {2, 0}, {2, 1}, {2, 3}};
    for (const auto& pair : pairs)
        ver2->SetSetting(pair[0], pair[1], uint8_t(10 * pair[0] + pair[1] + 1));
    EXPECT_EQ(Container7({0x14, 0x01, 0x00, 0x07, 0x00, 1, 2, 4, 11, 12, 14, 21, 22, 24, 33}), PackedBody(ver2))
        << "tag 20 in its pair order";
}

TEST(SettingsTreeBytes, NativeModeWidensVersionsAndIds)
{
    EXPECT_EQ(Bytes({0x01, 0x01, 0, 0, 0, 0x07, 0, 0, 0, 0x04, 0x00, 0x00}), PackedBody(nullptr, kNative));
    EXPECT_EQ(Bytes({0x01, 0x01, 0, 0, 0, 0x07, 0, 0, 0, 0x09, 0x00, 0x6E, 0x05, 0x00, 0x01, 0x00, 0x00}),
              PackedBody(Value(0, 0x10005), kNative))
        << "a 32-bit id survives native mode";
    EXPECT_EQ(Bytes({0x02, 0x01, 0, 0, 0, 0x07, 0, 0, 0, 0x04, 0x00, 0x00}),
              Body(Pack(std::unique_ptr<GState>(new GState(7)).get(), kNative)))
        << "a state is tag 2";
}

TEST(SettingsTreeBytes, WriterRefusesWhatTheFormCannotHold)
{
    int result = -1;
    GAttributeComposite tree(7);
    EXPECT_TRUE(Pack(&tree, 2, &result).empty()) << "mode 2 writes nothing";
    EXPECT_EQ(0, result);
    GValueAttribute leaf(1, 7);
    EXPECT_TRUE(Pack(&leaf, kPortable, &result).empty()) << "a leaf is no root: nothing written";
    EXPECT_EQ(0, result);

    // The largest text whose container length still fits 16 bits, one more, and one
    // whose count would wrap.
    for (const auto& row : {std::make_pair(size_t(65523), 1), {65524, 0}, {65535, 0}}) {
        std::unique_ptr<GObjectBase> holder(Composite(7, {new GStringAttribute(std::string(row.first, 'x').c_str(), 8)}));
        const Bytes bytes = Pack(holder.get(), kNative, &result);
        EXPECT_EQ(row.second, result) << row.first << ": refused, never a wrapped count or length";
        if (row.second) {
            ASSERT_EQ(20u + 11 + 7 + row.first + 1 + 1, bytes.size());
            EXPECT_EQ(Bytes({0xFF, 0xFF, 0x07, 0x08, 0, 0, 0, 0xF4, 0xFF}), Bytes(bytes.begin() + 29, bytes.begin() + 38));
        }
    }
    GSettingsTreeSerializer serializer;
    TestDriver driver;
    std::unique_ptr<GObjectBase> tooLong(Composite(7, {new GStringAttribute(std::string(65524, 'x').c_str(), 8)}));
    EXPECT_EQ(nullptr, Unpack(serializer, Pack(tooLong.get(), kNative), &driver, kNative))
        << "a container whose length did not fit is never read";
    // An unserved child is left out and its container goes on.
    std::unique_ptr<GObjectBase> mixed(Composite(7, {new GValue32Attribute(5, 8), Value(0, 9)}));
    EXPECT_EQ(WithLeadIn(Container7({0x6E, 0x09, 0x00})), Pack(mixed.get(), kPortable, &result));
    EXPECT_EQ(1, result);
    // Nesting deeper than the reader takes is refused on writing too.
    for (const auto& row : {std::make_pair(GSettingsTreeSerializer::kMaxDepth, 1),
                            {GSettingsTreeSerializer::kMaxDepth + 1, 0}}) {
        std::unique_ptr<GObjectBase> root(Composite(1, {}));
        GObjectBase* inner = root.get();
        for (int level = 2; level <= row.first; ++level) {
            GObjectBase* next = Composite(level, {});
            inner->Add(next);
            inner = next;
        }
        Pack(root.get(), kPortable, &result);
        EXPECT_EQ(row.second, result) << row.first;
    }
}

TEST(SettingsTreeRoundTrip, BothModesKeepTheDefaultsAndEveryServedClass)
{
    for (uint32_t mode : {kPortable, kNative}) {
        TestDriver driver;
        std::unique_ptr<GObjectBase> tree(DefaultDocument());
        Member<GValueAttribute>(tree.get(), 260)->SetValue(2);
        Member<GRangeAttribute>(tree.get(), 253)->SetValue(12);
        Member<GChromafitEnhancedAttribute>(tree.get(), 208)->SetSetting(3, 3, 9);
        Member<GChromafitEnhancedAttributeVer2>(tree.get(), 1201)->SetSetting(2, 3, 7);
        Member<GFormToTrayDatabase>(tree.get(), 1012)->SetAssociation(1, 2, 3);
        Member<GFormToTrayDatabase>(tree.get(), 1012)->SetAssociation(4, 5, 6);
        Member<GCustomMediaSize>(tree.get(), 775)->SetName("Postcard");
        Member<GDisplayStringAttribute>(tree.get(), 787)->SetDisplayString(GDisplayString(12002, "Legal", "Légal"));
        if (mode == kPortable)
            for (long id : {365, 366, 368, 283})
                Drop(tree.get(), id);
        GSettingsTreeSerializer serializer;
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Pack(tree.get(), mode), &driver, mode));
        ASSERT_TRUE(loaded) << mode;
        EXPECT_TRUE(loaded->IsEqual(tree.get())) << mode;
        EXPECT_EQ(GState::kClassId, loaded->FindById(362)->ClassId()) << "a state stays one";
        EXPECT_EQ(GMediaPool::kClassId, loaded->FindById(189)->ClassId()) << "a pool is never replaced by an enum";
        EXPECT_EQ(1, driver.defaultsMade);
    }
}

TEST(SettingsTreeRoundTrip, TheListsKeepEveryMemberInOrder)
{
    TestDriver driver;
    MAssociationList associations(900);
    associations.Add(new MPersistentAssociation(Value(1, 0), new GStringAttribute("a", 0)));
    associations.Add(new MPersistentAssociation(Value(2, 0), Value(7, 0)));
    associations.Add(new MPersistentAssociation(Value(3, 0), new GSelectionString("sel", 3)));
    associations.Add(new MPersistentAssociation(Value(4, 0), new GRangeAttribute(0, 9, 1, 4, 0)));
    GResourceMappingList mappings(85);
    mappings.AppendStored(new GResourceMapping(5, 16690, 50, 1));
    mappings.AppendStored(new GResourceMapping(5, 16690, 50, 2));
    mappings.AppendStored(new GResourceMapping(6, 16691, 51, 3));
    GDeviceFontListComposite fonts;
    fonts.Add(new GDeviceFontList(3));
    fonts.Add(new GDeviceFontList(4));
    for (uint32_t mode : {kPortable, kNative})
        for (const GObjectBase* list : {static_cast<const GObjectBase*>(&associations),
                                        static_cast<const GObjectBase*>(&mappings),
                                        static_cast<const GObjectBase*>(&fonts)}) {
            GSettingsTreeSerializer serializer;
            std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Pack(list, mode), &driver, mode));
            ASSERT_TRUE(loaded) << list->ClassId() << " " << mode;
            EXPECT_TRUE(loaded->IsEqual(list)) << list->ClassId() << " " << mode;
        }
}

TEST(SettingsTreeMerge, StoredTreesAreMergedWithTheDefaults)
{
    TestDriver driver;
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    Drop(tree.get(), 291, 362);
    tree->FindById(362)->ReplaceById(260, std::unique_ptr<GObjectBase>(new GStringAttribute("x", 260)).get());
    tree->FindById(1101)->Add(Value(3, 9999));
    tree->FindById(1101)->Add(new GStringAttribute("changed", 9998));
    tree->FindById(701)->Add(new GStringAttribute("Legal", 703));
    tree->FindById(701)->Add(Value(1, 704));
    tree->FindById(314)->Add(new GStringAttribute("Bond", 316));
    Member<GValueAttribute>(tree.get(), 64)->SetValue(9);
    tree->FindById(63)->Add(Value(1, 65));
    Member<GValueAttribute>(tree.get(), 318)->SetValue(7);
    tree->Add(new GValue32Attribute(5, 790));
    tree->Add(Value(4, 4444));

    for (uint32_t mode : {kPortable, kNative}) {
        GSettingsTreeSerializer serializer;
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Pack(tree.get(), mode), &driver, mode));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(1, ValueOf(loaded.get(), 291)) << "a missing child is completed";
        EXPECT_EQ(1, ValueOf(loaded.get(), 260)) << "a child of another class is dropped";
        EXPECT_EQ(3, ValueOf(loaded.get(), 9999)) << "all of the change list is kept";
        EXPECT_TRUE(Member<GStringAttribute>(loaded.get(), 9998));
        EXPECT_TRUE(Member<GStringAttribute>(loaded.get(), 703)) << "strings of 701 are kept";
        EXPECT_TRUE(Member<GStringAttribute>(loaded.get(), 316)) << "strings of 314 are kept";
        EXPECT_EQ(nullptr, loaded->FindById(704)) << "only strings";
        EXPECT_EQ(5, ValueOf(loaded.get(), 64)) << "nothing stored in 63 is kept";
        EXPECT_EQ(nullptr, loaded->FindById(65));
        EXPECT_EQ(nullptr, loaded->FindById(4444)) << "no default, not kept";
        EXPECT_EQ(nullptr, loaded->FindById(790)) << "an unserved child is left out";
        EXPECT_EQ(nullptr, loaded->FindById(380)) << "the watermark template is not completed";
        EXPECT_EQ(nullptr, loaded->FindById(0x40000019)) << "nor the custom-size template";
        if (mode == kPortable)
            for (long id : {365, 366, 368, 283})
                EXPECT_EQ(nullptr, loaded->FindById(id)) << id << ": left to the native coding";
        else
            EXPECT_EQ(7, ValueOf(loaded.get(), 318)) << "kept in native mode";
        // The defaults stay as they were built.
        std::unique_ptr<GObjectBase> before(serializer.Defaults()->DeepCopy());
        std::unique_ptr<GObjectBase> again(Unpack(serializer, Pack(tree.get(), mode), &driver, mode));
        EXPECT_TRUE(serializer.Defaults()->IsEqual(before.get()));
        auto* defaults = const_cast<GAttributeComposite*>(serializer.Defaults());
        EXPECT_TRUE(defaults->FindById(380) && defaults->FindById(0x40000019));
    }
}

TEST(SettingsTreeMerge, RepeatedIdsMarkOneDefaultEach)
{
    TestDriver driver;
    auto entry = [](uint16_t value) { return Composite(0, {Value(value, 500)}); };
    const struct {
        int entries;
        uint32_t expected;
    } rows[] = {{0, 1}, {1, 1}, {3, 3}};
    for (const auto& row : rows) {
        std::unique_ptr<GObjectBase> list(Composite(0x40000047, {}));
        for (int i = 0; i < row.entries; ++i)
            list->Add(entry(uint16_t(10 + i)));
        GSettingsTreeSerializer serializer;
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Pack(list.get(), kNative), &driver, kNative));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(row.expected, loaded->Entries()) << row.entries;
        GObjectBase* first = static_cast<GAttributeComposite*>(loaded.get())->At(0);
        EXPECT_EQ(row.entries ? 10 : 1, ValueOf(first, 500));
        EXPECT_EQ(2, ValueOf(first, 501)) << "the entry completed from the template";
        EXPECT_TRUE(Member<GStringAttribute>(first, 376) && Member<GValueAttribute>(first, 1124));
    }
    // Two stored choices of an enumeration mark two default choices: none is added again.
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    GSettingsTreeSerializer serializer;
    std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Pack(tree.get(), kNative), &driver, kNative));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(2u, loaded->FindById(300)->Entries());
}

TEST(SettingsTreeHostile, DamagedStreamsFailCleanly)
{
    TestDriver driver;
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    const Bytes good = Pack(tree.get(), kPortable);
    GSettingsTreeSerializer serializer;
    delete Unpack(serializer, good, &driver, kPortable);
    for (size_t i = 0; i < 20; ++i) {
        Bytes bad = good;
        bad[i] = 0x72;
        EXPECT_EQ(nullptr, Unpack(serializer, bad, &driver, kPortable)) << "lead-in byte " << i;
    }
    EXPECT_EQ(nullptr, Unpack(serializer, good, &driver, 2));
    // The root's length: below 4, or ending past the data.
    for (uint16_t length : {0, 1, 3, 0xFFFF}) {
        Bytes bad = good;
        bad[25] = uint8_t(length), bad[26] = uint8_t(length >> 8);
        EXPECT_EQ(nullptr, Unpack(serializer, bad, &driver, kPortable)) << length;
    }
    // The largest length that stays inside the data passes.
    Bytes longest = good;
    const size_t largest = good.size() - 25 + 1;
    longest[25] = uint8_t(largest), longest[26] = uint8_t(largest >> 8);
    EXPECT_NE(nullptr, std::unique_ptr<GObjectBase>(Unpack(serializer, longest, &driver, kPortable)));
    longest[25] = uint8_t(largest + 1), longest[26] = uint8_t((largest + 1) >> 8);
    EXPECT_EQ(nullptr, Unpack(serializer, longest, &driver, kPortable));
}

TEST(SettingsTreeHostile, ADamagedChildCostsOnlyTheRestOfItsContainer)
{
    TestDriver driver;
    GSettingsTreeSerializer serializer;
    // 362 holding 260 = 2, a damaged record, then 291 = 0: 291 comes from the defaults.
    auto job = [](const Bytes& damaged) {
        Bytes children = {0x70, 0x04, 0x01};
        children.insert(children.end(), damaged.begin(), damaged.end());
        children.insert(children.end(), {0x6E, 0x23, 0x01});
        Bytes bytes = {0x02, 0x01, 0x00, 0x6A, 0x01, uint8_t(children.size() + 4), 0x00};
        bytes.insert(bytes.end(), children.begin(), children.end());
        bytes.push_back(0);
        return WithLeadIn(bytes);
    };
    AllocationWatch::ResetLargest();
    const struct {
        const char* what;
        Bytes damaged;
    } rows[] = {
        {"tag 13", {0x0D}},
        {"display string of length 0xFFFFFFFF", {0x06, 0x01, 0x00, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"string count 0xFFFF", {0x07, 0x05, 0x00, 0xFF, 0xFF}},
        {"version 2", {0x05, 0x02, 0x00, 0xFD, 0x00}},
        {"nested length 3", {0x01, 0x01, 0x00, 0xF9, 0x00, 0x03, 0x00, 0x00}},
        {"nested length 0xFFFF", {0x01, 0x01, 0x00, 0xF9, 0x00, 0xFF, 0xFF, 0x00}},
        {"tag 17 inside a container", {0x11}},
    };
    for (const auto& row : rows) {
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, job(row.damaged), &driver, kPortable));
        ASSERT_TRUE(loaded) << row.what;
        EXPECT_EQ(2, ValueOf(loaded.get(), 260)) << row.what;
        EXPECT_EQ(1, ValueOf(loaded.get(), 291)) << row.what << ": later siblings from the defaults";
    }
    EXPECT_LT(AllocationWatch::Largest(), size_t(1) << 16) << "no allocation sized by a damaged count";

    // The colour-adjustment records of tags 19 and 20 are read whatever their version.
    {
        Bytes record = {0x13, 0x07, 0x00, 0xD0, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
        std::unique_ptr<GObjectBase> read(Unpack(serializer, job(record), &driver, kPortable));
        ASSERT_TRUE(read);
        GChromafitEnhancedAttribute* kept = Member<GChromafitEnhancedAttribute>(read.get(), 208);
        uint8_t value = 0;
        ASSERT_TRUE(kept && kept->GetSetting(3, 3, value));
        EXPECT_EQ(8, value) << "version 7 read";
    }
    // A string count of 0 reads no text; the next sibling is read.
    std::unique_ptr<GObjectBase> loaded(Unpack(serializer, job({0x07, 0x02, 0x03, 0x00, 0x00}), &driver, kPortable));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(nullptr, loaded->FindById(0x0302)) << "no default of 362: dropped";
    EXPECT_EQ(0, ValueOf(loaded.get(), 291)) << "the next sibling read as stored";
}

TEST(SettingsTreeHostile, NestingPastTheLimitIsAFailedChild)
{
    struct DeepDriver : GDriverObject {
        GObjectBase* CreateDefaultSettings() override
        {
            GObjectBase* inner = Composite(2000 + 40, {Value(0, 1999)});
            for (int level = 39; level >= 1; --level)
                inner = Composite(2000 + level, {inner, Value(0, 1999)});
            return inner;
        }
    } driver;
    for (const auto& row : {std::make_pair(GSettingsTreeSerializer::kMaxDepth, 9), {GSettingsTreeSerializer::kMaxDepth + 1, 0}}) {
        // Built as bytes: the writer refuses what the reader would not take.
        Bytes body;
        for (int level = 1; level <= row.first; ++level)
            body.insert(body.end(), {0x01, 0x01, 0x00, uint8_t(2000 + level), uint8_t((2000 + level) >> 8), 0, 0});
        body.insert(body.end(), {0x77, 0xCF, 0x07});
        for (int level = row.first; level >= 1; --level)
            body.push_back(0);
        for (int level = 1; level <= row.first; ++level) {
            const size_t at = size_t(level - 1) * 7 + 5;
            const size_t length = body.size() - level + 1 - at + 1;
            body[at] = uint8_t(length), body[at + 1] = uint8_t(length >> 8);
        }
        GSettingsTreeSerializer serializer;
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, WithLeadIn(body), &driver, kPortable));
        ASSERT_TRUE(loaded) << row.first;
        EXPECT_EQ(row.second, ValueOf(loaded->FindById(2000 + row.first), 1999)) << row.first;
    }
    // Thousands of levels, as a large stored value could hold: read without a deep stack,
    // the level past the limit failing inside the data.
    Bytes deep;
    for (int level = 1; level <= 20000; ++level) {
        const int id = 2000 + (level < 40 ? level : 40);
        deep.insert(deep.end(), {0x01, 0x01, 0x00, uint8_t(id), uint8_t(id >> 8), 0xFF, 0xFF});
    }
    GSettingsTreeSerializer serializer;
    std::unique_ptr<GObjectBase> loaded(Unpack(serializer, WithLeadIn(deep), &driver, kPortable));
    EXPECT_TRUE(!loaded || loaded->GetId() == 2001);
}

TEST(SettingsTreeHostile, EveryPrefixGivesNullOrATreeAndLeaksNothing)
{
    TestDriver driver;
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    for (uint32_t mode : {kPortable, kNative}) {
        const Bytes good = Pack(tree.get(), mode);
        GSettingsTreeSerializer serializer;
        delete Unpack(serializer, good, &driver, mode);
        const long live = AllocationWatch::Live();
        for (size_t n = 0; n < good.size(); ++n) {
            std::unique_ptr<GObjectBase> loaded(Unpack(serializer, Bytes(good.begin(), good.begin() + n), &driver, mode));
            EXPECT_EQ(nullptr, loaded) << n << ": the root's length reaches past every prefix";
        }
        EXPECT_EQ(live, AllocationWatch::Live()) << mode;
    }
    // Lists: a member cut short fails the list.
    MAssociationList associations(900);
    associations.Add(new MPersistentAssociation(Value(1, 0), new GStringAttribute("abc", 0)));
    const Bytes list = Pack(&associations, kPortable);
    GSettingsTreeSerializer serializer;
    for (size_t n = 0; n < list.size(); ++n)
        EXPECT_EQ(nullptr, Unpack(serializer, Bytes(list.begin(), list.begin() + n), &driver, kPortable)) << n;
}

TEST(SettingsTreeHostile, ListMembersOfAnotherClassFailTheList)
{
    TestDriver driver;
    GSettingsTreeSerializer serializer;
    // An association with an unknown value kind, then one whose value is a stored object.
    const Bytes association = {0x0F, 0x01, 0x00, 0x84, 0x03, 0x00, 0x00,
                               0x11, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x00, 0x00};
    EXPECT_EQ(nullptr, Unpack(serializer, WithLeadIn(association), &driver, kPortable)) << "kind 5";
    // A font-list record whose object is a string attribute.
    Bytes fonts = {0x0C, 0x01, 0x00, 0x9E, 0x01, 0x00, 0x00, 0x0E, 0x03, 0x00};
    GStringAttribute text("t", 1);
    std::vector<uint8_t> buffer(256);
    GOutStreamHolder holder(buffer.data(), 256, 1);
    *holder.GetStream() << static_cast<const RWCollectable*>(&text);
    holder.GetStream()->Flush();
    fonts.insert(fonts.end(), buffer.begin(), buffer.begin() + holder.Tell());
    fonts.push_back(0);
    EXPECT_EQ(nullptr, Unpack(serializer, WithLeadIn(fonts), &driver, kPortable));
    // The same bytes as the value of an association are a model object: kept.
    Bytes withObject(association.begin(), association.end() - 3);
    withObject.insert(withObject.end(), {0x09, 0x00});
    withObject.insert(withObject.end(), buffer.begin(), buffer.begin() + holder.Tell());
    withObject.push_back(0);
    std::unique_ptr<GObjectBase> loaded(Unpack(serializer, WithLeadIn(withObject), &driver, kPortable));
    ASSERT_TRUE(loaded);
    const GValueAttribute key(1, 0);
    EXPECT_TRUE(static_cast<MAssociationList*>(loaded.get())->GetValue(&key) != nullptr);
}

TEST(SettingsTreeThreads, OneSerializerServesManyThreadsWithDefaultsBuiltOnce)
{
    TestDriver driver;
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    const Bytes bytes[2] = {Pack(tree.get(), kPortable), Pack(tree.get(), kNative)};
    GSettingsTreeSerializer serializer;
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const uint32_t mode = uint32_t((t + i) % 2);
                std::unique_ptr<GObjectBase> loaded(Unpack(serializer, bytes[mode], &driver, mode));
                good += loaded && ValueOf(loaded.get(), 260) == 1;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(160, good.load());
    EXPECT_EQ(1, driver.defaultsMade);
}
