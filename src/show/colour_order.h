#pragma once
// The six colour orders a controller may expect, and how a dot's three file bytes
// (red, green, blue) are placed into the three bytes the controller receives.

#include <array>
#include <cstdint>
#include <string_view>

namespace pelmora {

constexpr int colourOrderCount = 6;

struct ColourOrderRow {
    std::string_view item;             // the entry of cbrgb
    std::array<std::uint8_t, 3> from;  // slot byte k gets file byte from[k]
};

// Row o is list position o of cbrgb.
inline constexpr std::array<ColourOrderRow, colourOrderCount> colourOrderTable{{
    {"RGB红绿蓝", {0, 1, 2}},
    {"RBG红蓝绿", {0, 2, 1}},
    {"GRB绿红蓝", {1, 0, 2}},
    {"GBR绿蓝红", {1, 2, 0}},
    {"BRG蓝红绿", {2, 0, 1}},
    {"BGR蓝绿红", {2, 1, 0}},
}};

constexpr bool isColourOrder(int order) { return order >= 0 && order < colourOrderCount; }

// Writes one dot: dst[k] = src[from[k]].
inline void placeDot(const std::uint8_t* src, std::uint8_t* dst, int order) {
    const auto& from = colourOrderTable[static_cast<std::size_t>(order)].from;
    dst[0] = src[from[0]];
    dst[1] = src[from[1]];
    dst[2] = src[from[2]];
}

// The permutation that turns a dot stored in order `from` into the same dot in order `to`,
// without the file: result[k] is the stored byte that becomes byte k.
constexpr std::array<std::uint8_t, 3> reorderMap(int from, int to) {
    const auto& a = colourOrderTable[static_cast<std::size_t>(from)].from;
    const auto& b = colourOrderTable[static_cast<std::size_t>(to)].from;
    std::array<std::uint8_t, 3> map{};
    for (std::size_t k = 0; k < 3; ++k)
        for (std::uint8_t j = 0; j < 3; ++j)
            if (a[j] == b[k]) map[k] = j;
    return map;
}

}  // namespace pelmora
