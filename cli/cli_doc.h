// What every command of korvanta-cli shares: a document whose open and save failures are
// collected instead of shown, and the tool's way of reporting them.
#pragma once

#include <string>
#include <vector>

#include "model/gif_doc.h"

namespace korvanta {

// Runs headless: nothing is asked, so nothing is overwritten or discarded on a guessed answer.
class CliDoc : public CGIFDoc {
public:
    CliDoc();
    void ReportSaveLoadException(const std::string& path, const CException* e, bool bSaving,
                                 int nIDPDefault) override;
    std::vector<std::string> m_reports;
};

// "korvanta-cli: FILE: reason" on stderr; returns the exit status 1.
int Fail(const std::string& file, const std::string& reason);
// Prints the reports collected so far as warnings about the file, and forgets them.
void PrintWarnings(CliDoc& doc, const std::string& file);
// Reads the file; a failure is reported. What a successful read kept although it was damaged
// (image data, a missing trailer) stays in m_reports as warnings.
bool OpenOrFail(CliDoc& doc, const std::string& path);
// Writes the document to the file atomically; a failure is reported.
bool SaveOrFail(CliDoc& doc, const std::string& path);

}  // namespace korvanta
