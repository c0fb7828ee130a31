#pragma once
// A session on the fake platform and the fake windows, started up as the tool starts, and the one
// way the tests import a show through it.

#include <optional>
#include <string>

#include "fakes.h"
#include "session/session.h"

namespace pelmora::testing {

// The user's edit of a number box: the box reads `text`, and the session hears of it.
inline void typeNumber(ControlEvents& events, FakeMainView& view, NumberField field, const std::string& text) {
    (field == NumberField::dots ? view.input()->dots : view.input()->frames) = text;
    events.numberTextEdited(field, text);
}

// Chooses `path` in the file dialog, clicks open, leaves the two texts as preset or types these
// over them, and clicks OK. Returns whether the show was added.
inline bool importShowAs(ControlEvents& events, FakeFileDialog& files, FakeMainView& view, const std::string& path,
                         const std::optional<std::string>& dots, const std::optional<std::string>& frames) {
    const std::size_t before = view.entries.size();
    files.choose(path);
    events.openLedFile();
    if (!view.input()) return false;
    if (dots) typeNumber(events, view, NumberField::dots, *dots);
    if (frames) typeNumber(events, view, NumberField::frames, *frames);
    events.appendShow();
    return view.entries.size() == before + 1;
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
