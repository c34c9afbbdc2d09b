// The colour-adjustment filter: the options it gives drawings in mode 1, the enhanced
// attribute each page start gets in modes 3 and 4, and when it reads the job's choices.
#include "../model/StoredForms.h"
#include "PageDrawProducer.h"

#include "graphics/GGraphicBundle.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GChromafitOption.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GAAFilter1.h"
#include "pipeline/filters/GAAFilter2.h"
#include "pipeline/filters/GBackCoverFilter.h"
#include "pipeline/filters/GChromafitFilter.h"
#include "pipeline/filters/GFrontCoverFilter.h"
#include "pipeline/filters/GLetterheadFilter.h"
#include "pipeline/filters/GManualDuplexFilter.h"
#include "pipeline/filters/GReducingFilter.h"
#include "pipeline/filters/GReverseFilter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace FeatureId;

class Chromafit : public testing::Test {
protected:
    void Make(uint16_t mode) { filter_.reset(new GChromafitFilter("chromafit", nullptr, nullptr, 0, mode)); }

    // A document start of the producer whose job state holds the attribute (none: null).
    void Start(GObjectBase* choices)
    {
        GDocumentStart* start = new GDocumentStart(L"doc", L"FILE:", &producer_, 0);
        GState* state = new GState(246);
        if (choices)
            state->Add(choices);
        start->AdoptState(state);
        delete filter_->ReceiveCommand(start);
    }

    // The option of the class (790 halftone, 791 colour map) a command's state holds; -1 without.
    static int Option(GCommand* command, RWClassID classId)
    {
        GState* state = command ? command->GetState() : nullptr;
        const GChromafitOption* option = dynamic_cast<const GChromafitOption*>(state ? state->FindByClassId(classId) : nullptr);
        return option ? option->GetValue() : -1;
    }

    static GRectangleGraphic* Rect() { return new GRectangleGraphic(GRect{1, 2, 3, 4}, new GGraphicBundle(0), 0); }

    PageDrawProducer producer_;
    std::unique_ptr<GChromafitFilter> filter_;
};

} // namespace

TEST_F(Chromafit, ModeZeroLetsTheJobPassUntouched)
{
    Make(0);
    Start(nullptr);
    EXPECT_FALSE(filter_->IsActive());
    std::unique_ptr<GCommand> out(filter_->ReceiveCommand(Rect()));
    EXPECT_EQ(-1, Option(out.get(), 790));
}

