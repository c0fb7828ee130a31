// Imports LED files made of fuzz bytes through the real commands (open, the dialog's texts, OK,
// a colour order, removals, files damaged behind the tool's back) and checks after every step that
// the show table, the list and every show's bytes are what the files and the colour order make them.
// The preview plays along: the waiting file after each typing, the last show after each colour
// order; each of its dots is the file's own, or missing where the file has none.
//
// The input is a list of steps; each starts with a step byte (its value modulo 8 picks the step):
//   0 open      kind:1 (modulo 8: 0 cancel, 1 several files, 2 a missing file, 3 a folder, 4-7 a file);
//               for a file length:2 (kinds 64-127: as it is; 128-191: times 16; others: modulo 4096),
//               rawCount:2, raw bytes, fill:1: the file is the raw bytes, cut or filled up to the
//               length with a pattern of `fill`
//   1 texts     dotsLength:1 dots, framesLength:1 frames   (typed into the dialog while it is shown)
//   2 ok        (inputok while the dialog is shown)
//   3 order     order:1                                    (a selection in cbrgb)
//   4 remove    entry:1                                    (a double-click on datList, or on blank space)
//   5 damage    show:1 kind:1 length:3                     (the show's file deleted, cut, made a folder or a FIFO)
//   6 close     (the dialog's close button)
//   7 open+ok   like open, then the two texts as in step 1, then ok

#include <sys/stat.h>

#include <array>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>

#include "fuzz_support.h"
#include "session_harness.h"
#include "show/dialog_value.h"
#include "show_model.h"

namespace {

using namespace pelmora;
using namespace pelmora::testing;
using pelmora::fuzz::Reader;

constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

constexpr const char* wrongFileMessage = "你没有打开任何文件或找开了错误的文件!";
constexpr const char* tooManyShowsMessage = "最多只能5个文件";
constexpr const char* overCapacityMessage = "文件长度超出了控制器的容量.";
constexpr const char* beyondFileMessage = "点数或帧数超出了文件中的数据,请重新输入.";

std::int64_t strideOf(const KnownShow& show) { return (show.file.at(16) + 1) * 512; }

// The frame estimate: (length - 512) / stride rounded to the nearest whole number, a half to even.
std::int64_t frameEstimate(std::int64_t length, std::int64_t stride) {
    const std::int64_t n = length - 512;
    std::int64_t q = n / stride, r = n % stride;
    if (r < 0) r += stride, --q;
    if (2 * r > stride || (2 * r == stride && q % 2 != 0)) ++q;
    return q;
}

std::string ruled(std::int64_t value) { return value < 1 ? "1" : std::to_string(value); }

class Run {
public:
    // Back to an empty table, no dialog and the first colour order, through the commands. One
    // session serves the whole fuzzing run: allocating its 300 KB show store for every input would
    // cost more than the input itself.
    void reset() {
        for (int guard = 0; session_.table().showCount() > 0; ++guard) {
            FUZZ_CHECK(guard < 5);
            session_.removeShow(0);
        }
        session_.closeInputForm();
        session_.changeColourOrder(0);
        messages_.shown.clear();
        files_.answers.clear();
        files_.asked.clear();
        model_ = ShowModel{};
        slots_.clear();
        pending_.reset();
        opens_ = 0;
        check();
    }

    void step(Reader& in) {
        switch (in.u8() % 8) {
            case 0:
                open(in);
                break;
            case 1:
                texts(in);
                break;
            case 2:
                ok();
                break;
            case 3:
                order(in.u8());
                break;
            case 4:
                remove(in.u8());
                break;
            case 5:
                damage(in);
                break;
            case 6:
                close();
                break;
            case 7:
                open(in);
                texts(in);
                ok();
                break;
        }
        check();
        FUZZ_TRACE("  -> shows %zu, used %lld, order %d, dialog %s, messages %zu%s%s\n", model_.shows.size(),
                   static_cast<long long>(model_.used()), model_.order, formShown() ? "shown" : "hidden",
                   messages_.shown.size(), messages_.shown.empty() ? "" : ", last ",
                   messages_.shown.empty() ? "" : messages_.shown.back().text.c_str());
    }

private:
    bool formShown() const { return view_.form && view_.form->shown; }

