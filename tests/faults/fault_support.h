#pragma once
// What the fault tests check after every fault: the show table keeps its rules, every loaded show
// holds the bytes its file had when it was imported (in the colour order now selected), and a
// following download brings the controller exactly the image those shows make. The image is built
// here from the files alone, not by the tool's own code.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator.h"
#include "expected_image.h"
#include "fakes.h"
#include "show/show_table.h"

namespace pelmora::testing {

// The table's rules, the list and every show's bytes.
inline void expectShowsAsImported(const ShowTable& table, const std::vector<std::string>& entries,
                                  const std::vector<KnownShow>& shows, int order) {
    EXPECT_TRUE(table.consistent());
    ASSERT_EQ(table.showCount(), static_cast<int>(shows.size()));
    ASSERT_EQ(entries.size(), shows.size());
    std::int64_t used = 0;
    for (std::size_t i = 0; i < shows.size(); ++i) {
        const int s = static_cast<int>(i) + 1;
        EXPECT_EQ(entries[i], shows[i].path) << "show " << s;
        EXPECT_EQ(table.showFrameBytes(s), shows[i].dots * 3) << "show " << s;
        EXPECT_EQ(table.showFrames(s), shows[i].frames) << "show " << s;
        const Bytes expected = expectedPixels(shows[i], order);
        const auto pixels = table.showPixels(s);
        EXPECT_TRUE(Bytes(pixels.begin(), pixels.end()) == expected) << "the bytes of show " << s << " changed";
        used += static_cast<std::int64_t>(expected.size());
    }
    EXPECT_EQ(table.usedBytes(), used);
}

// Plays the controller on the fake port: every write of the tool goes to the emulated controller,
// and its answers arrive at the port, until the controller has nothing more to say.
inline void playController(FakeSerialPort& port, emulator::ControllerEmulator& controller, std::size_t& taken) {
    for (int round = 0; round < 1000 && taken < port.writes.size(); ++round) {
        Bytes answers;
        while (taken < port.writes.size()) {
            const Bytes more = controller.feed(port.writes[taken++]);
            answers.insert(answers.end(), more.begin(), more.end());
        }
        for (std::uint8_t answer : answers) port.receive({answer});
    }
}

}  // namespace pelmora::testing
