#pragma once

#include <QString>
#include <memory>
#include <string>

namespace ambrin {

// One font of a skin ("OFONTRES"): the face its text fields use and, when the skin ships
// one, the font file added to the program's font table for as long as the resource lives.
// Created and destroyed on the GUI thread (the font table needs a QGuiApplication).
class FontResource {
  public:
    // Adds `fontFile` when not empty; nothing when it cannot be added. Without a file, or
    // when the face is not among the families, `face` is used as given and the font
    // system picks its nearest match.
    static std::shared_ptr<FontResource> create(const std::string& name, const std::string& face,
                                                const std::string& fontFile);
    ~FontResource();
    FontResource(const FontResource&) = delete;
    FontResource& operator=(const FontResource&) = delete;

    const std::string& name() const { return m_name; }
    // The family to draw with: the face as the font table spells it.
    const QString& family() const { return m_family; }
    // True when the face is one of the families the font table knows.
    bool found() const { return m_found; }
    // The font table's id of the added file, -1 without one.
    int fontId() const { return m_fontId; }

  private:
    FontResource() = default;

    std::string m_name;
    QString m_family;
    bool m_found = false;
    int m_fontId = -1;  // from addApplicationFont; -1 without a file
};

}  // namespace ambrin
