#include "ui/web/web_ports.h"

#include <emscripten.h>

#include "session/texts.h"

// clang-format off
// -2: no port chosen for the entry yet; -1: the port has no such USB number.
EM_JS(int, pagePortNumber, (int entry, int product), {
    const info = PelmoraWeb.serial.info(entry);
    if (!info) return -2;
    const n = product ? info.usbProductId : info.usbVendorId;
    return n === undefined ? -1 : n;
});
// clang-format on

namespace pelmora {

// An entry leads to the port chosen for it, named by its USB numbers, or to the browser's chooser.
PortDevice WebPortDirectory::device(int portNumber) const {
    const int vendor = pagePortNumber(portNumber, 0);
    if (vendor == -2) return {"chooser:" + std::to_string(portNumber), std::string(texts::choosePortTooltip)};
    return {"webserial:" + std::to_string(portNumber),
            texts::usbPortDescription(vendor, pagePortNumber(portNumber, 1))};
}

std::vector<PortDevice> WebPortDirectory::devices(int count) const {
    std::vector<PortDevice> all;
    for (int n = 1; n <= count; ++n) all.push_back(device(n));
    return all;
}

}  // namespace pelmora
