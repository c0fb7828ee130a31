#pragma once
// LED files built in the tests from the format: a 512-byte header (bytes 0-1 pixel bytes
// per frame, little-endian; byte 16 sectors per frame minus one), then the frames.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "show/led_file.h"  // Bytes

namespace pelmora::testing {

using Pixel = std::function<std::uint8_t(int frame, int dot, int channel)>;

// A recognisable byte for every (frame, dot, channel), different for the three channels.
std::uint8_t patternPixel(int frame, int dot, int channel);

struct LedFileSpec {
    int dots = 1;
    int frames = 1;
    std::uint8_t sectorsMinusOne = 0;  // stride (value + 1) * 512
    int headerPixelBytes = -1;         // bytes 0-1; -1: dots * 3
    std::size_t lastFrameShortBy = 0;  // leave out this many bytes at the end of the file
};

std::int32_t strideOf(const LedFileSpec& led);
// Frames wider than the stride overlap (later frames overwrite earlier ones' bytes): compare such
// shows with the file's bytes, not with the pixel function.
std::vector<std::uint8_t> makeLedFile(const LedFileSpec& led, const Pixel& pixel = patternPixel);

// A path from UTF-8 text and back, the same on every platform (the tool's paths are UTF-8).
std::filesystem::path pathOf(const std::string& utf8);
std::string utf8Of(const std::filesystem::path& path);

// A folder of its own under the system's temporary folder (only its owner may enter it), removed
// with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

}  // namespace pelmora::testing
