// The paper-handling devices with their options, trays and bins: selection rules, the
// versions of the stored forms, and damaged data.
#include "model/GAttributeComposite.h"
#include "model/GCountedRef.h"
#include "model/GObjectIterator.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"
#include "printer/GBin.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A configuration of n trays.
GAttributeComposite* Trays(uint16_t n)
{
    GAttributeComposite* configuration = new GAttributeComposite(91);
    for (uint16_t i = 0; i < n; ++i)
        configuration->Add(new GTray("Tray", uint16_t(i + 1), 92));
    return configuration;
}

std::vector<uint16_t> Options(const GPaperHandlingDevice& device)
{
    std::vector<uint16_t> ids{99};
    device.ListOptions(ids);
    return ids;
}

uint32_t Iterated(GPaperHandlingDevice& device)
{
    std::unique_ptr<GObjectIterator> it(device.CreateIterator());
    uint32_t n = 0;
    while (it->Next())
        ++n;
    return n;
}

// The stored form with its version word (after the 20-byte attribute part) replaced.
std::vector<uint8_t> WithVersion(std::vector<uint8_t> bytes, uint8_t version)
{
    bytes[20] = version;
    return bytes;
}

} // namespace

TEST(GPaperHandlingDeviceOptions, ModeCountAndSelectionRules)
{
    GPaperHandlingDevice fixed("Fixed", GPaperHandlingDevice::kInput, 0, 5, 1, 0, 90);
    EXPECT_EQ(1u, fixed.GetCount());
    EXPECT_EQ(0, fixed.SetCount(3));
    EXPECT_EQ(1u, fixed.GetCount());

    GPaperHandlingDevice device("Feeder", GPaperHandlingDevice::kInput, 1, 1, 2, 1, 90);
    EXPECT_EQ(0u, Iterated(device));
    device.SetOption(0, Trays(2));
    EXPECT_EQ(0, device.GetSelectedOption());
    EXPECT_EQ(2u, Iterated(device));
    device.SetOption(2, Trays(3));
    device.SetOption(17, Trays(0));
    device.SetOption(1, nullptr);
    device.SetOption(2, Trays(4));
    EXPECT_EQ(4u, device.GetOptionCount());
    EXPECT_EQ((std::vector<uint16_t>{0, 17, 1, 2}), Options(device));
    EXPECT_EQ(2u, device.GetSmallestEntries());
    EXPECT_EQ(4u, device.GetLargestEntries());
    // Selection 0 still counts as none selected for a further option.
    EXPECT_EQ(2, device.GetSelectedOption());
    EXPECT_EQ(4u, device.GetSelectedEntries());
    EXPECT_EQ(0, device.SelectOption(3));
    EXPECT_EQ(1, device.SelectOption(1));
    EXPECT_EQ(0u, Iterated(device));

    // The removed selection moves to the first option left, bucket order then chain
    // order, that has a configuration: 17 (bucket 1) before 1 (none) and 2.
    EXPECT_EQ(1, device.SelectOption(0));
    std::unique_ptr<GObjectBase> removed(device.RemoveOption(0));
    ASSERT_NE(nullptr, removed);
    EXPECT_EQ(2u, removed->Entries());
    EXPECT_EQ(17, device.GetSelectedOption());
    EXPECT_EQ(nullptr, device.RemoveOption(0));
    // Removing an option that is not selected leaves the selection alone, even one
    // without a configuration before options that have one.
    EXPECT_EQ(1, device.SelectOption(1));
    removed.reset(device.RemoveOption(17));
    ASSERT_NE(nullptr, removed);
    EXPECT_EQ(1, device.GetSelectedOption());
    EXPECT_EQ((std::vector<uint16_t>{1, 2}), Options(device));

    std::unique_ptr<GPaperHandlingDevice> copy(device.Copy());
    EXPECT_EQ(device.FindOption(2), copy->FindOption(2));
    EXPECT_TRUE(copy->IsSame(&device));
}

