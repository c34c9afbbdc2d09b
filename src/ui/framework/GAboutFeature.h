// The binding behind the About hotspot and button: shows the About box, which names the
// driver and, when the printer takes extensions (setting 984 of its configuration), every
// registered extension of the descriptor list (987 in the extension container).
#pragma once

#include <windows.h>

#include "foundation/RWWString.h"
#include "ui/framework/GFeature.h"

class GObjectBase;
struct GUIData;

class GAboutFeature : public GFeature {
public:
    static constexpr uint16_t kAboutDialog = 11510;
    static constexpr int kDriverTextItem = 11511;
    static constexpr int kExtensionsItem = 11512;
    static constexpr const wchar_t* kVersionSuffix = L" (VAZ 2.0)";

    explicit GAboutFeature(GSheetContext* context) : GFeature(context) { }

    // The lines the box lists for the extensions: per extension a line of dashes,
    // "name   text", "   text1", "   Extension support: text3" and "   text4", each
    // ended by CR LF; empty when the configuration's setting 984 is 0 or absent.
    static RWWString ExtensionText(GObjectBase* configuration, GObjectBase* settings);
    // The driver's line: the product string of the resource library and the suffix.
    static RWWString DriverText();
    // What the box's text field lists: the printer and driver names of the sheet, then
    // the extensions' lines, or a line saying that none is registered.
    static RWWString BoxText(const GUIData* data, const RWWString& extensions);
    // Shows the box modally over the owner: IDOK, or -1 when it cannot be shown.
    INT_PTR Show(HWND owner);

    static INT_PTR CALLBACK AboutBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
