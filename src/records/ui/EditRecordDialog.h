#pragma once

#include <QDialog>
#include <memory>

#include "core/CallRecord.h"
#include "records/RecordFields.h"

namespace Ui {
class EditRecordDialog;
}

namespace ambrin {

// "Edit Recording Information": the information of one stored call, its recording's path
// shown read-only. Lives on the GUI thread.
class EditRecordDialog : public QDialog {
    Q_OBJECT

  public:
    // The labels of the seven information fields are display names 3 to 9 followed by " :".
    EditRecordDialog(const DisplayNames& names, const CallRecord& record,
                     QWidget* parent = nullptr);
    ~EditRecordDialog() override;

    // The fields as OK reads them; TotalTime as it came in.
    CallRecord record() const;

    // Shows the dialog modally; true and `record` edited on OK, false on Cancel.
    static bool edit(const DisplayNames& names, CallRecord& record, QWidget* parent);

  private:
    std::unique_ptr<Ui::EditRecordDialog> m_ui;
    int m_totalTime = 0;
};

}  // namespace ambrin
