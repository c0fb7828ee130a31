// The commands that bring a show into the table and take it out again, and the colour order.

#include "colour/colour_conversion.h"
#include "platform/file_system.h"
#include "session/session.h"
#include "session/texts.h"
#include "show/dialog_value.h"

namespace pelmora {

namespace {
std::string text(std::string_view t) { return std::string(t); }
}  // namespace

void Session::refreshUsedMemory() { view_.setUsedMemory(table_.usedBytes(), usedMemoryText(table_.usedBytes())); }

bool Session::readChosenFile(const std::string& path, LedHeader& header) {
    opened_.fileName = path;
    opened_.entryPath = opened_.fileName;
    auto content = readWholeFile(path);
    if (!content) return false;
    opened_.fileLength = static_cast<std::int32_t>(content->size());
    opened_.fileBytes = std::make_shared<const Bytes>(std::move(*content));
    const auto parsed = readLedHeader(*opened_.fileBytes);
    if (!parsed) return false;
    opened_.headerDots = parsed->headerDots;
    header = *parsed;
    return true;
}

void Session::presetInputForm(const LedHeader& header) {
    InputForm& form = view_.inputForm();
    form.show();
    form.setCaption(texts::showParametersCaption(table_.showCount() + 1));
    // The boxes keep their minimum of one also for what we write into them (a file of only a header).
    form.setFrames(numberTextChanged(plainDecimal(header.frameEstimate)));
    form.setDots(numberTextChanged(plainDecimal(opened_.headerDots)));
}

void Session::openLedFile() {
    view_.setProgressVisible(false);

    FileDialogSettings settings;
    settings.initialDir = initialDir_;
    settings.filterName = text(texts::fileFilterName);
    settings.filterPattern = text(texts::fileFilterPattern);
    settings.filterIndex = 1;
    settings.allowMultiSelect = true;
    settings.namesMustExist = false;  // a typed name that does not exist is the open command's failure
    settings.title = text(texts::fileDialogTitle);
    openChosen(platform_.files.open(settings));
}

// As if they had been chosen in the file dialog: one file is opened, several get the refusal
// that several chosen there get.
void Session::openDroppedFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    view_.setProgressVisible(false);
    FileDialogResult dropped;
    dropped.outcome = paths.size() == 1 ? FileDialogResult::Outcome::chosen : FileDialogResult::Outcome::several;
    if (paths.size() == 1) dropped.path = paths.front();
    openChosen(dropped);
}

void Session::openChosen(const FileDialogResult& chosen) {
    LedHeader header;
    if (chosen.outcome != FileDialogResult::Outcome::chosen || !readChosenFile(chosen.path, header)) {
        platform_.messages.show(text(texts::attention), text(texts::wrongFile), MessageBox::Icon::exclamation);
        return;
    }
    pending_ = opened_;
    presetInputForm(header);
    view_.setStatus("");
    if (previewing_ && previewShow_ == 0) drawPreview(true);  // another file waits now
}

void Session::appendShow() {
    MessageBox& messages = platform_.messages;
    if (table_.showCount() >= maxShows) {
        messages.show(text(texts::attention), texts::tooManyShows(), MessageBox::Icon::exclamation);
        return;
    }
    if (!pending_ || !view_.hasInputForm()) return;
    InputForm& form = view_.inputForm();
    const auto dots = wholeNumber(form.dots());
    const auto frames = wholeNumber(form.frames());

    auto result = ShowTable::AppendResult::beyondFile;
    if (dots && frames) result = table_.append(*dots, *frames, *pending_->fileBytes, view_.colourOrderIndex());

    switch (result) {
        case ShowTable::AppendResult::added:
            if (previewShow_ == 0) endPreview();  // the file waits no longer
            form.hide();
            view_.addShowEntry(pending_->entryPath);
            view_.setStatus("");
            refreshUsedMemory();
            return;
        case ShowTable::AppendResult::tooManyShows:
            messages.show(text(texts::attention), texts::tooManyShows(), MessageBox::Icon::exclamation);
            return;
        case ShowTable::AppendResult::overCapacity:
            messages.show(text(texts::attention), text(texts::overCapacity), MessageBox::Icon::none);
            form.hide();
            return;
        case ShowTable::AppendResult::beyondFile:
            // The dialog stays up so that the numbers can be corrected.
            messages.show(text(texts::attention), text(texts::beyondFile), MessageBox::Icon::exclamation);
            return;
    }
}

void Session::closeInputForm() {
    if (!view_.hasInputForm()) return;
    if (previewShow_ == 0) endPreview();
    view_.inputForm().hide();
    view_.setStatus("");
    view_.destroyInputForm();
}

void Session::removeShow() {
    // The list's state alone says which show goes, wherever the double-click fell: the only entry
    // of a list of one, else the selected one. Two or more entries and none selected: nothing.
    const int r = view_.showEntryCount() == 1 ? 0 : view_.selectedShowEntry();
    if (r < 0 || r >= view_.showEntryCount() || !table_.remove(r)) return;
    // The preview of the removed show goes with it; one of a later show follows it down.
    if (previewing_ && previewShow_ == r + 1) endPreview();
    if (previewShow_ > r + 1) --previewShow_;
    view_.removeShowEntry(r);
    view_.setStatus("");
    refreshUsedMemory();
}

void Session::changeColourOrder() {
    convertColourOrder(table_, view_.colourOrderIndex(), [this](int s) {
        view_.selectShowEntry(s - 1);
        return readWholeFile(view_.showEntry(s - 1)).content();
    });
}

}  // namespace pelmora
