#pragma once
// Choosing another colour order rebuilds every show in that order from its LED file, so the
// result never depends on the orders chosen before. A show whose file can no longer be read in
// full is brought into the new order from its own stored bytes instead.

#include <functional>
#include <optional>

#include "show/led_file.h"
#include "show/show_table.h"

namespace pelmora {

struct ConversionReport {
    int fromFile = 0;  // shows rebuilt from their files
    int fromSlot = 0;  // shows whose file was gone or too short, reordered from their stored bytes
};

// The file of show s as it is now, or nothing when it cannot be read. Called once per show, in
// show order.
using ShowFileReader = std::function<std::optional<Bytes>(int s)>;

// Brings every show of the table into colour order `order`; an order outside the table changes nothing.
ConversionReport convertColourOrder(ShowTable& table, int order, const ShowFileReader& readShowFile);

}  // namespace pelmora
