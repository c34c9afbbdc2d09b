// The page-description writer base: the double dispatch of every primitive, command and
// attribute class to its one handler, the document start with its output channel and
// memory budget, the base operations, the path nesting rule, the stored fields, copies
// and the device-font list.
#include "RecordingWriter.h"

#include "graphics/GPreScaledRasterGraphic.h"
#include "model/GConfiguration.h"
#include "model/GProviderRegistry.h"
#include "StubProducer.h"

#include "../model/StoredForms.h"
#include "DeletionCount.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TestProducer : StubProducer {
    uint32_t GetProducerKey() const override { return 0x1234; }
};

// A writer object whose deletion is counted.
struct CountedObject : GPdlWriter::Object {
    explicit CountedObject(int* deletions) : count(deletions) {}
    DeletionCount count;
};

std::string Entry(const char* handler, RWClassID classId) { return std::string(handler) + " " + std::to_string(classId); }

// The writer's own stored part: the last 18 bytes of a recording writer's guts.
std::vector<uint8_t> WriterPart(uint32_t started, uint32_t inScan, int16_t nesting, uint32_t clip, uint32_t version = 1)
{
    return StoredBytes().U32(version).U32(started).U32(inScan).U16(uint16_t(nesting)).U32(clip).Get();
}

// The writer stored by value: its class, then its fields with the writer's last.
std::vector<uint8_t> ValueBytes(const RWCollectable& object)
{
    TempPath path(ThreadFileName("writer-value.bin"));
    {
        RWBinaryFile file(path.c_str(), "wb+");
        object.RecursiveSaveOn(file);
    }
    return FileBytes(path.str());
}

void RestoreValue(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    BytesFile file(bytes);
    ASSERT_TRUE(file.Ready());
    RWCollectable::RecursiveRestoreFrom(file.File(), &object);
}

std::vector<uint8_t> WithWriterPart(const RecordingWriter& writer, const std::vector<uint8_t>& part)
{
    std::vector<uint8_t> bytes = ValueBytes(writer);
    bytes.resize(bytes.size() - 18);
    bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// No provider of this program's other tests may answer before the test's own.
void ExpectNoOtherProvider() { ASSERT_EQ(0u, GProviderRegistry::Instance().Count(GProviderRegistry::kChannelMask)); }

} // namespace

TEST(GPdlWriterDispatch, EveryClassReachesExactlyItsHandler)
{
    struct Row {
        std::function<GObjectBase*()> make;
        const char* handler;
    };
    const Row commands[] = {
        {[] { return new GPolyBezierGraphic; }, "DrawPolyBezier"},
        {[] { return new GPolygonGraphic; }, "DrawPolygon"},
        {[] { return new GRectangleGraphic; }, "DrawRectangle"},
        {[] { return new GRasterGraphic; }, "DrawRaster"},
        {[] { return new GPreScaledRasterGraphic; }, "DrawRaster"},
        {[] { return new GTextStringGraphic; }, "DrawTextString"},
        {[] { return new GDownloadFace; }, "DownloadFace"},
        {[] { return new GDocumentStart; }, "OnDocumentStart"},
        {[] { return new GDocumentEnd; }, "OnDocumentEnd"},
        {[] { return new GPageStart; }, "OnPageStart"},
        {[] { return new GPageEnd; }, "OnPageEnd"},
        {[] { return new GJobAbort; }, "OnJobAbort"},
        {[] { return new GErrorCommand; }, "OnError"},
        {[] { return new GPassThroughCommand; }, "OnPassThrough"},
        {[] { return new GDownloadHeaderCommand; }, "OnDownloadHeader"},
    };
    for (const Row& row : commands) {
        RecordingWriter writer;
        std::unique_ptr<GCommand> command(static_cast<GCommand*>(row.make()));
        command->Execute(writer);
        ASSERT_FALSE(writer.log.empty()) << row.handler;
        EXPECT_EQ(Entry(row.handler, command->ClassId()), writer.log[0]);
        EXPECT_EQ(1u, writer.log.size()) << writer.log.back();
    }
    const Row attributes[] = {
        {[] { return new GBrush; }, "ApplyBrush"},
        {[] { return new GCap; }, "ApplyCap"},
        {[] { return new GClipToPage; }, "ApplyClipToPage"},
        {[] { return new GClipToPath; }, "ApplyClipToPath"},
        {[] { return new GClipToRectangle; }, "ApplyClipToRectangle"},
        {[] { return new GClipToSingleRectangle; }, "ApplyClipToSingleRectangle"},
        {[] { return new GColorMap; }, "ApplyColorMap"},
        {[] { return new GDashedPen; }, "ApplyDashedPen"},
        {[] { return new GFillMode; }, "ApplyFillMode"},
        {[] { return new GHalftone; }, "ApplyHalftone"},
        {[] { return new GHalftoneEnhanced; }, "ApplyHalftoneEnhanced"},
        {[] { return new GNeutralGrays; }, "ApplyNeutralGrays"},
        {[] { return new GEdgeControl; }, "ApplyEdgeControl"},
        {[] { return new GSRGBColor; }, "ApplySRGBColor"},
        {[] { return new GSRGBExtension; }, "ApplySRGBExtension"},
        {[] { return new GJoint; }, "ApplyJoint"},
        {[] { return new GMiterJoint; }, "ApplyMiterJoint"},
        {[] { return new GNoBrush; }, "ApplyNoBrush"},
        {[] { return new GNoPen; }, "ApplyNoPen"},
        {[] { return new GPen; }, "ApplyPen"},
        {[] { return new GRasterOperation; }, "ApplyRasterOperation"},
        {[] { return new GValueAttribute; }, "ApplyValue"},
        {[] { return new GStringAttribute; }, "ApplyString"},
        {[] { return new GEnumAttribute; }, "ApplyEnum"},
        {[] { return new GRangeAttribute; }, "ApplyRange"},
        {[] { return new GCheetah; }, "SetPdlWriter"},
        {[] { return new GPcl5e; }, "SetPdlWriter"},
        {[] { return new GPostScript; }, "SetPdlWriter"},
        {[] { return new GMedia; }, "ApplyMedia"},
        {[] { return new GTray; }, "ApplyTray"},
        {[] { return new GTransformAttribute; }, "ApplyTransform"},
    };
    for (const Row& row : attributes) {
        RecordingWriter writer;
        std::unique_ptr<GObjectBase> made(row.make());
        GAttribute* attribute = dynamic_cast<GAttribute*>(made.get());
        ASSERT_NE(nullptr, attribute) << row.handler;
        attribute->ApplyTo(writer);
        EXPECT_EQ(std::vector<std::string>{Entry(row.handler, made->ClassId())}, writer.log);
    }
}

