#include "platform/text_stream.h"

namespace pelmora {

std::size_t wholeCharacters(std::string_view utf8) {
    // Back over at most three continuation bytes to the last lead byte; keep its character only
    // when all of it is there.
    std::size_t lead = utf8.size();
    for (int back = 0; back < 4 && lead > 0; ++back) {
        const auto byte = static_cast<unsigned char>(utf8[--lead]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return lead + length <= utf8.size() ? utf8.size() : lead;
    }
    return utf8.size();  // no lead byte near the end: nothing to wait for
}

int WholeCharacterBuffer::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    pending_ += static_cast<char>(c);
    if (c == '\n') sync();
    return c;
}

std::streamsize WholeCharacterBuffer::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    if (std::string_view(s, static_cast<std::size_t>(n)).find('\n') != std::string_view::npos) sync();
    return n;
}

int WholeCharacterBuffer::sync() {
    const std::size_t whole = wholeCharacters(pending_);
    if (whole > 0) put(std::string_view(pending_).substr(0, whole));
    pending_.erase(0, whole);
    return 0;
}

}  // namespace pelmora
