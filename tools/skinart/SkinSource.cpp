#include "SkinSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace skinart {

namespace {

QRect boxOf(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    return a.size() == 4 ? QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()) : QRect();
}

// [left, top, right, bottom], as the description writes rectangles.
QRect edgesOf(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    return a.size() == 4 ? QRect(QPoint(a[0].toInt(), a[1].toInt()),
                                 QPoint(a[2].toInt() - 1, a[3].toInt() - 1))
                         : QRect();
}

Control controlOf(const QJsonObject& o) {
    Control c;
    c.name = o["name"].toString();
    c.look = o["look"].toString();
    c.glyph = o["glyph"].toString();
    for (const QJsonValue& s : o["states"].toArray()) {
        c.states << s.toString();
    }
    if (o.contains("rect")) {
        c.rect = edgesOf(o["rect"]);
    } else {
        const QJsonArray pos = o["pos"].toArray();
        const QJsonArray size = o["size"].toArray();
        c.rect = QRect(pos[0].toInt(), pos[1].toInt(), size[0].toInt(), size[1].toInt());
    }
    c.tooltip = o["tip"].toString();
    c.changeWindow = o["window"].toString();
    c.font = o["font"].toString();
    c.colour = o["color"].toString();
    c.bold = o["bold"].toBool();
    c.align = o["align"].toString();
    c.thumb = o["thumb"].toInt();
    return c;
}

}  // namespace

bool Control::isButton() const {
    return look == "key" || look == "tool" || look == "close" || look == "chip" || look == "logo" ||
           look == "grip";
}

QString Control::element() const {
    if (look == "slider") {
        return "OSLIDERC";
    }
    if (look == "text") {
        return "OTEXTC";
    }
    if (look == "meter") {
        return "OLEVELMETERC";
    }
    return isMultiState() ? "OMULTISTATEC" : "OBUTTONC";
}

const Control* Window::control(const QString& controlName) const {
    for (const Control& c : controls) {
        if (c.name == controlName) {
            return &c;
        }
    }
    return nullptr;
}

bool loadSkinSource(const QString& path, Skin& skin, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + ": cannot be read";
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (document.isNull()) {
        error =
            path + ": " + parseError.errorString() + " at " + QString::number(parseError.offset);
        return false;
    }
    const QJsonObject root = document.object();
    skin = Skin{};
    skin.folder = QFileInfo(path).dir().dirName();
    skin.package = root["package"].toString();
    const QJsonObject info = root["info"].toObject();
    skin.displayName = info["name"].toString();
    skin.author = info["author"].toString();
    skin.email = info["email"].toString();
    skin.date = info["date"].toString();
    skin.palette = root["palette"].toString();
    for (const QJsonValue& f : root["fonts"].toArray()) {
        skin.fonts.append({f["name"].toString(), f["face"].toString()});
    }
    for (const QJsonValue& w : root["windows"].toArray()) {
        Window window;
        window.name = w["name"].toString();
        window.image = w["image"].toString();
        const QJsonArray size = w["size"].toArray();
        window.size = QSize(size[0].toInt(), size[1].toInt());
        window.radius = w["radius"].toInt();
        for (const QJsonValue& d : w["decorations"].toArray()) {
            window.decorations.append(
                {d["kind"].toString(), d["glyph"].toString(), boxOf(d["box"])});
        }
        for (const QJsonValue& c : w["controls"].toArray()) {
            window.controls.append(controlOf(c.toObject()));
        }
        skin.windows.append(window);
    }
    if (skin.package.isEmpty() || skin.windows.isEmpty() || skin.fonts.isEmpty()) {
        error = path + ": a package name, fonts and windows are needed";
        return false;
    }
    for (const Window& window : skin.windows) {
        if (window.name.isEmpty() || window.image.isEmpty() || window.size.isEmpty()) {
            error = path + ": every window needs a name, an image name and a size";
            return false;
        }
        for (const Control& c : window.controls) {
            if (c.name.isEmpty() || c.rect.isEmpty()) {
                error = path + ": a control of " + window.name + " has no name or no size";
                return false;
            }
        }
    }
    return true;
}

}  // namespace skinart
