// The paper-handling classes as stored objects: registered, sized as written, read back
// the same on every medium, and every cut of their stored forms ends cleanly.
#include "model/GAttributeComposite.h"
#include "printer/GBin.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GFormToTrayAssociation.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMarginPool.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include "../model/Registered.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

GMedia* SampleMedia(uint16_t mediaId)
{
    return new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, mediaId, 600, 600, 190, 7, "f", "Bond");
}

GObjectBase* SampleDevice()
{
    GPaperHandlingDevice* device =
        new GPaperHandlingDevice(12, "Feeder", GPaperHandlingDevice::kInput, 1, 1, 3, 1, "Feeder", "Alt", 90);
    GAttributeComposite* trays = new GAttributeComposite(91);
    trays->Add(new GTray(3, "Tray 3", 3, 1, 2, 500, 20, SampleMedia(1), "Tray 3", nullptr, 92));
    trays->Add(new GTray("Tray 4", 4, 92));
    device->SetOption(2, trays);
    device->SetOption(18, new GAttributeComposite(91));
    device->SetOption(7, nullptr);
    return device;
}

GObjectBase* SampleDatabase()
{
    GFormToTrayDatabase* database = new GFormToTrayDatabase(510);
    database->SetAssociationNamed(1, 2, 3, L"Letter");
    database->SetAssociation(9, 0, 11913);
    return database;
}

struct Sample {
    RWClassID id;
    const char* name;
    GObjectBase* (*make)();
};

const Sample kSamples[] = {
    {1002, "GMedia", [] { return static_cast<GObjectBase*>(SampleMedia(1)); }},
    {1006, "GMediaPool",
     [] {
         GMediaPool* pool = new GMediaPool(190);
         pool->Add(SampleMedia(1));
         pool->Add(SampleMedia(2));
         return static_cast<GObjectBase*>(pool);
     }},
    {775, "GCustomMediaSize",
     [] { return static_cast<GObjectBase*>(new GCustomMediaSize(300, "Mine", 1, 210, 297, 192)); }},
    {1014, "GMarginPool",
     [] {
         GMarginPool* pool = new GMarginPool(959);
         GMarginEntry entry = {};
         entry.byOrientation[3] = {1, 2, 3, 4};
         pool->AddEntry(&entry);
         pool->AddEntry(&entry);
         return static_cast<GObjectBase*>(pool);
     }},
    {1010, "GPaperHandlingDevice", SampleDevice},
    {1001, "GTray",
     [] { return static_cast<GObjectBase*>(new GTray(3, "T", 3, 1, 2, 500, 20, SampleMedia(4), "T", "U", 92)); }},
    {1009, "GBin",
     [] { return static_cast<GObjectBase*>(new GBin(5, "Top", 1, 1, 2, 250, 3, 1, 6, "Top", "Up", 93)); }},
    {1012, "GFormToTrayDatabase", SampleDatabase},
    {1013, "GFormToTrayAssociation",
     [] { return static_cast<GObjectBase*>(new GFormToTrayAssociation(1, 2, 3, L"A4")); }},
};

} // namespace

TEST(PaperHandlingStore, RegisteredSizedAndReadBackOnEveryMedium)
{
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.name);
        EXPECT_TRUE(IsRegistered(sample.id, sample.name));
        std::unique_ptr<GObjectBase> object(sample.make());
        EXPECT_TRUE(StoreSizeMatches(*object));
        for (Medium medium : kAllMedia) {
            std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, object.get());
            ASSERT_NE(nullptr, back) << medium;
            EXPECT_TRUE(back->IsSame(object.get())) << medium;
            EXPECT_EQ(SavedBytes(object.get()), SavedBytes(back.get())) << medium;
        }
    }
}

TEST(PaperHandlingStore, EveryCutEndsCleanly)
{
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.name);
        std::unique_ptr<GObjectBase> object(sample.make());
        const std::vector<uint8_t> whole = SavedBytes(object.get());
        for (size_t size = 0; size < whole.size(); ++size) {
            TestErrorCapture capture;
            std::unique_ptr<RWCollectable> back(RestoredFromBytes(Prefix(whole, size)));
        }
        for (StreamKind kind : {StreamKind::Portable, StreamKind::Binary, StreamKind::Endian}) {
            const std::string text = StreamFormOf(kind, *object);
            for (size_t cut = 1; cut <= text.size(); ++cut) {
                std::unique_ptr<GObjectBase> target(static_cast<GObjectBase*>(object->CreateNew()));
                TestErrorCapture capture;
                EXPECT_FALSE(RestoreStreamForm(kind, *target, WithoutLast(text, cut))) << kind << " " << cut;
            }
        }
    }
}
