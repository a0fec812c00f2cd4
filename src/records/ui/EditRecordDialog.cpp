#include "records/ui/EditRecordDialog.h"

#include <QLineEdit>

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
    const InformationFields fields = informationFieldsOf(*m_ui, m_ui->editName);
    fields.limitInput(this);
    fields.setLabels(names);
    fields.show(record);
    m_ui->editPath->setText(fromUtf8(record.fileName));
    m_ui->editName->setFocus();
}

EditRecordDialog::~EditRecordDialog() = default;

CallRecord EditRecordDialog::record() const {
    CallRecord record;
    informationFieldsOf(*m_ui, m_ui->editName).read(record);
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
