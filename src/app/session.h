#pragma once
// One run of the tool without its windows: the show table, the transfer and the port, and one
// method per control event. The Qt windows forward their events here; tests drive it directly.

#include <string>
#include <vector>

#include "colour/colour_conversion.h"
#include "download/port_control.h"
#include "download/transfer.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/views.h"
#include "platform/web_opener.h"
#include "show/import.h"
#include "show/show_table.h"

namespace pelmora {

// Left to us: neutral placeholders, never a real shop.
inline constexpr const char* shopUrl = "https://example.com/led-controller";
inline constexpr const char* shopPhone = "400-000-0000";
inline constexpr const char* windowTitle = "Pelmora发送软件";

// The entries start-up puts into the three lists, and the ones it selects.
std::vector<std::string> portEntries();         // COM1 .. COM16
std::vector<std::string> colourOrderEntries();  // the rows of colourOrderTable
std::vector<std::string> frameTimeEntries();    // 10毫秒 .. 300毫秒
constexpr int portEntryCount = 16;
constexpr int defaultFrameTimeIndex = 4;  // 50毫秒
inline constexpr const char* noDeviceTooltip = "没有对应的串口设备";

struct Platform {
    MessageBox& messages;
    FileDialog& files;
    WebOpener& web;
    SerialPort& port;
};

class Session : private SerialPort::Listener {
public:
    // initialDir: the folder the file dialog opens in; deviceFolder: where COM numbers are looked up.
    Session(MainView& view, Platform platform, std::string initialDir, std::string deviceFolder = "/dev");
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void startUp();            // the window is loaded
    void openLedFile();        // open
    void appendShow();         // inputok
    void closeInputForm();     // the parameter dialog's close button
    void removeShow();         // double-click on an entry of datList
    void changeColourOrder();  // a selection in cbrgb
    void send();               // comsend
    void togglePort();         // opencom
    void portListOpening();    // cbcom's list is about to drop down: show where each entry leads
    void openShopLink();       // Label5
    void shutdown();           // the main window closes

    const ShowTable& table() const { return table_; }
    const Transfer& transfer() const { return transfer_; }
    const Importer& importer() const { return importer_; }

private:
    void commEvent(int code) override;
    void portLost() override;

    MainView& view_;
    Platform platform_;
    std::string deviceFolder_;
    ShowTable table_;
    Importer importer_;
    Transfer transfer_;
    PortControl portControl_;
};

}  // namespace pelmora
