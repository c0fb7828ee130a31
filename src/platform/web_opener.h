#pragma once
// Opens a web page in the user's browser. The result is not reported.

#include <string>

namespace pelmora {

class WebOpener {
public:
    virtual ~WebOpener() = default;
    virtual void open(const std::string& url) = 0;
};

}  // namespace pelmora
