#pragma once

#include <cstdint>

namespace pelmora {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace pelmora
