#pragma once
// Two byte ranges hold the same bytes (what std::ranges::equal says, on every standard library
// the tests are built with).

#include <algorithm>
#include <iterator>

namespace pelmora {

template <class A, class B>
bool sameBytes(const A& a, const B& b) {
    return std::equal(std::begin(a), std::end(a), std::begin(b), std::end(b));
}

}  // namespace pelmora
