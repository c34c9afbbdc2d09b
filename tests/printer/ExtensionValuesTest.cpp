#include "model/GAttributeComposite.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GExtensionValues.h"
#include "printer/GMedia.h"
#include "model/GState.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const uint16_t kUntouched = 0xBEEF;

// Stands in for a page-description writer: the getters know a writer by class id alone.
struct TestWriter : GObjectBase {
    explicit TestWriter(RWClassID classId) : classId(classId) {}
    RWClassID ClassId() const override { return classId; }
    RWClassID classId;
};

typedef std::vector<std::pair<long, uint16_t>> Values;

GAttributeComposite* Group(long id, const Values& members)
{
    GAttributeComposite* group = new GAttributeComposite(id);
    for (const auto& member : members)
        group->Add(new GValueAttribute(member.second, member.first));
    return group;
}

GMedia* Media(uint16_t mediaId, uint32_t orientation)
{
    return new GMedia("Letter", {5100, 6600}, {4800, 6200}, {100, 150}, orientation, mediaId, 600, 600, 259, 0,
                      "f", "Bond");
}

struct Answer {
    uint16_t status, code;
};

Answer Ask(uint16_t key, GObjectBase* state, const GExtensionQueryContext& context)
{
    const ExtensionValueGetter getter = FindExtensionValueGetter(key);
    EXPECT_TRUE(getter) << key;
    uint16_t code = kUntouched;
    const uint16_t status = getter ? getter(state, context, &code) : 0xFFFF;
    return {status, code};
}

} // namespace

TEST(ExtensionValues, CodeTablesAndTheWriterKey)
{
    const int16_t papers[][2] = {{1, 31}, {23, 33}, {8, 40}, {55, 46}, {44, 49}, {16384, 59}, {0, 59}, {-1, 59}};
    for (const auto& row : papers)
        EXPECT_EQ(row[1], PaperCodeToValueCode(row[0])) << row[0];
    const uint16_t sources[][2] = {{1, 116}, {6, 115}, {19, 113}, {20, 119}, {21, 120}, {26, 125}, {27, 27}, {7, 7}};
    for (const auto& row : sources)
        EXPECT_EQ(row[1], SourceCodeToValueCode(row[0])) << row[0];
    EXPECT_EQ(nullptr, FindExtensionValueGetter(11));
    const uint16_t writers[][3] = {{767, 0, 12}, {788, 0, 11}, {768, 1, kUntouched}};
    for (const auto& row : writers) {
        TestWriter writer(row[0]);
        const Answer answer = Ask(10, nullptr, {nullptr, nullptr, &writer});
        EXPECT_EQ(row[1], answer.status) << row[0];
        EXPECT_EQ(row[2], answer.code) << row[0];
    }
    EXPECT_EQ(1, Ask(10, nullptr, {nullptr, nullptr, nullptr}).status);
}

// The job settings hold the setting; the command, a page end, reads them for every policy.
TEST(ExtensionValues, KeysTranslateTheSettingTheyRead)
{
    const struct {
        uint16_t key;
        Values values;
        long group;
        Values members;
        uint16_t status, code;
        GObjectBase* other = nullptr;
    } rows[] = {
        {70, {{265, 45}}, 0, {}, 0, 45},
        {70, {{265, 180}}, 0, {}, 0, 73},
        {70, {}, 0, {}, 1, kUntouched},
        {200, {}, 249, {{323, 600}, {324, 600}, {325, 3}}, 0, 600},
        {200, {}, 249, {{323, 600}, {324, 600}, {325, 2}}, 0, 204},
        {200, {}, 249, {{323, 600}, {324, 600}}, 1, kUntouched},
        {30, {{260, 16384}}, 0, {}, 0, 59},
        {130, {{248, 4}}, 0, {}, 0, 149},
        {130, {{248, 27}}, 0, {}, 0, 148},
        {170, {}, 329, {{266, 1}}, 0, 0},
        {180, {}, 329, {{268, 3}}, 0, 184},
        {191, {{289, 3}}, 0, {}, 1, kUntouched},
        {191, {{278, 9}, {289, 3}}, 0, {}, 0, 195},
        {210, {}, 0, {}, 0, 211},
        {210, {{442, 1}}, 365, {{444, 0xFFFF}}, 0, 211},
        {210, {{442, 0xFFFF}}, 365, {{444, 2}}, 0, 211},
        {210, {{442, 1}}, 365, {{444, 2}}, 0, 1},
        {210, {}, 365, {{444, 2}}, 1, kUntouched},
        {220, {{270, 5}}, 0, {}, 0, 0},
        {245, {}, 0, {}, 0, 0},
        {245, {{247, 2}}, 0, {}, 0, 1},
        {261, {}, 365, {{308, 1}}, 0, 1},
        {81, {}, 0, {}, 0, MediaTypeNameToCode("Bond"), new GStringAttribute("Bond", 262)},
        // A setting of another class reads as absent.
        {81, {{262, 1}}, 0, {}, 1, kUntouched},
        {260, {{365, 1}}, 0, {}, 1, kUntouched},
        {110, {}, 0, {}, 1, kUntouched, new GStringAttribute("1", 258)},
        {30, {}, 0, {}, 1, kUntouched, Media(23, 0)},
    };
    for (const auto& row : rows) {
        GState settings;
        for (const auto& value : row.values)
            settings.Add(new GValueAttribute(value.second, value.first));
        if (row.group)
            settings.Add(Group(row.group, row.members));
        if (row.other)
            settings.Add(row.other);
        GPageEnd command(nullptr, 1);
        const Answer answer = Ask(row.key, nullptr, {&settings, &command, nullptr});
        EXPECT_EQ(row.status, answer.status) << row.key;
        EXPECT_EQ(row.code, answer.code) << row.key;
    }
}