    void open(Reader& in) {
        const std::uint8_t kind = in.u8();
        const auto path = (fuzz::scratchFolder() / ("file" + std::to_string(opens_++) + ".led")).string();
        std::optional<std::vector<std::uint8_t>> content;
        switch (kind % 8) {
            case 0:
                files_.cancel();
                break;
            case 1:
                files_.chooseSeveral();
                break;
            case 2:
                files_.choose(path);
                break;  // nothing there
            case 3:
                std::filesystem::create_directory(path);
                files_.choose(path);
                break;
            default: {
                // Most files are short (up to 4 KiB); kinds 64-127 reach 64 KiB, kinds 128-191 1 MiB.
                const std::size_t length = (kind & 0xC0) == 0x40   ? std::size_t{in.u16()}
                                           : (kind & 0xC0) == 0x80 ? std::size_t{in.u16()} * 16
                                                                   : std::size_t{in.u16()} & 0xFFF;
                auto bytes = in.bytes(in.u16());
                const std::uint8_t fill = in.u8();
                const std::size_t raw = std::min(bytes.size(), length);
                bytes.resize(length);
                std::array<std::uint8_t, 256> pattern;
                for (std::size_t i = 0; i < pattern.size(); ++i)
                    pattern[i] = static_cast<std::uint8_t>(i * 7 + fill * 13 + 1);
                for (std::size_t at = raw; at < length; at += pattern.size())
                    std::memcpy(bytes.data() + at, pattern.data(), std::min(pattern.size(), length - at));
                std::ofstream(path, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
                files_.choose(path);
                content = std::move(bytes);
            }
        }
        const auto shownBefore = messages_.shown.size();
        const bool hadForm = view_.form != nullptr;
        const std::string oldDots = hadForm ? view_.form->dots : "", oldFrames = hadForm ? view_.form->frames : "";
        session_.openLedFile();
        FUZZ_CHECK(!view_.progressVisible);

        const bool good = content && content->size() >= 17 && (*content)[1] < 128 && (*content)[16] < 63;
        if (!good) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1);
            FUZZ_CHECK(messages_.shown.back().text == wrongFileMessage && messages_.shown.back().title == "注意");
            // A dialog shown before keeps its values.
            FUZZ_CHECK((view_.form != nullptr) == hadForm);
            if (hadForm) FUZZ_CHECK(view_.form->dots == oldDots && view_.form->frames == oldFrames);
            return;
        }
        const auto& bytes = *content;
        FUZZ_CHECK(messages_.shown.size() == shownBefore);
        FUZZ_CHECK(formShown());
        const std::int64_t stride = (bytes[16] + 1) * 512;
        FUZZ_CHECK(view_.form->caption == "输入第 " + std::to_string(model_.shows.size() + 1) + " 个节目参数");
        FUZZ_CHECK(view_.form->dots == ruled((bytes[1] * 256 + bytes[0]) / 3));
        FUZZ_CHECK(view_.form->frames == ruled(frameEstimate(static_cast<std::int64_t>(bytes.size()), stride)));
        FUZZ_CHECK(view_.status.empty());
        pending_ = KnownShow{path, bytes, 0, 0};
    }

    void texts(Reader& in) {
        const std::string dots = in.text(in.u8());
        const std::string frames = in.text(in.u8());
        if (!formShown()) return;
        // As the dialog does: every edit of a box's text goes to the session, which may rewrite it.
        view_.form->dots = dots;
        session_.numberTextEdited(NumberField::dots, dots);
        view_.form->frames = frames;
        session_.numberTextEdited(NumberField::frames, frames);
        // The minimum-one rule: whatever is pasted, the boxes are worth 1 or more.
        FUZZ_CHECK(leadingNumber(view_.form->dots) >= 1.0 && leadingNumber(view_.form->frames) >= 1.0);
        FUZZ_CHECK(pending_.has_value());
        session_.previewPending();
        for (int tick = 0; tick < 2; ++tick, session_.previewTick()) checkPreview(*pending_, true);
    }

