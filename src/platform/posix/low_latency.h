#pragma once
// Many USB serial adapters hold received bytes for up to 16 ms before passing them on. The
// controller asks for every chunk with one byte, so that wait would add up over a download.

namespace pelmora {

// Asks the Linux driver of an open serial device to pass on every byte at once. Devices that do
// not support it (a pseudo-terminal, most built-in ports) are left as they are; returns whether
// the request was taken.
bool requestLowLatency(int fd);

}  // namespace pelmora
