// The common file dialog, as the document's commands and the pages ask for it: open or save, a
// title, a filter, a default extension and a few options; the answer is a path or a cancel.
// The Qt front end shows the real dialog; headless callers and tests answer through their own
// implementations.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvanta {

// Options of a file dialog, combinable, with the values of the window system they stand in for.
enum : unsigned {
    OFN_READONLY = 0x00000001,
    OFN_OVERWRITEPROMPT = 0x00000002,
    OFN_HIDEREADONLY = 0x00000004,
    OFN_PATHMUSTEXIST = 0x00000800,
    OFN_FILEMUSTEXIST = 0x00001000,
};

struct FileDialogRequest {
    bool bOpen = true;  // false: a save dialog
    std::string title;  // empty: the dialog's own title
    // Pairs of description and patterns, each part ended by '|', the whole by "||":
    // "Bitmap(*.bmp)|*.bmp|GIF(*.gif)|*.gif||".
    std::string filter;
    std::string defaultExtension;  // added to a typed name without one; may be empty
    unsigned flags = 0;
    // Where the dialog starts; a directory that does not exist leaves the choice to the dialog.
    std::string initialDirectory;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> GetFileName(const FileDialogRequest& request) = 0;
};

// Cancels every dialog: what a document without a windowing side gets.
class NullFileDialogService final : public FileDialogService {
public:
    std::optional<std::string> GetFileName(const FileDialogRequest&) override { return std::nullopt; }
};

// One entry of a dialog filter: its description and its patterns separated by ';'.
struct FileDialogFilterEntry {
    std::string description;
    std::string patterns;
    friend bool operator==(const FileDialogFilterEntry&, const FileDialogFilterEntry&) = default;
};

// The entries of a filter string; a trailing description without patterns is dropped.
std::vector<FileDialogFilterEntry> ParseFileDialogFilter(const std::string& filter);

// Whether a file (or anything else) exists at the path; false when that cannot be found out.
bool FileExists(const std::string& path);

}  // namespace korvanta
