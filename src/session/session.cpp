#include "session/session.h"

#include "session/texts.h"
#include "show/colour_order.h"
#include "show/dialog_value.h"

namespace pelmora {

std::vector<std::string> portEntries() {
    std::vector<std::string> entries;
    for (int n = 1; n <= portEntryCount; ++n) entries.push_back(texts::portEntry(n));
    return entries;
}

std::vector<std::string> colourOrderEntries() {
    std::vector<std::string> entries;
    for (const auto& row : colourOrderTable) entries.emplace_back(row.item);
    return entries;
}

std::vector<std::string> frameTimeEntries() {
    std::vector<std::string> entries;
    for (int k = 0; k < frameTimeEntryCount; ++k)
        entries.push_back(std::to_string((k + 1) * 10) + std::string(texts::frameTimeUnit));
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
    view_.setStatus(platform_.port.reachable() ? std::string() : std::string(texts::noSerialInBrowser));
    portPosition_ = 0;
    view_.setPortEntries(portEntries(), portPosition_);
    view_.setLamp(lampOff);
    colourOrder_ = 0;
    view_.setColourOrderEntries(colourOrderEntries(), colourOrder_);
    frameTimePosition_ = defaultFrameTimeIndex;
    view_.setFrameTimeEntries(frameTimeEntries(), frameTimePosition_);
}

void Session::openShopLink() { platform_.web.open(std::string(texts::shopUrl)); }

void Session::shutdown() {
    if (inputFormMade_) view_.inputForm().hide();
}

// The key filter reads a character's UTF-16 code as a signed 16-bit number, so that characters
// from U+8000 up arrive as negative codes. A commit goes in whole when its first character passes.
bool Session::typedTextAccepted(std::u16string_view typed) {
    return typed.empty() || keyFilterAccepts(static_cast<std::int16_t>(static_cast<std::uint16_t>(typed.front())));
}

// The text stands as typed unless the minimum-one rule changes it; then the box gets the new text.
void Session::numberTextEdited(NumberField field, const std::string& text) {
    setNumberText(field, text, true);
    // A preview of the waiting file follows every change of the two numbers.
    if (previewOf_ == PreviewOf::waitingFile) drawPreview(true);
}

// `shown`: the box reads `text` already (the user's edit), so it is written only where the rule
// changes it; the caret stays where the user left it otherwise.
void Session::setNumberText(NumberField field, const std::string& text, bool shown) {
    std::string& kept = numberTexts_[static_cast<std::size_t>(field)];
    kept = belowMinimum(text) ? std::string(minimumText) : text;
    if (kept != text || !shown) view_.inputForm().setNumberText(field, kept);
}

}  // namespace pelmora
