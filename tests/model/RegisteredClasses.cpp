#include "RegisteredClasses.h"

#include "entry/agent/GNRAProvider.h"
#include "foundation/RWHashTable.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"
#include "graphics/GBitmap.h"
#include "graphics/GBrush.h"
#include "graphics/GCap.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToPath.h"
#include "graphics/GClipToRectangle.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GColorPaint.h"
#include "graphics/GDashedPen.h"
#include "graphics/GDeviceFontListComposite.h"
#include "graphics/GDitherMatrix.h"
#include "graphics/GDownloadFace.h"
#include "graphics/GFillMode.h"
#include "graphics/GGraphicComposite.h"
#include "graphics/GGlyphCache.h"
#include "graphics/GGlyphCacheNode.h"
#include "graphics/GMiterJoint.h"
#include "graphics/GNoBrush.h"
#include "graphics/GNoPen.h"
#include "graphics/GPaletteTable.h"
#include "graphics/GPathGraphic.h"
#include "graphics/GPolyBezierGraphic.h"
#include "graphics/GPolygonGraphic.h"
#include "graphics/GPreScaledRasterGraphic.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterGraphic.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GTTFontFile.h"
#include "graphics/GTTTableCache.h"
#include "graphics/GTTWin32FontFileReader.h"
#include "graphics/GTextEscapements.h"
#include "graphics/GTextString.h"
#include "graphics/GTextStringGraphic.h"
#include "graphics/GTransformAttribute.h"
#include "model/GAttributeComposite.h"
#include "model/GBinaryData.h"
#include "model/GBookletComposite.h"
#include "model/GCapabilities.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GColorMap.h"
#include "model/GConfiguration.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GDynamicLibrary.h"
#include "model/GEdgeControl.h"
#include "model/GEnumAttribute.h"
#include "model/GHalftoneEnhanced.h"
#include "model/GLocaleInfo.h"
#include "model/GNeutralGrays.h"
#include "model/GOptMediaComposite.h"
#include "model/GPMDVersionInfo.h"
#include "model/GPMLDescriptor.h"
#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"
#include "model/GRangeAttribute.h"
#include "model/GRecord.h"
#include "model/GRecordComposite.h"
#include "model/GRecordProxy.h"
#include "model/GResourceMappingList.h"
#include "model/GSRGBColor.h"
#include "model/GSRGBExtension.h"
#include "model/GSelectionString.h"
#include "model/GStringAttribute.h"
#include "model/GValue32Attribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentComposite.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "model/MPersistentCompositeOnDiskImp.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "pdl/postscript/GPostScript.h"
#include "model/GCommandComposite.h"
#include "pipeline/filters/GCopyPageFilter.h"
#include "pipeline/filters/GFaceUpFilter.h"
#include "pipeline/filters/GLastPageFilter.h"
#include "pipeline/filters/GReverseFilter.h"
#include "pipeline/filters/GBookletFilter.h"
#include "printer/GMedia.h"
#include "pipeline/filters/GEmulateMarginsFilter.h"
#include "pipeline/filters/GFitToSizeFilter.h"
#include "pipeline/filters/GNupFilter.h"
#include "pipeline/filters/GScalePageFilter.h"
#include "pipeline/filters/GSymetricalDuplexFilter.h"
#include "pipeline/filters/GWatermarkFilter.h"
#include "pipeline/filters/GAAFilter1.h"
#include "pipeline/filters/GAAFilter2.h"
#include "pipeline/filters/GBackCoverFilter.h"
#include "pipeline/filters/GChromafitFilter.h"
#include "pipeline/filters/GFrontCoverFilter.h"
#include "pipeline/filters/GLetterheadFilter.h"
#include "pipeline/filters/GManualDuplexFilter.h"
#include "pipeline/filters/GReducingFilter.h"
#include "pipeline/GCommandCompositeOnDisk.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDownloadHeaderCommand.h"
#include "pipeline/GDocumentStart.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNoCommand.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "printer/GBin.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GFormToTrayAssociation.h"
#include "printer/GFormToTrayDatabase.h"
#include "graphics/GGraphicBundle.h"
#include "printer/GMarginPool.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPeripheralProxy.h"
#include "printer/GPrinter.h"
#include "model/GState.h"
#include "printer/GTray.h"

