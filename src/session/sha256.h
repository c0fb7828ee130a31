#pragma once
// SHA-256 of a byte string, as lower-case hex: what pelmora-send's --json reports of the image,
// so that a station's log says which image each controller holds.

#include <cstdint>
#include <span>
#include <string>

namespace pelmora {

std::string sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace pelmora
