#pragma once
// cbcom's entries in a browser: COMn is the Web Serial port the user chose for entry n in the
// browser's chooser, for as long as the page is open; an entry without one leads to the chooser.

#include "platform/port_directory.h"

namespace pelmora {

class WebPortDirectory : public PortDirectory {
public:
    PortDevice device(int portNumber) const override;
    std::vector<PortDevice> devices(int count) const override;
};

}  // namespace pelmora
