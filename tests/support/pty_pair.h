#pragma once
// A pseudo-terminal pair for the serial tests: the test holds the master side and plays the
// controller; the tool opens the slave side by its name. The slave stays open here too, as a
// cable stays plugged in at the controller's end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelmora::testing {

class Pty {
public:
    using Bytes = std::vector<std::uint8_t>;

    Pty() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slavePath_ = name;
    }
    ~Pty() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }

    // The controller sends.
    void send(const Bytes& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the tool has sent so far and the controller has not taken yet.
    Bytes take() const {
        Bytes all;
        std::uint8_t buffer[4096];
        for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;) all.insert(all.end(), buffer, buffer + n);
        return all;
    }
    // The adapter is pulled out: the line is gone for whoever has the slave open.
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1, slave_ = -1;
    std::string slavePath_;
};

}  // namespace pelmora::testing
