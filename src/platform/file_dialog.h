#pragma once
// The open-file dialog: its settings in; one path, a cancel, or several files out.

#include <string>
#include <vector>

namespace pelmora {

struct FileDialogSettings {
    std::string initialDir;         // the folder the dialog opens in
    std::string filterName;         // description of the single filter, "dat files (*.led)"
    std::string filterPattern;      // "*.led"
    int filterIndex = 1;            // the filter selected, counted from 1
    bool allowMultiSelect = false;  // several files may be selected (the command then fails)
    bool namesMustExist = false;    // the dialog itself refuses a typed name that does not exist
    std::string title;
};

struct FileDialogResult {
    enum class Outcome { chosen, cancelled, several };
    Outcome outcome = Outcome::cancelled;
    std::string path;  // the one chosen path, for `chosen`
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual FileDialogResult open(const FileDialogSettings& settings) = 0;
};

}  // namespace pelmora
