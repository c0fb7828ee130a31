#pragma once
// Every control event of the windows, one method each. A front-end calls these and does nothing
// else of its own; the session implements them. An event that depends on a choice carries it:
// the session never asks a control what it shows. Positions in a list count from 0.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// The parameter dialog's two number boxes.
enum class NumberField { dots, frames };  // inputdots, inputframes

class ControlEvents {
public:
    virtual ~ControlEvents() = default;

    virtual void startUp() = 0;      // the main window is loaded, before it is first shown
    virtual void openLedFile() = 0;  // click of open
    // Files dropped onto the main window: the open command with them, without the file dialog.
    virtual void openDroppedFiles(const std::vector<std::string>& paths) = 0;
    virtual void appendShow() = 0;      // click of inputok
    virtual void closeInputForm() = 0;  // the user closes the parameter dialog
    // Double-click on datList, anywhere in it; `selected` is the list's selected entry (-1: none).
    virtual void removeShow(int selected) = 0;
    virtual void changeColourOrder(int position) = 0;  // the entry at `position` of cbrgb is chosen
    virtual void changeFrameTime(int position) = 0;    // the entry at `position` of inputcbspeed is chosen
    virtual void choosePort(int position) = 0;         // the entry at `position` of cbcom is chosen
    virtual void typePortText() = 0;                   // the user typed or pasted into cbcom's field
    virtual void send() = 0;                           // click of comsend
    virtual void togglePort() = 0;                     // click of opencom
    virtual void portListOpening() = 0;                // cbcom's list is about to drop down
    virtual void openShopLink() = 0;                   // click of Label5
    virtual void shutdown() = 0;                       // the user closes the main window
    virtual void previewShow(int entry) = 0;           // 预览 in the context menu of datList's entry `entry`
    virtual void previewPending() = 0;                 // 预览 in the parameter dialog's context menu
    virtual void previewTick() = 0;                    // the preview's frame time has passed
    virtual void previewClosed() = 0;                  // the user closes the preview window

    // The parameter dialog's number boxes. What a key press or an input method's commit would
    // type, in UTF-16 (empty for keys that type nothing): whether it may go into the text.
    virtual bool typedTextAccepted(std::u16string_view typed) = 0;
    // The user changed a box's text (typing, deleting, pasting): the session keeps it, and
    // writes it back through the view where its rule changes it.
    virtual void numberTextEdited(NumberField field, const std::string& text) = 0;
};

}  // namespace pelmora
