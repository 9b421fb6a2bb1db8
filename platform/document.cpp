#include "platform/document.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"

namespace korvanta {

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    std::unique_ptr<CFile> file;
    try {
        file = std::make_unique<CFile>(path, CFile::modeRead);
    } catch (const CFileException& e) {
        // Nothing was read, so the open document stays as it was.
        ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    auto fail = [&](const CException& e) {
        DeleteContents();
        ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        SetModifiedFlag(false);
        return false;
    };
    try {
        SerializeFrom(*file);
    } catch (const CException& e) {
        return fail(e);
    } catch (const std::bad_alloc&) {
        return fail(CMemoryException());
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path)
{
    try {
        CAtomicFile file(path);
        SerializeTo(file);
        file.Commit();
    } catch (const CException& e) {
        ReportSaveLoadException(path, &e, true, AFX_IDP_FAILED_TO_SAVE_DOC);
        return false;
    } catch (const std::bad_alloc&) {
        const CMemoryException e;
        ReportSaveLoadException(path, &e, true, AFX_IDP_FAILED_TO_SAVE_DOC);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::SaveModified()
{
    if (!IsModified())
        return true;
    switch (
        Messages().MessageBox(GetTitle() + " への変更を保存しますか?", MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
        case IDYES:
            return DoFileSave();
        case IDNO:
            return true;
        default:
            return false;
    }
}

bool CDocument::DoSave(const std::string& path, bool replace)
{
    std::string target = path;
    if (target.empty()) {
        const std::optional<std::string> chosen = FileDialogs().GetFileName(SaveAsRequest());
        if (!chosen || chosen->empty())
            return false;
        target = *chosen;
    }
    const bool wasModified = IsModified();
    if (!OnSaveDocument(target))
        return false;
    if (replace) {
        SetPathName(target);
        SetModifiedFlag(false);
    } else {
        SetModifiedFlag(wasModified);  // a copy leaves the document's own state alone
    }
    return true;
}

bool CDocument::DoFileSave()
{
    return DoSave(m_strPathName, true);
}

std::string CDocument::GetTitle() const
{
    if (m_strPathName.empty())
        return kUntitledTitle;
    return std::filesystem::path(m_strPathName).filename().string();
}

FileDialogRequest CDocument::SaveAsRequest() const
{
    FileDialogRequest request;
    request.bOpen = false;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // Save As starts beside the document's own file.
    if (!m_strPathName.empty())
        request.initialDirectory = std::filesystem::path(m_strPathName).parent_path().string();
    return request;
}

void CDocument::SerializeFrom(CFile& file)
{
    DeleteContents();
    SetModifiedFlag(true);
    CArchive ar(&file, CArchive::load);
    ar.m_pDocument = this;
    Serialize(ar);
    ar.Close();
}

void CDocument::SerializeTo(CFile& file)
{
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = this;
    Serialize(ar);
    ar.Close();
}

std::string FormatSaveLoadMessage(const std::string& path, const CException* e, bool bSaving)
{
    const std::string name = std::filesystem::path(path).filename().string();
    std::string text = bSaving ? "ファイル " + name + " の保存中にエラーが発生しました。"
                               : "ファイル " + name + " の読み込み中にエラーが発生しました。";
    if (e != nullptr)
        text += "\n" + e->GetErrorMessage();
    return text;
}

void CDocument::ReportSaveLoadException(const std::string& path, const CException* e, bool bSaving,
                                        int /*nIDPDefault*/)
{
    Messages().MessageBox(FormatSaveLoadMessage(path, e, bSaving), MB_OK | MB_ICONEXCLAMATION);
}

void CDocument::RemoveView(CView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CDocument::UpdateAllViews()
{
    for (CView* view : m_views) view->OnUpdate();
}

}  // namespace korvanta
