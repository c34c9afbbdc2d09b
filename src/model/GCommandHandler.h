// What a command's Execute calls: one handler for each drawing primitive and each kind of
// job event. The peripheral implements it (as it implements GAttributeVisitor), so the
// commands and primitives below the printer core dispatch to it without knowing it.
#pragma once

#include <cstdint>

class GCommand;
class GDocumentEnd;
class GDocumentStart;
class GDownloadFace;
class GDownloadHeaderCommand;
class GErrorCommand;
class GJobAbort;
class GPageEnd;
class GPageStart;
class GPassThroughCommand;
class GPathGraphic;
class GPolyBezierGraphic;
class GPolygonGraphic;
class GRasterGraphic;
class GRectangleGraphic;
class GTextStringGraphic;

class GCommandHandler {
public:
    virtual ~GCommandHandler() = default;

    // Drawing handlers.
    virtual int16_t DrawPath(GPathGraphic& primitive) = 0;
    virtual int16_t DrawPolyBezier(GPolyBezierGraphic& primitive) = 0;
    virtual int16_t DrawPolygon(GPolygonGraphic& primitive) = 0;
    virtual int16_t DrawRectangle(GRectangleGraphic& primitive) = 0;
    virtual int16_t DrawRaster(GRasterGraphic& primitive) = 0;
    virtual int16_t DrawTextString(GTextStringGraphic& primitive) = 0;
    virtual int16_t DownloadFace(GDownloadFace& primitive) = 0;

    // Job handlers.
    virtual int16_t OnDocumentStart(GDocumentStart& command) = 0;
    virtual int16_t OnDocumentEnd(GDocumentEnd& command) = 0;
    virtual int16_t OnDocumentEvent(GCommand& command) = 0;
    virtual int16_t OnPageStart(GPageStart& command) = 0;
    virtual int16_t OnPageEnd(GPageEnd& command) = 0;
    virtual int16_t OnJobAbort(GJobAbort& command) = 0;
    virtual int16_t OnError(GErrorCommand& command) = 0;
    virtual int16_t OnPassThrough(GPassThroughCommand& command) = 0;
    virtual int16_t OnDownloadHeader(GDownloadHeaderCommand& command) = 0;
};
