// What the producer reads from the settings, the printer configuration and the device's
// capabilities: the writer's configuration, the PostScript and raster modes, page
// scaling, flags C and D, the job state's media and colour rules, the page's media,
// letterhead and scale, the media look-ups, and the job name's code page and ranges.
#include "ProducerTestBed.h"

#include "graphics/GTransformAttribute.h"
#include "model/GBinaryData.h"
#include "model/GCapabilities.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GConfiguration.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/MAssociationList.h"
#include "model/MPersistentComposite.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/postscript/GPostScript.h"
#include "pipeline/GPageStart.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace FeatureId;

namespace {

// A capability set (112) holding one capability per id with the bits given.
GObjectBase* Capabilities(std::initializer_list<std::pair<long, std::vector<uint32_t>>> capabilities)
{
    GConfiguration* set = new GConfiguration(kCapabilitySet);
    for (const auto& capability : capabilities) {
        GCapabilities* bits = new GCapabilities(capability.first, 16);
        for (uint32_t bit : capability.second)
            bits->Set(bit);
        set->Add(bits);
    }
    return set;
}

// A page filter that answers the scale it is given and keeps what it was asked with.
struct ScalingStage : GPersistent<ScalingStage, GPeripheral, 4211> {
    static constexpr const char* kClassName = "ProducerTestScalingStage";
    ScalingStage* CreateNew() const override { return new ScalingStage; }
    ScalingStage* Copy() const override { return new ScalingStage(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    std::pair<float, float> GetScale(void* job, void* page, void* number, uint32_t* kind) override
    {
        ++asked;
        jobState = static_cast<GObjectBase*>(job);
        pageState = static_cast<GObjectBase*>(page);
        pageMark = uint32_t(reinterpret_cast<uintptr_t>(number));
        kindIn = kind ? *kind : 99;
        return scale;
    }
    std::pair<float, float> scale{1.0f, 1.0f};
    int asked = 0;
    GObjectBase* pageState = nullptr;
    GObjectBase* jobState = nullptr;
    uint32_t pageMark = 0;
    uint32_t kindIn = 0;
};

// A code page of the tests: ASCII as it is, U+00FC and U+00E9 to their nearest letters,
// anything else to '?'; back again byte by byte.
struct NearestLetterConverter : GTextConverter {
    uint16_t ToWide(uint8_t code, uint8_t) override { return code; }
    uint32_t ToNarrowText(const wchar_t* text, char* buffer, uint32_t maxCount) override
    {
        uint32_t n = 0;
        for (; text[n] && n < maxCount; ++n)
            buffer[n] = text[n] < 0x80 ? char(text[n]) : text[n] == 0xFC ? 'u' : text[n] == 0xE9 ? 'e' : '?';
        return n;
    }
    uint32_t ToWideText(const char* text, wchar_t* buffer, uint32_t maxCount) override
    {
        uint32_t n = 0;
        for (; text[n] && n < maxCount; ++n)
            buffer[n] = wchar_t(uint8_t(text[n]));
        return n;
    }
    uint8_t ToNarrow(uint16_t code, uint8_t) override { return code < 0x80 ? uint8_t(code) : '?'; }
    uint32_t CodePageOf(uint8_t) override { return 0; }
};

GMedia* Media(uint16_t code, GMediaPair origin, const char* type = nullptr)
{
    return new GMedia("Letter", {5100, 6600}, {4800, 6200}, origin, 0, code, 600, 600, 0, 0, nullptr, type);
}

class ProducerSettings : public ProducerTest {
protected:
    // A producer whose printer has the writer (a recording writer without one given) and
    // whose chain has the filters.
    PageDrawProducer* Make(GPeripheral* writer = nullptr, std::vector<GPeripheral*> filters = {})
    {
        PageDrawProducer* producer = MakeProducer(L"FILE:", filters, writer ? writer : new MarkingWriter);
        configuration_ = producer->GetPrinterConfiguration();
        return producer;
    }
    void Put(PageDrawProducer& producer, long subState, GObjectBase* setting)
    {
        producer.GetSettings()->FindById(subState)->Add(setting);
    }
    void Put(PageDrawProducer& producer, long subState, long id, uint16_t value)
    {
        Put(producer, subState, new GValueAttribute(value, id));
    }
    uint32_t ValueIn(GObjectBase* holder, long id)
    {
        const GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id);
        return value ? value->GetValue() : 0xFFFFFFFF;
    }
    // The configuration's media pool with Letter (code 1) at 600 dpi, origin (100, 150),
    // and the same paper at 300 dpi and at 90 degrees with other origins.
    void AddPool()
    {
        GMediaPool* pool = new GMediaPool(kMediaPool);
        pool->Add(Media(1, {100, 150}));
        GMedia* low = Media(1, {50, 75});
        *low = GMedia("Letter", {2550, 3300}, {2400, 3100}, {50, 75}, 0, 1, 300, 300, 0, 0, nullptr, nullptr);
        pool->Add(low);
        pool->Add(new GMedia("Letter", {6600, 5100}, {6200, 4800}, {150, 100}, 90, 1, 600, 600, 0, 0, nullptr,
                             nullptr));
        configuration_->Add(pool);
    }
    GConfiguration* configuration_ = nullptr;
};

} // namespace

// ---- Configuration ----

TEST_F(ProducerSettings, APclXlWritersLanguageFollowsThePassThroughFlag)
{
    const struct {
        int passThrough;
        int level; // -1: absent
        uint32_t levelAfter, modeAfter;
        const char* nameAfter;
    } cases[] = {
        {1, 3, 3, 0, "PCL XL"}, {1, 0, 3, 0, "PCL XL"}, {1, 4, 2, 1, "old"},
        {0, 3, 2, 1, "old"},    {0, 1, 2, 1, "old"},    {1, -1, 0xFFFFFFFF, 1, "old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.passThrough << " " << c.level);
        services_->printerData.clear();
        services_->SetPrinterDataDword(nullptr, L"PassThrough", 1);
        PageDrawProducer* producer = Make(new GCheetah);
        Put(*producer, kJobControl, kPassThroughAllowed, uint16_t(c.passThrough == 1 ? 0 : 1));
        if (c.passThrough == 0)
            services_->SetPrinterDataDword(nullptr, L"PassThrough", 0);
        if (c.level >= 0)
            configuration_->Add(new GValueAttribute(uint16_t(c.level), kWriterLanguageLevel));
        configuration_->Add(new GValueAttribute(7, kWriterLanguageMode));
        configuration_->Add(new GStringAttribute("old", kWriterLanguageName));
        producer->ConfigureFromSettings();
        EXPECT_EQ(uint32_t(c.passThrough), producer->PassThroughAllowed());
        EXPECT_EQ(c.levelAfter, ValueIn(configuration_, kWriterLanguageLevel));
        EXPECT_EQ(c.modeAfter, ValueIn(configuration_, kWriterLanguageMode));
        EXPECT_STREQ(c.nameAfter,
                     GDriverObject::Feature<GStringAttribute>(configuration_, kWriterLanguageName)->GetString().Data());
    }
}

TEST_F(ProducerSettings, OtherWritersTakePassThroughUnlessTheDeviceRefusesIt)
{
    PageDrawProducer* producer = Make();
    producer->ConfigureFromSettings();
    EXPECT_EQ(1u, producer->PassThroughAllowed()) << "setting 1115 is missing, yet the writer takes the bytes";
    configuration_->Add(Capabilities({{kPassThroughCapability, {0}}}));
    producer->ConfigureFromSettings();
    EXPECT_EQ(0u, producer->PassThroughAllowed());
}

TEST_F(ProducerSettings, PostScriptModesComeFromSettings570And571)
{
    const struct {
        int a, b;           // -1: absent
        uint16_t attribute; // 958 of the configuration
        uint16_t modeA, modeB;
        uint32_t flagA;
    } cases[] = {
        {-1, -1, 0, 2, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 1, 5, 1, 1, 0}, {1, 2, 0, 1, 2, 1},
        {2, 3, 0, 2, 0, 0},   {9, -1, 0, 2, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.attribute);
        PageDrawProducer* producer = Make(new GPostScript);
        Put(*producer, kJobControl, kProducerFlagA, 1);
        if (c.a >= 0)
            Put(*producer, kJobControl, kPostScriptModeA, uint16_t(c.a));
        if (c.b >= 0)
            Put(*producer, kJobControl, kPostScriptModeB, uint16_t(c.b));
        configuration_->Add(new GValueAttribute(c.attribute, kAttributeValue));
        producer->ConfigureFromSettings();
        EXPECT_EQ(c.modeA, producer->GetPostScriptModeA());
        EXPECT_EQ(c.modeB, producer->GetPostScriptModeB());
        EXPECT_EQ(c.flagA, producer->GetFlagA()) << "flag A is cleared first with a PostScript writer";
    }
    // Another writer keeps the start values and flag A of setting 293.
    PageDrawProducer* producer = Make();
    Put(*producer, kJobControl, kProducerFlagA, 1);
    Put(*producer, kJobControl, kPostScriptModeA, 1);
    producer->ConfigureFromSettings();
    EXPECT_EQ(65535, producer->GetPostScriptModeA());
    EXPECT_EQ(0, producer->GetPostScriptModeB());
    EXPECT_EQ(1u, producer->GetFlagA());
}

TEST_F(ProducerSettings, TheRasterModeComesFromSetting255OrTheFlagWord)
{
    const struct {
        int setting; // -1: absent
        uint32_t flags;
        std::vector<uint32_t> capability136;
        uint16_t mode;
    } cases[] = {
        {3, 0, {}, 3},
        {2, 0, {}, 2},
        {1, 0, {}, 1},
        {7, 0, {}, 1},
        {-1, 0x200000, {}, 3},
        {-1, 0x400000, {}, 2},
        {-1, 0x600000, {}, 3},
        {-1, 0, {}, 1},
        {1, 0x4000000, {}, 3},
        {1, 0x4000000, {1}, 1},
        {2, 0x8000000, {2}, 2},
        {2, 0x8000000, {1}, 3},
        {2, 0xC000000, {1, 2}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setting << " " << std::hex << c.flags);
        PageDrawProducer* producer = Make();
        producer->SetAppFlags(c.flags);
        if (c.setting >= 0)
            Put(*producer, kJobSettings, kRasterModeChoice, uint16_t(c.setting));
        configuration_->Add(Capabilities({{kRasterCapability, c.capability136}}));
        producer->ConfigureFromSettings();
        EXPECT_EQ(c.mode, producer->GetRasterMode());
        EXPECT_EQ(c.mode == 3 ? 1 : 0, producer->UsesRasterMode(1));
    }
}

TEST_F(ProducerSettings, TheDeviceMayRefusePageScalingInARasterMode)
{
    const struct {
        uint16_t rasterMode;
        bool capability;
        std::vector<uint32_t> bits;
        uint32_t enabled;
    } cases[] = {
        {1, false, {}, 1}, {1, true, {}, 1},  {1, true, {1}, 0}, {3, true, {1}, 1},
        {3, true, {4}, 0}, {2, true, {4}, 0}, {1, true, {4}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rasterMode << " " << c.capability);
        PageDrawProducer* producer = Make();
        Put(*producer, kJobSettings, kRasterModeChoice, c.rasterMode);
        if (c.capability)
            configuration_->Add(Capabilities({{kScalingCapability, c.bits}}));
        producer->ConfigureFromSettings();
        EXPECT_EQ(c.enabled, producer->IsScalingEnabled());
    }
    PageDrawProducer* chainless = MakeProducer(L"FILE:", {}, nullptr);
    chainless->SetPrinter(nullptr);
    chainless->ConfigureFromSettings();
    EXPECT_EQ(0u, chainless->IsScalingEnabled()) << "no chain to scale the pages";
}

TEST_F(ProducerSettings, FlagsCAndDFollowTheirCapabilities)
{
    const struct {
        bool c113, d120;
        uint16_t rasterMode;
        uint32_t flags;
        bool pclXl;
        uint32_t flagC, flagD;
    } cases[] = {
        {true, true, 1, 0, false, 1, 1},
        {false, true, 1, 0, false, 0, 1},
        {true, false, 1, 0, false, 0, 0},        // C stays only beside D
        {true, true, 3, 0, false, 0, 0},         // raster mode 3 rules D out
        {true, true, 2, 0, false, 0, 0},         // so does mode 2 for the value 0
        {false, true, 1, 0x800000, false, 0, 0}, // D needs C with bit 0x800000
        {true, true, 1, 0x800000, false, 1, 1},
        {true, true, 1, 0x8, true, 0, 0},
        {true, true, 1, 0x8, false, 1, 1},
        {true, true, 1, 0, true, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.c113 << c.d120 << " " << c.rasterMode << " " << std::hex << c.flags
                                        << " " << c.pclXl);
        PageDrawProducer* producer = Make(c.pclXl ? static_cast<GPeripheral*>(new GCheetah) : nullptr);
        producer->SetAppFlags(c.flags);
        Put(*producer, kJobSettings, kRasterModeChoice, c.rasterMode);
        configuration_->Add(Capabilities({{kFlagCCapability, c.c113 ? std::vector<uint32_t>{1} : std::vector<uint32_t>{0}},
                                          {kFlagDCapability, c.d120 ? std::vector<uint32_t>{9} : std::vector<uint32_t>{8}}}));
        producer->ConfigureFromSettings();
        EXPECT_EQ(c.flagC, producer->GetFlagC());
        EXPECT_EQ(c.flagD, producer->GetFlagD());
    }
}

// ---- The job state ----

TEST_F(ProducerSettings, TheJobStateCarriesItsMediaWithTheTransformAtTheImageableOrigin)
{
    PageDrawProducer* producer = Make();
    AddPool();
    Put(*producer, kJobSettings, kPaperSize, 1);
    Put(*producer, kJobControl, new GStringAttribute("Bond", kMediaName));
    std::unique_ptr<GState> state(producer->BuildJobState());
    const GMedia* media = GDriverObject::Feature<GMedia>(state.get(), kDocumentMedia);
    ASSERT_NE(nullptr, media);
    EXPECT_EQ(100, media->GetImageableOrigin().x);
    EXPECT_STREQ("Bond", media->GetSecondString().Data());
    const auto* transform = dynamic_cast<GTransformAttribute*>(state->FindByClassId(GTransformAttribute::kClassId));
    ASSERT_NE(nullptr, transform);
    EXPECT_EQ(100, transform->GetOriginX());
    EXPECT_EQ(150, transform->GetOriginY());

    // The resolution and orientation of the settings choose among the pool's members.
    GAttributeComposite* resolution = new GAttributeComposite(kResolutionNode);
    resolution->Add(new GValueAttribute(300, kXResolution));
    resolution->Add(new GValueAttribute(300, kYResolution));
    Put(*producer, kJobSettings, resolution);
    state.reset(producer->BuildJobState());
    EXPECT_EQ(50, GDriverObject::Feature<GMedia>(state.get(), kDocumentMedia)->GetImageableOrigin().x);
    delete producer->GetSettings()->FindById(kJobSettings)->RemoveById(kResolutionNode);
    Put(*producer, kJobSettings, kOrientation, 90);
    state.reset(producer->BuildJobState());
    EXPECT_EQ(150, GDriverObject::Feature<GMedia>(state.get(), kDocumentMedia)->GetImageableOrigin().x);

    // A paper the pool lacks gives no media and no transform.
    producer->GetSettings()->FindById(kJobSettings)->Add(new GValueAttribute(77, kPaperSize));
    state.reset(producer->BuildJobState());
    EXPECT_EQ(nullptr, state->FindById(kDocumentMedia));
    EXPECT_EQ(nullptr, state->FindByClassId(GTransformAttribute::kClassId));
}

TEST_F(ProducerSettings, TheJobsPaperAndCoverTakeTheirMediaOrAreTurnedOff)
{
    const struct {
        int choice270, code272;  // -1: absent
        int cover279, code280;
        uint32_t flags;          // with a PostScript writer
        uint32_t choiceAfter, coverAfter;
        bool media273, media281;
    } cases[] = {
        {1, 1, 1, 1, 0, 1, 1, true, true},
        {1, 16385, 2, 16385, 0, 1, 2, true, true},
        {1, 77, 1, 77, 0, 0, 0, false, false},
        {1, -1, 1, -1, 0, 0, 0, false, false},
        {0, 1, 0, 1, 0, 0, 0, false, false},
        {2, 1, 3, 1, 0, 2, 3, false, false},
        {-1, -1, 1, 1, 0x20000, 0xFFFFFFFF, 0, false, false}, // flag E: the writer spools covers itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.choice270 << " " << c.code272 << " " << c.cover279 << " " << c.code280);
        PageDrawProducer* producer = Make(c.flags ? static_cast<GPeripheral*>(new GPostScript) : nullptr);
        producer->SetAppFlags(c.flags);
        AddPool();
        producer->GetSettings()->Add(new GAttributeComposite(kCustomSizeList));
        producer->GetSettings()->FindById(kCustomSizeList)->Add(
            new GCustomMediaSize(16385, "Mine", GCustomMediaSize::kHundredthInch, 400, 500, 0));
        if (c.choice270 >= 0)
            Put(*producer, kJobSettings, kJobPaperChoice, uint16_t(c.choice270));
        if (c.code272 >= 0)
            Put(*producer, kJobSettings, kJobPaperCode, uint16_t(c.code272));
        if (c.cover279 >= 0)
            Put(*producer, kJobControl, kFrontCoverMode, uint16_t(c.cover279));
        if (c.code280 >= 0)
            Put(*producer, kJobControl, kCoverPaperCode, uint16_t(c.code280));
        producer->ConfigureFromSettings();
        std::unique_ptr<GState> state(producer->BuildJobState());
        EXPECT_EQ(c.choiceAfter, ValueIn(state.get(), kJobPaperChoice));
        EXPECT_EQ(c.coverAfter, ValueIn(state.get(), kFrontCoverMode));
        if (c.choice270 == 1) {
            EXPECT_EQ(nullptr, state->FindById(kJobPaperCode)) << "272 is taken out of the job state";
        }
        const GMedia* paper = GDriverObject::Feature<GMedia>(state.get(), kJobPaperMedia);
        const GMedia* cover = GDriverObject::Feature<GMedia>(state.get(), kCoverMedia);
        EXPECT_EQ(c.media273, paper != nullptr);
        EXPECT_EQ(c.media281, cover != nullptr);
        if (paper && c.code272 == 16385) {
            EXPECT_EQ(2400, paper->GetPaperSize().x) << "4 inches at 600 dpi";
            EXPECT_EQ(3000, paper->GetPaperSize().y);
        }
        if (c.cover279 >= 0) {
            EXPECT_EQ(uint32_t(c.cover279), ValueIn(producer->GetSettings()->FindById(kJobControl), kFrontCoverMode))
                << "the settings keep their choice";
        }
    }
}

TEST_F(ProducerSettings, TheColourAdjustmentAndConversionRules)
{
    const struct {
        int attribute;  // 0: GChromafitAttribute, 2: the version-2 attribute, -1: none
        uint8_t choice; // its setting at (3, 2)
        int choice1304; // -1: absent
        uint32_t renderMode;
    } cases[] = {
        {2, 93, -1, 0}, {2, 94, 1, 0}, {2, 94, 0, 4}, {2, 94, -1, 4}, {2, 50, 1, 4},
        {0, 93, -1, 0xFFFFFFFF}, {-1, 93, -1, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attribute << " " << int(c.choice) << " " << c.choice1304);
        PageDrawProducer* producer = Make();
        if (c.attribute == 2) {
            auto* adjustment = new GChromafitEnhancedAttributeVer2(0);
            ASSERT_EQ(1, adjustment->SetSetting(3, 2, c.choice));
            Put(*producer, kJobSettings, adjustment);
        } else if (c.attribute == 0) {
            Put(*producer, kJobSettings, new GChromafitAttribute(0));
        }
        if (c.choice1304 >= 0)
            Put(*producer, kJobControl, kColourRenderChoice, uint16_t(c.choice1304));
        std::unique_ptr<GState> state(producer->BuildJobState());
        EXPECT_EQ(c.renderMode, ValueIn(state.get(), kColourRenderMode));
    }

    // Setting 910 at 22 chooses the table of mode 1 (972); any other value the default.
    PageDrawProducer* producer = Make();
    GConfiguration* tables = new GConfiguration(kColorTables);
    uint8_t* bytes = new uint8_t[768];
    for (int i = 0; i < 768; ++i)
        bytes[i] = uint8_t(255 - i % 256);
    tables->Add(new GBinaryData(bytes, 768, 1, kColorTableMode1));
    configuration_->Add(tables);
    Put(*producer, kJobControl, kColourConversionChoice, 22);
    Put(*producer, kJobControl, kColourConversionPart, 5);
    std::unique_ptr<GState> state(producer->BuildJobState());
    EXPECT_EQ(22u, ValueIn(state.get(), kColourConversionChoice));
    EXPECT_EQ(5u, ValueIn(state.get(), kColourConversionPart));
    EXPECT_EQ(0xFDFEFFu, producer->ConvertColor(0, 1, 2));
    producer->GetSettings()->FindById(kJobControl)->Add(new GValueAttribute(21, kColourConversionChoice));
    state.reset(producer->BuildJobState());
    EXPECT_EQ(0x020100u, producer->ConvertColor(0, 1, 2));
}

TEST_F(ProducerSettings, TheDevicesCapabilityRulesRunOnlyWhenChosenForAPlainPaperJob)
{
    const struct {
        int rules915, choice270; // -1: absent
        int runs;
    } cases[] = {{1, 0, 1}, {1, 1, 0}, {1, -1, 0}, {0, 0, 0}, {-1, 0, 0}};
    for (const auto& c : cases) {
        PageDrawProducer* producer = Make();
        if (c.rules915 >= 0)
            Put(*producer, kDeviceSettings, kDeviceRulesChoice, uint16_t(c.rules915));
        if (c.choice270 >= 0)
            Put(*producer, kJobSettings, kJobPaperChoice, uint16_t(c.choice270));
        std::unique_ptr<GState>(producer->BuildJobState());
        EXPECT_EQ(c.runs, producer->capabilityRuleRuns) << c.rules915 << " " << c.choice270;
    }
}

TEST_F(ProducerSettings, TheJobStateTakesTheCopiesItsRulesName)
{
    PageDrawProducer* producer = Make(new GPostScript);
    for (long id : {293L, 296L, 297L, 405L, 304L, 208L, 227L, 582L, 584L, 583L, 570L, 571L, 605L, 608L, 1301L,
                    1302L, 263L, 262L})
        Put(*producer, kJobControl, id, uint16_t(id));
    producer->ConfigureFromSettings();
    std::unique_ptr<GState> state(producer->BuildJobState());
    for (long id : {293L, 296L, 297L, 405L, 208L, 227L, 582L, 584L, 583L, 570L, 571L, 605L, 608L, 1301L, 1302L,
                    263L, 262L})
        EXPECT_EQ(uint32_t(id), ValueIn(state.get(), id)) << id;
    EXPECT_EQ(nullptr, state->FindById(304)) << "304 goes with 295 only";
    Put(*producer, kJobControl, kColourOptionsChoice, 6);
    state.reset(producer->BuildJobState());
    EXPECT_EQ(304u, ValueIn(state.get(), 304));
    EXPECT_EQ(6u, ValueIn(state.get(), kColourOptionsChoice));

    // Without a PostScript writer the writer's own settings stay out.
    PageDrawProducer* plain = Make();
    Put(*plain, kJobControl, 582, 1);
    plain->ConfigureFromSettings();
    state.reset(plain->BuildJobState());
    EXPECT_EQ(nullptr, state->FindById(582));
}

// ---- Pages ----

TEST_F(ProducerSettings, APageOnLetterheadTakesTheDevicesMediaForItsPaper)
{
    const struct {
        const char* type;
        int rule; // 365, 1240; -1: absent
        uint16_t originX;
    } cases[] = {
        {"Letterhead", 1, 20}, {"Preprinted", 1, 20}, {"Plain", 1, 100}, {"Letterhead", 0, 100},
        {"Letterhead", -1, 100}, {"letterhead", 1, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.rule);
        PageDrawProducer* producer = Make();
        AddPool();
        // The device's media come from the alternate pool (setting 711).
        GMediaPool* alternate = new GMediaPool(kAlternateMediaPool);
        alternate->Add(Media(1, {20, 30}));
        configuration_->Add(alternate);
        producer->GetSettings()->Add(new GValueAttribute(1, 711));
        Put(*producer, kPageSettings, kPaperSize, 1);
        GAttributeComposite* resolution = new GAttributeComposite(kResolutionNode);
        resolution->Add(new GValueAttribute(600, kXResolution));
        resolution->Add(new GValueAttribute(600, kYResolution));
        Put(*producer, kPageSettings, resolution);
        Put(*producer, kJobControl, new GStringAttribute(c.type, kMediaName));
        if (c.rule >= 0)
            Put(*producer, kDeviceSettings, kLetterheadRule, uint16_t(c.rule));
        std::unique_ptr<GPageStart> start(producer->StartPage());
        GState* page = start->GetState();
        const GMedia* media = GDriverObject::Feature<GMedia>(page, kDocumentMedia);
        ASSERT_NE(nullptr, media);
        EXPECT_EQ(c.originX, media->GetImageableOrigin().x);
        EXPECT_STREQ(c.type, media->GetSecondString().Data()) << "the media type stays";
        const auto* transform = dynamic_cast<GTransformAttribute*>(page->FindByClassId(GTransformAttribute::kClassId));
        ASSERT_NE(nullptr, transform);
        EXPECT_EQ(100, transform->GetOriginX()) << "the origin is the page's media's, before the letterhead rule";
    }
}

TEST_F(ProducerSettings, EachPageAsksTheChainForItsScaleWithTheJobsScalingState)
{
    const struct {
        std::pair<float, float> scale;
        uint32_t scaled;
    } cases[] = {{{0.5f, 0.5f}, 1}, {{1.0f, 1.0f}, 0}, {{0.0f, 0.0f}, 0}, {{1.0f, 0.0f}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale.first);
        ScalingStage* stage = new ScalingStage;
        stage->scale = c.scale;
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = Make(writer, {stage});
        producer->ConfigureFromSettings();
        ASSERT_EQ(1u, producer->IsScalingEnabled());
        producer->SetDocument(L"Doc", L"FILE:");
        ASSERT_EQ(0, producer->BeginDocument());
        producer->BeginPage();
        // The first page's start is pending: the no-command sends it so that its scale is known.
        EXPECT_EQ(0, producer->SendNoCommand());
        EXPECT_EQ(0u, producer->IsPagePending());
        EXPECT_EQ(1, stage->asked);
        EXPECT_EQ(c.scale, producer->GetPageScale());
        EXPECT_EQ(c.scaled, producer->IsPageScaled());
        EXPECT_EQ(1u, stage->pageMark);
        EXPECT_EQ(0u, stage->kindIn);
        ASSERT_NE(nullptr, stage->jobState);
        EXPECT_EQ(producer->GetScalingJobState(), stage->jobState);
        EXPECT_NE(nullptr, stage->pageState);
        // The scale is known for this page: no second no-command.
        EXPECT_EQ(0, producer->SendNoCommand());
        EXPECT_EQ(1, stage->asked);
        GObjectBase* jobState = producer->GetScalingJobState();
        EXPECT_EQ(0, producer->FinishPage());
        producer->BeginPage();
        EXPECT_EQ(0, producer->SendNoCommand());
        EXPECT_EQ(2, stage->asked);
        EXPECT_EQ(2u, stage->pageMark);
        EXPECT_EQ(jobState, stage->jobState) << "one scaling state per job";
        EXPECT_EQ(0, producer->FinishPage());
        EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
        producer->CloseFontPool();
        // Configuring for the next job drops the scaling state.
        producer->ConfigureFromSettings();
        EXPECT_EQ(nullptr, producer->GetScalingJobState());
    }

    // A device that refuses scaling is never asked.
    ScalingStage* stage = new ScalingStage;
    stage->scale = {0.5f, 0.5f};
    PageDrawProducer* producer = Make(nullptr, {stage});
    configuration_->Add(Capabilities({{kScalingCapability, {1}}}));
    producer->ConfigureFromSettings();
    std::unique_ptr<GPageStart> start(producer->StartPage());
    EXPECT_EQ(0, stage->asked);
    EXPECT_EQ(std::make_pair(1.0f, 1.0f), producer->GetPageScale());
}

// ---- Media look-ups ----

TEST_F(ProducerSettings, MediaLookUpsFindPoolMediaAndCustomSizes)
{
    PageDrawProducer* producer = Make();
    AddPool();
    producer->GetSettings()->Add(new GAttributeComposite(kCustomSizeList));
    producer->GetSettings()->FindById(kCustomSizeList)->Add(
        new GCustomMediaSize(16384, "", GCustomMediaSize::kHundredthInch, 850, 1100, 0));
    producer->GetSettings()->FindById(kCustomSizeList)->Add(
        new GCustomMediaSize(17383, "Last", GCustomMediaSize::kHundredthInch, 100, 200, 0));
    const struct {
        uint16_t code;
        uint32_t orientation, resolution;
        int width; // -1: none
    } cases[] = {
        {1, 0, 600, 5100},     {1, 0, 300, 2550},     {1, 90, 600, 6600},  {1, 180, 600, -1},
        {2, 0, 600, -1},       {16384, 0, 600, 5100}, {17383, 0, 300, 300}, {17383, 90, 600, 1200},
        {16385, 0, 600, -1},   {17384, 0, 600, -1},   {16383, 0, 600, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.orientation << " " << c.resolution);
        std::unique_ptr<GMedia> media(producer->FindMediaForCode(c.code, c.orientation, c.resolution, c.resolution));
        EXPECT_EQ(c.width, media ? int(media->GetPaperSize().x) : -1);
        if (media) {
            EXPECT_EQ(c.code, media->GetMediaId());
        }
    }
    // The first look-up takes the settings' orientation and resolution.
    Put(*producer, kJobSettings, kOrientation, 90);
    std::unique_ptr<GMedia> turned(producer->FindMediaForCode(1));
    ASSERT_NE(nullptr, turned);
    EXPECT_EQ(6600, turned->GetPaperSize().x);
    // A media found is a copy: the pool keeps its own.
    turned->SetSecondString("changed");
    std::unique_ptr<GMedia> again(producer->FindMediaForCode(1));
    EXPECT_STREQ("", again->GetSecondString().Data());
}

TEST_F(ProducerSettings, SettingMediaRebuildGivesANewMediaOfTheSameValues)
{
    PageDrawProducer* producer = Make();
    AddPool();
    std::unique_ptr<GMedia> plain(producer->FindMediaForCode(1, 0, 600, 600));
    Put(*producer, kJobControl, kMediaRebuild, 1);
    std::unique_ptr<GMedia> rebuilt(producer->FindMediaForCode(1, 0, 600, 600));
    ASSERT_NE(nullptr, plain);
    ASSERT_NE(nullptr, rebuilt);
    EXPECT_TRUE(rebuilt->IsSame(plain.get()));
    EXPECT_EQ(nullptr, producer->RebuildMedia(nullptr));
}

TEST_F(ProducerSettings, ResolveMediaFillsAMediaOfAnotherPaperAndKeepsItsId)
{
    PageDrawProducer* producer = Make();
    AddPool();
    const struct {
        uint16_t startPaper;
        uint32_t orientation, resolution;
        uint16_t asked;
        int filled, width; // the answer and the paper width after it
    } cases[] = {
        {1, 0, 600, 1, 0, 1000},      // already that paper: untouched
        {7, 0, 600, 1, 1, 5100},      // from the pool at the media's own resolution
        {7, 0, 300, 1, 1, 2550},
        {7, 90, 600, 1, 1, 6600},     // and its own orientation
        {7, 0, 600, 2, 0, 1000},      // no such paper: untouched
        {7, 0, 600, 16384, 0, 1000},  // no custom sizes in the settings
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startPaper << " " << c.asked << " " << c.resolution);
        GMedia media("Mine", {1000, 2000}, {900, 1900}, {50, 50}, c.orientation, c.startPaper, c.resolution,
                     c.resolution, kDocumentMedia, 0, nullptr, nullptr);
        EXPECT_EQ(c.filled, producer->ResolveMedia(media, c.asked));
        EXPECT_EQ(c.width, int(media.GetPaperSize().x));
        EXPECT_EQ(long(kDocumentMedia), media.GetId());
        if (c.filled) {
            EXPECT_EQ(c.asked, media.GetMediaId());
        }
    }
}

TEST_F(ProducerSettings, TheDeviceListOfTheSelectorReplacesTheJobsList)
{
    PageDrawProducer* producer = Make();
    // The map: selector 5 names list 901, selector 6 a list that is missing. The job
    // state's holder takes the map, which is no attribute, as a plain composite.
    auto makeJob = [] {
        MPersistentComposite* job = new MPersistentComposite(kJobSettings);
        MAssociationList* map = new MAssociationList(kDeviceListMap);
        map->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GValueAttribute(901, 0)));
        map->Add(new MPersistentAssociation(new GValueAttribute(6, 0), new GValueAttribute(902, 0)));
        job->Add(map);
        GAttributeComposite* chosen = new GAttributeComposite(901);
        chosen->Add(new GValueAttribute(11, 1));
        chosen->Add(new GValueAttribute(12, 2));
        job->Add(chosen);
        GAttributeComposite* sent = new GAttributeComposite(kJobDeviceList);
        sent->Add(new GValueAttribute(99, 9));
        job->Add(sent);
        return std::unique_ptr<MPersistentComposite>(job);
    };
    auto sentValues = [this](GObjectBase* job) {
        std::vector<uint32_t> values;
        GObjectBase* sent = job->FindById(kJobDeviceList);
        for (long id : {1, 2, 9})
            if (ValueIn(sent, id) != 0xFFFFFFFF)
                values.push_back(ValueIn(sent, id));
        return values;
    };
    auto job = makeJob();
    EXPECT_EQ(0, producer->CopyDeviceListToJob(job.get())) << "no selector";
    EXPECT_EQ(0, producer->CopyDeviceListToJob(nullptr));
    Put(*producer, kDeviceSettings, kDeviceListSelector, 6);
    EXPECT_EQ(0, producer->CopyDeviceListToJob(job.get())) << "the list named is missing";
    EXPECT_EQ(std::vector<uint32_t>{99}, sentValues(job.get()));
    delete producer->GetSettings()->FindById(kDeviceSettings)->RemoveById(kDeviceListSelector);
    Put(*producer, kDeviceSettings, kDeviceListSelector, 5);
    EXPECT_EQ(1, producer->CopyDeviceListToJob(job.get()));
    EXPECT_EQ((std::vector<uint32_t>{11, 12}), sentValues(job.get()));
    EXPECT_EQ(12u, ValueIn(job->FindById(901), 2)) << "the chosen list keeps its members";
    auto withoutMap = makeJob();
    delete withoutMap->RemoveById(kDeviceListMap);
    EXPECT_EQ(0, producer->CopyDeviceListToJob(withoutMap.get()));
}

