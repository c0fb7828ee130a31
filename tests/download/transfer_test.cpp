#include "download/transfer.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "led_builder.h"

namespace pelmora {
namespace {

using testing::FakeMainView;
using testing::FakeMessageBox;
using testing::FakeSerialPort;
using Chunk = std::vector<std::uint8_t>;

class TransferTest : public ::testing::Test {
protected:
    TransferTest() {
        view.timeSelected = 4;
        view.portSelected = 2;
        port.opens = true;
        port.open();
    }
    // A table of `bytes` pixel bytes in one show of one frame (bytes must be a multiple of 3).
    void fill(int bytes) {
        testing::LedFileSpec led;
        led.dots = bytes / 3;
        led.frames = 1;
        led.headerPixelBytes = 3;
        file = testing::makeLedFile(led);
        ASSERT_EQ(table.append(bytes / 3, 1, file, 0), ShowTable::AppendResult::added);
    }
    // The controller sends `bytes` in one read; returns what the tool wrote in answer.
    Chunk answer(std::vector<std::uint8_t> bytes) {
        port.writes.clear();
        port.waiting = std::move(bytes);
        transfer.receive(SerialPort::receiveEvent);
        return port.written();
    }
    Chunk imageSlice(std::size_t from, std::size_t length) const {
        return {file.begin() + 512 + static_cast<std::ptrdiff_t>(from),
                file.begin() + 512 + static_cast<std::ptrdiff_t>(from + length)};
    }

    Bytes file;
    ShowTable table;
    FakeMainView view;
    FakeSerialPort port;
    FakeMessageBox messages;
    Transfer transfer{port, view, messages};
};

TEST_F(TransferTest, SendWritesTheStartByteAndShowsProgress) {
    fill(10002);
    view.progressVisible = false;
    transfer.send(table);
    EXPECT_EQ(port.written(), Chunk{0x41});
    EXPECT_EQ(transfer.startByte(), 0x41);
    EXPECT_EQ(transfer.chunkCount(), 2);
    EXPECT_EQ(transfer.tailBytes(), 1810);
    EXPECT_EQ(view.progressMin, 0);
    EXPECT_EQ(view.progressMax, 3);
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_TRUE(view.progressVisible);
    EXPECT_EQ(view.status(), "开始发送中......");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TransferTest, AWholeDownloadAsTheControllerPacesIt) {
    fill(10002);
    transfer.send(table);
    const Chunk header = answer({0x41});
    ASSERT_EQ(header.size(), 38u);
    EXPECT_EQ(header[0], 0x27);
    EXPECT_EQ(header[1], 0x12);
    EXPECT_EQ(answer({0x42}), imageSlice(0, 4096));
    EXPECT_EQ(view.progressValue, 1);
    EXPECT_EQ(answer({0x42}), imageSlice(4096, 4096));
    EXPECT_EQ(view.progressValue, 2);
    EXPECT_EQ(answer({0x42}), imageSlice(8192, 1810));
    EXPECT_EQ(view.progressValue, 3);
    EXPECT_EQ(transfer.chunkIndex(), 0);
    EXPECT_TRUE(answer({0x16}).empty());
    EXPECT_EQ(view.status(), "所有数据已经发送到控制器中.");
    EXPECT_TRUE(view.progressVisible);
}

TEST_F(TransferTest, LessThanOneChunkIsOneTail) {
    fill(300);
    transfer.send(table);
    EXPECT_EQ(view.progressMax, 1);
    EXPECT_EQ(answer({0x42}), imageSlice(0, 300));
    EXPECT_EQ(view.progressValue, 1);
    EXPECT_EQ(answer({0x42}), imageSlice(0, 300));  // starts over
}

TEST_F(TransferTest, WholeChunksHaveNoTail) {
    // Show sizes are multiples of 3, so the smallest whole number of chunks a table can hold is 3 * 4096.
    fill(12288);
    transfer.send(table);
    EXPECT_EQ(view.progressMax, 3);
    EXPECT_EQ(transfer.tailBytes(), 0);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(answer({0x42}), imageSlice(static_cast<std::size_t>(n) * 4096, 4096));
    EXPECT_TRUE(answer({0x42}).empty());  // one more: nothing, and the count starts over
    EXPECT_EQ(transfer.chunkIndex(), 0);
    EXPECT_EQ(answer({0x42}), imageSlice(0, 4096));
}

TEST_F(TransferTest, AFullTableIsFourteenChunksAndATail) {
    fill(60378);
    transfer.send(table);
    EXPECT_EQ(transfer.chunkCount(), 14);
    EXPECT_EQ(transfer.tailBytes(), 3034);
    EXPECT_EQ(view.progressMax, 15);
    Chunk all;
    for (int n = 0; n < 15; ++n) {
        const Chunk chunk = answer({0x42});
        all.insert(all.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(all, imageSlice(0, 60378));
    EXPECT_EQ(view.progressValue, 15);
}

TEST_F(TransferTest, RequestsBeforeAnySend) {
    EXPECT_EQ(answer({0x41}), Chunk(38, 0));
    EXPECT_TRUE(answer({0x42}).empty());
    EXPECT_EQ(transfer.chunkIndex(), 0);
}

TEST_F(TransferTest, OnlyTheFirstByteOfAReadCounts) {
    fill(30000);
    transfer.send(table);
    EXPECT_EQ(answer({0x42, 0x42}), imageSlice(0, 4096));
    EXPECT_EQ(answer({0x42, 0x41}), imageSlice(4096, 4096));
    EXPECT_TRUE(answer({0x00, 0x42, 0x41}).empty());
    EXPECT_TRUE(answer({}).empty());
    EXPECT_EQ(transfer.chunkIndex(), 2);
    port.waiting.clear();
    transfer.receive(1);  // not a receive event
    EXPECT_TRUE(port.written().empty());
}

TEST_F(TransferTest, ASendDuringATransferStartsOver) {
    fill(30000);
    transfer.send(table);
    answer({0x42});
    answer({0x42});
    transfer.send(table);
    EXPECT_EQ(transfer.chunkIndex(), 0);
    EXPECT_EQ(answer({0x42}), imageSlice(0, 4096));
}

TEST_F(TransferTest, TheImageIsCopiedAtSendTime) {
    fill(9000);
    const Chunk sent = imageSlice(0, 4096);
    transfer.send(table);
    table.remove(0);
    fill(300);
    EXPECT_EQ(answer({0x42}), sent);  // the 9000-byte show, although the table changed
}

TEST_F(TransferTest, ClosingAndReopeningThePortKeepsTheCount) {
    fill(20001);  // 5 chunk writes
    transfer.send(table);
    answer({0x42});
    answer({0x42});
    port.close();
    port.open();
    EXPECT_EQ(answer({0x42}), imageSlice(8192, 4096));
}

TEST_F(TransferTest, NoShowsGivesOnlyTheImportMessage) {
    port.close();
    transfer.send(table);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].text, "请先导入文件后再发送数据。");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(TransferTest, AClosedPortIsNamedInTheMessageAfterTheImageIsBuilt) {
    fill(300);
    port.close();
    view.timeSelected = 29;
    transfer.send(table);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "提示");
    EXPECT_EQ(messages.shown[0].text, "COM3串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::none);
    EXPECT_EQ(transfer.sendBuffer()[3], 30);
    EXPECT_EQ(transfer.chunkCount(), 0);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(view.status(), "");
}

}  // namespace
}  // namespace pelmora
