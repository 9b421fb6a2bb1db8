// What each property page holds, without any widgets: the blocks fill these members
// (UpdatePage) and take them back (UpdateFromPage); the Qt pages add the controls and the data
// exchange on top. Member names and order follow the pages they belong to.
#pragma once

#include <memory>
#include <string>

#include "platform/draw.h"
#include "platform/message_box.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"
#include "platform/progress.h"

namespace korvanta {

class MainWindow;

class CGifPageData {
public:
    virtual ~CGifPageData() = default;
    // A page control whose look depends on the members (a colour swatch) must be repainted.
    virtual void RepaintControl(int /*controlId*/) {}
    // The main window the page sends its private messages to; not owned, may be NULL.
    MainWindow* m_pMainWnd = nullptr;
};

// A solid brush of the palette entry's colour; none when there is no such entry.
std::unique_ptr<CBrush> BrushOfPaletteEntry(const HPALETTE& palette, int index);

// Control identifiers of the colour swatches.
enum : int {
    IDC_HEADER_SWATCH = 1042,
    IDC_TRANS_SWATCH = 1043,
    IDC_TEXT_SWATCH = 1053,
    IDC_TEXTBK_SWATCH = 1054
};

class CGifHeaderPageData : public CGifPageData {
public:
    int m_nAspect = 0;
    int m_nBackground = 0;
    int m_nColorRes = 0;
    int m_nTableBits = 0;
    unsigned m_nWidth = 0;
    unsigned m_nHeight = 0;
    bool m_bGlobalTable = false;
    bool m_bSorted = false;
    std::unique_ptr<CBrush> m_pBkBrush = std::make_unique<CBrush>(CBrush::PaletteIndex(0));
    HPALETTE m_hPalette;
};

class CGifControlPageData : public CGifPageData {
public:
    int m_nDelay = 0;
    int m_nDisposal = 0;
    bool m_bTransparent = false;
    int m_nTransparentIndex = 0;
    bool m_bUserInput = false;
    HPALETTE m_hFramePalette;
    PackedDib m_hFrameDib;
    std::unique_ptr<CBrush> m_pTransBrush = std::make_unique<CBrush>(CBrush::PaletteIndex(0));

    // The swatch of the transparent colour, from the governed image's palette.
    void RefreshSwatch();
};

class CGifImagePageData : public CGifPageData {
public:
    int m_nConvert = 0;
    HPALETTE m_hPalette;
    int m_nLeft = 0;
    int m_nTop = 0;
    unsigned m_nWidth = 0;
    unsigned m_nHeight = 0;
    bool m_bInterlace = false;
    bool m_bLocalTable = false;
    int m_nTableBits = 0;
    bool m_bSorted = false;
    // Shows the progress of a dither when the palette is replaced; not owned, may be NULL.
    ProgressFactory* m_pProgress = nullptr;
    // Tells the user why the pixels could not be fitted to a new palette; not owned, may be
    // NULL (nothing is shown).
    MessageService* m_pMessages = nullptr;
};

class CGifCommentPageData : public CGifPageData {
public:
    std::string m_strText;
};

class CGifTextPageData : public CGifPageData {
public:
    std::unique_ptr<CBrush> m_pTextBrush = std::make_unique<CBrush>(CBrush::Solid(0, 0, 0));
    std::unique_ptr<CBrush> m_pBkBrush = std::make_unique<CBrush>(CBrush::Solid(0, 0, 0));
    int m_nBackground = 0;
    unsigned m_nCellHeight = 0;
    unsigned m_nCellWidth = 0;
    int m_nForeground = 0;
    unsigned m_nGridHeight = 0;
    std::string m_strText;
    unsigned m_nGridLeft = 0;
    unsigned m_nGridTop = 0;
    unsigned m_nGridWidth = 0;

    // The two swatches, from the document's global palette.
    void RefreshSwatches();
};

class CGifLoopPageData : public CGifPageData {
public:
    unsigned m_nLoopCount = 0;
};

class CGifAppPageData : public CGifPageData {
public:
    std::string m_strIdent;
    std::string m_strData;
};

}  // namespace korvanta
