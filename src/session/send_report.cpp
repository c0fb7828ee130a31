#include "session/send_report.h"

#include "session/texts.h"

namespace pelmora {

void SendReport::say(const std::string& text) { err_ << texts::sendProgram << ": " << text << '\n' << std::flush; }

void SendReport::note(const std::string& text) {
    if (!quiet_) say(text);
}

// A bar with chunk k of n on a terminal; one plain line per chunk otherwise.
void SendReport::progress(int chunk, int chunks) {
    if (quiet_) return;
    if (!terminal_) {
        err_ << texts::chunkProgress(chunk, chunks) << '\n' << std::flush;
        return;
    }
    constexpr int width = 30;
    const int filled = chunks > 0 ? chunk * width / chunks : width;
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << texts::chunkProgress(chunk, chunks)
         << (chunk == chunks ? "\n" : "") << std::flush;
}

void SendReport::trace(const std::string& line) {
    if (verbose_) err_ << line << '\n' << std::flush;
}

void SendReport::unit(const UnitRecord& record, const std::string& message) {
    const bool failed = record.result != SendResult::done;
    if (!message.empty() && (failed || !repeat_)) failed ? say(message) : note(message);
    if (repeat_)
        say(texts::unitLine(record.time, record.unit, record.port,
                            texts::resultWords[static_cast<std::size_t>(record.result)], record.ms));
    if (json_) out_ << unitJson(record) << '\n' << std::flush;
}

void SendReport::count(int units, int done) { say(texts::stationCount(units, done)); }

}  // namespace pelmora
