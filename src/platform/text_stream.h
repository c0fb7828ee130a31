#pragma once
// Text from the program (UTF-8) on its way to a terminal or a console that may want another
// encoding: a stream buffer that hands it on in whole characters at each flush or line end, so
// that a converter never sees half a character. Each system says what it does with them.

#include <streambuf>
#include <string>
#include <string_view>

namespace pelmora {

// The length of the longest start of utf8 that ends where a character does.
std::size_t wholeCharacters(std::string_view utf8);

class WholeCharacterBuffer : public std::streambuf {
public:
    ~WholeCharacterBuffer() override = default;

protected:
    virtual void put(std::string_view text) = 0;  // whole characters of UTF-8

    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    std::string pending_;
};

}  // namespace pelmora
