#include "fakes.h"

namespace pelmora::testing {

void FakeMainView::removeShowEntry(int position) {
    if (position < 0 || position >= showEntryCount()) return;
    entries.erase(entries.begin() + position);
    // A list box loses its selection when the selected entry goes.
    selected = -1;
}

std::string FakeMainView::showEntry(int position) const {
    return position >= 0 && position < showEntryCount() ? entries[static_cast<std::size_t>(position)] : std::string{};
}

}  // namespace pelmora::testing
