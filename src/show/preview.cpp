#include "show/preview.h"

#include <algorithm>

#include "show/colour_order.h"

namespace pelmora {

namespace {

PreviewFrame emptyFrame(std::int64_t dots) {
    PreviewFrame frame;
    frame.dotCount = std::max<std::int64_t>(dots, 0);
    frame.dots.resize(static_cast<std::size_t>(std::min(frame.dotCount, previewDotLimit)));
    return frame;
}

}  // namespace

PreviewFrame previewFrame(std::span<const std::uint8_t> file, std::int64_t dots, std::int64_t frames,
                          std::int32_t stride, std::int64_t f) {
    PreviewFrame frame = emptyFrame(dots);
    if (f < 0 || f >= frames || stride <= 0) return frame;
    // Worked out in 64 bits: typed numbers may reach far past any file.
    const std::int64_t start = ledHeaderSize + f * static_cast<std::int64_t>(stride);
    const auto size = static_cast<std::int64_t>(file.size());
    for (std::size_t d = 0; d < frame.dots.size(); ++d) {
        const std::int64_t at = start + 3 * static_cast<std::int64_t>(d);
        if (at + 3 > size) break;  // the rest of the frame lies past the file's end
        const std::uint8_t* dot = file.data() + at;
        frame.dots[d] = {dot[0], dot[1], dot[2], true};
    }
    return frame;
}

PreviewFrame previewFrame(const ShowTable& table, int s, std::int64_t f) {
    if (s < 1 || s > table.showCount()) return {};
    const std::int64_t frameBytes = table.showFrameBytes(s);
    PreviewFrame frame = emptyFrame(frameBytes / 3);
    if (f < 0 || f >= table.showFrames(s)) return frame;
    const auto toFile = reorderMap(table.showColourOrder(s), 0);
    const std::span<const std::uint8_t> pixels = table.showPixels(s);
    for (std::size_t d = 0; d < frame.dots.size(); ++d) {
        const std::uint8_t* dot = pixels.data() + f * frameBytes + 3 * static_cast<std::int64_t>(d);
        frame.dots[d] = {dot[toFile[0]], dot[toFile[1]], dot[toFile[2]], true};
    }
    return frame;
}

}  // namespace pelmora
