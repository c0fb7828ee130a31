#include "download/handshake.h"

#include <gtest/gtest.h>

#include "led_builder.h"

namespace pelmora {
namespace {

using Chunk = std::vector<std::uint8_t>;

// The handshake with no view and no port: bytes from the controller in, the answer out.
class HandshakeTest : public ::testing::Test {
protected:
    // Loads an image of `bytes` pixel bytes, one show of one frame (bytes must be a multiple of 3).
    void load(int bytes, int frameTimeCode = 5) {
        ShowTable table;
        testing::LedFileSpec led;
        led.dots = bytes / 3;
        led.headerPixelBytes = 3;
        file = testing::makeLedFile(led);
        ASSERT_EQ(table.append(bytes / 3, 1, file, 0), ShowTable::AppendResult::added);
        handshake.load(buildMemoryImage(table, frameTimeCode));
    }
    Chunk start() {
        const auto bytes = handshake.start();
        return {bytes.begin(), bytes.end()};
    }
    // The controller sends `bytes` in one read; returns what the tool writes in answer.
    Chunk answer(const Chunk& bytes) {
        last = handshake.receive(bytes);
        return {last.write.begin(), last.write.end()};
    }
    Chunk pixels(std::size_t from, std::size_t length) const {
        return {file.begin() + 512 + static_cast<std::ptrdiff_t>(from),
                file.begin() + 512 + static_cast<std::ptrdiff_t>(from + length)};
    }

