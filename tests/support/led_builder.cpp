#include "led_builder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace pelmora::testing {

std::uint8_t patternPixel(int frame, int dot, int channel) {
    return static_cast<std::uint8_t>(frame * 31 + dot * 7 + channel * 85 + 1);
}

std::int32_t strideOf(const LedFileSpec& led) { return (led.sectorsMinusOne + 1) * 512; }

std::vector<std::uint8_t> makeLedFile(const LedFileSpec& led, const Pixel& pixel) {
    const std::size_t stride = static_cast<std::size_t>(strideOf(led));
    // A frame wider than the stride runs into the next one; the last frame then ends past the stride.
    const std::size_t frameBytes = static_cast<std::size_t>(led.dots) * 3;
    const std::size_t frames = static_cast<std::size_t>(led.frames);
    std::vector<std::uint8_t> bytes(frames == 0 ? 512 : 512 + (frames - 1) * stride + std::max(stride, frameBytes), 0);
    const int headerBytes = led.headerPixelBytes >= 0 ? led.headerPixelBytes : led.dots * 3;
    bytes[0] = static_cast<std::uint8_t>(headerBytes & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((headerBytes >> 8) & 0xFF);
    bytes[16] = led.sectorsMinusOne;
    for (int f = 0; f < led.frames; ++f)
        for (int d = 0; d < led.dots; ++d)
            for (int k = 0; k < 3; ++k)
                bytes.at(512 + static_cast<std::size_t>(f) * stride + static_cast<std::size_t>(d) * 3 +
                         static_cast<std::size_t>(k)) = pixel(f, d, k);
    bytes.resize(bytes.size() - std::min(led.lastFrameShortBy, bytes.size()));
    return bytes;
}

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
    // A new folder of a random name: create_directory says whether it was this call that made it.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("pelmora-test-" + std::to_string(random() % 1000000000000ULL));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const auto file = path_ / pathOf(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return utf8Of(file);
}

}  // namespace pelmora::testing
