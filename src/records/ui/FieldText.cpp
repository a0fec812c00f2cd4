#include "records/ui/FieldText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
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

void InformationFields::limitInput(QObject* owner) const {
    for (QLineEdit* edit : {name, phone, organize, address}) {
        edit->setMaxLength(kShortFieldLimit);
    }
    for (QLineEdit* edit : {etc1, etc2}) {
        edit->setMaxLength(kLongFieldLimit);
    }
    QPlainTextEdit* const box = contents;
    QObject::connect(box, &QPlainTextEdit::textChanged, owner,
                     [box] { limitPlainText(box, kLongFieldLimit); });
}

void InformationFields::setLabels(const DisplayNames& names) const {
    std::size_t field = 3;  // Name
    for (QLabel* label : labels) {
        const std::string& text = names[field++];
        if (!text.empty()) {
            label->setText(fromUtf8(text) + QStringLiteral(" :"));
        }
    }
}

void InformationFields::show(const CallRecord& record) const {
    inbound->setChecked(record.callType == kCallInbound);
    outbound->setChecked(record.callType == kCallOutbound);
    unknown->setChecked(record.callType != kCallInbound && record.callType != kCallOutbound);
    name->setText(fromUtf8(record.name));
    phone->setText(fromUtf8(record.cid));
    organize->setText(fromUtf8(record.organize));
    address->setText(fromUtf8(record.address));
    contents->setPlainText(fromUtf8(record.contents));
    etc1->setText(fromUtf8(record.etc1));
    etc2->setText(fromUtf8(record.etc2));
}

void InformationFields::read(CallRecord& record) const {
    record.callType = inbound->isChecked()    ? kCallInbound
                      : outbound->isChecked() ? kCallOutbound
                                              : kCallUnknown;
    record.name = toUtf8(name->text(), kShortFieldRead);
    record.cid = toUtf8(phone->text(), kShortFieldRead);
    record.organize = toUtf8(organize->text(), kShortFieldRead);
    record.address = toUtf8(address->text(), kShortFieldRead);
    record.contents = toUtf8(contents->toPlainText(), kLongFieldRead);
    record.etc1 = toUtf8(etc1->text(), kLongFieldRead);
    record.etc2 = toUtf8(etc2->text(), kLongFieldRead);
}

}  // namespace ambrin
