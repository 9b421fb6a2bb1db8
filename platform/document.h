// The document framework the editor's document builds on: the modified flag, the path, the
// views, and the open and save logic that runs the document's Serialize on an archive and
// reports what fails. Opening discards partial contents on failure; saving goes through a
// temporary file, so a failed save leaves the old file as it was.
#pragma once

#include <string>
#include <vector>

#include "platform/document_services.h"

namespace korvanta {

class CArchive;
class CException;
class CFile;

// What the document asks of a view: its client height (for the list extent) and an update.
class CView {
public:
    virtual ~CView() = default;
    virtual int GetClientHeight() const = 0;
    virtual void OnUpdate() = 0;
};

// The title of a document that has no file yet.
inline constexpr char kUntitledTitle[] = "UNTITLED";

// The prompts a failed open or save is reported with.
enum : int { AFX_IDP_FAILED_TO_OPEN_DOC = 0xF104, AFX_IDP_FAILED_TO_SAVE_DOC = 0xF109 };

class CDocument {
public:
    // The document asks the user and shows progress through these for its whole life.
    explicit CDocument(const DocumentServices& services) : m_services(services) {}
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    virtual void DeleteContents() {}
    virtual void Serialize(CArchive& ar) = 0;
    // Clears the contents and the path; the editor's document builds its defaults on top.
    virtual bool OnNewDocument();
    // Reads the file; on failure reports it, leaves the contents cleared and returns false.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes the file atomically and clears the modified flag; on failure reports it, keeps the
    // modified flag and returns false. The path stays as it was (DoSave changes it).
    virtual bool OnSaveDocument(const std::string& path);

    // Before the document is closed or replaced (new, open, exit): a modified document asks
    // "<title> への変更を保存しますか?" with Yes, No and Cancel. Yes saves as DoFileSave and
    // gives its result; No gives true; Cancel (or any other answer) false. An unmodified
    // document gives true without asking.
    bool SaveModified();
    // Saves to path; an empty path (an untitled document, or Save As) asks for one through the
    // save dialog first, and Cancel there changes nothing and gives false. On success with
    // replace the document takes the path and is no longer modified; without replace (a copy)
    // both stay as they were. A failed save keeps the old file, the path and the flag.
    bool DoSave(const std::string& path, bool replace = true);
    // Save: to the document's own path, or through the save dialog when it has none.
    bool DoFileSave();
    // The file's name without its directory, or "UNTITLED" for a document without a path.
    std::string GetTitle() const;
    // Clears the contents and runs Serialize on a loading archive over the file; exceptions
    // leave as they are. The modified flag is set while the contents are half read.
    void SerializeFrom(CFile& file);
    // Runs Serialize on a storing archive into the file and writes the last bytes; exceptions
    // leave as they are.
    void SerializeTo(CFile& file);
    // Shows the failure of an open (or save) through the message service.
    virtual void ReportSaveLoadException(const std::string& path, const CException* e, bool bSaving,
                                         int nIDPDefault);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) { m_strPathName = path; }

    void AddView(CView* view) { m_views.push_back(view); }
    void RemoveView(CView* view);
    CView* GetView() const { return m_views.empty() ? nullptr : m_views.front(); }
    void UpdateAllViews();

    // The services the document was made with; documents it makes for its own work (a file
    // being imported) are given the same.
    const DocumentServices& Services() const { return m_services; }
    MessageService& Messages() const { return m_services.messages; }
    ProgressFactory& Progresses() const { return m_services.progress; }
    FileDialogService& FileDialogs() const { return m_services.dialogs; }
    ClipboardService& Clipboard() const { return m_services.clipboard; }

protected:
    // The save dialog of DoSave: save mode, overwrite prompt; a document type adds its filter
    // and default extension.
    virtual FileDialogRequest SaveAsRequest() const;

private:
    bool m_bModified = false;
    std::string m_strPathName;
    std::vector<CView*> m_views;
    DocumentServices m_services;
};

// The text a failed open or save is reported with: the prompt for the file, then the reason.
std::string FormatSaveLoadMessage(const std::string& path, const CException* e, bool bSaving);

}  // namespace korvanta
