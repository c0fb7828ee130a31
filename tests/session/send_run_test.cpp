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
    std::vector<std::string> trace;
    SendRun run{port,
                twoChunkImage(),
                {5000, 8000},
                [this] { return now; },
                [this](int chunk, int chunks) { progress.emplace_back(chunk, chunks); },
                [this](const std::string& line) { trace.push_back(line); }};
};

TEST_F(SendRunTest, AnswersEachRequestAndEndsDoneAtTheCompletionByteAfterTheWholeImage) {
    run.start();
    EXPECT_EQ(port.written(), Bytes{0x41});  // only the start byte goes out unasked
    port.receive({0x41});
    EXPECT_EQ(port.writes.back().size(), 38u);
    port.receive({0x42});
    port.receive({0x42, 0x07});
    EXPECT_EQ(port.writes.back().size(), 6000u - 4096u);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_FALSE(run.result());
    port.receive({0x16});
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendResult::done);
    EXPECT_EQ(run.message(), "所有数据已经发送到控制器中.");
    EXPECT_EQ(run.bytesSent(), 6038);
    // -v: every byte in, every answer out.
    EXPECT_EQ(trace, (std::vector<std::string>{"-> 0x41 开始下载", "<- 0x41 请求文件头", "-> 文件头 38 字节",
                                               "<- 0x42 请求下一块", "-> 块 1 / 2, 4096 字节", "<- 0x42 请求下一块",
                                               "<- 0x07 不理会", "-> 块 2 / 2, 1904 字节", "<- 0x16 全部收到"}));
}

// A completion byte before the controller was sent everything ends the run as early, saying how
// much it had asked for.
TEST_F(SendRunTest, ACompletionBeforeTheWholeImageIsAnEarlyEnd) {
    // The requests before it and the bytes they asked for; the last has no header.
    const std::vector<std::pair<std::vector<Bytes>, int>> cases = {
        {{}, 0}, {{{0x41}}, 38}, {{{0x41}, {0x42}}, 4134}, {{{0x42}, {0x42}}, 6000}};
    for (const auto& [requests, asked] : cases) {
        const std::string message =
            "控制器只要了 " + std::to_string(asked) + " / 6038 字节就发来了完成信号 0x16, 数据没有全部发送";
        testing::FakeSerialPort other;
        other.open();
        SendRun early(other, twoChunkImage(), {5000, 0}, [this] { return now; }, {});
        early.start();
        for (const Bytes& request : requests) other.receive(request);
        other.receive({0x16});
        ASSERT_TRUE(early.result()) << message;
        EXPECT_EQ(*early.result(), SendResult::earlyEnd);
        EXPECT_EQ(early.message(), message);
    }
}

// Only a request that is answered restarts the timeout; bytes that ask for nothing do not, and
// the message says how long the wait really was.
TEST_F(SendRunTest, EndsSilentWhenNoRequestCameForTheTimeoutWhateverElseCame) {
    run.start();
    now += 1000;
    run.check();
    port.receive({0x41});  // answered: the timeout starts again
    for (int i = 0; i < 9; ++i) {
        now += 500;
        port.receive({0x55});  // noise every half second
        run.check();
    }
    EXPECT_FALSE(run.result());
    now += 620;
    run.check();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendResult::silent);
    EXPECT_EQ(run.message(), "控制器已经 5.1 秒没有发出请求 (其间收到 9 个无法识别的字节)");
    port.receive({0x42});  // too late: nothing more is written
    EXPECT_EQ(port.writes.size(), 2u);
}

TEST_F(SendRunTest, EndsAtTheDeadlineWhileTheControllerStillAsks) {
    run.start();
    port.receive({0x41});
    for (int i = 0; i < 8; ++i) {
        now += 1000;
        port.receive({0x41});
        run.check();
    }
    EXPECT_FALSE(run.result());
    now += 1;
    run.check();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendResult::deadline);
    EXPECT_EQ(run.message(), "下载没有在 --deadline 的 8.0 秒内完成 (已发送 342 / 6038 字节)");
}

TEST_F(SendRunTest, ALostLineEndsWithThePortMessage) {
    run.start();
    port.lose();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(*run.result(), SendResult::lineLost);
    EXPECT_EQ(run.message(), "线路中断: 不存在该串口,请重新选择.");
}

}  // namespace
}  // namespace pelmora
