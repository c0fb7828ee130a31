// The port button, the send command and the controller's requests.

#include "download/memory_image.h"
#include "session/session.h"
#include "session/texts.h"

namespace pelmora {

namespace {
std::string text(std::string_view t) { return std::string(t); }
}  // namespace

void Session::togglePort() {
    if (platform_.port.isOpen()) {
        closeSequence();
        return;
    }
    if (!platform_.port.reachable()) {
        view_.setStatus(text(texts::noSerialInBrowser));
        platform_.messages.show(text(texts::failed), text(texts::noSerialInBrowser), MessageBox::Icon::none);
        return;
    }
    if (openSequence()) return;
    // Every failure of the open sequence ends here, with the one message.
    view_.setLamp(lampOff);
    platform_.messages.show(text(texts::failed), text(texts::noSuchPort), MessageBox::Icon::none);
}

PortOpenResult openControllerPort(SerialPort& port, int portNumber) {
    port.setPortNumber(portNumber);
    port.setSettings(controllerLine);
    port.setRawMode(true);
    port.setOutBufferSize(portOutBufferSize);
    port.setInBufferSize(portInBufferSize);
    if (PortOpenResult opened = port.open(); !opened) return opened;
    port.setReadLength(0);
    port.setReceiveThreshold(1);
    port.setSendThreshold(0);
    return {};
}

bool Session::openSequence() {
    const int number = portPosition_ + 1;
    if (number < 1) return false;  // typed text: no entry is chosen
    if (!openControllerPort(platform_.port, number)) return false;
    view_.setLamp(lampOn);
    view_.setPortButtonCaption(text(texts::closePort));
    view_.setPortListEnabled(false);
    return true;
}

void Session::closeSequence() {
    platform_.port.close();
    view_.setLamp(lampOff);
    view_.setPortButtonCaption(text(texts::openPort));
    view_.setPortListEnabled(true);
    view_.setStatus("");
    view_.setProgressVisible(false);
}

void Session::portLost() {
    if (!platform_.port.isOpen()) return;
    closeSequence();
    platform_.messages.show(text(texts::failed), text(texts::noSuchPort), MessageBox::Icon::none);
}

void Session::portListOpening() {
    const auto devices = platform_.ports.devices(portEntryCount);
    portTooltips_.clear();
    for (const auto& device : devices) {
        if (device.path.empty())
            portTooltips_.push_back(text(texts::noDeviceTooltip));
        else
            portTooltips_.push_back(device.description + text(texts::portFailureTooltip(device.failure)));
    }
    view_.setPortTooltips(portTooltips_);
    showPortBoxTooltip();
}

// A port is chosen only from the list: typed text names no port, whatever it reads like, until
// an entry is chosen again.
void Session::choosePort(int position) {
    if (position < 0 || position >= portEntryCount) return;
    portPosition_ = position;
    showPortBoxTooltip();
}

void Session::typePortText() {
    portPosition_ = -1;
    showPortBoxTooltip();
}

// The box itself tells where its chosen entry leads, as far as the list last found out.
void Session::showPortBoxTooltip() {
    const auto at = static_cast<std::size_t>(portPosition_);
    view_.setPortBoxTooltip(portPosition_ >= 0 && at < portTooltips_.size() ? portTooltips_[at] : std::string());
}

void Session::write(std::span<const std::uint8_t> bytes) {
    // A failed write is not retried: the controller asks again, or the user sends again.
    if (!bytes.empty()) platform_.port.write(bytes);
}

void Session::send() {
    if (table_.showCount() == 0) {
        platform_.messages.show(text(texts::attention), text(texts::noShows), MessageBox::Icon::exclamation);
        return;
    }
    handshake_.load(buildMemoryImage(table_, frameTimePosition_ + 1));
    if (!platform_.port.isOpen()) {
        platform_.messages.show(text(texts::notice), texts::portNotOpen(portPosition_ + 1), MessageBox::Icon::none);
        return;
    }
    const auto startByte = handshake_.start();
    view_.setProgressRange(0, handshake_.chunks());
    write(startByte);
    view_.setStatus(text(texts::sending));
    view_.setProgressValue(0);
    view_.setProgressVisible(true);
}

void Session::commEvent(int code) {
    if (code != SerialPort::receiveEvent) return;
    const std::vector<std::uint8_t> receiveBuffer = platform_.port.readAll();
    const HandshakeStep step = handshake_.receive(receiveBuffer);
    // Answer first, repaint after: the controller is waiting for the bytes.
    write(step.write);
    if (step.chunk > 0) view_.setProgressValue(step.chunk);
    if (step.completed) view_.setStatus(text(texts::sent));
}

}  // namespace pelmora
