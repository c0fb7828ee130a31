#pragma once
// Choosing another colour order in cbrgb rebuilds every show in that order from its LED file,
// so the result never depends on the orders chosen before. A show whose file can no longer be
// read in full is brought into the new order from its own stored bytes instead.

#include "platform/views.h"
#include "show/show_table.h"

namespace pelmora {

struct ConversionReport {
    int fromFile = 0;  // shows rebuilt from their files
    int fromSlot = 0;  // shows whose file was gone or too short, reordered from their stored bytes
};

// The selection event of cbrgb.
ConversionReport convertColourOrder(ShowTable& table, MainView& view);

}  // namespace pelmora