    Bytes file;
    Handshake handshake;
    HandshakeStep last;
};

TEST_F(HandshakeTest, AWholeDownloadAsTheControllerPacesIt) {
    load(10002);
    EXPECT_EQ(start(), Chunk{0x41});
    EXPECT_EQ(handshake.chunks(), 3);
    const Chunk header = answer({0x41});
    ASSERT_EQ(header.size(), 38u);
    EXPECT_EQ(header[0], 0x27);
    EXPECT_EQ(header[1], 0x12);
    EXPECT_TRUE(last.headerSent);
    EXPECT_EQ(last.chunk, 0);
    EXPECT_EQ(answer({0x42}), pixels(0, 4096));
    EXPECT_EQ(last.chunk, 1);
    EXPECT_EQ(answer({0x42}), pixels(4096, 4096));
    EXPECT_EQ(last.chunk, 2);
    EXPECT_FALSE(last.idleAgain);
    EXPECT_EQ(answer({0x42}), pixels(8192, 1810));
    EXPECT_EQ(last.chunk, 3);
    EXPECT_TRUE(last.idleAgain);
    EXPECT_TRUE(answer({0x16}).empty());
    EXPECT_TRUE(last.completed);
}

TEST_F(HandshakeTest, LessThanOneChunkIsOneTail) {
    load(300);
    start();
    EXPECT_EQ(handshake.chunks(), 1);
    EXPECT_EQ(answer({0x42}), pixels(0, 300));
    EXPECT_EQ(last.chunk, 1);
    EXPECT_EQ(answer({0x42}), pixels(0, 300));  // starts over
}

TEST_F(HandshakeTest, WholeChunksHaveNoTail) {
    // Show sizes are multiples of 3, so the smallest whole number of chunks a table can hold is 3 * 4096.
    load(12288);
    start();
    EXPECT_EQ(handshake.chunks(), 3);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(answer({0x42}), pixels(static_cast<std::size_t>(n) * 4096, 4096));
    EXPECT_TRUE(answer({0x42}).empty());  // one more: nothing, and the count starts over
    EXPECT_TRUE(last.idleAgain);
    EXPECT_EQ(last.chunk, 0);
    EXPECT_EQ(answer({0x42}), pixels(0, 4096));
}

TEST_F(HandshakeTest, AFullTableIsFourteenChunksAndATail) {
    load(60378);
    start();
    EXPECT_EQ(handshake.chunks(), 15);
    Chunk all;
    for (int n = 0; n < 15; ++n) {
        const Chunk chunk = answer({0x42});
        EXPECT_EQ(chunk.size(), n < 14 ? 4096u : 3034u);
        all.insert(all.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(all, pixels(0, 60378));
    EXPECT_EQ(last.chunk, 15);
}

TEST_F(HandshakeTest, RequestsBeforeAnySend) {
    EXPECT_EQ(answer({0x41}), Chunk(38, 0));
    EXPECT_TRUE(answer({0x42}).empty());
    EXPECT_TRUE(last.idleAgain);
    EXPECT_EQ(handshake.chunks(), 0);
}

TEST_F(HandshakeTest, OnlyTheFirstByteOfAReadCounts) {
    load(30000);
    start();
    EXPECT_EQ(answer({0x42, 0x42}), pixels(0, 4096));
    EXPECT_EQ(answer({0x42, 0x41}), pixels(4096, 4096));
    EXPECT_TRUE(answer({0x00, 0x42, 0x41}).empty());
    EXPECT_TRUE(answer({0x16, 0x42}).empty());
    EXPECT_TRUE(answer({}).empty());
    EXPECT_FALSE(last.completed);
    EXPECT_EQ(answer({0x42}), pixels(8192, 4096));  // the count went on from 2
}

TEST_F(HandshakeTest, AStartDuringATransferStartsOver) {
    load(30000);
    start();
    answer({0x42});
    answer({0x42});
    start();
    EXPECT_EQ(answer({0x42}), pixels(0, 4096));
}

TEST_F(HandshakeTest, TheHeaderIsTheLoadedImagesAlsoBeforeTheStart) {
    load(300, 30);
    const Chunk header = answer({0x41});
    ASSERT_EQ(header.size(), 38u);
    EXPECT_EQ(header[3], 30);
    EXPECT_EQ(handshake.chunks(), 0);  // counted only by the start
    EXPECT_TRUE(answer({0x42}).empty());
}

// Whether the whole image went out, as the controller's requests since the start leave it:
// the header and every chunk, in whatever order the requests came.
TEST_F(HandshakeTest, TheWholeImageIsSentOnceTheHeaderAndTheLastChunkAreSinceTheStart) {
    const std::vector<std::pair<std::vector<Chunk>, bool>> cases = {
        {{}, false},
        {{{0x16}}, false},                                 // completion before any request
        {{{0x41}, {0x42}, {0x42}}, false},                 // a chunk short
        {{{0x41}, {0x42}, {0x42}, {0x42}}, true},          // header, chunks 1-3
        {{{0x42}, {0x42}, {0x42}, {0x41}}, true},          // the header last
        {{{0x42}, {0x42}, {0x42}}, false},                 // no header
        {{{0x41}, {0x42}, {0x00, 0x42}, {0x42}}, false},   // the noise's read asked for nothing
        {{{0x41}, {0x42}, {0x42}, {0x42}, {0x42}}, true},  // one more starts over: sent all the same
    };
    load(9000);  // two chunks and a tail
    for (const auto& [reads, whole] : cases) {
        start();
        for (const Chunk& read : reads) answer(read);
        EXPECT_EQ(handshake.wholeImageSent(), whole) << reads.size() << " reads";
    }
    start();
    EXPECT_FALSE(handshake.wholeImageSent());  // the start forgets the last download
}

// Any image is answered within its own bytes: a short buffer is padded, never read past.
TEST_F(HandshakeTest, AnImageWithAShortBufferIsAnsweredFromPaddedBytes) {
    MemoryImage image;
    image.dataLength = 5000;
    image.imageBuffer.assign(10, 7);
    handshake.load(image);
    start();
    Chunk first = answer({0x42});
    ASSERT_EQ(first.size(), 4096u);
    EXPECT_EQ(first[9], 7);
    EXPECT_EQ(first[10], 0);
    EXPECT_EQ(answer({0x42}), Chunk(904, 0));
}

}  // namespace
}  // namespace pelmora
