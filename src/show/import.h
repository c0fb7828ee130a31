#pragma once
// The commands that bring a show into the table and take it out again: the open command
// (open), the dialog's OK (inputok), the dialog's close button, and the double-click on datList.

#include <memory>
#include <string>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/views.h"
#include "show/led_file.h"
#include "show/show_table.h"

namespace pelmora {

inline constexpr const char* wrongFileText = "你没有打开任何文件或找开了错误的文件!";
inline constexpr const char* overCapacityText = "文件长度超出了控制器的容量.";
inline constexpr const char* beyondFileText = "点数或帧数超出了文件中的数据,请重新输入.";
std::string tooManyShowsText();  // 最多只能5个文件

// What the open command read last. Each open command replaces these, also when it then fails.
struct OpenedFile {
    std::string fileName;   // the path the dialog returned
    std::string entryPath;  // the copy of it that becomes the show's entry of datList
    std::shared_ptr<const Bytes> fileBytes = std::make_shared<const Bytes>();
    std::int32_t fileLength = 0;
    std::int32_t headerDots = 0;
};

class Importer {
public:
    // initialDir: the folder the file dialog opens in (the executable's folder).
    Importer(ShowTable& table, MainView& view, FileDialog& files, MessageBox& messages, std::string initialDir);

    void openLedFile();     // click of open
    void appendShow();      // click of inputok
    void closeInputForm();  // the user closes the parameter dialog
    void removeShow();      // double-click on an entry of datList
    void refreshUsedMemory();

    const OpenedFile& opened() const { return opened_; }
    // The import waiting in the dialog: the file of the last open command that succeeded.
    const OpenedFile* pendingImport() const { return pending_ ? &*pending_ : nullptr; }

private:
    bool readChosenFile(const std::string& path, LedHeader& header);

    ShowTable& table_;
    MainView& view_;
    FileDialog& files_;
    MessageBox& messages_;
    std::string initialDir_;
    OpenedFile opened_;
    std::optional<OpenedFile> pending_;
};

}  // namespace pelmora
