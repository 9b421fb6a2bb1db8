#include "platform/file_dialog.h"

#include <filesystem>
#include <system_error>

namespace korvanta {

std::vector<FileDialogFilterEntry> ParseFileDialogFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < filter.size()) {
        const std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos) {
            parts.push_back(filter.substr(start));
            break;
        }
        if (bar == start)  // "||" ends the filter
            break;
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<FileDialogFilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) entries.push_back({parts[i], parts[i + 1]});
    return entries;
}

bool FileExists(const std::string& path)
{
    // A dangling link counts: writing to the path would replace it, so the user is asked.
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::path(path), error));
}

}  // namespace korvanta
