#include "platform/WindowEndpoint.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

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
    // A send after a post is handled after it: the listener takes one message at a time.
    EXPECT_TRUE(WindowEndpoint::send("Ambrin+", "Ambrin+", {kWmCommand, 1, 1}).has_value());
    EXPECT_EQ(posted.load(), 1);

    // A second live window of the same class and title is refused.
    EXPECT_EQ(WindowEndpoint::create("ambrin+", "AMBRIN+", nullptr), nullptr);
}

TEST_F(WindowEndpointTest, ASocketLeftByACrashedProcessIsNotAWindow) {
    // Bind a socket and close it without removing the file, as a killed process would.
    const std::string path = WindowEndpoint::socketPath("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    EXPECT_FALSE(WindowEndpoint::exists("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window"));
    EXPECT_FALSE(WindowEndpoint::post("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window", {kWmTrayNotify, 0, 515}));
    auto endpoint = WindowEndpoint::create("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window",
                                           [](const WindowMessage&) { return std::int64_t{7}; });
    ASSERT_NE(endpoint, nullptr);
    EXPECT_EQ(WindowEndpoint::send("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window", {1, 0, 0}), 7);
    endpoint->close();
    EXPECT_FALSE(WindowEndpoint::exists("Mirelo_TrayUI", "Mirelo_TrayUI Hidden Window"));
}

TEST_F(WindowEndpointTest, GarbageFromAClientDoesNotStopTheListener) {
    auto endpoint = WindowEndpoint::create("Ambrin+", "Ambrin+", [](const WindowMessage&) { return std::int64_t{5}; });
    ASSERT_NE(endpoint, nullptr);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = WindowEndpoint::socketPath("Ambrin+", "Ambrin+");
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const char junk[40] = "this is not a window message at all";
    ASSERT_GT(::write(fd, junk, sizeof junk), 0);
    ::close(fd);
    EXPECT_EQ(WindowEndpoint::send("Ambrin+", "Ambrin+", {kWmCommand, 0, 0}), 5);
}

}  // namespace
}  // namespace ambrin
