// The preview window: which show it plays, its frames in turn, and when it goes.

#include <algorithm>
#include <cstdint>
#include <functional>

#include "session/session.h"
#include "session/texts.h"
#include "show/dialog_value.h"

namespace pelmora {

namespace texts {
std::string previewFrameCaption(std::int64_t frame, std::int64_t frames) {
    return "第 " + plainDecimal(frame) + " / " + plainDecimal(frames) + " 帧";
}
std::string previewDescription(std::int64_t dots, std::int64_t frames, std::int64_t bytes, std::int64_t start) {
    return "点数 " + plainDecimal(dots) + "  帧数 " + plainDecimal(frames) + "  字节 " + plainDecimal(bytes) +
           "  起始地址 " + plainDecimal(start);
}
}  // namespace texts

namespace {

// The overview holds at most this many frames and dots: the strip is a glance, not the show.
constexpr std::int64_t overviewFrames = 256;
constexpr std::size_t overviewDots = 1024;

int frameTimeMs(const MainView& view) { return (view.frameTimeIndex() + 1) * 10; }

}  // namespace

void Session::previewShow(int entry) {
    if (entry < 0 || entry >= table_.showCount() || !view_.preview()) return;
    previewShow_ = entry + 1;
    startPreview();
}

void Session::previewPending() {
    if (!pending_ || !view_.hasInputForm() || !view_.preview()) return;
    previewShow_ = 0;
    startPreview();
}

void Session::startPreview() {
    previewing_ = true;
    previewFrame_ = 0;
    drawPreview(true);
    view_.preview()->showPreview(frameTimeMs(view_));
}

// The frame time is read at each download; a playing preview takes it at once.
void Session::changeFrameTime() {
    if (previewing_ && view_.preview()) view_.preview()->setFrameTime(frameTimeMs(view_));
}

void Session::previewTick() {
    if (!previewing_ || !view_.preview()) return;
    ++previewFrame_;
    drawPreview(false);
}

void Session::previewClosed() { endPreview(); }

void Session::endPreview() {
    if (!previewing_) return;
    previewing_ = false;
    if (view_.preview()) view_.preview()->closePreview();
}

// The picture of the current frame, and with it the overview when the show itself changed.
void Session::drawPreview(bool withOverview) {
    PreviewView* preview = view_.preview();
    if (!preview) return;
    std::int64_t dots = 0, frames = 0, bytes = 0, start = 0;
    std::function<PreviewFrame(std::int64_t)> frameOf;
    if (previewShow_ > 0) {
        const int s = previewShow_;
        dots = table_.showFrameBytes(s) / 3;
        frames = table_.showFrames(s);
        bytes = table_.showSize(s);
        start = table_.showOffset(s - 1);
        frameOf = [this, s](std::int64_t f) { return previewFrame(table_, s, f); };
    } else {
        // The numbers as typed so far; a box below one counts as one, as its rule will make it.
        InputForm& form = view_.inputForm();
        dots = std::max<std::int64_t>(wholeNumber(form.dots()).value_or(1), 1);
        frames = std::max<std::int64_t>(wholeNumber(form.frames()).value_or(1), 1);
        bytes = dots > 0 && frames > INT64_MAX / 3 / dots ? INT64_MAX : dots * 3 * frames;
        start = table_.showOffset(table_.showCount());
        const auto file = pending_->fileBytes;
        const auto header = readLedHeader(*file);
        const std::int32_t stride = header ? header->stride : ledHeaderSize;
        frameOf = [file, dots, frames, stride](std::int64_t f) { return previewFrame(*file, dots, frames, stride, f); };
    }
    if (frames < 1) return;
    previewFrame_ %= frames;
    if (withOverview) {
        std::vector<PreviewFrame> overview;
        for (std::int64_t f = 0; f < std::min(frames, overviewFrames); ++f) {
            overview.push_back(frameOf(f));
            if (overview.back().dots.size() > overviewDots) overview.back().dots.resize(overviewDots);
        }
        preview->setOverview(overview);
    }
    PreviewPicture picture;
    picture.caption = texts::previewFrameCaption(previewFrame_ + 1, frames);
    picture.description = texts::previewDescription(dots, frames, bytes, start);
    picture.frame = frameOf(previewFrame_);
    picture.current = static_cast<int>(std::min<std::int64_t>(previewFrame_, INT32_MAX));
    picture.frames = static_cast<int>(std::min<std::int64_t>(frames, INT32_MAX));
    preview->setPicture(picture);
}

}  // namespace pelmora
