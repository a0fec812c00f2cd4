#include "skin/FontResource.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace ambrin {

std::shared_ptr<FontResource> FontResource::create(const std::string& name, const std::string& face,
                                                   const std::string& fontFile) {
    std::shared_ptr<FontResource> font(new FontResource);
    font->m_name = name;
    font->m_family = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    if (QGuiApplication::instance() == nullptr) {
        return fontFile.empty() ? font : nullptr;
    }
    if (!fontFile.empty()) {
        font->m_fontId = QFontDatabase::addApplicationFont(QString::fromStdString(fontFile));
        if (font->m_fontId < 0) {
            return nullptr;
        }
    }
    for (const QString& family : QFontDatabase::families()) {
        if (family.compare(font->m_family, Qt::CaseInsensitive) == 0) {
            font->m_family = family;
            font->m_found = true;
            break;
        }
    }
    return font;
}

FontResource::~FontResource() {
    if (m_fontId >= 0 && QGuiApplication::instance() != nullptr) {
        QFontDatabase::removeApplicationFont(m_fontId);
    }
}

}  // namespace ambrin
