#include "show/show_table.h"

#include <cstring>
#include <limits>

#include "show/colour_order.h"
#include "show/decimal.h"
#include "show/led_file.h"

namespace pelmora {

namespace {
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
}

ShowTable::ShowTable()
    : showData_(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(maxShows) * controllerCapacity)) {}

std::int32_t ShowTable::at(const PerShow& values, int s) const {
    return (s >= 1 && s <= showCount_) ? values[static_cast<std::size_t>(s)] : 0;
}

const std::string& ShowTable::showPath(int s) const {
    static const std::string none;
    return (s >= 1 && s <= showCount_) ? path_[static_cast<std::size_t>(s)] : none;
}

std::int32_t ShowTable::showOffset(int k) const {
    return (k >= 0 && k <= showCount_) ? offset_[static_cast<std::size_t>(k)] : 0;
}

std::span<const std::uint8_t> ShowTable::slot(int s) const {
    if (s < 1 || s > maxShows) return {};
    return {showData_.get() + static_cast<std::size_t>(s - 1) * controllerCapacity,
            static_cast<std::size_t>(controllerCapacity)};
}

std::span<std::uint8_t> ShowTable::slotBytes(int s) {
    return {showData_.get() + static_cast<std::size_t>(s - 1) * controllerCapacity,
            static_cast<std::size_t>(controllerCapacity)};
}

std::int64_t ShowTable::fileBytesNeeded(std::int64_t frameBytes, std::int64_t frames, std::int64_t stride) {
    if (frameBytes <= 0 || frames <= 0) return 0;
    return ledHeaderSize + (frames - 1) * stride + frameBytes;
}

void ShowTable::recount() {
    usedBytes_ = 0;
    offset_[0] = imageHeaderSize;
    for (int s = 1; s <= showCount_; ++s) {
        usedBytes_ += size_[static_cast<std::size_t>(s)];
        offset_[static_cast<std::size_t>(s)] =
            offset_[static_cast<std::size_t>(s - 1)] + size_[static_cast<std::size_t>(s)];
    }
}

// Frame f of the file starts at 512 + f * stride; its first frameBytes bytes are its dots.
void ShowTable::copyFromFile(int s, std::span<const std::uint8_t> file, int order) {
    const auto i = static_cast<std::size_t>(s);
    const std::size_t frameBytes = static_cast<std::size_t>(frameBytes_[i]);
    const std::size_t stride = static_cast<std::size_t>(stride_[i]);
    std::uint8_t* dst = slotBytes(s).data();
    for (std::int32_t f = 0; f < frames_[i]; ++f) {
        const std::uint8_t* src = file.data() + ledHeaderSize + static_cast<std::size_t>(f) * stride;
        std::uint8_t* out = dst + static_cast<std::size_t>(f) * frameBytes;
        if (order == 0) {
            std::memcpy(out, src, frameBytes);
        } else {
            for (std::size_t q = 0; q < frameBytes; q += 3) placeDot(src + q, out + q, order);
        }
    }
    order_[i] = order;
}

ShowTable::AppendResult ShowTable::append(std::int64_t dots, std::int64_t frames, std::span<const std::uint8_t> file,
                                          int order, std::string path) {
    if (showCount_ >= maxShows) return AppendResult::tooManyShows;
    if (!isColourOrder(order) || file.size() <= ledHeaderFrameSectorsOffset) return AppendResult::beyondFile;
    if (dots < 0 || frames < 0 || dots > int32Max / 3) return AppendResult::beyondFile;
    const std::int64_t frameBytes = dots * 3;
    if (frameBytes != 0 && frames > int32Max / frameBytes) return AppendResult::beyondFile;
    const std::int64_t size = frameBytes * frames;

    if (usedBytes_ + size > controllerCapacity) return AppendResult::overCapacity;

    const std::int32_t stride = frameStride(file[ledHeaderFrameSectorsOffset]);
    if (fileBytesNeeded(frameBytes, frames, stride) > static_cast<std::int64_t>(file.size()))
        return AppendResult::beyondFile;

    const int n = showCount_ + 1;
    const auto i = static_cast<std::size_t>(n);
    frameBytes_[i] = static_cast<std::int32_t>(frameBytes);
    frames_[i] = static_cast<std::int32_t>(frames);
    size_[i] = static_cast<std::int32_t>(size);
    stride_[i] = stride;
    path_[i] = std::move(path);
    showCount_ = n;
    recount();
    copyFromFile(n, file, order);
    return AppendResult::added;
}

bool ShowTable::remove(int r) {
    if (r < 0 || r >= showCount_) return false;
    for (int s = r + 1; s < showCount_; ++s) {
        const auto i = static_cast<std::size_t>(s);
        frameBytes_[i] = frameBytes_[i + 1];
        frames_[i] = frames_[i + 1];
        size_[i] = size_[i + 1];
        stride_[i] = stride_[i + 1];
        order_[i] = order_[i + 1];
        path_[i] = std::move(path_[i + 1]);
        std::memcpy(slotBytes(s).data(), slotBytes(s + 1).data(), static_cast<std::size_t>(size_[i]));
    }
    path_[static_cast<std::size_t>(showCount_)].clear();
    --showCount_;
    recount();
    return true;
}

bool ShowTable::rewriteFromFile(int s, std::span<const std::uint8_t> file, int order) {
    if (s < 1 || s > showCount_ || !isColourOrder(order)) return false;
    const auto i = static_cast<std::size_t>(s);
    if (fileBytesNeeded(frameBytes_[i], frames_[i], stride_[i]) > static_cast<std::int64_t>(file.size())) return false;
    copyFromFile(s, file, order);
    return true;
}

void ShowTable::reorder(int s, int order) {
    if (s < 1 || s > showCount_ || !isColourOrder(order)) return;
    const auto i = static_cast<std::size_t>(s);
    const auto map = reorderMap(order_[i], order);
    std::uint8_t* p = slotBytes(s).data();
    const std::uint8_t* end = p + size_[i];
    for (; p < end; p += 3) {
        const std::uint8_t dot[3] = {p[0], p[1], p[2]};
        p[0] = dot[map[0]];
        p[1] = dot[map[1]];
        p[2] = dot[map[2]];
    }
    order_[i] = order;
}

bool ShowTable::consistent() const {
    if (showCount_ < 0 || showCount_ > maxShows || offset_[0] != imageHeaderSize) return false;
    std::int64_t total = 0;
    for (int s = 1; s <= showCount_; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (frameBytes_[i] < 0 || frameBytes_[i] % 3 != 0 || frames_[i] < 0) return false;
        if (static_cast<std::int64_t>(frameBytes_[i]) * frames_[i] != size_[i]) return false;
        if (!isColourOrder(order_[i])) return false;
        total += size_[i];
        if (offset_[i] != imageHeaderSize + total) return false;
    }
    return total == usedBytes_ && usedBytes_ <= controllerCapacity;
}

std::string usedMemoryText(std::int32_t usedBytes) {
    const double percent = static_cast<double>(usedBytes) / controllerCapacity * 100.0;
    return fixedDecimal(percent, 2) + "%";
}

}  // namespace pelmora
