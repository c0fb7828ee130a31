#include "colour/colour_conversion.h"

#include "show/colour_order.h"

namespace pelmora {

ConversionReport convertColourOrder(ShowTable& table, int order, const ShowFileReader& readShowFile) {
    ConversionReport report;
    if (!isColourOrder(order)) return report;
    for (int s = 1; s <= table.showCount(); ++s) {
        // A buffer of our own: the import waiting in the parameter dialog keeps its file.
        const auto file = readShowFile(s);
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
