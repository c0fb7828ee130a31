#pragma once
// The controls of the windows as the commands write them. Each front-end implements these;
// tests use fakes. Nothing here holds a rule of the tool, and nothing reads a control back:
// the session keeps every value itself, from what it wrote and what the events carried.

#include <string>
#include <vector>

#include "session/events.h"
#include "session/rgb.h"
#include "session/show_list.h"
#include "show/preview.h"

namespace pelmora {

// The parameter dialog inputform.
class InputForm {
public:
    virtual ~InputForm() = default;
    virtual void show() = 0;  // not modal; stays shown if it is
    virtual void hide() = 0;
    virtual void setCaption(const std::string& text) = 0;  // inputformcaption
    // inputdots, inputframes. Setting a text raises no edit event: only the user's edits do.
    virtual void setNumberText(NumberField field, const std::string& text) = 0;
};

// What the preview window shows at one moment.
struct PreviewPicture {
    std::string caption;      // 第 3 / 10 帧
    std::string description;  // the show's dots, frames, bytes and start address
    PreviewFrame frame;       // the dots of the current frame
    int current = 0;          // the current frame, from 0
    int frames = 0;
};

// The preview window 节目预览, a window of its own: it changes nothing of the other two.
class PreviewView {
public:
    virtual ~PreviewView() = default;
    // Shown and in front; while shown, the preview tick comes every frameTimeMs.
    virtual void showPreview(int frameTimeMs) = 0;
    virtual void setFrameTime(int frameTimeMs) = 0;  // the tick from now on, nothing else changed
    virtual void closePreview() = 0;
    // The whole show at a glance: one row per frame (as many as fit), one column per dot.
    virtual void setOverview(const std::vector<PreviewFrame>& frames) = 0;
    virtual void setPicture(const PreviewPicture& picture) = 0;
};

// The main window's controls.
class MainView {
public:
    virtual ~MainView() = default;

    // The parameter dialog, created on first use (and after the user has closed it).
    virtual InputForm& inputForm() = 0;
    virtual void destroyInputForm() = 0;

    // The preview window; none where a front-end has none.
    virtual PreviewView* preview() { return nullptr; }

    // prossstates, the status line.
    virtual void setStatus(const std::string& text) = 0;

    // datList: one entry per show, drawn as showListRowText gives it.
    virtual void addShowEntry(const ShowEntry& entry) = 0;
    virtual void removeShowEntry(int position) = 0;
    virtual void selectShowEntry(int position) = 0;

    // epprom and size, the used-memory indicator.
    virtual void setUsedMemoryMaximum(int maximum) = 0;
    virtual void setUsedMemory(int value, const std::string& sizeText) = 0;

    // ProgressBar, the download progress.
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setProgressVisible(bool visible) = 0;

    // The port group: cbcom, the lamp coms, the button opencom.
    virtual void setPortEntries(const std::vector<std::string>& entries, int selected) = 0;
    virtual void setPortListEnabled(bool enabled) = 0;
    // One per entry of the open list, and the one of the box itself (the chosen entry's, or none).
    virtual void setPortTooltips(const std::vector<std::string>& tooltips) = 0;
    virtual void setPortBoxTooltip(const std::string& tooltip) = 0;
    virtual void setLamp(Rgb colour) = 0;
    virtual void setPortButtonCaption(const std::string& text) = 0;

    // cbrgb.
    virtual void setColourOrderEntries(const std::vector<std::string>& entries, int selected) = 0;
    // inputcbspeed.
    virtual void setFrameTimeEntries(const std::vector<std::string>& entries, int selected) = 0;
};

}  // namespace pelmora
