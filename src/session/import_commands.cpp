// The commands that bring a show into the table and take it out again, and the colour order.

#include "colour/colour_conversion.h"
#include "platform/file_system.h"
#include "session/session.h"
#include "session/texts.h"
#include "show/colour_order.h"
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
    inputFormMade_ = true;
    form.show();
    form.setCaption(texts::showParametersCaption(table_.showCount() + 1));
    // The boxes keep their minimum of one also for what we write into them (a file of only a header).
    setNumberText(NumberField::frames, plainDecimal(header.frameEstimate), false);
    setNumberText(NumberField::dots, plainDecimal(opened_.headerDots), false);
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
    if (previewOf_ == PreviewOf::waitingFile) drawPreview(true);  // another file waits now
}

void Session::appendShow() {
    MessageBox& messages = platform_.messages;
    if (table_.showCount() >= maxShows) {
        messages.show(text(texts::attention), texts::tooManyShows(), MessageBox::Icon::exclamation);
        return;
    }
    if (!pending_ || !inputFormMade_) return;
    InputForm& form = view_.inputForm();
    const auto dots = wholeNumber(numberTexts_[static_cast<std::size_t>(NumberField::dots)]);
    const auto frames = wholeNumber(numberTexts_[static_cast<std::size_t>(NumberField::frames)]);

    auto result = ShowTable::AppendResult::beyondFile;
    if (dots && frames) result = table_.append(*dots, *frames, *pending_->fileBytes, colourOrder_, pending_->entryPath);

    switch (result) {
        case ShowTable::AppendResult::added:
            if (previewOf_ == PreviewOf::waitingFile) endPreview();  // the file waits no longer
            form.hide();
            view_.addShowEntry(showEntry(pending_->entryPath));
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
    if (!inputFormMade_) return;
    if (previewOf_ == PreviewOf::waitingFile) endPreview();
    view_.inputForm().hide();
    view_.setStatus("");
    view_.destroyInputForm();
    inputFormMade_ = false;
}

void Session::removeShow(int selected) {
    // The list's state alone says which show goes, wherever the double-click fell: the only entry
    // of a list of one, else the selected one. Two or more entries and none selected: nothing.
    const int r = table_.showCount() == 1 ? 0 : selected;
    if (!table_.remove(r)) return;
    // The preview of the removed show goes with it; one of a later show follows it down.
    if (previewOf_ == PreviewOf::show && previewedShow_ == r + 1) endPreview();
    if (previewedShow_ > r + 1) --previewedShow_;
    view_.removeShowEntry(r);
    view_.setStatus("");
    refreshUsedMemory();
}

// Each show is read again from its file, its entry selected in the list while it is.
void Session::changeColourOrder(int position) {
    if (!isColourOrder(position)) return;
    colourOrder_ = position;
    convertColourOrder(table_, colourOrder_, [this](int s) {
        view_.selectShowEntry(s - 1);
        return readWholeFile(table_.showPath(s)).content();
    });
}

}  // namespace pelmora
