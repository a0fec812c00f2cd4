#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ambrin {

// Window messages the program exchanges between processes.
inline constexpr std::uint32_t kWmCommand = 0x0111;
// Private: show the window normally and bring it to the front (a second start that finds
// the main window but no tray window asks for this).
inline constexpr std::uint32_t kWmShowNormal = 0x8001;
// The tray window's private message; lParam carries a mouse message number.
inline constexpr std::uint32_t kWmTrayNotify = 1690;
inline constexpr std::int64_t kWmLButtonDblClk = 515;
inline constexpr std::int64_t kWmRButtonUp = 517;

struct WindowMessage {
    std::uint32_t message = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

// A window that other processes of the same user can find by class and title (compared
// without case) and send messages to. Each one is a Unix-domain socket in
// $XDG_RUNTIME_DIR/ambrin/ (a folder only the user may enter); finding a window means
// connecting to its socket, so a socket left by a crashed process is not found.
//
// The listener serves every connection at once: each one carries one message, which must
// arrive whole within kFrameDeadline; past kMaxConnections the one quiet longest is closed.
// So no slow or silent client can keep another's message waiting.
class WindowEndpoint {
  public:
    static constexpr std::size_t kMaxConnections = 32;
    static constexpr std::chrono::milliseconds kFrameDeadline{1000};

    // Called on the endpoint's own listener thread, one message at a time; the result goes
    // back to a sender. Must not wait for long: post work elsewhere.
    using Handler = std::function<std::int64_t(const WindowMessage&)>;

    // Publishes a window. Null (with a reason in `error`) when the socket cannot be made or
    // a live window with the same class and title exists.
    static std::unique_ptr<WindowEndpoint> create(std::string_view className,
                                                  std::string_view title, Handler handler,
                                                  std::string* error = nullptr);
    ~WindowEndpoint();
    WindowEndpoint(const WindowEndpoint&) = delete;
    WindowEndpoint& operator=(const WindowEndpoint&) = delete;

    // Stops listening and removes the socket. Must not be called from the handler.
    void close();

    static bool exists(std::string_view className, std::string_view title);
    // Delivers without waiting for the handler.
    static bool post(std::string_view className, std::string_view title,
                     const WindowMessage& message);
    // Delivers and waits for the handler's result.
    static std::optional<std::int64_t> send(
        std::string_view className, std::string_view title, const WindowMessage& message,
        std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // $XDG_RUNTIME_DIR/ambrin, created with mode 0700 when missing.
    static std::string folder();
    static std::string socketPath(std::string_view className, std::string_view title);

  private:
    struct Impl;
    explicit WindowEndpoint(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace ambrin
