#include "app/GuiSupport.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Semaphore.h"

namespace ambrin {

namespace {

bool canConnect(const std::string& path, bool abstractFirst) {
    for (int attempt = abstractFirst ? 0 : 1; attempt < 2; ++attempt) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        // X servers also listen on the abstract name "\0/tmp/.X11-unix/X<n>".
        const size_t offset = attempt == 0 ? 1 : 0;
        if (path.size() + offset >= sizeof addr.sun_path) {
            continue;
        }
        std::memcpy(addr.sun_path + offset, path.data(), path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), length) == 0;
        ::close(fd);
        if (ok) {
            return true;
        }
    }
    return false;
}

int runBox(const MessageRequest& request) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(request.caption));
    box.setText(QString::fromStdString(request.text));
    const unsigned icon = request.flags & 0xF0;
    box.setIcon(icon == kMbIconWarning       ? QMessageBox::Warning
                : icon == kMbIconQuestion    ? QMessageBox::Question
                : icon == kMbIconError       ? QMessageBox::Critical
                : icon == kMbIconInformation ? QMessageBox::Information
                                             : QMessageBox::NoIcon);
    if ((request.flags & 0xF) == kMbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((request.flags & kMbDefButton2) != 0 ? QMessageBox::No
                                                                  : QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    if (!request.hasOwner) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        return kIdYes;
    }
    if (answer == QMessageBox::No) {
        return kIdNo;
    }
    return kIdOk;
}

}  // namespace

bool displayAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        return true;
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland != nullptr && *wayland != '\0') {
        const std::string path = wayland[0] == '/' ? wayland : runtimeFolder() + "/" + wayland;
        if (canConnect(path, false)) {
            return true;
        }
    }
    return xDisplayReachable();
}

bool xDisplayReachable() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    const std::string name = display;
    if (name[0] != ':') {
        return true;  // a display on another host: let the toolkit try
    }
    const std::string number = name.substr(1, name.find('.') - 1);
    return canConnect("/tmp/.X11-unix/X" + number, true);
}

void chooseWindowPlatform() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || *platform == '\0') && xDisplayReachable()) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}

void installGuiMessagePresenter() {
    setMessagePresenter([](const MessageRequest& request) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return defaultAnswer(request.flags);
        }
        if (QThread::currentThread() == app->thread()) {
            return runBox(request);
        }
        int answer = defaultAnswer(request.flags);
        QMetaObject::invokeMethod(
            app, [&answer, &request] { answer = runBox(request); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}

void runGuiUntilReleased(Semaphore& exitSemaphore) {
    exitSemaphore.setReleaseHook([] {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
        }
    });
    if (!exitSemaphore.tryAcquireFor(std::chrono::milliseconds(0))) {
        QApplication::exec();
        exitSemaphore.tryAcquireFor(std::chrono::milliseconds(0));
    }
    exitSemaphore.setReleaseHook({});
}

}  // namespace ambrin
