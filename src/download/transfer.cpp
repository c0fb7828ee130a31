#include "download/transfer.h"

#include <string>

namespace pelmora {

Transfer::Transfer(SerialPort& port, MainView& view, MessageBox& messages)
    : port_(port), view_(view), messages_(messages) {
    image_.imageBuffer.assign(imageBufferSize, 0);
}

void Transfer::write(const std::uint8_t* data, std::size_t length) {
    // A failed write is not retried: the controller asks again, or the user sends again.
    port_.write({data, length});
}

void Transfer::send(const ShowTable& table) {
    if (table.showCount() == 0) {
        messages_.show("注意", noShowsText, MessageBox::Icon::exclamation);
        return;
    }
    image_ = buildMemoryImage(table, view_.frameTimeIndex() + 1);
    if (!port_.isOpen()) {
        messages_.show("提示", "COM" + std::to_string(view_.portIndex() + 1) + portNotOpenText, MessageBox::Icon::none);
        return;
    }
    chunkCount_ = table.usedBytes() / chunkSize;
    tailBytes_ = table.usedBytes() % chunkSize;
    chunkIndex_ = 0;
    view_.setProgressRange(0, tailBytes_ > 0 ? chunkCount_ + 1 : chunkCount_);
    startByte_ = startOfDownload;
    write(&startByte_, 1);
    view_.setStatus(sendingText);
    view_.setProgressValue(0);
    view_.setProgressVisible(true);
}

void Transfer::receive(int eventCode) {
    if (eventCode != SerialPort::receiveEvent) return;
    const std::vector<std::uint8_t> receiveBuffer = port_.readAll();
    if (receiveBuffer.empty()) return;
    const std::uint8_t request = receiveBuffer.front();

    if (request == headerRequest) write(image_.sendBuffer.data(), image_.sendBuffer.size());

    if (request == chunkRequest) {
        ++chunkIndex_;
        if (chunkIndex_ <= chunkCount_) {
            write(image_.imageBuffer.data() + static_cast<std::size_t>(chunkIndex_ - 1) * chunkSize, chunkSize);
            view_.setProgressValue(chunkIndex_);
        } else {
            if (tailBytes_ > 0) {
                write(image_.imageBuffer.data() + static_cast<std::size_t>(chunkCount_) * chunkSize,
                      static_cast<std::size_t>(tailBytes_));
                view_.setProgressValue(view_.progressMaximum());
            }
            chunkIndex_ = 0;
        }
    }

    if (request == allReceived) view_.setStatus(sentText);
}

}  // namespace pelmora
