#include "session/show_list.h"

#include <algorithm>
#include <vector>

#include "show/show_table.h"

namespace pelmora {

namespace {

constexpr std::string_view ellipsis = "\u2026";

// Where each UTF-8 character starts, and the text's end: a cut never splits a character.
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

// The number of characters of the last path component (after the last / or \).
std::size_t fileNameLength(std::string_view text, const std::vector<std::size_t>& starts) {
    const std::size_t slash = text.find_last_of("/\\");
    const std::size_t from = slash == std::string_view::npos ? 0 : slash + 1;
    return static_cast<std::size_t>(starts.end() - std::lower_bound(starts.begin(), starts.end(), from)) - 1;
}

}  // namespace

ShowEntry showEntry(const std::string& path) { return {path, path}; }

int showListRowHeight(int inkHeight, int listInsideHeight) {
    return std::max(1, std::min(inkHeight, listInsideHeight / maxShows));
}

std::string showListRowText(std::string_view text, int width, const TextWidth& textWidth) {
    if (textWidth(text) <= width) return std::string(text);
    const auto starts = characterStarts(text);
    const std::size_t count = starts.size() - 1, fileName = fileNameLength(text, starts);
    // k characters kept: the end gets the file name (or half of k where that is more), the start the rest.
    const auto shortened = [&](std::size_t k) {
        const std::size_t tail = std::min(k, std::max(fileName, (k + 1) / 2));
        std::string s(text.substr(0, starts[k - tail]));
        s += ellipsis;
        s += text.substr(starts[count - tail]);
        return s;
    };
    // The most characters that fit; a longer cut is never narrower, so halving finds it.
    std::size_t fits = 0, tooMany = count;
    while (tooMany - fits > 1) {
        const std::size_t k = (fits + tooMany) / 2;
        (textWidth(shortened(k)) <= width ? fits : tooMany) = k;
    }
    return shortened(fits);
}

}  // namespace pelmora