namespace {

GPointArray SamplePoints()
{
    static GPoint points[] = {{-2, 0}, {10, 0}, {10, 10}, {0, -7}};
    return {1, nullptr, points, 4};
}

template <class C, class F>
C* Filled(C* object, F fill)
{
    fill(*object);
    return object;
}

GEnumAttribute* Paper(long id)
{
    GEnumAttribute* paper = new GEnumAttribute(id);
    for (uint16_t v = 1; v <= 3; ++v)
        paper->Add(new GValueAttribute(v, id));
    paper->SelectNext();
    return paper;
}

const uint32_t kCapabilityBits[] = {1, 9};

GMedia* SampleMedia(uint16_t mediaId)
{
    return new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, mediaId, 600, 600, 190, 7, "f", "Bond");
}

// An input device with two trays, an empty configuration and a null one.
GPaperHandlingDevice* SampleDevice()
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

GDeviceFontDescription SampleFont(uint16_t number)
{
    GULongVector sets(2);
    sets.Append(3);
    sets.Append(53);
    return GDeviceFontDescription("Courier", "CourierD", 3, sets, 700, 1, 0x10, 0, 1, 12, number, 2);
}

// Two fonts, a stamp and a dictionary by font number holding the first.
GDeviceFontList* SampleFontList(long deviceCode)
{
    GDeviceFontList* list = new GDeviceFontList(deviceCode);
    list->Add(SampleFont(4));
    list->Add(SampleFont(5));
    list->SetStamp(0x01020304);
    MAssociationList* byNumber = new MAssociationList;
    byNumber->Add(new MPersistentAssociation(new GPersistableULong(4), new GDeviceFontDescription(SampleFont(4))));
    list->SetFontNumberDictionary(byNumber);
    return list;
}

} // namespace

// A 2 x 2 bitmap of 16-bit pixels with masks, a palette, mirror and segment fields.
GBitmapInfo SampleBitmap()
{
    static uint8_t pixels[8] = {0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C};
    GBitmapInfo info;
    info.bits = pixels;
    info.bitsSize = sizeof pixels;
    info.bounds = GRect{1, 2, 3, 4};
    info.bitsPerPixel = 16;
    info.rowAlignment = 4;
    info.palette = new GPaletteTable;
    info.mirror = 1;
    info.masksGiven = 1;
    info.redMask = 0xF800, info.greenMask = 0x7E0, info.blueMask = 0x1F;
    info.segmentStep = 5, info.segmentRows = 6, info.segmentValue = 7;
    return info;
}

MPersistentComposite* SampleTree()
{
    MPersistentComposite* root = new MPersistentComposite(1);
    GAttributeComposite* settings = new GAttributeComposite(2);
    settings->Add(new GValueAttribute(0x1234, 10));
    settings->Add(new GValue32Attribute(0x89ABCDEF, 11));
    settings->Add(new GRangeAttribute(-3, 300, 5, 150, 12));
    settings->Add(new GStringAttribute("name", 13));
    settings->Add(new GDisplayStringAttribute(14, 2001, "Letter", "8.5 x 11"));
    settings->Add(Paper(15));
    settings->SetStateWord(0);
    GDisplayString* shared = new GDisplayString(7, "shared", "");
    root->Add(settings);
    root->Add(shared);
    root->Add(new MPersistentComposite(3));
    root->Add(shared);
    return root;
}

