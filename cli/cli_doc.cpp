#include "cli/cli_doc.h"

#include <iostream>

#include "platform/exceptions.h"
#include "platform/headless_services.h"

namespace korvanta {

CliDoc::CliDoc() : CGIFDoc(HeadlessServices::Shared()) {}

void CliDoc::ReportSaveLoadException(const std::string&, const CException* e, bool, int)
{
    m_reports.push_back(e != nullptr ? e->GetErrorMessage() : "不明なエラーです。");
}

int Fail(const std::string& file, const std::string& reason)
{
    std::cerr << "korvanta-cli: " << file << ": " << reason << "\n";
    return 1;
}

void PrintWarnings(CliDoc& doc, const std::string& file)
{
    for (const auto& warning : doc.m_reports)
        std::cerr << "korvanta-cli: " << file << ": warning: " << warning << "\n";
    doc.m_reports.clear();
}

bool OpenOrFail(CliDoc& doc, const std::string& path)
{
    if (doc.OnOpenDocument(path)) {
        // Damaged image data lies before whatever ended the read early.
        const std::vector<std::string>& damaged = doc.GetReadWarnings();
        doc.m_reports.insert(doc.m_reports.begin(), damaged.begin(), damaged.end());
        return true;
    }
    Fail(path, doc.m_reports.empty() ? "読み込めませんでした。" : doc.m_reports.back());
    return false;
}

bool SaveOrFail(CliDoc& doc, const std::string& path)
{
    doc.m_reports.clear();
    if (doc.OnSaveDocument(path))
        return true;
    Fail(path, doc.m_reports.empty() ? "保存できませんでした。" : doc.m_reports.back());
    return false;
}

}  // namespace korvanta