    // The preview's current frame against the file: frame f, dot d are the three bytes at
    // 512 + f * stride + 3 * d, present exactly where the file holds them (a stored show's always).
    void checkPreview(const KnownShow& show, bool pending) {
        const FakePreview& preview = view_.previewWindow;
        FUZZ_CHECK(preview.shown);
        const PreviewPicture& picture = preview.picture;
        FUZZ_CHECK(picture.current >= 0 && picture.current < picture.frames);
        FUZZ_CHECK(static_cast<std::int64_t>(picture.frame.dots.size()) ==
                   std::min(picture.frame.dotCount, previewDotLimit));
        FUZZ_CHECK(!preview.overview.empty() && preview.overview.size() <= 256);
        if (!pending) FUZZ_CHECK(picture.frame.dotCount == show.dots && picture.frames == show.frames);
        const std::int64_t start = 512 + picture.current * strideOf(show);
        const auto size = static_cast<std::int64_t>(show.file.size());
        for (std::size_t d = 0; d < picture.frame.dots.size(); ++d) {
            const PreviewDot& dot = picture.frame.dots[d];
            const std::int64_t at = start + 3 * static_cast<std::int64_t>(d);
            FUZZ_CHECK(dot.present == (at + 3 <= size));
            if (dot.present)
                FUZZ_CHECK(dot.red == show.file[at] && dot.green == show.file[at + 1] && dot.blue == show.file[at + 2]);
        }
    }

