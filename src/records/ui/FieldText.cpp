#include "records/ui/FieldText.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <algorithm>

namespace ambrin {

void limitPlainText(QPlainTextEdit* edit, int limit) {
    const QString text = edit->toPlainText();
    if (text.size() <= limit) {
        return;
    }
    QTextCursor cursor = edit->textCursor();
    const int position = std::min(cursor.position(), limit);
    const QSignalBlocker blocker(edit);
    edit->setPlainText(text.left(limit));
    cursor = edit->textCursor();
    cursor.setPosition(position);
    edit->setTextCursor(cursor);
}

}  // namespace ambrin
