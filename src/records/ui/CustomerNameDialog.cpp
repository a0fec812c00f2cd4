#include "records/ui/CustomerNameDialog.h"

#include "platform/TextHelpers.h"
#include "ui_CustomerNameDialog.h"

namespace ambrin {

CustomerNameDialog::CustomerNameDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CustomerNameDialog>()) {
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &CustomerNameDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CustomerNameDialog::~CustomerNameDialog() = default;

void CustomerNameDialog::accept() {
    const std::string name = TrimBlanks(m_ui->editName->text().left(258).toStdString());
    if (name.empty()) {
        return;  // a name is needed
    }
    m_name = name;
    QDialog::accept();
}

}  // namespace ambrin