// The display string of a tray, a bin and a device lives inside it, as made, as read
// (a default object) and as copied: a counted holder that lets it go never deletes it.
TEST(GPaperHandlingDeviceOptions, EmbeddedDisplayStringsAreDeletedByTheirOwnerOnly)
{
    const GTray tray, fullTray(3, "Tray 3", 3, 1, 2, 500, 20, nullptr, "Tray 3", "Alt", 92);
    const GBin bin, fullBin(5, "Top", 1, 1, 2, 250, 3, 1, 6, "Top", "Up", 93);
    const GPaperHandlingDevice device,
        fullDevice(12, "Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 1, "Feeder", "Alt", 90);
    const std::unique_ptr<GTray> trayCopy(fullTray.Copy());
    const std::unique_ptr<GBin> binCopy(fullBin.Copy());
    const std::unique_ptr<GPaperHandlingDevice> deviceCopy(fullDevice.Copy());
    const struct {
        const char* what;
        const GDisplayString& display;
    } rows[] = {
        {"tray", tray.GetDisplayString()},     {"tray copy", trayCopy->GetDisplayString()},
        {"bin", bin.GetDisplayString()},       {"bin copy", binCopy->GetDisplayString()},
        {"device", device.GetDisplayString()}, {"device copy", deviceCopy->GetDisplayString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        GDisplayString* display = const_cast<GDisplayString*>(&row.display);
        ASSERT_TRUE(display->IsEmbedded());
        GObjectBase::Drop(display);
        { GCountedRef holder(display); }
        EXPECT_EQ(-1, display->References());
    }
}

TEST(GPaperHandlingDeviceStore, OlderVersionsTakeDefaultsAndNewerOnesAreNotRead)
{
    for (uint16_t options : {3, 1}) {
        GPaperHandlingDevice device("Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 90);
        for (uint16_t id = 1; id <= options; ++id)
            device.SetOption(id, Trays(id));
        const std::vector<uint8_t> whole = GutsBytes(device);
        const size_t tail = 8 + device.GetDisplayString().RecursiveStoreSize();
        GPaperHandlingDevice restored;
        RestoreGutsFrom(restored, WithVersion(Prefix(whole, whole.size() - tail), 1));
        EXPECT_EQ(options, restored.GetOptionCount());
        EXPECT_EQ(1u, restored.GetDetection());
        EXPECT_EQ(options >= 2 ? 1u : 0u, restored.GetQuerySelect());
    }
    GPaperHandlingDevice device("Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 90);
    device.SetOption(16, Trays(1));
    device.SetOption(0, Trays(2));
    device.SelectOption(0);
    GPaperHandlingDevice untouched("Other", GPaperHandlingDevice::kOutput, 1, 4, 2, 1, 90);
    const std::vector<uint8_t> newer = WithVersion(GutsBytes(device), 3);
    const FileEnd end = RestoreGutsAndMeasure(untouched, newer);
    EXPECT_EQ(long(newer.size() - 24), end.left);
    EXPECT_EQ(4u, untouched.GetCount());
    EXPECT_EQ("Other", untouched.GetName());

    // The stored selection is kept as it is, 0 included, with the order of the chains.
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &device);
        GPaperHandlingDevice* copy = dynamic_cast<GPaperHandlingDevice*>(back.get());
        ASSERT_NE(nullptr, copy) << medium;
        EXPECT_EQ(0, copy->GetSelectedOption());
        EXPECT_EQ((std::vector<uint16_t>{16, 0}), Options(*copy));
        EXPECT_EQ(2u, copy->GetSelectedEntries());
    }
}

// A stored configuration that is no composite is dropped; its option stays, empty.
TEST(GPaperHandlingDeviceStore, ForeignConfigurationsAndHugeCountsEndCleanly)
{
    GPaperHandlingDevice device("Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 90);
    device.SetOption(4, Trays(1));
    GPaperHandlingDevice withValue(device);
    withValue.SetOption(5, new GValueAttribute(1, 0));
    GPaperHandlingDevice restored;
    RestoreGutsFrom(restored, GutsBytes(withValue));
    EXPECT_EQ(2u, restored.GetOptionCount());
    EXPECT_EQ(nullptr, restored.FindOption(5));
    EXPECT_EQ(1u, restored.GetLargestEntries());

    GPaperHandlingDevice plain("Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 90);
    std::vector<uint8_t> counted = GutsBytes(plain);
    const size_t countAt = 20 + 4 + 4 + 6 + 12 + 2;
    counted[countAt + 3] = 0x40;
    GPaperHandlingDevice target("Kept", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 90);
    target.SetOption(8, Trays(1));
    const FileEnd end = RestoreGutsAndMeasure(target, counted);
    EXPECT_TRUE(end.eof);
    EXPECT_EQ("Kept", target.GetName());
    EXPECT_EQ(1u, target.GetOptionCount());
}

TEST(GTrayLevels, LevelStaysBelowTheLimit)
{
    const struct {
        int32_t limit, level, result, stored;
    } rows[] = {{500, 499, 1, 499}, {500, 600, 0, -1}, {500, 500, 0, -1}, {-1, 0, 0, -1}};
    for (const auto& row : rows) {
        GTray tray("Tray 2", 2, 0, 0, row.limit, -1, nullptr, 92);
        GBin bin(0, "Bin", 1, 0, 0, row.limit, -1, 0, 0, nullptr, nullptr, 93);
        EXPECT_EQ(row.result, tray.SetLevel(row.level)) << row.limit << " " << row.level;
        EXPECT_EQ(row.stored, tray.GetLevel());
        EXPECT_EQ(row.result, bin.SetLevel(row.level));
    }
}

TEST(GTrayMedia, OwnedMediaIsCopiedReplacedAndReadBackOnlyWithItsFlag)
{
    GMedia* media = new GMedia;
    GTray tray("Tray 1", 1, 0, 0, 500, 10, media, 92);
    tray.SetMedia(media);
    tray = tray;
    ASSERT_EQ(media, tray.GetMedia());
    GTray copy(tray);
    EXPECT_NE(media, copy.GetMedia());
    EXPECT_TRUE(copy.IsSame(&tray));

    GTray bare("Tray 1", 1, 92);
    RestoreGutsFrom(tray, GutsBytes(bare));
    EXPECT_EQ(nullptr, tray.GetMedia());
    EXPECT_TRUE(tray.IsSame(&bare));
    std::unique_ptr<GMedia> released(copy.ReleaseMedia());
    EXPECT_NE(nullptr, released);
    EXPECT_EQ(nullptr, copy.GetMedia());
}

// One media named by two trays is shared after the read, not freed twice; a stored
// media of another class counts as none.
TEST(GTrayMedia, DamagedMediaReferencesAreSharedOrDropped)
{
    MPersistentComposite pair;
    GTray* first = new GTray("A", 1, 92);
    GTray* second = new GTray("B", 2, 92);
    GMedia* media = new GMedia;
    first->SetMedia(media);
    second->SetMedia(media);
    pair.Add(first);
    pair.Add(second);
    std::unique_ptr<GObjectBase> back = AsModel(RestoredFromBytes(SavedBytes(&pair)));
    ASSERT_NE(nullptr, back);
    GTray* a = static_cast<GTray*>(back->FindById(92));
    ASSERT_EQ(2u, back->Entries());
    EXPECT_EQ(a->GetMedia(), static_cast<GTray*>(static_cast<MPersistentComposite*>(back.get())->At(1))->GetMedia());
    back.reset();

    GTray bare("A", 1, 92);
    const std::vector<uint8_t> plain = GutsBytes(bare);
    const size_t flagAt = 20 + 4 + 4 + 1 + 2 + 16;
    GValueAttribute foreign(3, 0);
    std::vector<uint8_t> bytes = Prefix(plain, flagAt);
    bytes = Joined(bytes, {1, 0, 0, 0});
    const std::vector<uint8_t> object = SavedBytes(&foreign);
    bytes.insert(bytes.end(), object.begin(), object.end());
    bytes.insert(bytes.end(), plain.begin() + long(flagAt + 4), plain.end());
    GTray target("A", 1, 92);
    target.SetMedia(new GMedia);
    const FileEnd end = RestoreGutsAndMeasure(target, bytes);
    EXPECT_EQ(0, end.left);
    EXPECT_EQ(nullptr, target.GetMedia());
}
