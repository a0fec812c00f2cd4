#pragma once

#include <QString>
#include <string>

class QPlainTextEdit;

namespace ambrin {

// Between the records' UTF-8 texts and the fields of the records' windows.
inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The first `limit` characters of a field's text, as UTF-8.
inline std::string toUtf8(const QString& text, int limit) {
    return text.left(limit).toStdString();
}

// Keeps a multi-line box at `limit` characters (a plain-text box has no length limit of its
// own): connect it to the box's textChanged. The cursor stays where it was, at most at the end.
void limitPlainText(QPlainTextEdit* edit, int limit);

}  // namespace ambrin
