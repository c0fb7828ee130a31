#pragma once
// What pelmora-send tells: its messages on standard error, each after "pelmora-send: ", progress,
// the handshake with -v, a line per controller in repeat mode, and with --json one object per
// controller on standard output.

#include <ostream>
#include <string>

#include "session/send_command.h"

namespace pelmora {

class SendReport {
public:
    SendReport(const SendOptions& options, std::ostream& out, std::ostream& err, bool terminal)
        : quiet_(options.quiet),
          verbose_(options.verbose),
          repeat_(options.repeat),
          json_(options.json),
          out_(out),
          err_(err),
          terminal_(terminal) {}

    void say(const std::string& text);   // always
    void note(const std::string& text);  // unless --quiet
    void progress(int chunk, int chunks);
    void trace(const std::string& line);
    // How one controller's download ended; message is the run's own.
    void unit(const UnitRecord& record, const std::string& message);
    void count(int units, int done);

private:
    bool quiet_, verbose_, repeat_, json_;
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
};

}  // namespace pelmora
