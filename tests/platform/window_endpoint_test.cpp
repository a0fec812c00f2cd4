#include "platform/WindowEndpoint.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

class WindowEndpointTest : public test::EnvironmentTest {};

TEST_F(WindowEndpointTest, FoundWithoutCaseAndAnswersSentMessages) {
    std::atomic<int> posted{0};
    auto endpoint = WindowEndpoint::create("Ambrin+", "Ambrin+", [&](const WindowMessage& message) {
        if (message.message == kWmCommand) {
            return message.wParam + message.lParam;
        }
        ++posted;
        return std::int64_t{0};
    });
    ASSERT_NE(endpoint, nullptr);
    EXPECT_TRUE(WindowEndpoint::exists("AMBRIN+", "ambrin+"));
    EXPECT_FALSE(WindowEndpoint::exists("Ambrin+", "Other"));

    const auto reply = WindowEndpoint::send("AMBRIN+", "AMBRIN+", {kWmCommand, 40001, 119});
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, 40001 + 119);

    EXPECT_TRUE(WindowEndpoint::post("Ambrin+", "Ambrin+", {kWmTrayNotify, 0, kWmLButtonDblClk}));
    // A send after a post is handled after it: the handler takes one message at a time.
    EXPECT_TRUE(WindowEndpoint::send("Ambrin+", "Ambrin+", {kWmCommand, 1, 1}).has_value());
    EXPECT_EQ(posted.load(), 1);

    // A second live window of the same class and title is refused.
    EXPECT_EQ(WindowEndpoint::create("ambrin+", "AMBRIN+", nullptr), nullptr);
}

TEST_F(WindowEndpointTest, ASocketLeftByACrashedProcessIsNotAWindow) {
    // Bind a socket and close it without removing the file, as a killed process would.
    const std::string path =
        WindowEndpoint::socketPath("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    EXPECT_FALSE(WindowEndpoint::exists("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window"));
    EXPECT_FALSE(WindowEndpoint::post("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window",
                                      {kWmTrayNotify, 0, 515}));
    auto endpoint = WindowEndpoint::create("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window",
                                           [](const WindowMessage&) { return std::int64_t{7}; });
    ASSERT_NE(endpoint, nullptr);
    EXPECT_EQ(WindowEndpoint::send("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window", {1, 0, 0}), 7);
    endpoint->close();
    EXPECT_FALSE(WindowEndpoint::exists("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window"));
}

// A raw client connection to a window, as a misbehaving local program would open it.
int connectRaw(const std::string& className, const std::string& title) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = WindowEndpoint::socketPath(className, title);
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the endpoint has closed a raw connection (it reads end of file or an error).
bool closedByEndpoint(int fd) {
    timeval tv{0, 10000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    char byte = 0;
    return ::recv(fd, &byte, 1, 0) <= 0 && errno != EAGAIN;
}

TEST_F(WindowEndpointTest, IdleAndTricklingClientsDelayNoOtherMessage) {
    auto endpoint = WindowEndpoint::create("Ambrin+", "Ambrin+",
                                           [](const WindowMessage& m) { return m.wParam; });
    ASSERT_NE(endpoint, nullptr);
    std::vector<int> idle;
    for (int i = 0; i < 100; ++i) {
        idle.push_back(connectRaw("Ambrin+", "Ambrin+"));
        ASSERT_GE(idle.back(), 0) << i;
    }
    // A client that sends a frame one byte at a time, slower than the frame deadline allows.
    const int trickle = connectRaw("Ambrin+", "Ambrin+");
    ASSERT_GE(trickle, 0);
    std::atomic<bool> trickleCut{false};
    std::thread trickler([&] {
        for (int i = 0; i < 24; ++i) {
            const char byte = 'W';
            if (::send(trickle, &byte, 1, MSG_NOSIGNAL) != 1) {
                trickleCut = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });

    // Every message is answered while they sit there, each well within its own time-out.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(WindowEndpoint::send("Ambrin+", "Ambrin+", {kWmCommand, 40 + i, 0},
                                       std::chrono::milliseconds(500)),
                  40 + i);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    trickler.join();
    EXPECT_TRUE(trickleCut.load()) << "a frame trickling in past its deadline was kept open";
    // The oldest idle connections made room for newer ones at once; all of them went at their
    // deadline.
    for (int fd : idle) {
        EXPECT_TRUE(closedByEndpoint(fd));
        ::close(fd);
    }
    ::close(trickle);
}

TEST_F(WindowEndpointTest, GarbageFromAClientDoesNotStopTheListener) {
    auto endpoint = WindowEndpoint::create("Ambrin+", "Ambrin+",
                                           [](const WindowMessage&) { return std::int64_t{5}; });
    ASSERT_NE(endpoint, nullptr);
    const int fd = connectRaw("Ambrin+", "Ambrin+");
    ASSERT_GE(fd, 0);
    const char junk[40] = "this is not a window message at all";
    ASSERT_GT(::write(fd, junk, sizeof junk), 0);
    ::close(fd);
    EXPECT_EQ(WindowEndpoint::send("Ambrin+", "Ambrin+", {kWmCommand, 0, 0}), 5);
}

}  // namespace
}  // namespace ambrin
