#pragma once
// pelmora-send's messages in the terminal's encoding: UTF-8, or GB18030 where the locale says so
// (zh_CN.GB18030, and the GBK and GB2312 locales, whose characters GB18030 writes the same way).

#include <iconv.h>

#include <string>

#include "platform/text_stream.h"

namespace pelmora {

// "GB18030" when the locale set for the program names a Chinese GB encoding; "" for UTF-8 and
// everything else, where the text goes out unchanged.
std::string terminalEncoding();

// Writes to a file descriptor in the given encoding ("" or UTF-8: unchanged). A character the
// encoding lacks becomes "?".
class EncodedTextBuffer : public WholeCharacterBuffer {
public:
    EncodedTextBuffer(int fd, const std::string& encoding);
    ~EncodedTextBuffer() override;
    EncodedTextBuffer(const EncodedTextBuffer&) = delete;
    EncodedTextBuffer& operator=(const EncodedTextBuffer&) = delete;

protected:
    void put(std::string_view text) override;

private:
    void write(const char* bytes, std::size_t size);
    int fd_;
    iconv_t convert_;
};

}  // namespace pelmora
