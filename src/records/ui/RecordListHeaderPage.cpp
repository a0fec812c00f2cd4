#include "records/ui/RecordListHeaderPage.h"

#include <QLineEdit>
#include <QTreeWidget>

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "ui_RecordListHeaderPage.h"

namespace ambrin {

namespace {

constexpr int kColumnWidth = 110;
constexpr int kNameRead = 258;

}  // namespace

RecordListHeaderPage::RecordListHeaderPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent),
      m_ui(std::make_unique<Ui::RecordListHeaderPage>()),
      m_itemNames(defaultDisplayNames()) {
    m_ui->setupUi(this);
    const std::string titles = loadString(str::kHeaderListColumns);
    m_ui->listNames->setHeaderLabels(
        {QString::fromStdString(fieldAt(titles, 0)), QString::fromStdString(fieldAt(titles, 1))});
    m_ui->listNames->setColumnWidth(0, kColumnWidth);
    m_ui->listNames->setColumnWidth(1, kColumnWidth);
    const DisplayNames& names = edited().displayNames;
    for (size_t field = 0; field < kDisplayNameCount; ++field) {
        new QTreeWidgetItem(m_ui->listNames, {QString::fromStdString(m_itemNames[field]),
                                              QString::fromStdString(names[field])});
    }
    connect(m_ui->listNames, &QTreeWidget::currentItemChanged, this,
            &RecordListHeaderPage::rowChosen);
    connect(m_ui->editDisplayName, &QLineEdit::textEdited, this, &RecordListHeaderPage::nameEdited);
    m_ui->listNames->setCurrentItem(m_ui->listNames->topLevelItem(0));
}

RecordListHeaderPage::~RecordListHeaderPage() = default;

void RecordListHeaderPage::rowChosen() {
    const int row = m_ui->listNames->indexOfTopLevelItem(m_ui->listNames->currentItem());
    if (row < 0) {
        return;
    }
    const auto field = static_cast<size_t>(row);
    m_ui->editItemName->setText(QString::fromStdString(m_itemNames[field]));
    m_ui->editDisplayName->setText(QString::fromStdString(edited().displayNames[field]));
    m_ui->editDisplayName->setEnabled(field >= kFirstRenamable && field <= kLastRenamable);
}

void RecordListHeaderPage::nameEdited(const QString& text) {
    QTreeWidgetItem* item = m_ui->listNames->currentItem();
    const int row = m_ui->listNames->indexOfTopLevelItem(item);
    if (row < static_cast<int>(kFirstRenamable) || row > static_cast<int>(kLastRenamable)) {
        return;
    }
    const std::string name = text.left(kNameRead).toStdString();
    std::string& field = edited().displayNames[static_cast<size_t>(row)];
    if (!name.empty() && name.find(';') == std::string::npos) {
        field = name;
    }
    item->setText(1, QString::fromStdString(field));
    host().valuesChanged();
}

}  // namespace ambrin