TEST(GPdlWriterDispatch, ColorPaintReachesThePenOrBrushColorOfItsOwnForm)
{
    RecordingWriter writer;
    GColorPaint paint;
    paint.ApplyAsPen(writer);
    paint.ApplyAsBrush(writer);
    EXPECT_EQ((std::vector<std::string>{"SetPenColor(paint) 152", "SetBrushColor(paint) 152"}), writer.log);
}

TEST(GPdlWriterDocumentStart, OpensAProvidersChannelUnderTheDocumentNameAndHandsItOn)
{
    ExpectNoOtherProvider();
    TestOutputProvider provider;
    TestProducer producer;
    RecordingWriter writer;
    GDocumentStart start(L"report", L"FILE:", &producer, 0);
    EXPECT_EQ(0, writer.OnDocumentStart(start));
    ASSERT_NE(nullptr, provider.last);
    EXPECT_EQ(provider.last, writer.GetOutputChannel());
    EXPECT_EQ(provider.last, start.GetOutputChannel());
    EXPECT_TRUE(writer.OwnsOutputChannel());
    EXPECT_EQ(1, provider.last->opens);
    EXPECT_EQ(0, provider.last->openedAs.CompareTo(RWWString(L"report")));
    EXPECT_EQ(1u, writer.IsDocumentStarted());
    EXPECT_EQ(&producer, writer.GetProducer());
    EXPECT_EQ(1u, writer.IsPassThroughAllowed());
}

// A carried channel is borrowed even after a job whose channel the writer owned: it is
// neither opened nor ever deleted by the writer.
TEST(GPdlWriterDocumentStart, CarriedChannelIsBorrowedAndNotOpened)
{
    ExpectNoOtherProvider();
    TestOutputProvider provider;
    MemoryChannel carried;
    {
        RecordingWriter writer;
        GDocumentStart owned(L"first", L"FILE:", nullptr, 0);
        ASSERT_EQ(0, writer.OnDocumentStart(owned));
        ASSERT_TRUE(writer.OwnsOutputChannel());

        GDocumentStart start(L"second", L"FILE:", nullptr, 0);
        start.SetOutputChannel(&carried);
        EXPECT_EQ(0, writer.OnDocumentStart(start));
        EXPECT_EQ(&carried, writer.GetOutputChannel());
        EXPECT_FALSE(writer.OwnsOutputChannel());
        EXPECT_EQ(0, carried.opens);
        EXPECT_EQ(1, provider.opened);
        start.DetachOutputChannel();
    }
    EXPECT_EQ(0, carried.opens) << "the writer's end left the borrowed channel alone";
}