// ---- Job names ----

TEST_F(ProducerSettings, PlainJobNamesGoThroughTheConvertersCodePage)
{
    DiscardTextConverter();
    services_->makeConverter = [] { return new NearestLetterConverter; };
    PageDrawProducer* producer = Make();
    const struct {
        const wchar_t* document;
        const char* text;
    } cases[] = {
        {L"M\u00fcller.doc", "MULLER.DOC"},
        {L"caf\u00e9", "CAFE"},
        {L"\u65e5\u672c.txt", "??.TXT"},
        {L"Microsoft W\u00f6rd - x.doc", "MICROSOFT W?RD -"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, producer->MakeJobName(c.document).Data()) << testbed::Narrow(c.document);
    // The fallback name is narrow text of the settings, widened through the code page.
    producer->GetSettings()->FindById(kJobSettings)->Add(new GStringAttribute("nightly \xFC", kJobNameFallback));
    producer->GetSettings()->FindById(kJobSettings)->Add(new GStringAttribute("", kJobNameSetting));
    EXPECT_STREQ("20261207090503", producer->MakeJobName(L"").Data()) << "0xFC widened is outside 32 to 126";
    DiscardTextConverter();
    services_->makeConverter = nullptr;
}

TEST_F(ProducerSettings, UnicodeJobNamesKeepToThePrintersCharacterRanges)
{
    const struct {
        const char* table; // null: no table
        const wchar_t* document;
        const char* text;
    } cases[] = {
        {"0020-007E", L"Report", "Report"},
        {"0020-007E", L"R\u00e9sum\u00e9", "20261207090503"},
        {"0020-007E,00C0-00FF", L"R\u00e9sum\u00e9", "R\xC3\xA9sum\xC3\xA9"},
        {"0020-007E; 3000-9FFF", L"\u65e5\u672c", "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"0020-007E 1F600", L"a\xD83D\xDE00", "a\xF0\x9F\x98\x80"},
        {"0020-007E", L"a\xD83D\xDE00", "20261207090503"},
        {"0020-007E,FFFD", L"a\xDC00", "a\xEF\xBF\xBD"},
        {"0020-007E", L"say \"hi\"", "20261207090503"},
        {"0000-FFFF", L"say \"hi\"", "20261207090503"},
        {"0000-FFFF", L"tab\there", "20261207090503"},
        {nullptr, L"\u65e5\u672c", "\xE6\x97\xA5\xE6\x9C\xAC"},
        // Each length of UTF-8 at both of its ends: U+007F one byte, U+0080 and U+07FF two,
        // U+0800 and U+FFFF three, U+10000 four.
        {nullptr, L"\x007F\x0080", "\x7F\xC2\x80"},
        {nullptr, L"\x07FF\x0800", "\xDF\xBF\xE0\xA0\x80"},
        {nullptr, L"\xFFFF\xD800\xDC00", "\xEF\xBF\xBF\xF0\x90\x80\x80"},
        {nullptr, L"say \"hi\"", "20261207090503"},
        {"zz-yy,7E-20,110000", L"\u65e5", "\xE6\x97\xA5"},
        {"0041-005A,zz,0061-007A", L"Ab", "Ab"},
        {"0041-005A,zz,0061-007A", L"A b", "20261207090503"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.table ? c.table : "(none)") << " " << testbed::Narrow(c.document));
        PageDrawProducer* producer = Make();
        Put(*producer, kJobSettings, kJobNameUnicode, 1);
        Put(*producer, kJobSettings, new GStringAttribute("", kJobNameSetting));
        if (c.table)
            configuration_->Add(new GStringAttribute(c.table, kJobNameRanges));
        EXPECT_STREQ(c.text, producer->MakeJobName(c.document).Data());
    }
}

TEST_F(ProducerSettings, JobNameInputsAreReadWithinTheirBounds)
{
    // A range table is read to its 4096th character: an entry ending there counts, one
    // pushed a character further is cut and the table restricts to what is left.
    const std::string head = "0061-007A";
    const std::string tail = "0041-005A";
    const std::string fits = head + std::string(4096 - head.size() - tail.size(), ' ') + tail;
    const std::string cut = head + std::string(4096 - head.size() - tail.size() + 1, ' ') + tail;
    const struct {
        const std::string* table;
        const char* text;
    } cases[] = {{&fits, "aB"}, {&cut, "20261207090503"}};
    for (const auto& c : cases) {
        PageDrawProducer* producer = Make();
        Put(*producer, kJobSettings, kJobNameUnicode, 1);
        configuration_->Add(new GStringAttribute(c.table->c_str(), kJobNameRanges));
        EXPECT_STREQ(c.text, producer->MakeJobName(L"aB").Data()) << c.table->size();
    }

    // A title far longer than any job name gives its start; an application prefix past
    // the converted part is not looked for.
    PageDrawProducer* producer = Make();
    const std::wstring longTitle = L"Long" + std::wstring(100000, L'x');
    EXPECT_STREQ("LONGXXXXXXXXXXXX", producer->MakeJobName(longTitle.c_str()).Data());
    const std::wstring lateMatch = std::wstring(4096, L'y') + L"Microsoft Abc - Report";
    EXPECT_STREQ("YYYYYYYYYYYYYYYY", producer->MakeJobName(lateMatch.c_str()).Data());
    const std::wstring lastMatch = std::wstring(4096 - 22, L'y') + L"Microsoft Abc - Report";
    EXPECT_STREQ("REPORT", producer->MakeJobName(lastMatch.c_str()).Data());
}

// Settings read from a stored tree may hold the job's sub-state as a plain composite: the
// job state is still a state holding its settings.
TEST_F(ProducerSettings, AJobStateIsMadeFromAPlainCompositeOfTheJobsSettings)
{
    PageDrawProducer* producer = Make();
    delete producer->GetSettings()->RemoveById(kJobSettings);
    GAttributeComposite* job = new GAttributeComposite(kJobSettings);
    job->Add(new GValueAttribute(5, kPaperSize));
    job->Add(new GStringAttribute("kept", 1031));
    producer->GetSettings()->Add(job);
    std::unique_ptr<GState> state(producer->BuildJobState());
    ASSERT_NE(nullptr, state);
    EXPECT_EQ(5u, ValueIn(state.get(), kPaperSize));
    EXPECT_NE(nullptr, state->FindById(1031));
    EXPECT_EQ(1u, ValueIn(job, kSpoolCopies)) << "the settings' own composite is the one the copies rule sets";
}

// A whole job through the page-drawing stand-in: the document start and each page start
// reach the writer with their media and the transform at its imageable origin.
TEST_F(ProducerSettings, AJobsStartsReachTheWriterWithTheirMedia)
{
    struct MediaWriter : MarkingWriter {
        int16_t OnDocumentStart(GDocumentStart& c) override
        {
            Keep(c.GetState());
            return MarkingWriter::OnDocumentStart(c);
        }
        int16_t OnPageStart(GPageStart& c) override
        {
            Keep(c.GetState());
            return MarkingWriter::OnPageStart(c);
        }
        void Keep(GState* state)
        {
            const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
            const auto* transform =
                state ? dynamic_cast<GTransformAttribute*>(state->FindByClassId(GTransformAttribute::kClassId)) : nullptr;
            origins.push_back(media && transform ? transform->GetOriginX() : -1);
            types.push_back(media ? media->GetSecondString().Data() : "");
        }
        std::vector<int> origins;
        std::vector<std::string> types;
    };
    MediaWriter* writer = new MediaWriter;
    PageDrawProducer* producer = Make(writer);
    AddPool();
    Put(*producer, kJobSettings, kPaperSize, 1);
    Put(*producer, kPageSettings, kPaperSize, 1);
    Put(*producer, kJobControl, new GStringAttribute("Bond", kMediaName));
    PageDrawJob job;
    job.pages = 2;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<int>{100, 100, 100}), writer->origins);
    EXPECT_EQ((std::vector<std::string>{"Bond", "Bond", "Bond"}), writer->types);
}
