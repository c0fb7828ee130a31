#pragma once
// The three windows of the page: the main window, the parameter dialog and the preview, drawn by
// the page's script from the session's tables. These views only pass what the session writes on
// to the script (PelmoraWeb.view); nothing is read back.

#include <string>

#include "session/preview_layout.h"
#include "session/views.h"

namespace pelmora {

// What the page draws its windows from: the layout tables, the preview's areas and the texts of
// the window frames and menus, as one JSON object.
std::string pageDescription();

class WebInputForm : public InputForm {
public:
    void show() override;
    void hide() override;
    void setCaption(const std::string& text) override;
    void setNumberText(NumberField field, const std::string& text) override;
};

class WebPreviewView : public PreviewView {
public:
    void showPreview(int frameTimeMs) override;
    void setFrameTime(int frameTimeMs) override;
    void closePreview() override;
    void setOverview(const std::vector<PreviewFrame>& frames) override;
    void setPicture(const PreviewPicture& picture) override;

private:
    PreviewOverview overview_;
};

class WebMainView : public MainView {
public:
    InputForm& inputForm() override;
    void destroyInputForm() override;
    PreviewView* preview() override { return &preview_; }
    void setStatus(const std::string& text) override;
    void addShowEntry(const ShowEntry& entry) override;
    void removeShowEntry(int position) override;
    void selectShowEntry(int position) override;
    void setUsedMemoryMaximum(int maximum) override;
    void setUsedMemory(int value, const std::string& sizeText) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setPortEntries(const std::vector<std::string>& entries, int selected) override;
    void setPortListEnabled(bool enabled) override;
    void setPortTooltips(const std::vector<std::string>& tooltips) override;
    void setPortBoxTooltip(const std::string& tooltip) override;
    void setLamp(Rgb colour) override;
    void setPortButtonCaption(const std::string& text) override;
    void setColourOrderEntries(const std::vector<std::string>& entries, int selected) override;
    void setFrameTimeEntries(const std::vector<std::string>& entries, int selected) override;

private:
    WebInputForm inputForm_;
    WebPreviewView preview_;
    bool inputFormMade_ = false;
};

}  // namespace pelmora
