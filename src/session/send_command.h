#pragma once
// pelmora-send, the command-line uploader: its arguments, the shows it builds from them with the
// window's own rules, and what it reports of each controller. No I/O here: the program around it
// reads the files, opens the port and runs the event loop.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "download/handshake.h"
#include "platform/file_system.h"
#include "platform/port_directory.h"
#include "show/show_table.h"

namespace pelmora {

// What the command's exit status says.
enum class SendStatus {
    done = 0,           // the whole image went out, and then the controller's completion byte came
    refused = 1,        // bad arguments, or a file the window would refuse
    noPort = 2,         // the port cannot be opened
    silent = 3,         // no request within the timeout, past the deadline, an early completion, a lost line
    interrupted = 130,  // Ctrl-C during a download (the port closed first)
};

// How one controller's download ended; the order of texts::resultWords and resultNames.
enum class SendResult { done, silent, deadline, earlyEnd, lineLost, interrupted, noPort };
SendStatus statusOf(SendResult result);

// The ranges of the options with a number, for the parser and for --help alike.
struct SendLimits {
    static constexpr int frameTimeMin = 10, frameTimeMax = 300, frameTimeStep = 10, frameTimePreset = 50;
    static constexpr int timeoutMin = 1, timeoutMax = 3600, timeoutPreset = 5;
    static constexpr int deadlineMin = 1, deadlineMax = 86400;
};

struct ShowArgument {
    std::string path;
    std::optional<std::int64_t> dots, frames;  // FILE@DOTSxFRAMES; otherwise the dialog's presets
};

struct SendOptions {
    std::vector<ShowArgument> shows;
    std::string port;  // "COM3", a device path, or "" for the one device present
    int order = 0;     // row of the colour-order table
    int frameTimeMs = SendLimits::frameTimePreset;
    int timeoutSeconds = SendLimits::timeoutPreset;
    int deadlineSeconds = 0;  // 0: none
    std::string imagePath;    // "-": standard output
    bool dryRun = false, waitPort = false, repeat = false, listPorts = false;
    bool json = false, quiet = false, verbose = false, help = false, version = false;
    int frameTimeCode() const { return frameTimeMs / 10; }  // the list position of inputcbspeed plus 1
};

struct ParsedArguments {
    std::optional<SendOptions> options;
    std::string error;  // for bad arguments, in the command's words
};

// args without the program's name. `exists` says whether a path names an existing file, so that
// a file with an "@" in its name is taken whole.
ParsedArguments parseSendArguments(const std::vector<std::string>& args,
                                   const std::function<bool(const std::string&)>& exists);

// --help, from the same definitions the arguments are read with.
std::string sendUsage();

// The shows of the arguments in a table, as the window would import them one after another with
// the numbers typed in its dialog; or, for the first one it would refuse, why the file was not
// read or the window's message.
struct PreparedShows {
    std::optional<MemoryImage> image;
    std::string error;
};
PreparedShows prepareShows(const SendOptions& options, const std::function<FileRead(const std::string&)>& read);

// The controller's memory image as --image writes it: the 38-byte header, then the pixel data.
std::vector<std::uint8_t> imageBytes(const MemoryImage& image);

// The lines of --list-ports: COMn and the device behind it with what opening it would fail with
// (as the port list's tooltips say it), or the text for none.
std::vector<std::string> portListLines(const std::vector<PortDevice>& devices);

// The one serial device present (devices in COM order, COM1 first), for a command given no
// --port; "" with the reason in why when there is none or there are several (listed with their
// COM names).
std::string onlyDevice(const std::vector<PortDevice>& devices, std::string& why);

// What --json says of one controller: an object on one line, in plain ASCII.
struct UnitRecord {
    int unit = 1;
    std::string time, port;
    SendResult result = SendResult::done;
    std::int64_t bytes = 0;  // bytes the controller was sent: the header and the chunks it asked for
    std::int64_t ms = 0;
    std::string sha256;  // of the image
};
std::string unitJson(const UnitRecord& record);

}  // namespace pelmora