TEST(GPdlWriterDocumentStart, NoUsableChannelGives601WithoutACallThroughIt)
{
    ExpectNoOtherProvider();
    {
        RecordingWriter writer;
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        EXPECT_EQ(601, writer.OnDocumentStart(start)) << "no provider";
        EXPECT_EQ(nullptr, writer.GetOutputChannel());
        EXPECT_FALSE(writer.OwnsOutputChannel());
    }
    for (TestOutputProvider::Supply supply : {TestOutputProvider::kNone, TestOutputProvider::kUnusable}) {
        TestOutputProvider provider;
        provider.supply = supply;
        RecordingWriter writer;
        writer.GetConfiguration()->Add(new GRangeAttribute(0, 200, 1, 100, 202));
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        EXPECT_EQ(601, writer.OnDocumentStart(start)) << supply;
        EXPECT_EQ(nullptr, start.GetOutputChannel()) << supply;
        if (provider.last) {
            EXPECT_EQ(0, provider.last->opens);
        }
        EXPECT_EQ(GDeviceMemoryBudget::kDefaultTotal, writer.GetMemoryBudget().GetTotal()) << supply;
    }
}

TEST(GPdlWriterDocumentStart, OpenFailureGivesItsStatusAndLeavesTheBudget)
{
    ExpectNoOtherProvider();
    TestOutputProvider provider;
    provider.openStatus = 7;
    RecordingWriter writer;
    writer.GetConfiguration()->Add(new GRangeAttribute(0, 200, 1, 100, 202));
    writer.ReserveDeviceMemory(1000);
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    EXPECT_EQ(7, writer.OnDocumentStart(start));
    EXPECT_EQ(GDeviceMemoryBudget::kDefaultTotal, writer.GetMemoryBudget().GetTotal());
    EXPECT_EQ(GDeviceMemoryBudget::kDefaultTotal - 1000, writer.GetMemoryBudget().GetFree());
}

// The setting is read as signed: a negative one gives no memory, never a wrapped total.
TEST(GPdlWriterDocumentStart, MemorySettingSizesTheBudget)
{
    ExpectNoOtherProvider();
    struct Row {
        GAttribute* setting;
        uint32_t total;
    } rows[] = {
        {new GRangeAttribute(-10, 200, 1, 100, 202), 1048500},
        {nullptr, 1048576},
        {new GRangeAttribute(-10, 200, 1, -5, 202), 0},
        {new GRangeAttribute(-10, 200, 1, 0, 202), 0},
        {new GValueAttribute(100, 202), 1048576}, // another class counts as absent
    };
    for (const Row& row : rows) {
        TestOutputProvider provider;
        RecordingWriter writer;
        if (row.setting)
            writer.GetConfiguration()->Add(row.setting);
        writer.ReserveDeviceMemory(500);
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        ASSERT_EQ(0, writer.OnDocumentStart(start));
        EXPECT_EQ(row.total, writer.GetMemoryBudget().GetTotal());
        EXPECT_EQ(row.total, writer.GetMemoryBudget().GetFree()) << "nothing used after the start";
    }
}

TEST(GPdlWriterMemory, ReservingMoreThanIsFreeAnswersZeroAndReleaseGivesBack)
{
    RecordingWriter writer;
    EXPECT_EQ(1048576u - 1000u, writer.ReserveDeviceMemory(1000));
    EXPECT_EQ(0u, writer.ReserveDeviceMemory(1048576u - 999u));
    EXPECT_EQ(0u, writer.GetMemoryBudget().GetFree());
    EXPECT_EQ(500u, writer.ReleaseDeviceMemory(500));
    EXPECT_EQ(1048576u, writer.ReleaseDeviceMemory(0xFFFFFFFFu));
}

// The recording writer stands in for a real one: bytes aimed at its class reach its
// channel, bytes for another writer do not.
TEST(GPdlWriterDispatch, PassThroughBytesReachTheChannelOfTheWriterTheyAreFor)
{
    MemoryChannel channel;
    RecordingWriter writer;
    writer.SetOutputChannel(&channel, false);
    const uint8_t bytes[] = {'a', 0, 'b'};
    EXPECT_EQ(0, GPassThroughCommand(bytes, 3, RecordingWriter::kClassId, 0).Execute(writer));
    EXPECT_EQ(0, GPassThroughCommand(bytes, 3, GCheetah::kClassId, 0).Execute(writer));
    EXPECT_EQ(std::string("a\0b", 3), channel.bytes);
    EXPECT_EQ(2u, writer.log.size());
    writer.SetOutputChannel(nullptr, false);
}