    void ok() {
        if (!formShown()) return;
        FUZZ_CHECK(pending_.has_value());
        const auto shownBefore = messages_.shown.size();
        const auto dotsValue = wholeNumber(view_.form->dots);
        const auto framesValue = wholeNumber(view_.form->frames);
        session_.appendShow();

        enum Outcome { added = 1, tooMany = 2, overCapacity = 4, beyondFile = 8 };
        int allowed = 0;
        std::int64_t dots = 0, frames = 0;
        if (model_.shows.size() >= 5) {
            allowed = tooMany;
        } else if (!dotsValue || !framesValue || *dotsValue < 0 || *framesValue < 0 || *dotsValue > int32Max / 3 ||
                   (*dotsValue > 0 && *framesValue > int32Max / (*dotsValue * 3))) {
            allowed = beyondFile;  // does not fit 32 bits
        } else {
            dots = *dotsValue, frames = *framesValue;
            const std::int64_t size = dots * 3 * frames;
            const std::int64_t needed = size == 0 ? 0 : 512 + (frames - 1) * strideOf(*pending_) + dots * 3;
            const bool over = model_.used() + size > 60378;
            const bool beyond = needed > static_cast<std::int64_t>(pending_->file.size());
            if (over) allowed |= overCapacity;
            if (beyond) allowed |= beyondFile;
            if (!over && !beyond) allowed = added;
        }

        int outcome = added;
        if (messages_.shown.size() != shownBefore) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1);
            const auto& text = messages_.shown.back().text;
            outcome = text == tooManyShowsMessage   ? tooMany
                      : text == overCapacityMessage ? overCapacity
                      : text == beyondFileMessage   ? beyondFile
                                                    : 0;
        }
        FUZZ_CHECK((outcome & allowed) != 0);
        if (outcome == added) {
            KnownShow show = *pending_;
            show.dots = static_cast<int>(dots), show.frames = static_cast<int>(frames);  // they fit: the show was added
            model_.shows.push_back(std::move(show));
            slots_.push_back(model_.pixels(model_.shows.size() - 1));
            FUZZ_CHECK(!formShown() && view_.status.empty());
        } else {
            // Over capacity hides the dialog; the other refusals leave it up for a correction.
            FUZZ_CHECK(formShown() == (outcome != overCapacity));
        }
    }

    void order(std::uint8_t value) {
        model_.order = value % 6;
        session_.changeColourOrder(model_.order);
        for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = model_.pixels(i);
        if (model_.shows.empty()) return;
        FUZZ_CHECK(view_.selected == static_cast<int>(model_.shows.size()) - 1);
        // In the file's own colours whatever the order.
        session_.previewShow(static_cast<int>(model_.shows.size()) - 1);
        for (int tick = 0; tick < 2; ++tick, session_.previewTick()) checkPreview(model_.shows.back(), false);
    }

    void remove(std::uint8_t value) {
        const int count = static_cast<int>(model_.shows.size());
        const int entry = static_cast<int>(value % (model_.shows.size() + 2)) - 1;  // -1 and size(): blank space
        session_.removeShow(entry);
        // A list of one loses its only entry wherever the double-click falls.
        const int gone = count == 1 ? 0 : entry;
        if (gone >= 0 && gone < count) {
            model_.shows.erase(model_.shows.begin() + gone);
            slots_.erase(slots_.begin() + gone);
            FUZZ_CHECK(view_.status.empty());
        }
    }

    void damage(Reader& in) {
        const std::uint8_t which = in.u8(), kind = in.u8();
        const std::uint32_t length = in.u24();
        if (model_.shows.empty()) return;
        const auto& path = model_.shows[which % model_.shows.size()].path;
        std::error_code ignored;
        switch (kind % 4) {
            case 0:
                std::filesystem::remove_all(path, ignored);
                break;
            case 1:
                if (std::filesystem::is_regular_file(path, ignored))
                    std::filesystem::resize_file(path,
                                                 std::min<std::uintmax_t>(length, std::filesystem::file_size(path)));
                break;
            case 2:
                std::filesystem::remove_all(path, ignored);
                std::filesystem::create_directory(path, ignored);
                break;
            case 3:
                std::filesystem::remove_all(path, ignored);
                ::mkfifo(path.c_str(), 0600);
                break;
        }
    }

    void close() {
        session_.closeInputForm();
        FUZZ_CHECK(view_.form == nullptr);
    }

    void check() {
        const auto& table = session_.table();
        FUZZ_CHECK(table.consistent());
        FUZZ_CHECK(table.showCount() == static_cast<int>(model_.shows.size()));
        FUZZ_CHECK(view_.entries.size() == model_.shows.size());
        FUZZ_CHECK(table.usedBytes() == model_.used());
        FUZZ_CHECK(view_.sizeText == model_.usedText());
        std::int64_t offset = 38;
        FUZZ_CHECK(table.showOffset(0) == 38);
        for (std::size_t i = 0; i < model_.shows.size(); ++i) {
            const int s = static_cast<int>(i) + 1;
            const auto& show = model_.shows[i];
            FUZZ_CHECK(view_.entries[i] == show.path);
            FUZZ_CHECK(table.showFrameBytes(s) == show.dots * 3);
            FUZZ_CHECK(table.showFrames(s) == show.frames);
            FUZZ_CHECK(table.showStride(s) == strideOf(show));
            FUZZ_CHECK(table.showOffset(s) == (offset += static_cast<std::int64_t>(show.dots) * 3 * show.frames));
            const auto pixels = table.showPixels(s);
            FUZZ_CHECK(pixels.size() == slots_[i].size());
            FUZZ_CHECK(std::memcmp(pixels.data(), slots_[i].data(), pixels.size()) == 0);
        }
    }

    SessionHarness tool_;  // started up
    FakeMainView& view_ = tool_.view;
    FakeMessageBox& messages_ = tool_.messages;
    FakeFileDialog& files_ = tool_.files;
    Session& session_ = tool_.session;

    ShowModel model_;
    std::vector<Bytes> slots_;          // model_.pixels(i) for every show, kept for the colour order now selected
    std::optional<KnownShow> pending_;  // the file of the last open command that succeeded
    int opens_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelmora::fuzz::emptyScratchFolder();
    static Run run;
    run.reset();
    Reader in({data, size});
    for (int steps = 0; !in.empty() && steps < 64; ++steps) run.step(in);
    return 0;
}
