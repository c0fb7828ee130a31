#pragma once
// The web page opener seam on QDesktopServices: the user's default browser, result ignored.

#include "platform/web_opener.h"

namespace pelmora {

class QtWebOpener : public WebOpener {
public:
    void open(const std::string& url) override;
};

}  // namespace pelmora
