#include "app/session.h"

#include "download/serial_devices.h"
#include "show/colour_order.h"

namespace pelmora {

Session::Session(MainView& view, Platform platform, std::string initialDir, std::string deviceFolder)
    : view_(view),
      platform_(platform),
      deviceFolder_(std::move(deviceFolder)),
      importer_(table_, view, platform.files, platform.messages, std::move(initialDir)),
      transfer_(platform.port, view, platform.messages),
      portControl_(platform.port, view, platform.messages) {
    platform_.port.setListener(this);
}

Session::~Session() { platform_.port.setListener(nullptr); }

std::vector<std::string> portEntries() {
    std::vector<std::string> entries;
    for (int n = 1; n <= portEntryCount; ++n) entries.push_back("COM" + std::to_string(n));
    return entries;
}

std::vector<std::string> colourOrderEntries() {
    std::vector<std::string> entries;
    for (const auto& row : colourOrderTable) entries.emplace_back(row.item);
    return entries;
}

std::vector<std::string> frameTimeEntries() {
    std::vector<std::string> entries;
    for (int k = 0; k < 30; ++k) entries.push_back(std::to_string((k + 1) * 10) + "毫秒");
    return entries;
}

void Session::startUp() {
    // The show table and the transfer are empty from construction; nothing of an earlier run is kept.
    view_.setProgressValue(0);
    view_.setProgressVisible(false);
    view_.setUsedMemoryMaximum(controllerCapacity);
    importer_.refreshUsedMemory();
    view_.setStatus("");
    view_.setPortEntries(portEntries(), 0);
    view_.setLamp(lampOff);
    view_.setColourOrderEntries(colourOrderEntries(), 0);
    view_.setFrameTimeEntries(frameTimeEntries(), defaultFrameTimeIndex);
}

void Session::openLedFile() { importer_.openLedFile(); }
void Session::appendShow() { importer_.appendShow(); }
void Session::closeInputForm() { importer_.closeInputForm(); }
void Session::removeShow() { importer_.removeShow(); }
void Session::changeColourOrder() { convertColourOrder(table_, view_); }
void Session::send() { transfer_.send(table_); }
void Session::togglePort() { portControl_.toggle(); }

void Session::portListOpening() {
    const auto devices = listSerialDevices(deviceFolder_);
    std::vector<std::string> tips;
    for (std::size_t i = 0; i < portEntryCount; ++i) tips.push_back(i < devices.size() ? devices[i] : noDeviceTooltip);
    view_.setPortTooltips(tips);
}

void Session::openShopLink() { platform_.web.open(shopUrl); }

void Session::shutdown() {
    if (view_.hasInputForm()) view_.inputForm().hide();
}

void Session::commEvent(int code) { transfer_.receive(code); }
void Session::portLost() { portControl_.portLost(); }

}  // namespace pelmora
