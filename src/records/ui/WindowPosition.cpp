#include "records/ui/WindowPosition.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdio>

#include "core/SettingsStore.h"

namespace ambrin {

namespace {

constexpr int kEdgeMargin = 10;

}  // namespace

std::optional<QPoint> storedWindowPosition(const std::string& text, const QSize& screen) {
    int x = -1;
    int y = -1;
    if (std::sscanf(text.c_str(), " %d , %d", &x, &y) != 2) {
        return std::nullopt;
    }
    if (x < 0 || y < 0 || x > screen.width() - kEdgeMargin || y > screen.height() - kEdgeMargin) {
        return std::nullopt;
    }
    return QPoint(x, y);
}

void placeAtStoredPosition(QWidget& window, const SettingsStore* settings, const char* name) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    std::string stored;
    if (settings != nullptr) {
        settings->readString(name, stored);
    }
    if (const auto position = storedWindowPosition(stored, area.size())) {
        window.move(*position);
    } else {
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

void storeWindowPosition(const QWidget& window, SettingsStore* settings, const char* name) {
    if (settings != nullptr) {
        const QPoint at = window.pos();
        settings->writeString(name, std::to_string(at.x()) + "," + std::to_string(at.y()));
    }
}

}  // namespace ambrin
