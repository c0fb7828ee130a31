#pragma once
// Every control event of the two windows, one method each. A front-end calls these and does
// nothing else of its own; the session implements them.

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora {

class ControlEvents {
public:
    virtual ~ControlEvents() = default;

    virtual void startUp() = 0;            // the main window is loaded, before it is first shown
    virtual void openLedFile() = 0;        // click of open
    // Files dropped onto the main window: the open command with them, without the file dialog.
    virtual void openDroppedFiles(const std::vector<std::string>& paths) = 0;
    virtual void appendShow() = 0;         // click of inputok
    virtual void closeInputForm() = 0;     // the user closes the parameter dialog
    virtual void removeShow() = 0;         // double-click on datList
    virtual void changeColourOrder() = 0;  // an entry of cbrgb is chosen
    virtual void changeFrameTime() = 0;    // an entry of inputcbspeed is chosen
    virtual void send() = 0;               // click of comsend
    virtual void togglePort() = 0;         // click of opencom
    virtual void portListOpening() = 0;    // cbcom's list is about to drop down
    virtual void openShopLink() = 0;       // click of Label5
    virtual void shutdown() = 0;           // the user closes the main window
    virtual void previewShow(int entry) = 0;  // 预览 in the context menu of datList's entry `entry`
    virtual void previewPending() = 0;        // 预览 in the parameter dialog's context menu
    virtual void previewTick() = 0;           // the preview's frame time has passed
    virtual void previewClosed() = 0;         // the user closes the preview window

    // The parameter dialog's number boxes. A typed character, as its UTF-16 code read as a
    // signed 16-bit number: whether it may go into the text.
    virtual bool characterAccepted(std::int16_t code) = 0;
    // A box's text has changed, by whatever means: what the text must become.
    virtual std::string numberTextChanged(const std::string& text) = 0;
};

}  // namespace pelmora
