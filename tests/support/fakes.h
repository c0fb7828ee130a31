#pragma once
// Fakes of the platform seams and the two windows: they record what they were asked and
// answer what a test preset.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/port_directory.h"
#include "platform/serial_port.h"
#include "platform/web_opener.h"
#include "session/session.h"
#include "session/views.h"

namespace pelmora::testing {

class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        std::string title, text;
        Icon icon;
    };
    void show(const std::string& title, const std::string& text, Icon icon) override {
        shown.push_back({title, text, icon});
        if (onShow) onShow();
    }
    std::vector<Shown> shown;
    std::function<void()> onShow;  // runs while the "modal" box is up
};

class FakeFileDialog : public FileDialog {
public:
    FileDialogResult open(const FileDialogSettings& settings) override {
        asked.push_back(settings);
        if (answers.empty()) return {FileDialogResult::Outcome::cancelled, {}};
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void choose(const std::string& path) { answers.push_back({FileDialogResult::Outcome::chosen, path}); }
    void cancel() { answers.push_back({FileDialogResult::Outcome::cancelled, {}}); }
    void chooseSeveral() { answers.push_back({FileDialogResult::Outcome::several, {}}); }

    std::deque<FileDialogResult> answers;
    std::vector<FileDialogSettings> asked;
};

class FakeWebOpener : public WebOpener {
public:
    void open(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

// A serial port that records settings and writes; a test delivers bytes with receive().
class FakeSerialPort : public SerialPort {
public:
    void setListener(Listener* l) override { listener = l; }
    bool reachable() const override { return reaches; }
    void setPortNumber(int number) override {
        calls.push_back("port " + std::to_string(number));
        portNumber = number;
    }
    void setSettings(const LineSettings& s) override {
        calls.push_back("settings");
        settings = s;
    }
    void setRawMode(bool raw) override { calls.push_back(raw ? "raw" : "text"); }
    void setOutBufferSize(int bytes) override { calls.push_back("out " + std::to_string(bytes)); }
    void setInBufferSize(int bytes) override { calls.push_back("in " + std::to_string(bytes)); }
    PortOpenResult open() override {
        calls.push_back("open");
        open_ = opens;
        return open_ ? PortOpenResult{} : PortOpenResult{failsWith, "fake port"};
    }
    void setReadLength(int bytes) override { calls.push_back("read length " + std::to_string(bytes)); }
    void setReceiveThreshold(int bytes) override { calls.push_back("rthreshold " + std::to_string(bytes)); }
    void setSendThreshold(int bytes) override { calls.push_back("sthreshold " + std::to_string(bytes)); }
    void close() override {
        calls.push_back("close");
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override {
        writes.emplace_back(bytes.begin(), bytes.end());
        return open_;
    }
    std::vector<std::uint8_t> readAll() override { return std::exchange(waiting, {}); }

    // Bytes arrive from the controller: they wait in the buffer and the receive event is raised.
    void receive(std::vector<std::uint8_t> bytes) {
        waiting.insert(waiting.end(), bytes.begin(), bytes.end());
        if (listener && open_) listener->commEvent(SerialPort::receiveEvent);
    }
    void lose() {
        if (listener) listener->portLost();
    }
    std::vector<std::uint8_t> written() const {
        std::vector<std::uint8_t> all;
        for (const auto& w : writes) all.insert(all.end(), w.begin(), w.end());
        return all;
    }

    Listener* listener = nullptr;
    bool reaches = true;                           // whether this system has serial ports at all
    bool opens = true;                             // whether open() succeeds
    PortFailure failsWith = PortFailure::missing;  // and why not
    int portNumber = 0;
    LineSettings settings;
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<std::uint8_t> waiting;

private:
    bool open_ = false;
};

// A COM list preset by the test: entry n - 1 is COMn.
class FakePortDirectory : public PortDirectory {
public:
    PortDevice device(int portNumber) const override {
        return portNumber >= 1 && static_cast<std::size_t>(portNumber) <= listed.size()
                   ? listed[static_cast<std::size_t>(portNumber) - 1]
                   : PortDevice{};
    }
    std::vector<PortDevice> devices(int count) const override {
        std::vector<PortDevice> all;
        for (int n = 1; n <= count; ++n) all.push_back(device(n));
        return all;
    }
    std::vector<PortDevice> listed;
};

// Every seam of the platform, faked, for a session.
struct FakePlatform {
    Platform platform() { return {messages, files, web, port, ports}; }
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeWebOpener web;
    FakeSerialPort port;
    FakePortDirectory ports;
};

// The dialog keeps its texts as they are written: the minimum-one rule is the session's.
class FakeInputForm : public InputForm {
public:
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void setCaption(const std::string& text) override { caption = text; }
    void setNumberText(NumberField field, const std::string& text) override {
        (field == NumberField::dots ? dots : frames) = text;
        ++numberTextsWritten;
    }

    bool shown = false;
    std::string caption = "参数";
    std::string dots = "1", frames = "1";
    int numberTextsWritten = 0;
};

// The preview window keeps what it was last given.
class FakePreview : public PreviewView {
public:
    void showPreview(int frameTimeMs) override { shown = true, tickMs = frameTimeMs; }
    void setFrameTime(int frameTimeMs) override { tickMs = frameTimeMs; }
    void closePreview() override { shown = false; }
    void setOverview(const std::vector<PreviewFrame>& frames) override { overview = frames; }
    void setPicture(const PreviewPicture& p) override { picture = p; }
    bool shown = false;
    int tickMs = 0;
    std::vector<PreviewFrame> overview;
    PreviewPicture picture;
};

class FakeMainView : public MainView {
public:
    PreviewView* preview() override { return &previewWindow; }
    FakePreview previewWindow;

    InputForm& inputForm() override {
        if (!form) form = std::make_unique<FakeInputForm>(), ++formsCreated;
        return *form;
    }
    void destroyInputForm() override { form.reset(); }
    FakeInputForm* input() { return form.get(); }

    void setStatus(const std::string& text) override { status = text; }

    void addShowEntry(const ShowEntry& entry) override {
        entries.push_back(entry.text);
        entryTooltips.push_back(entry.tooltip);
    }
    void removeShowEntry(int position) override;
    void selectShowEntry(int position) override { selected = position; }

    void setUsedMemoryMaximum(int maximum) override { usedMaximum = maximum; }
    void setUsedMemory(int value, const std::string& text) override { usedValue = value, sizeText = text; }

    void setProgressRange(int minimum, int maximum) override { progressMin = minimum, progressMax = maximum; }
    void setProgressValue(int value) override { progressValue = value; }
    void setProgressVisible(bool visible) override { progressVisible = visible; }

    void setPortEntries(const std::vector<std::string>& e, int s) override { portList = e, portSelected = s; }
    void setPortListEnabled(bool enabled) override { portListEnabled = enabled; }
    void setPortTooltips(const std::vector<std::string>& tips) override { portTooltips = tips; }
    void setPortBoxTooltip(const std::string& tip) override { portBoxTooltip = tip; }
    void setLamp(Rgb colour) override { lamp = colour; }
    void setPortButtonCaption(const std::string& text) override { portButton = text; }

    void setColourOrderEntries(const std::vector<std::string>& e, int s) override {
        colourList = e, colourSelected = s;
    }
    void setFrameTimeEntries(const std::vector<std::string>& e, int s) override { timeList = e, timeSelected = s; }

    std::unique_ptr<FakeInputForm> form;
    int formsCreated = 0;
    std::string status;
    std::vector<std::string> entries, entryTooltips;
    int selected = -1;
    int usedMaximum = 0;
    int usedValue = -1;
    std::string sizeText;
    int progressMin = 0, progressMax = 0, progressValue = 0;
    bool progressVisible = true;
    std::vector<std::string> portList, portTooltips;
    std::string portBoxTooltip;
    int portSelected = -1;
    bool portListEnabled = true;
    Rgb lamp{1, 1, 1};
    std::string portButton = "打开串口";
    std::vector<std::string> colourList, timeList;
    int colourSelected = -1, timeSelected = -1;
};

}  // namespace pelmora::testing
