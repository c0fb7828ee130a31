#pragma once
// Small helpers shared by the fuzz targets: a reader that takes a fuzz input apart, a check
// that stops the run with a message, and a scratch folder on tmpfs.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace pelmora::fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::pelmora::fuzz::fail(__FILE__, __LINE__, #condition))

// PELMORA_FUZZ_TRACE=1 in the environment makes a target tell what each step did (for reading a
// crash's input or checking what a seed reaches).
inline bool tracing() {
    static const bool on = std::getenv("PELMORA_FUZZ_TRACE") != nullptr;
    return on;
}

#define FUZZ_TRACE(...) (::pelmora::fuzz::tracing() ? static_cast<void>(std::fprintf(stderr, __VA_ARGS__)) : void())

// Takes bytes off the front of the input; past its end every read gives zeros.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    bool empty() const { return pos_ >= data_.size(); }
    std::size_t left() const { return data_.size() - pos_; }

    std::uint8_t u8() { return empty() ? 0 : data_[pos_++]; }
    std::uint16_t u16() {
        const std::uint16_t low = u8();
        return static_cast<std::uint16_t>(low | (u8() << 8));
    }
    std::uint32_t u24() {
        const std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u8()) << 16);
    }
    std::vector<std::uint8_t> bytes(std::size_t count) {
        count = std::min(count, left());
        std::vector<std::uint8_t> out(data_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                      data_.begin() + static_cast<std::ptrdiff_t>(pos_ + count));
        pos_ += count;
        return out;
    }
    std::string text(std::size_t count) {
        const auto raw = bytes(count);
        return {raw.begin(), raw.end()};
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// A folder of this process on tmpfs (/dev/shm when there is one), emptied for every input.
inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::error_code error;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        auto path = base / ("pelmora-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder(), ignored);
        });
        return path;
    }();
    return folder;
}

inline void emptyScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(scratchFolder(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace pelmora::fuzz
