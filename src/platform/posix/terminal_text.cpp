#include "platform/posix/terminal_text.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace pelmora {

std::string terminalEncoding() {
    const std::string_view codeset = ::nl_langinfo(CODESET);
    for (const std::string_view gb : {"GB18030", "GBK", "GB2312"})
        if (codeset == gb) return "GB18030";
    return {};
}

EncodedTextBuffer::EncodedTextBuffer(int fd, const std::string& encoding)
    : fd_(fd), convert_(encoding.empty() ? iconv_t(-1) : ::iconv_open(encoding.c_str(), "UTF-8")) {}

EncodedTextBuffer::~EncodedTextBuffer() {
    sync();
    if (convert_ != iconv_t(-1)) ::iconv_close(convert_);
}

void EncodedTextBuffer::write(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void EncodedTextBuffer::put(std::string_view text) {
    if (convert_ == iconv_t(-1)) return write(text.data(), text.size());
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* to = out.data();
        std::size_t outLeft = out.size();
        const std::size_t done = ::iconv(convert_, &in, &inLeft, &to, &outLeft);
        write(out.data(), out.size() - outLeft);
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {  // a byte it cannot take
            write("?", 1);
            ++in;
            --inLeft;
        }
    }
}

}  // namespace pelmora
