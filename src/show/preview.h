#pragma once
// What a show looks like before it is sent: the dots of one frame in the LED file's own colours
// (red, green, blue), whatever colour order the bytes travel to the controller in. The front-ends
// only draw what this gives them.

#include <cstdint>
#include <span>
#include <vector>

#include "show/show_table.h"

namespace pelmora {

struct PreviewDot {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool present = false;  // false: the file does not hold this dot (numbers typed beyond it)
    friend bool operator==(const PreviewDot&, const PreviewDot&) = default;
};

// No window draws more dots of a frame than this; a frame of more (typed numbers may ask for
// millions) gives this many and says how many it has.
constexpr std::int64_t previewDotLimit = 16384;

struct PreviewFrame {
    std::int64_t dotCount = 0;      // the dots the show has per frame
    std::vector<PreviewDot> dots;   // the first min(dotCount, previewDotLimit) of them
};

// Frame f (from 0) of a show of `dots` dots and `frames` frames read from an LED file's whole
// content with this frame stride, as the pending import would take it: dot d of frame f is the
// three bytes at 512 + f * stride + 3 * d, present when the file holds all three. A frame outside
// 0 .. frames - 1 has no dot present.
PreviewFrame previewFrame(std::span<const std::uint8_t> file, std::int64_t dots, std::int64_t frames,
                          std::int32_t stride, std::int64_t f);

// Frame f of show s of the table, from its stored bytes turned back into the file's order.
PreviewFrame previewFrame(const ShowTable& table, int s, std::int64_t f);

}  // namespace pelmora
