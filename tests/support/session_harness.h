#pragma once
// A session on the fake platform and the fake windows, started up as the tool starts, and the one
// way the tests import a show through it.

#include <optional>
#include <string>

#include "fakes.h"
#include "session/session.h"

namespace pelmora::testing {

// Chooses `path` in the file dialog, clicks open, leaves the two texts as preset or types these
// over them, and clicks OK. Returns whether the show was added.
inline bool importShowAs(ControlEvents& events, FakeFileDialog& files, FakeMainView& view, const std::string& path,
                         const std::optional<std::string>& dots, const std::optional<std::string>& frames) {
    const int before = view.showEntryCount();
    files.choose(path);
    events.openLedFile();
    if (!view.input()) return false;
    if (dots) view.input()->setDots(events.numberTextChanged(*dots));
    if (frames) view.input()->setFrames(events.numberTextChanged(*frames));
    events.appendShow();
    return view.showEntryCount() == before + 1;
}

// The same with whole numbers typed, or the presets kept.
inline bool importShow(ControlEvents& events, FakeFileDialog& files, FakeMainView& view, const std::string& path,
                       std::optional<long long> dots = {}, std::optional<long long> frames = {}) {
    const auto typed = [](std::optional<long long> n) {
        return n ? std::optional<std::string>(std::to_string(*n)) : std::nullopt;
    };
    return importShowAs(events, files, view, path, typed(dots), typed(frames));
}

struct SessionHarness : FakePlatform {
    explicit SessionHarness(std::string programFolder = "/opt/pelmora")
        : session(view, platform(), std::move(programFolder)) {
        session.startUp();
    }
    bool import(const std::string& path, std::optional<long long> dots = {}, std::optional<long long> frames = {}) {
        return importShow(session, files, view, path, dots, frames);
    }
    // Opens the port chosen in the list (COM1 unless the test chose another).
    void openPort() {
        if (!port.isOpen()) session.togglePort();
    }

    FakeMainView view;
    Session session;
};

}  // namespace pelmora::testing