TEST(GPdlWriterOperations, BaseAnswers)
{
    RecordingWriter writer;
    const std::pair<int16_t, uint16_t> rops[] = {{0, 255}, {1, 0}, {15, 252}, {16, 255}, {17, 0}, {2, 5}, {-14, 5}};
    for (const auto& rop : rops)
        EXPECT_EQ(rop.second, writer.GetTernaryRop(rop.first)) << rop.first;
    EXPECT_EQ(1, writer.MatchDeviceFont(7));
    uint32_t found = 99;
    EXPECT_EQ(1, writer.MatchDeviceFontEx(1, 2, 3, &found, 5, 6, 7));
    EXPECT_EQ(0u, found);
    EXPECT_EQ(1, writer.MatchDeviceFontEx(1, 2, 3, nullptr, 5, 6, 7));
    EXPECT_EQ(0u, writer.QueryFeature(155));
    GPageStart page;
    EXPECT_EQ(0, writer.GPdlWriter::OnPageStart(page));
    EXPECT_FALSE(writer.InPage()) << "the base does not enter the page";
}

TEST(GPdlWriterPaths, NestedClosedPathClosesItsSubPathAndThePathIsPaintedOnce)
{
    GPathGraphic outer(nullptr, 1);
    outer.Add(new GRectangleGraphic({0, 0, 5, 5}, nullptr, 2));
    GPathGraphic* inner = new GPathGraphic(nullptr, 3);
    inner->SetClosed(1);
    inner->Add(new GPolygonGraphic);
    outer.Add(inner);

    RecordingWriter writer;
    EXPECT_EQ(0, outer.Execute(writer));
    const std::vector<std::string> expected = {"DrawPath 603",
                                               "NewPath",
                                               Entry("DrawRectangle", GRectangleGraphic::kClassId),
                                               "DrawPath 603",
                                               Entry("DrawPolygon", GPolygonGraphic::kClassId),
                                               "CloseSubPath",
                                               "PaintPath"};
    EXPECT_EQ(expected, writer.log);
    EXPECT_FALSE(writer.IsBuildingPath());

    // A clip state keeps the path for a clip: nothing is painted.
    RecordingWriter clipping;
    clipping.SetClipState(1);
    outer.Execute(clipping);
    EXPECT_EQ(std::string("CloseSubPath"), clipping.log.back());
}

TEST(GPdlWriterStore, AddsExactlyEighteenBytes)
{
    RecordingWriter writer;
    EXPECT_EQ(18u, writer.BinaryStoreSize() - writer.GPeripheralComposite::BinaryStoreSize());
    const std::vector<uint8_t> crafted = WithWriterPart(writer, WriterPart(1, 1, 2, 0x01020304));
    RecordingWriter back;
    RestoreValue(back, crafted);
    EXPECT_EQ(1u, back.IsDocumentStarted());
    EXPECT_EQ(1u, back.IsInScanBlock());
    EXPECT_EQ(2, back.GetPathNesting());
    EXPECT_EQ(0x01020304u, back.GetClipState());
    const std::vector<uint8_t> saved = ValueBytes(back);
    EXPECT_EQ(crafted.size(), saved.size());
    EXPECT_EQ(std::vector<uint8_t>(crafted.end() - 18, crafted.end()), std::vector<uint8_t>(saved.end() - 18, saved.end()));
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 4, 3, 2, 1}),
              std::vector<uint8_t>(saved.end() - 18, saved.end()));
    // The shells add their own version word after it.
    GCheetah cheetah;
    EXPECT_EQ(22u, cheetah.BinaryStoreSize() - cheetah.GPeripheralComposite::BinaryStoreSize());
}

TEST(GPdlWriterStore, AnotherVersionKeepsTheFieldsAndDropsTheWriterObjects)
{
    RecordingWriter writer;
    RestoreValue(writer, WithWriterPart(writer, WriterPart(1, 0, 3, 9)));
    int deletions = 0;
    writer.SetWriterObjectA(new CountedObject(&deletions));
    writer.SetWriterObjectB(new CountedObject(&deletions));
    RestoreValue(writer, WithWriterPart(writer, WriterPart(0, 1, 0, 0, 2)));
    EXPECT_EQ(1u, writer.IsDocumentStarted());
    EXPECT_EQ(0u, writer.IsInScanBlock());
    EXPECT_EQ(3, writer.GetPathNesting());
    EXPECT_EQ(9u, writer.GetClipState());
    EXPECT_EQ(2, deletions);
    EXPECT_EQ(nullptr, writer.GetWriterObjectA());
    EXPECT_EQ(nullptr, writer.GetWriterObjectB());
}

