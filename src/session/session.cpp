#include "session/session.h"

#include "session/texts.h"
#include "show/colour_order.h"
#include "show/dialog_value.h"

namespace pelmora {

namespace texts {
std::string showParametersCaption(int show) { return "输入第 " + plainDecimal(show) + " 个节目参数"; }
std::string tooManyShows() { return "最多只能" + std::to_string(maxShows) + "个文件"; }
std::string portNotOpen(int portNumber) {
    return "COM" + std::to_string(portNumber) + "串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。";
}
}  // namespace texts

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
    for (int k = 0; k < 30; ++k) entries.push_back(std::to_string((k + 1) * 10) + std::string(texts::frameTimeUnit));
    return entries;
}

Session::Session(MainView& view, Platform platform, std::string initialDir)
    : view_(view), platform_(platform), initialDir_(std::move(initialDir)) {
    platform_.port.setListener(this);
}

Session::~Session() { platform_.port.setListener(nullptr); }

void Session::startUp() {
    // The show table and the handshake are empty from construction; nothing of an earlier run is kept.
    view_.setProgressValue(0);
    view_.setProgressVisible(false);
    view_.setUsedMemoryMaximum(controllerCapacity);
    refreshUsedMemory();
    view_.setStatus("");
    view_.setPortEntries(portEntries(), 0);
    view_.setLamp(lampOff);
    view_.setColourOrderEntries(colourOrderEntries(), 0);
    view_.setFrameTimeEntries(frameTimeEntries(), defaultFrameTimeIndex);
}

void Session::openShopLink() { platform_.web.open(std::string(texts::shopUrl)); }

void Session::shutdown() {
    if (view_.hasInputForm()) view_.inputForm().hide();
}

bool Session::characterAccepted(std::int16_t code) { return keyFilterAccepts(code); }

std::string Session::numberTextChanged(const std::string& text) {
    std::string ruled = belowMinimum(text) ? std::string(minimumText) : text;
    // A preview of the waiting file follows every change of the two numbers.
    if (previewing_ && previewShow_ == 0 && view_.hasInputForm()) drawPreview(true);
    return ruled;
}

}  // namespace pelmora
