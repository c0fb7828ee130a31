// pelmora-send's messages on their way to the terminal: whole characters at each flush, and in
// GB18030 where asked.

#include "platform/posix/terminal_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>

namespace pelmora {
namespace {

TEST(TerminalText, AFlushHandsOnWholeCharactersOnly) {
    const std::string han = "\xE4\xB8\xAD";  // 中
    const std::string four = "\xF0\x9F\x92\xA1";
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0},
        {"ab", 2},
        {"a" + han, 4},
        {"a" + han.substr(0, 2), 1},
        {"a" + han.substr(0, 1), 1},
        {four, 4},
        {four.substr(0, 3), 0},
        {"\x80\x80", 2},  // no character starts here: nothing to wait for
    };
    for (const auto& [text, whole] : cases) EXPECT_EQ(wholeCharacters(text), whole) << text.size() << " bytes";
}

// The bytes that reach the descriptor, for text written in pieces that split a character.
std::string through(const std::string& encoding, const std::vector<std::string>& pieces) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    {
        EncodedTextBuffer buffer(pipe[1], encoding);
        std::ostream out(&buffer);
        for (const std::string& piece : pieces) out << piece << std::flush;
    }
    ::close(pipe[1]);
    std::string got;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) got.append(chunk, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    return got;
}

TEST(TerminalText, GoesOutInTheEncodingAskedFor) {
    // "串口 A\n", its first character split over two writes.
    const std::vector<std::string> pieces = {"\xE4\xB8", "\xB2\xE5\x8F\xA3 A\n"};
    EXPECT_EQ(through("", pieces), "\xE4\xB8\xB2\xE5\x8F\xA3 A\n");
    EXPECT_EQ(through("GB18030", pieces), "\xB4\xAE\xBF\xDA A\n");
    EXPECT_EQ(through("GB18030", {"a\xFF"
                                  "b\n"}),
              "a?b\n");  // not UTF-8: a question mark
}

}  // namespace
}  // namespace pelmora