TEST(GPdlWriterCopy, MidPageCopyHasNoProducerObjectsOrBudgetUse)
{
    ExpectNoOtherProvider();
    TestOutputProvider provider;
    TestProducer producer;
    RecordingWriter writer;
    GDocumentStart start(L"doc", L"FILE:", &producer, 0);
    ASSERT_EQ(0, writer.OnDocumentStart(start));
    int deletions = 0;
    writer.SetWriterObjectA(new CountedObject(&deletions));
    writer.SetWriterObjectB(new CountedObject(&deletions));
    writer.SetPageWord(0, 5);
    writer.SetPageWord(1, 6);
    writer.SetClipState(4);
    writer.SetInScanBlock(1);
    writer.SetDeviceFontUsed(1);
    writer.ReserveDeviceMemory(4096);
    writer.GetDownloadedFonts().Add(new GDeviceFontList(420));

    RecordingWriter copy(writer);
    EXPECT_EQ(nullptr, copy.GetProducer());
    EXPECT_EQ(nullptr, copy.GetWriterObjectA());
    EXPECT_EQ(nullptr, copy.GetWriterObjectB());
    EXPECT_EQ(0u, copy.GetPageWord(0));
    EXPECT_EQ(0u, copy.GetPageWord(1));
    EXPECT_EQ(0u, copy.GetDeviceFontUsed());
    EXPECT_EQ(GDeviceMemoryBudget::kDefaultTotal, copy.GetMemoryBudget().GetFree());
    EXPECT_EQ(0u, copy.GetDownloadedFonts().Entries());
    EXPECT_EQ(1u, copy.IsDocumentStarted());
    EXPECT_EQ(4u, copy.GetClipState());
    EXPECT_EQ(1u, copy.IsInScanBlock());
    EXPECT_TRUE(copy.IsSame(&writer));

    // Assignment drops the target's writer objects and page words.
    RecordingWriter assigned;
    assigned.SetWriterObjectA(new CountedObject(&deletions));
    assigned.SetPageWord(0, 8);
    assigned = writer;
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(nullptr, assigned.GetWriterObjectA());
    EXPECT_EQ(0u, assigned.GetPageWord(0));
    EXPECT_EQ(nullptr, assigned.GetProducer());
    EXPECT_TRUE(assigned.IsSame(&writer));
    writer.SetClipState(5);
    EXPECT_FALSE(assigned.IsSame(&writer));
}

// A list of another class under the id counts as absent; a found list is borrowed, one
// the writer made is its own until a list is found.
TEST(GPdlWriterFonts, DeviceFontListIsFoundInTheConfigurationOrMade)
{
    RecordingWriter writer;
    GDeviceFontListComposite* made = writer.GetDeviceFontList();
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(made, writer.GetDeviceFontList());
    writer.GetConfiguration()->Add(new GValueAttribute(1, 414));
    EXPECT_EQ(made, writer.GetDeviceFontList());
    delete writer.GetConfiguration()->RemoveById(414);
    GDeviceFontListComposite* resident = new GDeviceFontListComposite;
    resident->SetId(414);
    writer.GetConfiguration()->Add(resident);
    EXPECT_EQ(resident, writer.GetDeviceFontList());
    RecordingWriter copy(writer);
    EXPECT_EQ(resident, copy.GetDeviceFontList());
}

TEST(GPdlWriterShells, EndAndAbortClearTheJobFields)
{
    ExpectNoOtherProvider();
    TestOutputProvider provider;
    for (int abort = 0; abort < 2; ++abort) {
        GCheetah writer;
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        ASSERT_EQ(0, start.Execute(writer));
        EXPECT_EQ(1u, writer.IsDocumentStarted());
        EXPECT_TRUE(writer.InDocument());
        writer.SetClipState(3);
        writer.SetInScanBlock(1);
        if (abort) {
            GJobAbort command;
            command.Execute(writer);
        } else {
            GDocumentEnd command;
            command.Execute(writer);
        }
        EXPECT_EQ(0u, writer.IsDocumentStarted());
        EXPECT_EQ(0u, writer.IsInScanBlock());
        EXPECT_EQ(0u, writer.GetClipState());
        EXPECT_EQ(0, writer.GetPathNesting());
        EXPECT_FALSE(writer.InDocument());
    }
    GColorPaint paint;
    GPostScript postScript;
    GPcl5e pcl5e;
    EXPECT_EQ(0, paint.ApplyAsPen(postScript));
    EXPECT_EQ(0, paint.ApplyAsBrush(pcl5e));
}
