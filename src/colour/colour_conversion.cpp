#include "colour/colour_conversion.h"

#include "show/colour_order.h"
#include "show/led_file.h"

namespace pelmora {

ConversionReport convertColourOrder(ShowTable& table, MainView& view) {
    ConversionReport report;
    const int order = view.colourOrderIndex();
    if (!isColourOrder(order)) return report;
    const int n = table.showCount();
    for (int s = 1; s <= n; ++s) {
        view.selectShowEntry(s - 1);
        // A buffer of our own: the import waiting in the parameter dialog keeps its file.
        const auto file = readWholeFile(view.showEntry(s - 1));
        if (file && table.rewriteFromFile(s, *file, order)) {
            ++report.fromFile;
        } else {
            table.reorder(s, order);
            ++report.fromSlot;
        }
    }
    return report;
}

}  // namespace pelmora
