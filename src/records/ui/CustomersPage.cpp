#include "records/ui/CustomersPage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/CustomerNames.h"
#include "records/RecordDatabase.h"
#include "records/ui/CustomerNameDialog.h"
#include "ui_CustomersPage.h"

namespace ambrin {

namespace {

constexpr int kFieldRead = 258;
constexpr int kNameColumnWidth = 120;

}  // namespace

CustomersPage::CustomersPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::CustomersPage>()) {
    m_ui->setupUi(this);
    m_ui->listCustomers->setHeaderLabels(
        {QString::fromStdString(loadString(str::kCustomerNameColumn))});
    m_ui->listCustomers->setColumnWidth(0, kNameColumnWidth);
    m_ui->listCustomers->sortByColumn(0, Qt::AscendingOrder);
    fillList();
    connect(m_ui->listCustomers, &QTreeWidget::currentItemChanged, this,
            &CustomersPage::customerChosen);
    connect(m_ui->buttonAdd, &QPushButton::clicked, this, &CustomersPage::askName);
    connect(m_ui->buttonDelete, &QPushButton::clicked, this, &CustomersPage::askDelete);
    connect(m_ui->buttonSave, &QPushButton::clicked, this, &CustomersPage::save);
    selectRow(0);
    customerChosen();
}

CustomersPage::~CustomersPage() = default;

void CustomersPage::pageShown() {
    fillLabels();
}

void CustomersPage::fillLabels() {
    const DisplayNames& names = host().savedValues().displayNames;
    const std::pair<QLabel*, size_t> labels[] = {{m_ui->labelPhone, 4},
                                                 {m_ui->labelOrganize, 5},
                                                 {m_ui->labelAddress, 6},
                                                 {m_ui->labelEtc1, 8},
                                                 {m_ui->labelEtc2, 9}};
    for (const auto& [label, field] : labels) {
        if (!names[field].empty()) {
            label->setText(QString::fromStdString(names[field]) + QStringLiteral(" :"));
        }
    }
}

void CustomersPage::fillList() {
    RecordDatabase database(host().context());
    if (!database.BeginCustomers()) {
        return;
    }
    std::string name;
    CustomerRecord customer;
    while (database.NextCustomer(name, customer)) {
        new QTreeWidgetItem(m_ui->listCustomers, {QString::fromStdString(name)});
    }
    database.EndIteration();
}

void CustomersPage::selectRow(int row) {
    QTreeWidget* list = m_ui->listCustomers;
    const int count = list->topLevelItemCount();
    if (count == 0) {
        list->setCurrentItem(nullptr);
        return;
    }
    list->setCurrentItem(list->topLevelItem(std::clamp(row, 0, count - 1)));
}

void CustomersPage::customerChosen() {
    QTreeWidgetItem* item = m_ui->listCustomers->currentItem();
    CustomerRecord customer;
    if (item != nullptr) {
        RecordDatabase(host().context()).FindCustomer(item->text(0).toStdString(), customer);
    }
    m_ui->editPhone->setText(QString::fromStdString(customer.cid));
    m_ui->editOrganize->setText(QString::fromStdString(customer.organize));
    m_ui->editAddress->setText(QString::fromStdString(customer.address));
    m_ui->editEtc1->setText(QString::fromStdString(customer.etc1));
    m_ui->editEtc2->setText(QString::fromStdString(customer.etc2));
}

void CustomersPage::askName() {
    CustomerNameDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
        addCustomer(dialog.name());
    }
}

void CustomersPage::addCustomer(const std::string& name) {
    const std::string added = addCustomerWithFreeName(host().context(), name);
    if (added.empty()) {
        return;
    }
    auto* item = new QTreeWidgetItem(m_ui->listCustomers, {QString::fromStdString(added)});
    m_ui->listCustomers->setCurrentItem(item);
}

void CustomersPage::askDelete() {
    if (m_ui->listCustomers->currentItem() == nullptr) {
        return;
    }
    if (showStringMessage(str::kCustomerDeleteQuestion, kMbYesNo | kMbIconQuestion) == kIdYes) {
        deleteSelected();
    }
}

void CustomersPage::deleteSelected() {
    QTreeWidget* list = m_ui->listCustomers;
    QTreeWidgetItem* item = list->currentItem();
    if (item == nullptr) {
        return;
    }
    if (!RecordDatabase(host().context()).DeleteCustomer(item->text(0).toStdString())) {
        return;
    }
    const int row = list->indexOfTopLevelItem(item);
    delete item;
    selectRow(row);
    customerChosen();
}

void CustomersPage::save() {
    QTreeWidgetItem* item = m_ui->listCustomers->currentItem();
    if (item == nullptr) {
        return;
    }
    const auto read = [](const QLineEdit* edit) {
        return edit->text().left(kFieldRead).toStdString();
    };
    const CustomerRecord customer{read(m_ui->editPhone), read(m_ui->editOrganize),
                                  read(m_ui->editAddress), read(m_ui->editEtc1),
                                  read(m_ui->editEtc2)};
    RecordDatabase(host().context()).UpdateCustomer(item->text(0).toStdString(), customer);
}

}  // namespace ambrin
