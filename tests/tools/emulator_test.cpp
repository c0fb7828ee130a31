// The emulated controller's core on its own: the handshake it asks for, the image it keeps,
// and how it counts bytes nobody asked for.

#include "emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace pelmora::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A header that announces dataLength bytes, and data with a recognisable pattern.
Bytes imageOf(std::size_t dataLength) {
    Bytes image(headerSize + dataLength);
    image[0] = static_cast<std::uint8_t>(dataLength >> 8);
    image[1] = static_cast<std::uint8_t>(dataLength & 0xFF);
    image[2] = 1;
    image[3] = 5;
    for (std::size_t i = headerSize; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return image;
}

struct Download {
    Bytes requests;                  // every byte the controller answered, in order
    std::vector<std::size_t> sizes;  // the length of every chunk the controller asked for
};

// Plays a well-behaved tool: the start byte, then exactly what the controller asks for.
Download download(ControllerEmulator& controller, const Bytes& image) {
    Download result;
    std::size_t sent = headerSize;  // data bytes sent so far, counted from the image's start
    Bytes answer = controller.feed(startByte);
    for (int guard = 0; guard < 100 && answer.size() == 1; ++guard) {
        result.requests.push_back(answer[0]);
        if (answer[0] == headerRequest && result.requests.size() == 1) {
            answer = controller.feed(std::span(image).first(headerSize));
        } else if (answer[0] == chunkRequest) {
            const std::size_t size = std::min(chunkSize, image.size() - sent);
            result.sizes.push_back(size);
            answer = controller.feed(std::span(image).subspan(sent, size));
            sent += size;
        } else {
            break;
        }
    }
    return result;
}

Bytes requestsFor(std::size_t chunks) {
    Bytes expected{headerRequest};
    expected.insert(expected.end(), chunks, chunkRequest);
    expected.push_back(allReceived);
    return expected;
}

TEST(EmulatorDownload, FullTableIsAskedForInFourteenChunksAndATailOf3034) {
    ControllerEmulator controller;
    const Bytes image = imageOf(60378);
    const Download d = download(controller, image);

    std::vector<std::size_t> expectedSizes(14, 4096);
    expectedSizes.push_back(3034);
    EXPECT_EQ(d.requests, requestsFor(15));
    EXPECT_EQ(d.sizes, expectedSizes);
    EXPECT_TRUE(controller.complete());
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.image().size(), 60416u);
    EXPECT_EQ(controller.unexpectedBytes(), 0u);
    EXPECT_EQ(controller.downloadsCompleted(), 1);
}

TEST(EmulatorDownload, ThreeHundredBytesAreOneChunk) {
    ControllerEmulator controller;
    const Bytes image = imageOf(300);
    const Download d = download(controller, image);

    EXPECT_EQ(d.requests, requestsFor(1));
    EXPECT_EQ(d.sizes, std::vector<std::size_t>{300});
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.unexpectedBytes(), 0u);
}

TEST(EmulatorDownload, WholeNumberOfChunksEndsWithoutAskingForATail) {
    ControllerEmulator controller;
    const Bytes image = imageOf(8192);
    const Download d = download(controller, image);

    EXPECT_EQ(d.requests, requestsFor(2));
    EXPECT_EQ(d.sizes, (std::vector<std::size_t>{4096, 4096}));
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.unexpectedBytes(), 0u);
}

TEST(EmulatorDownload, EmptyDataIsCompleteRightAfterTheHeader) {
    ControllerEmulator controller;
    const Bytes image = imageOf(0);
    const Download d = download(controller, image);

    EXPECT_EQ(d.requests, (Bytes{headerRequest, allReceived}));
    EXPECT_EQ(controller.image(), image);
}

TEST(EmulatorDownload, BytesArrivingOneAtATimeGiveTheSameImage) {
    ControllerEmulator controller;
    const Bytes image = imageOf(5000);
    Bytes requests;
    for (const auto answer : controller.feed(startByte)) requests.push_back(answer);
    for (const std::uint8_t byte : image)
        for (const auto answer : controller.feed(byte)) requests.push_back(answer);

    EXPECT_EQ(requests, requestsFor(2));
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.unexpectedBytes(), 0u);
}

TEST(EmulatorDownload, NextStartByteBeginsANewDownloadAndReplacesTheImage) {
    ControllerEmulator controller;
    download(controller, imageOf(4097));
    const Bytes second = imageOf(12);
    const Download d = download(controller, second);

    EXPECT_EQ(d.requests, requestsFor(1));
    EXPECT_EQ(controller.image(), second);
    EXPECT_EQ(controller.downloadsCompleted(), 2);
}

TEST(EmulatorDownload, ResetForgetsAnUnfinishedDownloadButKeepsTheLastImage) {
    ControllerEmulator controller;
    const Bytes first = imageOf(100);
    download(controller, first);
    const Bytes unfinished = imageOf(9000);
    controller.feed(startByte);
    controller.feed(std::span(unfinished).first(headerSize));
    EXPECT_EQ(controller.state(), ControllerEmulator::State::readingData);

    controller.reset();
    EXPECT_EQ(controller.state(), ControllerEmulator::State::waitingForStart);
    EXPECT_EQ(controller.image(), first);
    const Bytes third = imageOf(10);
    download(controller, third);
    EXPECT_EQ(controller.image(), third);
}

