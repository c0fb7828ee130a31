#include "fakes.h"

namespace pelmora::testing {

void FakeMainView::removeShowEntry(int position) {
    if (position < 0 || position >= static_cast<int>(entries.size())) return;
    entries.erase(entries.begin() + position);
    entryTooltips.erase(entryTooltips.begin() + position);
    // A list box loses its selection when the selected entry goes.
    selected = -1;
}

}  // namespace pelmora::testing
