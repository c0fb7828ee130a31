// The preview window: which show it plays, its frames in turn, and when it goes.

#include <algorithm>
#include <cstdint>
#include <functional>

#include "session/session.h"
#include "session/texts.h"
#include "show/dialog_value.h"

namespace pelmora {

namespace {

// The overview holds at most this many frames and dots: the strip is a glance, not the show.
constexpr std::int64_t overviewFrames = 256;
constexpr std::size_t overviewDots = 1024;

}  // namespace

// What is played: its numbers, and how to get frame f of it.
struct Session::PreviewSubject {
    std::int64_t dots = 0, frames = 0, bytes = 0, start = 0;
    std::function<PreviewFrame(std::int64_t)> frameOf;
};

int Session::frameTimeMs() const { return (frameTimePosition_ + 1) * 10; }

void Session::previewShow(int entry) {
    if (entry < 0 || entry >= table_.showCount() || !view_.preview()) return;
    previewOf_ = PreviewOf::show;
    previewedShow_ = entry + 1;
    startPreview();
}

void Session::previewPending() {
    if (!pending_ || !inputFormMade_ || !view_.preview()) return;
    previewOf_ = PreviewOf::waitingFile;
    startPreview();
}

void Session::startPreview() {
    previewFrame_ = 0;
    drawPreview(true);
    view_.preview()->showPreview(frameTimeMs());
}

// The frame time is read at each download; a playing preview takes it at once.
void Session::changeFrameTime(int position) {
    if (position < 0 || position >= frameTimeEntryCount) return;
    frameTimePosition_ = position;
    if (previewOf_ != PreviewOf::nothing && view_.preview()) view_.preview()->setFrameTime(frameTimeMs());
}

void Session::previewTick() {
    if (previewOf_ == PreviewOf::nothing || !view_.preview()) return;
    ++previewFrame_;
    drawPreview(false);
}

void Session::previewClosed() { endPreview(); }

void Session::endPreview() {
    if (previewOf_ == PreviewOf::nothing) return;
    previewOf_ = PreviewOf::nothing;
    if (view_.preview()) view_.preview()->closePreview();
}

Session::PreviewSubject Session::previewSubject() const {
    PreviewSubject subject;
    if (previewOf_ == PreviewOf::show) {
        const int s = previewedShow_;
        subject = {table_.showFrameBytes(s) / 3, table_.showFrames(s), table_.showSize(s), table_.showOffset(s - 1),
                   [this, s](std::int64_t f) { return previewFrame(table_, s, f); }};
        return subject;
    }
    // The numbers as typed so far; a box below one counts as one, as its rule will make it.
    const auto typed = [this](NumberField field) {
        return std::max<std::int64_t>(wholeNumber(numberTexts_[static_cast<std::size_t>(field)]).value_or(1), 1);
    };
    const std::int64_t dots = typed(NumberField::dots), frames = typed(NumberField::frames);
    const auto file = pending_->fileBytes;
    const auto header = readLedHeader(*file);
    const std::int32_t stride = header ? header->stride : ledHeaderSize;
    subject = {dots, frames, frames > INT64_MAX / 3 / dots ? INT64_MAX : dots * 3 * frames,
               table_.showOffset(table_.showCount()),
               [file, dots, frames, stride](std::int64_t f) { return previewFrame(*file, dots, frames, stride, f); }};
    return subject;
}

// The picture of the current frame, and with it the overview when the show itself changed.
void Session::drawPreview(bool withOverview) {
    PreviewView* preview = view_.preview();
    if (!preview) return;
    const PreviewSubject subject = previewSubject();
    if (subject.frames < 1) return;
    previewFrame_ %= subject.frames;
    if (withOverview) {
        std::vector<PreviewFrame> overview;
        for (std::int64_t f = 0; f < std::min(subject.frames, overviewFrames); ++f) {
            overview.push_back(subject.frameOf(f));
            if (overview.back().dots.size() > overviewDots) overview.back().dots.resize(overviewDots);
        }
        preview->setOverview(overview);
    }
    PreviewPicture picture;
    picture.caption = texts::previewFrameCaption(previewFrame_ + 1, subject.frames);
    picture.description = texts::previewDescription(subject.dots, subject.frames, subject.bytes, subject.start);
    picture.frame = subject.frameOf(previewFrame_);
    picture.current = static_cast<int>(std::min<std::int64_t>(previewFrame_, INT32_MAX));
    picture.frames = static_cast<int>(std::min<std::int64_t>(subject.frames, INT32_MAX));
    preview->setPicture(picture);
}

}  // namespace pelmora
