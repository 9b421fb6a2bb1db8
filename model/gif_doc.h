// The document: the ordered list of blocks that make up the GIF being edited, the current
// block, the insert commands and the global-palette operations the pages reach through the
// main window. Block 0 is always the header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/gif_block.h"
#include "platform/clipboard.h"
#include "platform/document.h"
#include "platform/file_dialog.h"
#include "platform/main_window.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"

namespace korvanta {

class CGifHeaderBlock;

using CGifBlockList = std::vector<std::unique_ptr<CGifBlock>>;

class CGIFDoc : public CDocument {
public:
    explicit CGIFDoc(const DocumentServices& services) : CDocument(services) {}

    void Serialize(CArchive& ar) override;
    bool OnNewDocument() override;
    void DeleteContents() override;

    int GetBlockCount() const { return static_cast<int>(m_blocks.size()); }
    CGifBlock* GetBlock(int index) const { return m_blocks.at(static_cast<std::size_t>(index)).get(); }
    CGifBlock* GetCurrentBlock() const { return m_nCurrent < 0 ? nullptr : GetBlock(m_nCurrent); }
    CGifHeaderBlock* GetHeader() const;
    bool HasLoopBlock() const;
    // Save, save as and play need an image block (from index 1 on).
    bool HasImageBlocks() const;

    // Inserts after block index (appends for -1); the new block becomes current and the
    // document modified. While a loop block exists nothing else goes between it and the header.
    void InsertBlock(int index, std::unique_ptr<CGifBlock> block);
    void AddHeaderBlock();
    void InsertLoopBlock();
    // A new control block with the settings of the nearest control block at or before the
    // current one, else of the last control block, else the defaults.
    void InsertControlBlock(int index);
    CSize GetListExtent() const;

    void SetGlobalPalette(HPALETTE palette);
    HPALETTE GetGlobalPalette() const;
    bool HasGlobalColorTable() const;
    int GetGlobalTableSize() const;
    int CountImagesWithoutLocalTable() const;
    // Images without a local table get a copy of the global palette as their own, so that
    // they keep their colours when the global palette changes or goes.
    void CopyGlobalPaletteToImages();

    void OnInsertControl();
    void OnInsertComment();
    void OnInsertText();
    void OnInsertLoop();

    // The paths by which blocks enter and leave the document (gif_doc_commands.cpp). They ask
    // the user through the services below; a refused import or paste leaves the document as
    // it was, and a block leaves the list only once its copy is on the clipboard.
    void OnInsertImage();
    // Asks for a picture file and inserts what it yields after block index.
    void InsertImageFromFile(int index);
    // The bitmap of a .bmp file, NULL otherwise; a .gif file's blocks are inserted here and
    // NULL is returned. The extension is compared without regard to case.
    PackedDib LoadPictureFile(const std::string& path);
    // Puts the current block on the clipboard (an image also as CF_DIB); true when the block's
    // own item reached it.
    bool CopyCurrentBlock();
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    // The same as the cut command.
    void DeleteCurrentBlock();
    void OnSaveSelectedImage();
    bool OnUpdateSaveSelectedImage() const;

    // Whether the command (model/gif_commands.h) is enabled for this document, for the menus
    // and the toolbar: save, save as and play need an image block, saving the selected image
    // needs an image current, cut and copy a current block after the header, paste an item the
    // document can take (asked without opening or changing the clipboard); undo never is. Every
    // other command, unknown ones too, is enabled.
    bool IsCommandEnabled(unsigned id) const;

    void ReadGif(CArchive& ar);
    void WriteGif(CArchive& ar);
    // What the last read kept although it was damaged, one line a finding, each naming its
    // block: image data that ends early or holds an invalid code. The editor shows nothing for
    // them (many files carry such slips); the command-line tool lists them as warnings.
    const std::vector<std::string>& GetReadWarnings() const { return m_readWarnings; }
    // Counts an image being read against the budget of one file's images; throws
    // CArchiveException when the file's images together would exceed kMaxDocumentPixels.
    void ChargeImagePixels(std::uint64_t pixels);

    CGifBlockList m_blocks;
    int m_nCurrent = -1;

protected:
    // GIF files, with "gif" added to a name typed without an extension.
    FileDialogRequest SaveAsRequest() const override;

private:
    void ImportGifFile(const std::string& path);

    std::uint64_t m_nPixelsRead = 0;  // images read by the current ReadGif
    std::vector<std::string> m_readWarnings;
};

// The main window's answers to the private messages, given by a document directly: what the
// main frame does for its active document, for headless callers and tests.
class DocumentMainWindow : public MainWindow {
public:
    explicit DocumentMainWindow(CGIFDoc& doc) : m_doc(doc) {}

    void SetGlobalPalette(HPALETTE palette) override { m_doc.SetGlobalPalette(std::move(palette)); }
    HPALETTE GetGlobalPalette() override { return m_doc.GetGlobalPalette(); }
    bool HasGlobalTable() override { return m_doc.HasGlobalColorTable(); }
    int GetGlobalTableSize() override { return m_doc.GetGlobalTableSize(); }
    void CopyGlobalPalette() override { m_doc.CopyGlobalPaletteToImages(); }
    int CountNoLocalTable() override { return m_doc.CountImagesWithoutLocalTable(); }
    void ApplyPage() override;

    // The page ApplyPage takes the current block's values from; not owned.
    CGifPageData* m_pPage = nullptr;

private:
    CGIFDoc& m_doc;
};

// The block an extension label opens: plain text, graphic control, comment or application;
// NULL for any other label.
std::unique_ptr<CGifBlock> NewExtensionBlock(std::uint8_t label);

// Takes the page's values into the document's current block: a change marks the document
// modified, a re-fit repaints the views. Returns the block's result.
int ApplyPageToCurrentBlock(CGIFDoc& doc, CGifPageData& page);

}  // namespace korvanta
