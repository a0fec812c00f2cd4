#include "records/ui/CallContentsPage.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/TextHelpers.h"
#include "records/CallContentList.h"
#include "ui_CallContentsPage.h"

namespace ambrin {

CallContentsPage::CallContentsPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent),
      m_ui(std::make_unique<Ui::CallContentsPage>()),
      m_contents(host.context().callContents) {
    m_ui->setupUi(this);
    if (m_contents != nullptr) {
        for (const std::string& slot : m_contents->slots()) {
            if (!slot.empty()) {
                m_ui->listContents->addItem(QString::fromStdString(slot));
            }
        }
    }
    setEnabled(m_contents != nullptr);
    connect(m_ui->editContent, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_ui->buttonAdd->setEnabled(!TrimBlanks(text.toStdString()).empty());
    });
    connect(m_ui->listContents, &QListWidget::itemSelectionChanged, this, [this] {
        m_ui->buttonDelete->setEnabled(!m_ui->listContents->selectedItems().isEmpty());
    });
    connect(m_ui->buttonAdd, &QPushButton::clicked, this, &CallContentsPage::add);
    connect(m_ui->buttonDelete, &QPushButton::clicked, this, &CallContentsPage::askDelete);
}

CallContentsPage::~CallContentsPage() = default;

bool CallContentsPage::returnPressed(QWidget* focus) {
    if (focus != m_ui->editContent) {
        return false;
    }
    add();
    return true;
}

void CallContentsPage::add() {
    if (m_contents == nullptr) {
        return;
    }
    if (m_ui->listContents->count() >= static_cast<int>(CallContentList::kSlotCount)) {
        showStringMessage(str::kContentLimitReached, kMbOk | kMbIconWarning);
        return;
    }
    const std::string text = TrimBlanks(m_ui->editContent->text().toStdString());
    if (text.empty() || m_contents->ContainsContent(text) || !m_contents->AddContent(text)) {
        return;
    }
    m_ui->listContents->addItem(QString::fromStdString(text));
    m_ui->listContents->setCurrentRow(m_ui->listContents->count() - 1);
    m_ui->editContent->clear();
    m_contents->SaveContents();
}

void CallContentsPage::askDelete() {
    if (m_ui->listContents->currentItem() == nullptr) {
        return;
    }
    if (showStringMessage(str::kContentDeleteQuestion, kMbYesNo | kMbIconQuestion) == kIdYes) {
        deleteSelected();
    }
}

void CallContentsPage::deleteSelected() {
    QListWidget* list = m_ui->listContents;
    QListWidgetItem* item = list->currentItem();
    if (item == nullptr || m_contents == nullptr ||
        !m_contents->RemoveContent(item->text().toStdString())) {
        return;
    }
    const int row = list->row(item);
    delete list->takeItem(row);
    m_contents->SaveContents();
    if (list->count() > 0) {
        list->setCurrentRow(std::min(row, list->count() - 1));
    }
}

}  // namespace ambrin
