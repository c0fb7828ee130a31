#pragma once
// The show table: up to five shows, already in the byte layout and colour order the
// controller plays, with the per-show numbers the controller's memory image needs.
//
// Shows are numbered 1..5; show s lives in slot s of one fixed store that is allocated
// once. Every change goes through the methods below, each of which leaves the table
// consistent (showOffset and usedBytes always follow showSize).

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace pelmora {

constexpr std::int32_t controllerCapacity = 60378;  // bytes of controller memory for pixel data
constexpr int maxShows = 5;
constexpr std::int32_t imageHeaderSize = 38;  // the controller image's header, before the pixels
constexpr std::int32_t ledHeaderSize = 512;   // an LED file's header, before its first frame

class ShowTable {
public:
    enum class AppendResult {
        added,
        tooManyShows,  // a sixth show
        overCapacity,  // the total would pass controllerCapacity
        beyondFile,    // the numbers reach past the file's data, or do not fit 32 bits
    };

    ShowTable();

    int showCount() const { return showCount_; }
    std::int32_t usedBytes() const { return usedBytes_; }

    // Per-show values, s = 1..showCount().
    std::int32_t showFrameBytes(int s) const { return at(frameBytes_, s); }
    std::int32_t showFrames(int s) const { return at(frames_, s); }
    std::int32_t showSize(int s) const { return at(size_, s); }
    std::int32_t showStride(int s) const { return at(stride_, s); }
    // The colour order the bytes of slot s are in right now.
    int showColourOrder(int s) const { return at(order_, s); }
    // The path of the LED file show s came from: its entry in the list, and where a new colour
    // order reads it again.
    const std::string& showPath(int s) const;
    // k = 0..showCount(): showOffset(0) is 38; show s starts at image address showOffset(s - 1).
    std::int32_t showOffset(int k) const;

    // The whole slot s (60378 bytes), and the part of it that holds show s.
    std::span<const std::uint8_t> slot(int s) const;
    std::span<const std::uint8_t> showPixels(int s) const {
        return slot(s).first(static_cast<std::size_t>(showSize(s)));
    }

    // Appends show showCount() + 1 with `dots` dots and `frames` frames, its pixels copied
    // from the LED file `file` (read from `path`) in colour order `order`. A refused append
    // changes nothing.
    AppendResult append(std::int64_t dots, std::int64_t frames, std::span<const std::uint8_t> file, int order,
                        std::string path = {});

    // Removes show r + 1 (list position r); the shows behind it move down one slot and keep
    // their bytes. Returns false, changing nothing, when there is no such show.
    bool remove(int r);

    // Rewrites show s from its LED file in colour order `order`. Returns false, changing
    // nothing, when the file no longer holds all of the show's pixels.
    bool rewriteFromFile(int s, std::span<const std::uint8_t> file, int order);
    // Brings show s into colour order `order` from its own stored bytes.
    void reorder(int s, int order);

    // True when every rule of the table holds; for tests and checks.
    bool consistent() const;

    // Bytes of the LED file a show of these numbers needs: 512 + (frames - 1) * stride + frameBytes,
    // or 0 when the show has no pixels. Worked out in 64 bits.
    static std::int64_t fileBytesNeeded(std::int64_t frameBytes, std::int64_t frames, std::int64_t stride);

private:
    using PerShow = std::array<std::int32_t, maxShows + 1>;  // entry 0 unused: shows count from 1

    std::int32_t at(const PerShow& values, int s) const;
    std::span<std::uint8_t> slotBytes(int s);
    void copyFromFile(int s, std::span<const std::uint8_t> file, int order);
    void recount();

    int showCount_ = 0;
    PerShow frameBytes_{}, frames_{}, size_{}, stride_{}, order_{};
    std::array<std::int32_t, maxShows + 1> offset_{imageHeaderSize};
    std::array<std::string, maxShows + 1> path_{};
    std::int32_t usedBytes_ = 0;
    std::unique_ptr<std::uint8_t[]> showData_;  // maxShows slots of controllerCapacity bytes
};

// The caption of the used-memory label: usedBytes as a percentage of the capacity, two
// decimals, then "%" ("0.00%", "4.97%", "100.00%").
std::string usedMemoryText(std::int32_t usedBytes);

}  // namespace pelmora
