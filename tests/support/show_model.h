#pragma once
// A deliberately simple model of what the tool must hold and send, for the long random tests and
// the fuzzers: each show's file bytes as they were at import, its dots and frames, the colour
// order and the frame time. It knows nothing of slots, offsets or the production code's helpers.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "expected_image.h"

namespace pelmora::testing {

struct ShowModel {
    std::vector<KnownShow> shows;
    int order = 0;      // 0..5: RGB, RBG, GRB, GBR, BRG, BGR
    int frameTime = 5;  // in 10 ms

    std::int64_t used() const {
        std::int64_t total = 0;
        for (const auto& s : shows) total += static_cast<std::int64_t>(s.dots) * 3 * s.frames;
        return total;
    }
    // The used-memory caption: used() as a percentage of the controller's 60378 bytes, two
    // decimals, then "%".
    std::string usedText() const {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f%%", static_cast<double>(used()) / 60378.0 * 100.0);
        return text;
    }
    // The pixels of show i (from 0) as they must stand in its slot.
    Bytes pixels(std::size_t i) const { return expectedPixels(shows.at(i), order); }
    // What the controller must end up with: the 38-byte header and the pixels.
    Bytes image() const { return expectedImage(shows, order, frameTime); }
};

}  // namespace pelmora::testing
