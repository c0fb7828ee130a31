#pragma once
// pelmora-send's messages on Windows: to a console through WriteConsoleW, whatever its code page
// (which stays as the user had it); to a file or a pipe as the UTF-8 bytes they are.

#include <string_view>

#include "platform/text_stream.h"

namespace pelmora {

class ConsoleTextBuffer : public WholeCharacterBuffer {
public:
    explicit ConsoleTextBuffer(void* handle) : handle_(handle) {}  // a HANDLE
    ~ConsoleTextBuffer() override { sync(); }

protected:
    void put(std::string_view text) override;

private:
    void* handle_;
};

}  // namespace pelmora
