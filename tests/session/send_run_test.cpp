#include "session/send_run.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "led_builder.h"

namespace pelmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

MemoryImage twoChunkImage() {
    ShowTable table;
    const Bytes file = testing::makeLedFile({.dots = 100, .frames = 20});  // 6000 bytes: two chunks
    EXPECT_EQ(table.append(100, 20, file, 0), ShowTable::AppendResult::added);
    return buildMemoryImage(table, 5);
}

struct SendRunTest : ::testing::Test {
    SendRunTest() { port.open(); }
    testing::FakeSerialPort port;
    std::int64_t now = 1000;
    std::vector<std::pair<int, int>> progress;
    SendRun run{port, twoChunkImage(), 5, [this] { return now; },
                [this](int chunk, int chunks) { progress.emplace_back(chunk, chunks); }};
};

TEST_F(SendRunTest, AnswersEachRequestAndEndsDoneAtTheCompletionByte) {
    run.start();
    EXPECT_EQ(port.written(), Bytes{0x41});  // only the start byte goes out unasked
    port.receive({0x41});
    EXPECT_EQ(port.writes.back().size(), 38u);
    port.receive({0x42});
    port.receive({0x42});
    EXPECT_EQ(port.writes.back().size(), 6000u - 4096u);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_FALSE(run.result());
    port.receive({0x16});
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendStatus::done);
    EXPECT_EQ(run.message(), "所有数据已经发送到控制器中.");
}

TEST_F(SendRunTest, EndsSilentOnlyWhenTheControllerSaysNothingForTheTimeout) {
    run.start();
    now += 4000;
    run.check();
    port.receive({0x41});  // heard: the timeout starts again
    now += 4900;
    run.check();
    EXPECT_FALSE(run.result());
    now += 200;
    run.check();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendStatus::silent);
    EXPECT_EQ(run.message(), "控制器在 5 秒内没有应答");
    port.receive({0x42});  // too late: nothing more is written
    EXPECT_EQ(port.writes.size(), 2u);
}

TEST_F(SendRunTest, ALostLineEndsSilentWithThePortMessage) {
    run.start();
    port.lose();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendStatus::silent);
    EXPECT_EQ(run.message(), "线路中断: 不存在该串口,请重新选择.");
}

}  // namespace
}  // namespace pelmora
