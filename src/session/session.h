#pragma once
// One run of the tool: the show table, the download and the port, and one command per control
// event. The front-ends forward their events here; the session writes their controls through
// the view contracts and reports through the platform's message box.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/handshake.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/port_directory.h"
#include "platform/serial_port.h"
#include "platform/web_opener.h"
#include "session/events.h"
#include "session/views.h"
#include "show/led_file.h"
#include "show/show_table.h"

namespace pelmora {

// The entries start-up puts into the three lists, and the ones it selects.
std::vector<std::string> portEntries();         // COM1 .. COM16
std::vector<std::string> colourOrderEntries();  // the rows of the colour-order table
std::vector<std::string> frameTimeEntries();    // 10毫秒 .. 300毫秒
constexpr int portEntryCount = 16;
constexpr int frameTimeEntryCount = 30;   // 10毫秒 .. 300毫秒
constexpr int defaultFrameTimeIndex = 4;  // 50毫秒

// The line the controller speaks, and the port's buffers: one full chunk out, 1 KiB in.
inline constexpr LineSettings controllerLine{115200, 8, LineSettings::Parity::none, LineSettings::StopBits::one};
constexpr int portOutBufferSize = 4096;
constexpr int portInBufferSize = 1024;
inline constexpr Rgb lampOff{0, 0, 0};
inline constexpr Rgb lampOn{255, 0, 0};

// The port button's open sequence on COMn: the controller's line settings, raw bytes, the buffers,
// then every read returning all that waits and a receive event for each byte. Says why when the
// port does not open.
PortOpenResult openControllerPort(SerialPort& port, int portNumber);

struct Platform {
    MessageBox& messages;
    FileDialog& files;
    WebOpener& web;
    SerialPort& port;
    const PortDirectory& ports;
};

// What the open command read last. Each open command replaces it, also when it then fails.
struct OpenedFile {
    std::string fileName;   // the path the dialog returned
    std::string entryPath;  // the copy of it that becomes the show's entry of datList
    std::shared_ptr<const Bytes> fileBytes = std::make_shared<const Bytes>();
    std::int32_t fileLength = 0;
    std::int32_t headerDots = 0;
};

class Session : public ControlEvents, private SerialPort::Listener {
public:
    // initialDir: the folder the file dialog opens in (the program's folder).
    Session(MainView& view, Platform platform, std::string initialDir);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void startUp() override;
    void openLedFile() override;
    void openDroppedFiles(const std::vector<std::string>& paths) override;
    void appendShow() override;
    void closeInputForm() override;
    void removeShow(int selected) override;
    void changeColourOrder(int position) override;
    void changeFrameTime(int position) override;
    void choosePort(int position) override;
    void typePortText() override;
    void send() override;
    void togglePort() override;
    void portListOpening() override;
    void openShopLink() override;
    void shutdown() override;
    void previewShow(int entry) override;
    void previewPending() override;
    void previewTick() override;
    void previewClosed() override;
    bool typedTextAccepted(std::u16string_view typed) override;
    void numberTextEdited(NumberField field, const std::string& text) override;

    const ShowTable& table() const { return table_; }

private:
    // What the preview window plays.
    enum class PreviewOf { nothing, waitingFile, show };
    struct PreviewSubject;

    void commEvent(int code) override;
    void portLost() override;

    void openChosen(const FileDialogResult& chosen);
    bool readChosenFile(const std::string& path, LedHeader& header);
    void presetInputForm(const LedHeader& header);
    void setNumberText(NumberField field, const std::string& text, bool shown);
    void refreshUsedMemory();
    bool openSequence();
    void closeSequence();
    void showPortBoxTooltip();
    void write(std::span<const std::uint8_t> bytes);
    int frameTimeMs() const;
    void startPreview();
    PreviewSubject previewSubject() const;
    void drawPreview(bool withOverview);
    void endPreview();

    MainView& view_;
    Platform platform_;
    std::string initialDir_;
    ShowTable table_;
    OpenedFile opened_;
    std::optional<OpenedFile> pending_;  // the file of the last open command that succeeded
    Handshake handshake_;

    // What the controls hold, as the session wrote it or as the events reported it.
    int portPosition_ = 0;                              // cbcom's chosen entry; -1 once the user has typed in its field
    std::vector<std::string> portTooltips_;             // one per entry, as the list last opened
    int colourOrder_ = 0;                               // cbrgb
    int frameTimePosition_ = defaultFrameTimeIndex;     // inputcbspeed
    bool inputFormMade_ = false;                        // the parameter dialog exists
    std::array<std::string, 2> numberTexts_{"1", "1"};  // inputdots and inputframes as they read

    PreviewOf previewOf_ = PreviewOf::nothing;
    int previewedShow_ = 0;  // the show (from 1) while previewOf_ is show
    std::int64_t previewFrame_ = 0;
};

}  // namespace pelmora