// One key of each policy; the job settings hold 11, the command's state 44, a given state 33.
TEST(ExtensionValues, EachPolicyReadsWhereTheCommandClassSays)
{
    enum Where : uint16_t { J = 11, C = 44, N = kUntouched };
    const struct {
        uint16_t key;
        long feature;
        Where byCommand[5]; // document start, page start, page end, job abort, no command
    } rows[] = {
        {111, 263, {J, J, J, N, N}},
        {190, 278, {C, J, J, N, N}},
        {150, 253, {C, C, J, N, N}},
        {110, 258, {J, C, J, N, N}},
        {263, 0, {J, J, J, J, J}},
    };
    for (const auto& row : rows) {
        auto stateWith = [&](uint16_t v) {
            GState* state = new GState;
            state->Add(row.feature ? static_cast<GObjectBase*>(new GValueAttribute(v, row.feature))
                                   : Group(365, {{307, v}}));
            return state;
        };
        std::unique_ptr<GState> settings(stateWith(J)), given(stateWith(33));
        std::unique_ptr<GCommand> commands[] = {
            std::make_unique<GDocumentStart>(L"doc", RWCString(), L"out", nullptr, stateWith(C), 1),
            std::make_unique<GPageStart>(stateWith(C), 2), std::make_unique<GPageEnd>(stateWith(C), 3),
            std::make_unique<GJobAbort>(4), nullptr};
        for (int c = 0; c < 5; ++c) {
            const Answer answer = Ask(row.key, nullptr, {settings.get(), commands[c].get(), nullptr});
            EXPECT_EQ(row.byCommand[c], answer.code) << row.key << " command " << c;
            EXPECT_EQ(row.byCommand[c] == N ? 1 : 0, answer.status) << row.key << " command " << c;
            EXPECT_EQ(33, Ask(row.key, given.get(), {settings.get(), commands[c].get(), nullptr}).code) << row.key;
        }
    }
}

TEST(ExtensionValues, ACommandStateGivesThePaperAsMedia)
{
    GState settings;
    settings.Add(new GValueAttribute(1, 260));
    GState* state = new GState;
    state->Add(Media(23, 90));
    GPageStart command(state, 1);
    const GExtensionQueryContext context = {&settings, &command, nullptr};
    EXPECT_EQ(33, Ask(30, nullptr, context).code);
    EXPECT_EQ(72, Ask(70, nullptr, context).code);
    EXPECT_EQ(MediaTypeNameToCode("Bond"), Ask(80, nullptr, context).code);
    const uint16_t measures[] = {5100, 6600, 4800, 6200, 150, 250, 100, 200};
    for (uint16_t key = 60; key <= 67; ++key) {
        EXPECT_EQ(measures[key - 60], Ask(key, nullptr, context).code) << key;
        EXPECT_EQ(4, Ask(key, state, context).status) << key;
        EXPECT_EQ(kUntouched, Ask(key, state, context).code) << key;
    }
}