const std::vector<RegisteredSample>& RegisteredSamples()
{
    static const std::vector<RegisteredSample> samples = {
        {"GValueAttribute", 763, [] { return new GValueAttribute(0x1234, 10); }},
        {"GValue32Attribute", 789, [] { return new GValue32Attribute(0x89ABCDEF, 11); }},
        {"GRangeAttribute", 762, [] { return new GRangeAttribute(-3, 300, 5, 150, 12); }},
        {"GStringAttribute", 776, [] { return new GStringAttribute("name", 13); }},
        {"GDisplayString", 786, [] { return new GDisplayString(7, "text", "alt"); }},
        {"GDisplayStringAttribute", 787,
         [] { return new GDisplayStringAttribute(14, 2001, "Letter", "8.5 x 11"); }},
        {"GEnumAttribute", 764, [] { return Paper(15); }},
        {"GAttributeComposite", 757, [] { return Filled(new GAttributeComposite(2), [](GAttributeComposite& c) {
             c.Add(new GValueAttribute(1, 3));
             c.Add(Paper(4));
         }); }},
        {"MPersistentComposite", 752, [] { return SampleTree(); }},
        {"GConfiguration", 759, [] { return Filled(new GConfiguration(3), [](GConfiguration& c) {
             c.Add(new GValueAttribute(1, 4));
             c.Add(new GConfiguration(5));
         }); }},
        {"GBinaryData", 4, [] { return new GBinaryData(new uint8_t[3]{1, 2, 3}, 3, 1, 6); }},
        {"GCapabilities", 1003, [] { return new GCapabilities(5, 10, kCapabilityBits, 2); }},
        {"GLocaleInfo", 3, [] { return new GLocaleInfo(6); }},
        {"GPMDVersionInfo", 1051, [] { return Filled(new GPMDVersionInfo(0x01020304, 0x05060708, 2, 9), [](GPMDVersionInfo& v) {
             v.AddString("a");
             v.AddString("bc");
         }); }},
        {"GPMLDescriptor", 956,
         [] { return Filled(new GPMLDescriptor(L"name", 42, 3), [](GPMLDescriptor& d) { d.SetText("t"); }); }},
        {"GSelectionString", 1008, [] { return new GSelectionString("sel", 2, 4); }},
        {"GResourceMapping", 1004, [] { return new GResourceMapping(100, 65, 66, 5); }},
        {"GResourceMappingList", 1005, [] { return Filled(new GResourceMappingList(6), [](GResourceMappingList& l) {
             l.Add(new GResourceMapping(100, 65, 66, 7));
             l.Add(new GResourceMapping(101, 67, -1, 8));
         }); }},
        {"MPersistentAssociation", 771,
         [] { return new MPersistentAssociation(new GValueAttribute(1, 2), new GStringAttribute("v", 3), 4); }},
        {"MAssociationList", 772, [] { return Filled(new MAssociationList(40), [](MAssociationList& l) {
             l.Add(new MPersistentAssociation(new GPersistableLong(1, 5), new GSelectionString("one", 1), 2));
             l.Add(new MPersistentAssociation(new GPersistableULong(2), new GBinaryData(nullptr, 0, 0)));
             l.Add(new MPersistentAssociation(nullptr, new GSelectionString("keyless", 3)));
         }); }},
        {"GDynamicLibrary", 780, [] { return new GDynamicLibrary(RWWString(L"ab")); }},
        {"GBookletComposite", 794,
         [] { return Filled(new GBookletComposite(1, 2), [](GBookletComposite& b) { b.AddPair(3, 4); }); }},
        {"GOptMediaComposite", 796,
         [] { return Filled(new GOptMediaComposite(1, 2), [](GOptMediaComposite& o) { o.AddValue(5); }); }},
        {"GPersistableLong", 777, [] { return new GPersistableLong(-5, 2); }},
        {"GPersistableULong", 778, [] { return new GPersistableULong(0xFFFFFFF0, 3); }},
        {"GCountedPtr", 773, nullptr},
        {"GState", 758, [] { return Filled(new GState(GState::kCurrentStateId), [](GState& s) {
             s.Add(new GValueAttribute(2, 10));
             s.Add(new GStringAttribute("tray", 11));
             s.Add(Filled(new GState(GState::kDocumentStateId), [](GState& d) { d.Add(new GValueAttribute(1, 30)); }));
             s.Add(Filled(new GGraphicBundle, [](GGraphicBundle& g) { g.Add(new GValueAttribute(7, 160)); }));
         }); }},
        {"GChromafitAttribute", 792, [] { return new GChromafitAttribute(21, 1, 2, 3, 4, 5, 6); }},
        {"GChromafitEnhancedAttribute", 797, [] { return new GChromafitEnhancedAttribute(22, 1, 2, 3, 4, 5, 6, 7, 8); }},
        {"GChromafitEnhancedAttributeVer2", 1201,
         [] { return new GChromafitEnhancedAttributeVer2(23, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10); }},
        {"GColorMap", 791, [] { return new GColorMap(0x1234, 9); }},
        // Id 790 makes the enhanced halftone; the plain one is known by name only.
        {"GHalftoneEnhanced", 790, [] { return new GHalftoneEnhanced(0x1234, 9); }},
        {"GNeutralGrays", 798, [] { return new GNeutralGrays(0x1234, 9); }},
        {"GEdgeControl", 799, [] { return new GEdgeControl(0x1234, 9); }},
        {"GSRGBColor", 800, [] { return new GSRGBColor(0x1234, 9); }},
        {"GSRGBExtension", 1202, [] { return new GSRGBExtension(0x1234, 9); }},
        {"GDocumentStart", 705, [] { return new GDocumentStart(L"doc", L"LPT1:", nullptr, 4); }},
        {"GDocumentEnd", 706, [] { return new GDocumentEnd(L"doc", L"file:", 5); }},
        {"GPageStart", 709, [] { return new GPageStart(new GState, 6); }},
        {"GPageEnd", 710, [] { return new GPageEnd(7); }},
        {"GJobAbort", 713, [] { return new GJobAbort(8); }},
        // Error commands are the same only with the very same failed command, which a read
        // makes anew: the row holds none.
        {"GErrorCommand", 714, [] { return new GErrorCommand(5, nullptr, 3); }},
        {"GNoCommand", 715, [] { return new GNoCommand(9); }},
        // A read-back command owns its bytes: the sample owns its own.
        {"GPassThroughCommand", 608, [] {
             static const uint8_t bytes[] = {0x1B, 0x45, 0x00, 0xFF, 0x7F};
             return Filled(new GPassThroughCommand(bytes, 5, 767, 4), [](GPassThroughCommand& c) {
                 c.AdoptState(new GState(256));
                 c.MakeDataOwned();
             });
         }},
        {"GDownloadHeaderCommand", 610, [] { return new GDownloadHeaderCommand(-3, 5); }},
        {"GNullCommand", 712, [] { return new GNullCommand(new GState(256), 9); }},
        {"GCommandCompositeOnDisk", 606, [] { return Filled(new GCommandCompositeOnDisk, [](GCommandCompositeOnDisk& c) {
             c.AdoptState(new GState(246));
         }); }},
        {"GCommandComposite", 605, [] { return Filled(new GCommandComposite(7), [](GCommandComposite& c) {
             c.Add(new GPageStart(1));
             c.Add(new GJobAbort(2));
         }); }},
        {"GMedia", 1002, [] { return SampleMedia(1); }},
        {"GMediaPool", 1006, [] { return Filled(new GMediaPool(190), [](GMediaPool& p) {
             p.Add(SampleMedia(1));
             p.Add(SampleMedia(2));
         }); }},
        {"GCustomMediaSize", 775, [] { return new GCustomMediaSize(300, "Mine", 1, 210, 297, 192); }},
        {"GMarginPool", 1014, [] { return Filled(new GMarginPool(959), [](GMarginPool& p) {
             GMarginEntry entry = {};
             entry.byOrientation[3] = {1, 2, 3, 4};
             p.AddEntry(&entry);
             p.AddEntry(&entry);
         }); }},
        {"GPaperHandlingDevice", 1010, SampleDevice},
        {"GTray", 1001, [] { return new GTray(3, "T", 3, 1, 2, 500, 20, SampleMedia(4), "T", "U", 92); }},
        {"GBin", 1009, [] { return new GBin(5, "Top", 1, 1, 2, 250, 3, 1, 6, "Top", "Up", 93); }},
        {"GFormToTrayDatabase", 1012, [] { return Filled(new GFormToTrayDatabase(510), [](GFormToTrayDatabase& d) {
             d.SetAssociationNamed(1, 2, 3, L"Letter");
             d.SetAssociation(9, 0, 11913);
         }); }},
        {"GFormToTrayAssociation", 1013, [] { return new GFormToTrayAssociation(1, 2, 3, L"A4"); }},
        // A store names no file here: one read back opens only an existing records file.
        {"MPersistentCompositeOnDisk", 781, [] { return new MPersistentCompositeOnDisk; }},
        {"MPersistentCompositeOnDiskImp", 782, [] { return new MPersistentCompositeOnDiskImp; }},
        {"GRecord", 783, [] { return new GRecord; }},
        {"GRecordProxy", 784, [] { return new GRecordProxy; }},
        {"GRecordComposite", 785, [] { return Filled(new GRecordComposite, [](GRecordComposite& c) { c.AddMember(new GRecord); }); }},
        // The foundation's own tests cover its collections filled.
        {"RWCollectable", 0x8007, [] { return new RWCollectable; }},
        {"RWSlistCollectables", 0x8033, [] { return new RWSlistCollectables; }},
        {"RWHashTable", 0x805E, [] { return new RWHashTable; }},
        {"RWSet", 0x802B, [] { return new RWSet; }},
        {"RWIdentitySet", 0x8025, [] { return new RWIdentitySet; }},
        // The concrete font file reader is the program's own: its id is the one the class chose.
        {"GTTWin32FontFileReader", 857, [] { return new GTTWin32FontFileReader(RWWString(L"font.ttf"), 7); }},
        {"GTTTableCache", 872, [] { return new GTTTableCache; }},
        {"GGlyphCache", 869, [] { return new GGlyphCache; }},
        {"GGlyphCacheNode", 870, [] { return new GGlyphCacheNode; }},
        // A handle on no reader; one on a pooled reader is covered with the pool.
        {"GTTFontFile", 859, [] { return new GTTFontFile; }},
        {"GRGBColor", 53, [] { return new GRGBColor(10, 20, 30, 40); }},
        {"GPaletteTable", 553, [] { return Filled(new GPaletteTable, [](GPaletteTable& p) { p.AddColor(new GRGBColor(1, 2, 3, 4)); }); }},
        {"GBitmapImp", 552, [] { return new GBitmapImp(SampleBitmap()); }},
        {"GBitmap", 551, [] { return new GBitmap(SampleBitmap()); }},
        {"GPen", 201, [] { return new GPen(3, new GColorPaint, 160); }},
        {"GNoPen", 202, [] { return new GNoPen(160); }},
        {"GDashedPen", 203, [] { return new GDashedPen(new uint16_t[3]{4, 2, 1}, 3, 2, new GColorPaint, -1, 160); }},
        {"GBrush", 251, [] { return new GBrush(new GColorPaint, 154); }},
        {"GNoBrush", 252, [] { return new GNoBrush(154); }},
        {"GCap", 301, [] { return new GCap(2, 166); }},
        {"GJoint", 351, [] { return new GJoint(1, 172); }},
        {"GMiterJoint", 352, [] { return new GMiterJoint(2.5f, 172); }},
        {"GFillMode", 102, [] { return new GFillMode(1, 182); }},
        {"GRasterOperation", 401, [] { return new GRasterOperation(0xCC, 3, 183); }},
        {"GTransformAttribute", 103, [] { return new GTransformAttribute(90, -3, 7, 0.5f, 2.0f); }},
        {"GClipToPage", 503, [] { return new GClipToPage(177); }},
        {"GClipToPath", 502, [] { return new GClipToPath(nullptr, 1, 0, 177); }},
        {"GClipToRectangle", 501, [] { return Filled(new GClipToRectangle({-5, 1, 9, 4}, 0, 1, 177), [](GClipToRectangle& c) {
             c.AddRectangle({2, -8, 3, 12});
         }); }},
        {"GClipToSingleRectangle", 504, [] { return new GClipToSingleRectangle({1, 2, 30, 40}, 1, 0, 177); }},
        {"GColorPaint", 152, [] { return new GColorPaint(new GRGBColor(5, 6, 7, 8)); }},
        {"GRectangleGraphic", 659, [] { return new GRectangleGraphic({-3, 1, 9, 4}, new GGraphicBundle, 5); }},
        {"GPolygonGraphic", 657, [] { return new GPolygonGraphic(SamplePoints(), new GGraphicBundle, 6); }},
        {"GPolyBezierGraphic", 653, [] { return new GPolyBezierGraphic(SamplePoints(), nullptr, 7); }},
        {"GRasterGraphic", 604, [] { return new GRasterGraphic(GBitmap(SampleBitmap()), {0, 0, 2, 2}, {-4, 1, 60, 9},
                                                          GBitmap(SampleBitmap()), new GGraphicBundle, 10); }},
        {"GPreScaledRasterGraphic", 609, [] { return new GPreScaledRasterGraphic(GBitmap(SampleBitmap()), nullptr,
                                                                            {1, 0, 2, 2}, {3, 4, 5, 6}, GBitmap()); }},
        {"GGraphicComposite", 607, [] { return Filled(new GGraphicComposite(new GGraphicBundle, 8), [](GGraphicComposite& c) {
             c.Add(new GRectangleGraphic({0, 0, 5, 5}, nullptr, 1));
             c.Add(new GPolygonGraphic(SamplePoints(), nullptr, 2));
         }); }},
        {"GPathGraphic", 603, [] { return Filled(new GPathGraphic(nullptr, 9), [](GPathGraphic& p) {
             p.SetClosed(1);
             p.Add(new GPolyBezierGraphic(SamplePoints(), nullptr, 1));
         }); }},
        {"GTextString", 802, [] {
             static uint16_t chars[] = {0x41, 0x4E00, 0xE000};
             return new GTextString(GSharedArray(chars, 3, 0), 3, 2, ToEncoding(17));
         }},
        {"GTextEscapements", 803, [] {
             static int16_t advances[] = {10, 20, -3};
             return new GTextEscapements(30.0f, GSharedArray(advances, 3, 0));
         }},
        // A font reference restores only through its producer's database, which a sweep
        // has none of: the rows hold no font (the font tests cover references).
        {"GTextStringGraphic", 804, [] {
             static uint16_t chars[] = {'a', 'b'};
             static GPoint at[] = {{1, 2}, {9, -4}};
             return new GTextStringGraphic(nullptr, chars, 0, GEncoding::kUnicode, at, 7, 2, new GGraphicBundle, 11);
         }},
        {"GDownloadFace", 806, [] { return new GDownloadFace(nullptr, 0x1234); }},
        {"GDitherMatrix", 774, [] {
             const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
             return Filled(new GDitherMatrix(3, 2, bytes, 600, 300, 1, 2, 65535, 9), [](GDitherMatrix& m) { m.SetExtra(7); });
         }},
        {"GDeviceFontDescription", 855, [] { return new GDeviceFontDescription(SampleFont(4)); }},
        {"GDeviceFontList", 856, [] { return SampleFontList(416); }},
        {"GDeviceFontListComposite", 873, [] { return Filled(new GDeviceFontListComposite, [](GDeviceFontListComposite& c) {
             c.Add(SampleFontList(416));
             c.Add(new GDeviceFontList(420));
         }); }},
        {"GGraphicBundle", 101, [] { return Filled(new GGraphicBundle, [](GGraphicBundle& g) { g.Add(new GValueAttribute(7, 160)); }); }},
        // A library that never loads (mode 2); children name their composite as listener,
        // which a read makes anew, so the composite row has none.
        {"GPeripheralProxy", 779, [] { return new GPeripheralProxy(RWWString(L"qz-no-addon.dll"), 1, 2); }},
        {"GPeripheralComposite", 770, [] { return new GPeripheralComposite("chain", nullptr, nullptr, 5, 64, 1, 2); }},
        {"GCheetah", 767, [] { return new GCheetah(1, 70); }},
        {"GPostScript", 768, [] { return new GPostScript; }},
        {"GPcl5e", 788, [] { return new GPcl5e; }},
        {"GPJL", 769, [] { return new GPJL; }},
        {"GReverseFilter", 1109, [] { return new GReverseFilter(6); }},
        {"GFaceUpFilter", 1120, [] { return new GFaceUpFilter(7); }},
        {"GCopyPageFilter", 1113, [] { return new GCopyPageFilter(8); }},
        {"GLastPageFilter", 1119, [] { return new GLastPageFilter(9); }},
        // The N-up filter stores its layout settings and two media.
        {"GNupFilter", 1101, [] { return Filled(new GNupFilter(10), [](GNupFilter& f) {
             GState state(0);
             GState* layout = new GState(329);
             layout->Add(new GValueAttribute(4, 266));
             state.Add(layout);
             state.Add(new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, 1, 600, 600, 259, 0, nullptr, "Plain"));
             f.Configure(&state);
         }); }},
        {"GBookletFilter", 1105, [] { return new GBookletFilter(11); }},
        {"GScalePageFilter", 1104, [] { return new GScalePageFilter(12); }},
        {"GFitToSizeFilter", 1103, [] { return new GFitToSizeFilter(13); }},
        {"GEmulateMarginsFilter", 1108, [] { return new GEmulateMarginsFilter(14); }},
        {"GSymetricalDuplexFilter", 1117, [] { return new GSymetricalDuplexFilter(15); }},
        {"GWatermarkFilter", 1102, [] { return new GWatermarkFilter(16); }},
        {"GManualDuplexFilter", 1110, [] { return new GManualDuplexFilter(10, 3); }},
        {"GFrontCoverFilter", 1118, [] { return new GFrontCoverFilter(11); }},
        {"GBackCoverFilter", 1111, [] { return new GBackCoverFilter(12); }},
        {"GLetterheadFilter", 1114, [] { return new GLetterheadFilter(13); }},
        {"GReducingFilter", 1112, [] { return new GReducingFilter(14); }},
        {"GChromafitFilter", 1107, [] { return new GChromafitFilter("chromafit", nullptr, nullptr, 15, 3); }},
        // The extension filters store nothing, not even their id: the rows are default-made.
        {"GAAFilter1", 1115, [] { return new GAAFilter1; }},
        {"GAAFilter2", 1116, [] { return new GAAFilter2; }},
        {"GPrinter", 761, [] { return Filled(new GPrinter("printer", nullptr, nullptr, 8), [](GPrinter& p) {
             GCheetah().ApplyTo(p);
             GPJL().ApplyTo(p);
             p.GetCurrentState()->Add(new GValueAttribute(3, 20));
         }); }},
        // The agent link is never stored: only the two lists of agent objects.
        {"GNRAProvider", 957, [] { return Filled(new GNRAProvider, [](GNRAProvider& p) {
             p.FirstList().Add(new GPMLDescriptor(L"agent", 42, 3));
             p.FirstList().Add(new GBinaryData(new uint8_t[2]{1, 2}, 2, 1, 6));
             p.SecondList().Add(new GStringAttribute("value", 13));
         }); }},
    };
    return samples;
}
