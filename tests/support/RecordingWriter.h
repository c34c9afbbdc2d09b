// A writer and an output for the tests of the writers and of what feeds them: a memory
// channel, a provider that opens one (or none, or an unusable one), and a recording
// writer that logs each handler it is called on with the class id of its argument and
// writes the pass-through bytes aimed at its own class to its channel.
#pragma once

#include "graphics/GBrush.h"
#include "graphics/GCap.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToPath.h"
#include "graphics/GClipToRectangle.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GColorPaint.h"
#include "graphics/GDashedPen.h"
#include "graphics/GDownloadFace.h"
#include "graphics/GFillMode.h"
#include "graphics/GJoint.h"
#include "graphics/GMiterJoint.h"
#include "graphics/GNoBrush.h"
#include "graphics/GNoPen.h"
#include "graphics/GOutputChannel.h"
#include "graphics/GPathGraphic.h"
#include "pdl/GPdlWriter.h"
#include "graphics/GPen.h"
#include "graphics/GPolyBezierGraphic.h"
#include "graphics/GPolygonGraphic.h"
#include "graphics/GRasterGraphic.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GTextStringGraphic.h"
#include "graphics/GTransformAttribute.h"
#include "model/GColorMap.h"
#include "model/GEdgeControl.h"
#include "model/GEnumAttribute.h"
#include "model/GHalftone.h"
#include "model/GHalftoneEnhanced.h"
#include "model/GNeutralGrays.h"
#include "model/GProvider.h"
#include "model/GProviderRegistry.h"
#include "model/GRangeAttribute.h"
#include "model/GSRGBColor.h"
#include "model/GSRGBExtension.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "pdl/postscript/GPostScript.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GDownloadHeaderCommand.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "printer/GMedia.h"
#include "printer/GTray.h"

#include <memory>
#include <string>
#include <vector>

// A channel that keeps what is written and counts its steps.
class MemoryChannel : public GOutputChannel {
public:
    explicit MemoryChannel(bool usable = true, int16_t openStatus = 0)
        : GOutputChannel("memory"), usable_(usable), openStatus_(openStatus)
    {
    }
    int16_t Open(const RWWString& name) override
    {
        ++opens;
        openedAs = name;
        return openStatus_ ? openStatus_ : GOutputChannel::Open(name);
    }
    int16_t WriteBytes(const void* data, uint32_t length) override
    {
        bytes.append(static_cast<const char*>(data), length);
        CountWritten(length);
        return 0;
    }
    int16_t PageBoundary() override { return 0; }
    bool IsOpen() const override { return usable_; }

    std::string bytes;
    int opens = 0;
    RWWString openedAs;

private:
    bool usable_;
    int16_t openStatus_;
};

// Opens memory channels for any output name while it is registered (for its lifetime).
// What it opens is chosen per test: a usable channel, none, an unusable one, or one
// whose open fails with a status.
class TestOutputProvider : public GProvider {
public:
    enum Supply { kChannel, kNone, kUnusable };

    TestOutputProvider() { GProviderRegistry::Instance().Register(this, "TestOutput"); }
    ~TestOutputProvider() override { GProviderRegistry::Instance().Unregister("TestOutput"); }
    TestOutputProvider* CreateNew() const override { return nullptr; }
    TestOutputProvider* Copy() const override { return nullptr; }
    uint32_t GetCapabilities() const override { return 1; }
    GOutputChannel* Open(const RWWString&, const RWCString&, uint32_t, void*) override
    {
        ++opened;
        if (supply == kNone)
            return last = nullptr;
        return last = new MemoryChannel(supply == kChannel, openStatus);
    }

    Supply supply = kChannel;
    int16_t openStatus = 0;
    int opened = 0;
    // The channel opened last; owned by whoever it was handed to.
    MemoryChannel* last = nullptr;
};

