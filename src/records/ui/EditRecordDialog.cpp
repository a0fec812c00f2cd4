#include "records/ui/EditRecordDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "records/ui/FieldText.h"
#include "ui_EditRecordDialog.h"

namespace ambrin {

EditRecordDialog::EditRecordDialog(const DisplayNames& names, const CallRecord& record,
                                   QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::EditRecordDialog>()),
      m_totalTime(record.totalTime) {
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->editContents, &QPlainTextEdit::textChanged, this,
            [this] { limitPlainText(m_ui->editContents, kLongFieldLimit); });

    QLabel* const labels[] = {m_ui->labelName,    m_ui->labelPhone,    m_ui->labelOrganize,
                              m_ui->labelAddress, m_ui->labelContents, m_ui->labelEtc1,
                              m_ui->labelEtc2};
    int field = kFieldName;
    for (QLabel* label : labels) {
        const std::string& name = names[static_cast<size_t>(field++)];
        if (!name.empty()) {
            label->setText(fromUtf8(name) + QStringLiteral(" :"));
        }
    }
    for (QLineEdit* edit :
         {m_ui->editName, m_ui->editPhone, m_ui->editOrganize, m_ui->editAddress}) {
        edit->setMaxLength(kShortFieldLimit);
    }
    for (QLineEdit* edit : {m_ui->editEtc1, m_ui->editEtc2}) {
        edit->setMaxLength(kLongFieldLimit);
    }
    m_ui->radioInbound->setChecked(record.callType == kCallInbound);
    m_ui->radioOutbound->setChecked(record.callType == kCallOutbound);
    m_ui->radioUnknown->setChecked(record.callType != kCallInbound &&
                                   record.callType != kCallOutbound);
    m_ui->editName->setText(fromUtf8(record.name));
    m_ui->editPhone->setText(fromUtf8(record.cid));
    m_ui->editOrganize->setText(fromUtf8(record.organize));
    m_ui->editAddress->setText(fromUtf8(record.address));
    m_ui->editContents->setPlainText(fromUtf8(record.contents));
    m_ui->editEtc1->setText(fromUtf8(record.etc1));
    m_ui->editEtc2->setText(fromUtf8(record.etc2));
    m_ui->editPath->setText(fromUtf8(record.fileName));
    m_ui->editName->setFocus();
}

EditRecordDialog::~EditRecordDialog() = default;

CallRecord EditRecordDialog::record() const {
    CallRecord record;
    record.callType = m_ui->radioInbound->isChecked()    ? kCallInbound
                      : m_ui->radioOutbound->isChecked() ? kCallOutbound
                                                         : kCallUnknown;
    record.name = toUtf8(m_ui->editName->text(), kShortFieldRead);
    record.cid = toUtf8(m_ui->editPhone->text(), kShortFieldRead);
    record.organize = toUtf8(m_ui->editOrganize->text(), kShortFieldRead);
    record.address = toUtf8(m_ui->editAddress->text(), kShortFieldRead);
    record.contents = toUtf8(m_ui->editContents->toPlainText(), kLongFieldRead);
    record.etc1 = toUtf8(m_ui->editEtc1->text(), kLongFieldRead);
    record.etc2 = toUtf8(m_ui->editEtc2->text(), kLongFieldRead);
    record.fileName = toUtf8(m_ui->editPath->text(), kShortFieldRead);
    record.totalTime = m_totalTime;
    return record;
}

bool EditRecordDialog::edit(const DisplayNames& names, CallRecord& record, QWidget* parent) {
    EditRecordDialog dialog(names, record, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    record = dialog.record();
    return true;
}

}  // namespace ambrin
