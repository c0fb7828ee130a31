#include "show/import.h"

#include "show/dialog_value.h"

namespace pelmora {

std::string tooManyShowsText() { return "最多只能" + std::to_string(maxShows) + "个文件"; }

Importer::Importer(ShowTable& table, MainView& view, FileDialog& files, MessageBox& messages, std::string initialDir)
    : table_(table), view_(view), files_(files), messages_(messages), initialDir_(std::move(initialDir)) {}

void Importer::refreshUsedMemory() {
    view_.setUsedMemory(static_cast<float>(table_.usedBytes()), usedMemoryText(table_.usedBytes()));
}

bool Importer::readChosenFile(const std::string& path, LedHeader& header) {
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

void Importer::openLedFile() {
    view_.setProgressVisible(false);

    FileDialogSettings settings;
    settings.initialDir = initialDir_;
    settings.filterName = "dat files (*.led)";
    settings.filterPattern = "*.led";
    settings.filterIndex = 1;
    settings.allowMultiSelect = true;
    settings.title = "打开led文件";
    const FileDialogResult chosen = files_.open(settings);

    LedHeader header;
    if (chosen.outcome != FileDialogResult::Outcome::chosen || !readChosenFile(chosen.path, header)) {
        messages_.show("注意", wrongFileText, MessageBox::Icon::exclamation);
        return;
    }

    pending_ = opened_;
    InputForm& form = view_.inputForm();
    form.show();
    form.setCaption("输入第 " + plainDecimal(table_.showCount() + 1) + " 个节目参数");
    form.setFrames(plainDecimal(header.frameEstimate));
    form.setDots(plainDecimal(opened_.headerDots));
    view_.setStatus("");
}

void Importer::appendShow() {
    if (table_.showCount() >= maxShows) {
        messages_.show("注意", tooManyShowsText(), MessageBox::Icon::exclamation);
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
            form.hide();
            view_.addShowEntry(pending_->entryPath);
            view_.setStatus("");
            refreshUsedMemory();
            return;
        case ShowTable::AppendResult::tooManyShows:
            messages_.show("注意", tooManyShowsText(), MessageBox::Icon::exclamation);
            return;
        case ShowTable::AppendResult::overCapacity:
            messages_.show("注意", overCapacityText, MessageBox::Icon::none);
            form.hide();
            return;
        case ShowTable::AppendResult::beyondFile:
            // The dialog stays up so that the numbers can be corrected.
            messages_.show("注意", beyondFileText, MessageBox::Icon::exclamation);
            return;
    }
}

void Importer::closeInputForm() {
    if (!view_.hasInputForm()) return;
    view_.inputForm().hide();
    view_.setStatus("");
    view_.destroyInputForm();
}

void Importer::removeShow() {
    // Only a double-click on an entry removes a show; one on the blank part of the list removes nothing.
    const int r = view_.selectedShowEntry();
    if (r < 0 || r >= view_.showEntryCount() || !table_.remove(r)) return;
    view_.removeShowEntry(r);
    view_.setStatus("");
    refreshUsedMemory();
}

}  // namespace pelmora