// A faulty controller says 0x16 once so many bytes have come, keeps no image, and takes the
// next start byte as a new download.
TEST(EmulatorDownload, AnEarlyControllerSaysAllReceivedInsteadOfItsNextRequest) {
    const std::vector<std::pair<std::size_t, Bytes>> cases = {
        {0, {allReceived}},
        {headerSize, {headerRequest, allReceived}},
        {headerSize + 1, {headerRequest, chunkRequest, allReceived}},  // at the next request after it
    };
    for (const auto& [after, requests] : cases) {
        ControllerEmulator controller;
        controller.earlyCompletionAfter = after;
        EXPECT_EQ(download(controller, imageOf(9000)).requests, requests) << after;
        EXPECT_TRUE(controller.complete()) << after;
        EXPECT_TRUE(controller.image().empty()) << after;
        EXPECT_EQ(controller.downloadsCompleted(), 0) << after;
        EXPECT_EQ(controller.earlyCompletions(), 1) << after;
        EXPECT_EQ(controller.feed(startByte), after == 0 ? Bytes{allReceived} : Bytes{headerRequest}) << after;
    }
}

TEST(EmulatorDownload, EveryRequestIsReportedInWords) {
    ControllerEmulator controller;
    std::vector<std::string> lines;
    controller.onRequest = [&](const std::string& line) { lines.push_back(line); };
    download(controller, imageOf(8200));

    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "-> 0x41 header");
    EXPECT_EQ(lines[1], "-> 0x42 chunk 1/3");
    EXPECT_EQ(lines[3], "-> 0x42 chunk 3/3");
    EXPECT_EQ(lines[4], "-> 0x16 all data received (8200 bytes)");
}

TEST(EmulatorUnexpectedBytes, GarbageBeforeTheStartByteIsCountedAndIgnored) {
    ControllerEmulator controller;
    EXPECT_TRUE(controller.feed(Bytes{0x00, 0xFF, chunkRequest, allReceived}).empty());
    EXPECT_TRUE(controller.feed(Bytes{0x40}).empty());
    EXPECT_EQ(controller.unexpectedBytes(), 5u);

    const Bytes image = imageOf(300);
    const Download d = download(controller, image);
    EXPECT_EQ(d.requests, requestsFor(1));
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.unexpectedBytes(), 5u);
}

TEST(EmulatorUnexpectedBytes, HeaderSentWithoutWaitingForItsRequestIsCounted) {
    ControllerEmulator controller;
    Bytes eager{startByte};
    const Bytes image = imageOf(300);
    eager.insert(eager.end(), image.begin(), image.begin() + headerSize);

    EXPECT_EQ(controller.feed(eager), Bytes{headerRequest});
    EXPECT_EQ(controller.unexpectedBytes(), headerSize);
    EXPECT_EQ(controller.state(), ControllerEmulator::State::readingHeader);
}

TEST(EmulatorUnexpectedBytes, BytesBeyondTheChunkAskedForAreCountedNotStored) {
    ControllerEmulator controller;
    const Bytes image = imageOf(5000);
    controller.feed(startByte);
    controller.feed(std::span(image).first(headerSize));
    // The first chunk and three bytes more in one go: the three were not asked for.
    EXPECT_EQ(controller.feed(std::span(image).subspan(headerSize, 4096 + 3)), Bytes{chunkRequest});
    EXPECT_EQ(controller.unexpectedBytes(), 3u);
    EXPECT_EQ(controller.received(), headerSize + 4096);

    EXPECT_EQ(controller.feed(std::span(image).subspan(headerSize + 4096)), Bytes{allReceived});
    EXPECT_EQ(controller.image(), image);
    EXPECT_EQ(controller.unexpectedBytes(), 3u);
}

TEST(EmulatorUnexpectedBytes, BytesAfterTheLastChunkAreCounted) {
    ControllerEmulator controller;
    download(controller, imageOf(300));
    EXPECT_TRUE(controller.feed(Bytes{1, 2, 3, 4}).empty());
    EXPECT_EQ(controller.unexpectedBytes(), 4u);
    EXPECT_TRUE(controller.complete());
}

TEST(EmulatorRobustness, ArbitraryStreamsKeepTheHandshakeConsistent) {
    std::mt19937 random(12345);
    for (int run = 0; run < 200; ++run) {
        ControllerEmulator controller;
        std::size_t fed = 0;
        for (int call = 0; call < 60; ++call) {
            Bytes bytes(random() % 300);
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 4 == 0 ? startByte : random());
            fed += bytes.size();
            const Bytes answer = controller.feed(bytes);
            ASSERT_LE(answer.size(), 1u);
            if (!answer.empty()) {
                EXPECT_TRUE(answer[0] == headerRequest || answer[0] == chunkRequest || answer[0] == allReceived);
            }
        }
        EXPECT_LE(controller.unexpectedBytes() + controller.received(), fed);
        if (controller.downloadsCompleted() > 0) {
            const auto& image = controller.image();
            ASSERT_GE(image.size(), headerSize);
            EXPECT_EQ(image.size(), headerSize + (std::size_t{image[0]} << 8 | image[1]));
        }
    }
}

}  // namespace
}  // namespace pelmora::emulator
