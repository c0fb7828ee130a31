#pragma once
// The session's events as a window raises them, counted on their way to the session, with what
// the last of each carried (a position, an entry, a number box).

#include <map>
#include <string>
#include <vector>

#include "session/events.h"

namespace pelmora::testing {

class CountingEvents : public ControlEvents {
public:
    ControlEvents* inner = nullptr;
    std::map<std::string, int> counts, carried;

    void startUp() override { ++counts["startUp"], inner->startUp(); }
    void openLedFile() override { ++counts["openLedFile"], inner->openLedFile(); }
    void openDroppedFiles(const std::vector<std::string>& paths) override {
        count("openDroppedFiles", static_cast<int>(paths.size())), inner->openDroppedFiles(paths);
    }
    void appendShow() override { ++counts["appendShow"], inner->appendShow(); }
    void closeInputForm() override { ++counts["closeInputForm"], inner->closeInputForm(); }
    void removeShow(int selected) override { count("removeShow", selected), inner->removeShow(selected); }
    void changeColourOrder(int p) override { count("changeColourOrder", p), inner->changeColourOrder(p); }
    void changeFrameTime(int p) override { count("changeFrameTime", p), inner->changeFrameTime(p); }
    void choosePort(int position) override { count("choosePort", position), inner->choosePort(position); }
    void typePortText() override { ++counts["typePortText"], inner->typePortText(); }
    void send() override { ++counts["send"], inner->send(); }
    void togglePort() override { ++counts["togglePort"], inner->togglePort(); }
    void portListOpening() override { ++counts["portListOpening"], inner->portListOpening(); }
    void openShopLink() override { ++counts["openShopLink"], inner->openShopLink(); }
    void shutdown() override { ++counts["shutdown"], inner->shutdown(); }
    void previewShow(int entry) override { count("previewShow", entry), inner->previewShow(entry); }
    void previewPending() override { ++counts["previewPending"], inner->previewPending(); }
    void previewTick() override { ++counts["previewTick"], inner->previewTick(); }
    void previewClosed() override { ++counts["previewClosed"], inner->previewClosed(); }
    bool typedTextAccepted(std::u16string_view typed) override { return inner->typedTextAccepted(typed); }
    void numberTextEdited(NumberField field, const std::string& text) override {
        count("numberTextEdited", static_cast<int>(field)), inner->numberTextEdited(field, text);
    }

private:
    void count(const std::string& event, int value) { ++counts[event], carried[event] = value; }
};

}  // namespace pelmora::testing
