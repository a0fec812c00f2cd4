#pragma once

#include <QString>
#include <array>
#include <string>

#include "core/CallRecord.h"
#include "records/OptionValues.h"

class QLabel;
class QLineEdit;
class QObject;
class QPlainTextEdit;
class QRadioButton;

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

// Input limits of a call's information fields in characters, and what OK takes from them.
inline constexpr int kShortFieldLimit = 260;
inline constexpr int kLongFieldLimit = 520;
inline constexpr int kShortFieldRead = 258;
inline constexpr int kLongFieldRead = 518;

// The widgets of a call's information, Name to ETC2 and the call type, as both record windows
// (the one asking during a call and the record list's editor) have them.
struct InformationFields {
    QLineEdit* name;  // a customer list's own line where the window offers one
    QLineEdit* phone;
    QLineEdit* organize;
    QLineEdit* address;
    QPlainTextEdit* contents;
    QLineEdit* etc1;
    QLineEdit* etc2;
    QRadioButton* inbound;
    QRadioButton* outbound;
    QRadioButton* unknown;
    std::array<QLabel*, 7> labels;  // of Name to ETC2

    // The input limits; Contents is kept within its own for as long as `owner` lives.
    void limitInput(QObject* owner) const;
    // Labels from display names 3 to 9 followed by " :"; an empty name keeps the form's text.
    void setLabels(const DisplayNames& names) const;
    void show(const CallRecord& record) const;
    // Name to ETC2 cut to their read lengths, and the call type; the rest of `record` is kept.
    void read(CallRecord& record) const;
};

// The fields of a form (a Designer class) that names its widgets as both record windows do.
template <typename Form>
InformationFields informationFieldsOf(Form& form, QLineEdit* name) {
    return {name,
            form.editPhone,
            form.editOrganize,
            form.editAddress,
            form.editContents,
            form.editEtc1,
            form.editEtc2,
            form.radioInbound,
            form.radioOutbound,
            form.radioUnknown,
            {form.labelName, form.labelPhone, form.labelOrganize, form.labelAddress,
             form.labelContents, form.labelEtc1, form.labelEtc2}};
}

}  // namespace ambrin
