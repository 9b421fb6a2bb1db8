// The main window's answers to the private messages through which pages and blocks reach the
// open document's global palette, and the page protocol's apply request. The Qt main window
// answers them for the active document; headless code answers them with the document itself.
#pragma once

#include "platform/palette.h"

namespace korvanta {

class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual void SetGlobalPalette(HPALETTE palette) = 0;  // UM_SETGLOBALPALETTE; the header takes it
    virtual HPALETTE GetGlobalPalette() = 0;              // UM_GETGLOBALPALETTE; lent, not a copy
    virtual bool HasGlobalTable() = 0;                    // UM_HASGLOBALTABLE
    virtual int GetGlobalTableSize() = 0;                 // UM_GETGLOBALTABLESIZE
    virtual void CopyGlobalPalette() = 0;                 // UM_COPYGLOBALPALETTE
    virtual int CountNoLocalTable() = 0;                  // UM_COUNTNOLOCALTABLE
    virtual void ApplyPage() = 0;                         // UM_APPLYPAGE
};

}  // namespace korvanta
