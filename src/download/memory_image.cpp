#include "download/memory_image.h"

#include <algorithm>

namespace pelmora {

namespace {
void putWord(std::uint8_t* at, std::int32_t value) {
    at[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    at[1] = static_cast<std::uint8_t>(value & 0xFF);
}
}  // namespace

MemoryImage buildMemoryImage(const ShowTable& table, int frameTimeCode) {
    MemoryImage image;
    auto& header = image.sendBuffer;
    const int count = table.showCount();
    image.dataLength = table.usedBytes();
    putWord(&header[0], table.usedBytes());
    header[2] = static_cast<std::uint8_t>(count);
    header[3] = static_cast<std::uint8_t>(frameTimeCode);
    for (int s = 1; s <= count; ++s) {
        std::uint8_t* record = &header[static_cast<std::size_t>(4 + 6 * (s - 1))];
        putWord(record, table.showFrameBytes(s));
        putWord(record + 2, table.showFrames(s));
        putWord(record + 4, table.showOffset(s - 1));
    }

    image.imageBuffer.assign(imageBufferSize, 0);
    auto out = image.imageBuffer.begin();
    for (int s = 1; s <= count; ++s) out = std::copy(table.showPixels(s).begin(), table.showPixels(s).end(), out);
    return image;
}

}  // namespace pelmora