TEST_F(Chromafit, ModeOneGivesEachDrawingItsObjectsOptions)
{
    const struct {
        const char* name;
        bool choices;
        int halftone, colourMap;
    } cases[] = {
        // A rectangle is vector graphics (object 1): halftone kind 1, colour map kind 0.
        {"with the job's choices", true, 14, 13},
        {"without 295", false, 65535, 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Make(1);
        Start(c.choices ? new GChromafitAttribute(kChromafitChoices, 11, 12, 13, 14, 15, 16) : nullptr);
        std::unique_ptr<GCommand> out(filter_->ReceiveCommand(Rect()));
        EXPECT_EQ(c.halftone, Option(out.get(), 790));
        EXPECT_EQ(c.colourMap, Option(out.get(), 791));
    }
}

// A drawing that carries no state still gets its options, in a graphic state of its own.
TEST_F(Chromafit, ADrawingWithoutAStateGetsAGraphicStateOfItsOwn)
{
    Make(1);
    Start(new GChromafitAttribute(kChromafitChoices, 11, 12, 13, 14, 15, 16));
    GRectangleGraphic* bare = Rect();
    bare->AdoptState(nullptr);
    std::unique_ptr<GCommand> out(filter_->ReceiveCommand(bare));
    ASSERT_NE(nullptr, out->GetState());
    EXPECT_TRUE(out->GetState()->IsKindOf(GGraphicBundle::kClassId));
    EXPECT_EQ(14, Option(out.get(), 790));
}

TEST_F(Chromafit, ModesThreeAndFourGiveEachPageStartOneEnhancedAttribute)
{
    for (uint16_t mode : {3, 4}) {
        SCOPED_TRACE(mode);
        Make(mode);
        Start(new GChromafitEnhancedAttribute(kChromafitChoices, 1, 2, 3, 4, 5, 6, 7, 8));
        std::unique_ptr<GCommand> drawing(filter_->ReceiveCommand(Rect()));
        EXPECT_EQ(-1, Option(drawing.get(), 790)) << "drawings stay as they are";
        std::unique_ptr<GCommand> page(filter_->ReceiveCommand(new GPageStart(new GState(256), 0)));
        GObjectBase* attribute = page->GetState()->FindById(kChromafitChoices);
        ASSERT_NE(nullptr, attribute);
        EXPECT_EQ(mode == 3 ? 797u : 1201u, attribute->ClassId());
        const GChromafitBase* values = static_cast<const GChromafitBase*>(attribute);
        uint8_t value = 0;
        ASSERT_TRUE(values->GetSetting(2, 1, value));
        EXPECT_EQ(6, value);
        ASSERT_TRUE(values->GetSetting(0, 2, value));
        EXPECT_EQ(7, value);
        ASSERT_TRUE(values->GetSetting(0, 3, value));
        EXPECT_EQ(8, value);
        EXPECT_EQ(1u, page->GetState()->Entries());
    }
}

TEST_F(Chromafit, TheChoicesAreReadOncePerDocument)
{
    Make(1);
    Start(new GChromafitAttribute(kChromafitChoices, 11, 12, 13, 14, 15, 16));
    EXPECT_EQ(1, filter_->SettingsRead());
    EXPECT_EQ(14, filter_->GetFirstOption(1));
    // Read: a second look at another state changes nothing.
    GState other(246);
    other.Add(new GChromafitAttribute(kChromafitChoices, 21, 22, 23, 24, 25, 26));
    filter_->ReadSettings(&other);
    EXPECT_EQ(14, filter_->GetFirstOption(1));
    delete filter_->ReceiveCommand(new GDocumentEnd(0));
    EXPECT_EQ(0, filter_->SettingsRead());
    Start(new GChromafitAttribute(kChromafitChoices, 21, 22, 23, 24, 25, 26));
    EXPECT_EQ(24, filter_->GetFirstOption(1));
}

TEST(ChromafitStoredForm, VersionThreeHoldsTheModeAndAnOlderStreamKeepsIt)
{
    GChromafitFilter filter("chromafit", nullptr, nullptr, 0, 4);
    GChromafitFilter plain("chromafit", nullptr, nullptr, 0, 0);
    std::vector<uint8_t> bytes = SavedBytes(&filter);
    ASSERT_GE(bytes.size(), 6u);
    const std::vector<uint8_t> tail(bytes.end() - 6, bytes.end());
    EXPECT_EQ((std::vector<uint8_t>{3, 0, 0, 0, 4, 0}), tail);
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(bytes));
    const GChromafitFilter* restored = dynamic_cast<const GChromafitFilter*>(back.get());
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(4, restored->GetMode());
    // A version-1 stream has no mode word: it reads, and the mode is left as it was.
    bytes.resize(bytes.size() - 2);
    bytes[bytes.size() - 4] = 1;
    std::unique_ptr<RWCollectable> older(RestoredFromBytes(bytes));
    const GChromafitFilter* kept = dynamic_cast<const GChromafitFilter*>(older.get());
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(0, kept->GetMode());
}

TEST(PageFilterStoredForms, EachFilterStoresTheBasePartItsVersionAndItsFields)
{
    const uint32_t base = GReverseFilter(0).BinaryStoreSize() - 4;
    const struct {
        const char* name;
        uint32_t size;
        uint32_t expected;
    } rows[] = {
        {"GManualDuplexFilter", GManualDuplexFilter(0, 5).BinaryStoreSize(), base + 6},
        {"GFrontCoverFilter", GFrontCoverFilter(0).BinaryStoreSize(), base + 4},
        {"GBackCoverFilter", GBackCoverFilter(0).BinaryStoreSize(), base + 4},
        {"GLetterheadFilter", GLetterheadFilter(0).BinaryStoreSize(), base + 4},
        {"GReducingFilter", GReducingFilter(0).BinaryStoreSize(), base + 4},
        {"GChromafitFilter", GChromafitFilter(0).BinaryStoreSize(), base + 6},
        {"GAAFilter1", GAAFilter1(0).BinaryStoreSize(), 0},
        {"GAAFilter2", GAAFilter2(0).BinaryStoreSize(), 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, row.size) << row.name;
}