// Logs every handler as "Handler classid" and answers 0; keeps a copy of each text
// graphic and download face (which answer status) and the names of the fonts it is
// asked to remove. Bytes of a pass-through command aimed at its class go to its channel.
class RecordingWriter : public GPersistent<RecordingWriter, GPdlWriter, 0x7867> {
public:
    static constexpr const char* kClassName = "TestRecordingWriter";
    RecordingWriter* CreateNew() const override { return new RecordingWriter; }
    RecordingWriter* Copy() const override { return new RecordingWriter(*this); }
    auto StoredForm() { return GNoFields(); }
    RecordingWriter() = default;
    // A copy records nothing yet.
    RecordingWriter(const RecordingWriter& other) : GPersistent(other) {}
    // The writer's fields are assigned; the records stay this writer's.
    RecordingWriter& operator=(const RecordingWriter& other)
    {
        GPdlWriter::operator=(other);
        return *this;
    }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }

    int16_t DrawArc(GCommand& c) override { return Log("DrawArc", c); }
    int16_t DrawChord(GCommand& c) override { return Log("DrawChord", c); }
    int16_t DrawEllipse(GCommand& c) override { return Log("DrawEllipse", c); }
    int16_t EndScanBlock(GCommand& c) override { return Log("EndScanBlock", c); }
    // Keeps the nesting rule: a path at level 0 starts a new path and paints it when
    // the clip state allows; a nested closed path closes its sub-path.
    int16_t DrawPath(GPathGraphic& path) override
    {
        Log("DrawPath", path);
        if (!IsBuildingPath())
            log.push_back("NewPath");
        const int16_t status = PlayPathMembers(path);
        if (!IsBuildingPath()) {
            if (GetClipState() == 0)
                log.push_back("PaintPath");
        } else if (path.IsClosed()) {
            log.push_back("CloseSubPath");
        }
        return status;
    }
    int16_t DrawPie(GCommand& c) override { return Log("DrawPie", c); }
    int16_t DrawPolyBezier(GPolyBezierGraphic& c) override { return Log("DrawPolyBezier", c); }
    int16_t DrawPointRun(GCommand& c) override { return Log("DrawPointRun", c); }
    int16_t DrawPolyline(GCommand& c) override { return Log("DrawPolyline", c); }
    int16_t DrawLineToRun(GCommand& c) override { return Log("DrawLineToRun", c); }
    int16_t DrawPolygon(GPolygonGraphic& c) override { return Log("DrawPolygon", c); }
    int16_t DrawRectangle(GRectangleGraphic& c) override { return Log("DrawRectangle", c); }
    int16_t DrawRaster(GRasterGraphic& c) override { return Log("DrawRaster", c); }
    int16_t DrawRoundRectangle(GCommand& c) override { return Log("DrawRoundRectangle", c); }
    int16_t DrawScanLine(GCommand& c) override { return Log("DrawScanLine", c); }
    int16_t BeginScanBlock(GCommand& c) override { return Log("BeginScanBlock", c); }
    int16_t DrawTextString(GTextStringGraphic& graphic) override
    {
        Log("DrawTextString", graphic);
        drawn.emplace_back(graphic.Copy());
        return status;
    }
    int16_t DownloadFace(GDownloadFace& command) override
    {
        Log("DownloadFace", command);
        drawn.emplace_back(command.Copy());
        return status;
    }

    int16_t OnDocumentStart(GDocumentStart& c) override
    {
        Log("OnDocumentStart", c);
        return GPdlWriter::OnDocumentStart(c);
    }
    int16_t OnDocumentEnd(GDocumentEnd& c) override { return Log("OnDocumentEnd", c), GPdlWriter::OnDocumentEnd(c); }
    int16_t OnDocumentEvent(GCommand& c) override { return Log("OnDocumentEvent", c); }
    int16_t OnPageStart(GPageStart& c) override { return Log("OnPageStart", c), GPdlWriter::OnPageStart(c); }
    int16_t OnPageEnd(GPageEnd& c) override { return Log("OnPageEnd", c), GPdlWriter::OnPageEnd(c); }
    int16_t OnJobAbort(GJobAbort& c) override { return Log("OnJobAbort", c), GPdlWriter::OnJobAbort(c); }
    int16_t OnError(GErrorCommand& c) override { return Log("OnError", c); }
    int16_t OnPassThrough(GPassThroughCommand& c) override
    {
        Log("OnPassThrough", c);
        if (c.GetTargetClassId() == ClassId() && GetOutputChannel() && c.GetData())
            return GetOutputChannel()->WriteBytes(c.GetData(), c.GetLength());
        return 0;
    }
    int16_t OnDownloadHeader(GDownloadHeaderCommand& c) override { return Log("OnDownloadHeader", c); }

    int16_t ApplyBrush(GBrush& a) override { return Log("ApplyBrush", a); }
    int16_t ApplyCap(GCap& a) override { return Log("ApplyCap", a); }
    int16_t ApplyClipToPage(GClipToPage& a) override { return Log("ApplyClipToPage", a); }
    int16_t ApplyClipToPath(GClipToPath& a) override { return Log("ApplyClipToPath", a); }
    int16_t ApplyClipToRectangle(GClipToRectangle& a) override { return Log("ApplyClipToRectangle", a); }
    int16_t ApplyClipToSingleRectangle(GClipToSingleRectangle& a) override
    {
        return Log("ApplyClipToSingleRectangle", a);
    }
    int16_t ApplyColorMap(GColorMap& a) override { return Log("ApplyColorMap", a); }
    int16_t ApplyDashedPen(GDashedPen& a) override { return Log("ApplyDashedPen", a); }
    int16_t ApplyFillMode(GFillMode& a) override { return Log("ApplyFillMode", a); }
    int16_t ApplyHalftone(GHalftone& a) override { return Log("ApplyHalftone", a); }
    int16_t ApplyHalftoneEnhanced(GHalftoneEnhanced& a) override { return Log("ApplyHalftoneEnhanced", a); }
    int16_t ApplyNeutralGrays(GNeutralGrays& a) override { return Log("ApplyNeutralGrays", a); }
    int16_t ApplyEdgeControl(GEdgeControl& a) override { return Log("ApplyEdgeControl", a); }
    int16_t ApplySRGBColor(GSRGBColor& a) override { return Log("ApplySRGBColor", a); }
    int16_t ApplySRGBExtension(GSRGBExtension& a) override { return Log("ApplySRGBExtension", a); }
    int16_t ApplyJoint(GJoint& a) override { return Log("ApplyJoint", a); }
    int16_t ApplyMiterJoint(GMiterJoint& a) override { return Log("ApplyMiterJoint", a); }
    int16_t ApplyNoBrush(GNoBrush& a) override { return Log("ApplyNoBrush", a); }
    int16_t ApplyNoPen(GNoPen& a) override { return Log("ApplyNoPen", a); }
    int16_t ApplyPen(GPen& a) override { return Log("ApplyPen", a); }
    int16_t ApplyRasterOperation(GRasterOperation& a) override { return Log("ApplyRasterOperation", a); }
    int16_t ApplyValue(GValueAttribute& a) override { return Log("ApplyValue", a); }
    int16_t ApplyString(GStringAttribute& a) override { return Log("ApplyString", a); }
    int16_t ApplyEnum(GEnumAttribute& a) override { return Log("ApplyEnum", a); }
    int16_t ApplyRange(GRangeAttribute& a) override { return Log("ApplyRange", a); }
    int16_t SetPdlWriter(GCheetah& w) override { return Log("SetPdlWriter", w); }
    int16_t SetPdlWriter(GPcl5e& w) override { return Log("SetPdlWriter", w); }
    int16_t SetPdlWriter(GPostScript& w) override { return Log("SetPdlWriter", w); }
    int16_t SetPjlWriter(GPJL& w) override { return Log("SetPjlWriter", w); }
    int16_t ApplyMedia(GMedia& a) override { return Log("ApplyMedia", a); }
    int16_t ApplyTray(GTray& a) override { return Log("ApplyTray", a); }
    int16_t ApplyTransform(GTransformAttribute& a) override { return Log("ApplyTransform", a); }

    void RemoveDownloadedFont(const RWCString& name) override { removed.push_back(name.Data()); }
    int16_t SetPenColor(GObjectBase& c) override { return Log("SetPenColor", c); }
    int16_t SetPenColor(GColorPaint& c) override { return Log("SetPenColor(paint)", c); }
    int16_t SetBrushColor(GObjectBase& c) override { return Log("SetBrushColor", c); }
    int16_t SetBrushColor(GColorPaint& c) override { return Log("SetBrushColor(paint)", c); }

    std::vector<std::string> log;
    std::vector<std::unique_ptr<GObjectBase>> drawn;
    std::vector<std::string> removed;
    int16_t status = 0;

private:
    int16_t Log(const char* handler, const RWCollectable& argument)
    {
        log.push_back(std::string(handler) + " " + std::to_string(argument.ClassId()));
        return 0;
    }
};
