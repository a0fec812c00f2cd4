#include "app/OptionsDialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/ui/WindowPosition.h"
#include "skin/SkinManager.h"
#include "skin/SkinPaths.h"
#include "ui_OptionsDialog.h"

namespace ambrin {

namespace {

// The name of the skin "SkinPath" selects, or empty.
std::string currentSkinName(SettingsStore* settings) {
    return settings != nullptr ? SkinManager(*settings).currentSkinName() : std::string();
}

}  // namespace

OptionsDialog::OptionsDialog(AppContext& context, std::vector<OptionsPageEntry> pages, int index,
                             std::function<void(const std::string&)> publishSelectedFile)
    : QDialog(nullptr),
      m_context(context),
      m_ui(std::make_unique<Ui::OptionsDialog>()),
      m_entries(std::move(pages)),
      m_pages(m_entries.size(), nullptr),
      m_publishSelectedFile(std::move(publishSelectedFile)) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);

    if (m_context.settings != nullptr) {
        m_saved = loadOptionValues(*m_context.settings);
        m_saved.skin = currentSkinName(m_context.settings);
    } else {
        m_saved.displayNames = defaultDisplayNames();
    }
    m_edited = m_saved;

    connect(m_ui->buttonOk, &QPushButton::clicked, this, &OptionsDialog::accepted);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->buttonApply, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(m_ui->pageTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { itemChosen(item); });

    buildTree();
    selectIndex(index);
    placeWindow();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::buildTree() {
    QTreeWidget* tree = m_ui->pageTree;
    const auto caption = [this](size_t row) {
        return QCoreApplication::translate("OptionsDialog", m_entries[row].caption);
    };
    auto* recordList = new QTreeWidgetItem(tree, {caption(kRecordListRow)});
    recordList->setData(0, Qt::UserRole, static_cast<int>(kRecordListRow));
    m_items.push_back(recordList);
    auto* options =
        new QTreeWidgetItem(tree, {QString::fromStdString(loadString(str::kOptionsNode))});
    options->setData(0, Qt::UserRole, -1);
    m_items.push_back(options);
    for (size_t row = kGeneralRow; row < m_entries.size(); ++row) {
        auto* item = new QTreeWidgetItem(options, {caption(row)});
        item->setData(0, Qt::UserRole, static_cast<int>(row));
        m_items.push_back(item);
    }
    tree->expandAll();
}

void OptionsDialog::selectIndex(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        index = indexOfRow(kGeneralRow);
    }
    m_ui->pageTree->setCurrentItem(m_items[static_cast<size_t>(index)]);
}

void OptionsDialog::itemChosen(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const int row = item->data(0, Qt::UserRole).toInt();
    showRow(row < 0 ? kGeneralRow : row);  // "Options" shows "General"
}

void OptionsDialog::showRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_entries.size())) {
        return;
    }
    OptionsPage*& page = m_pages[static_cast<size_t>(row)];
    if (page == nullptr) {
        page = m_entries[static_cast<size_t>(row)].make(*this, m_ui->pageStack);
        m_ui->pageStack->addWidget(page);
    }
    m_currentRow = row;
    m_ui->pageStack->setCurrentWidget(page);
    publish();
    page->pageShown();
}

OptionsPage* OptionsDialog::currentPage() const {
    return page(m_currentRow);
}

OptionsPage* OptionsDialog::page(int row) const {
    if (row < 0 || row >= static_cast<int>(m_pages.size())) {
        return nullptr;
    }
    return m_pages[static_cast<size_t>(row)];
}

void OptionsDialog::valuesChanged() {
    m_ui->buttonApply->setEnabled(isDirty());
}

void OptionsDialog::setSelectedRecordFile(const std::string& path) {
    m_recordListFile = path;
    publish();
}

void OptionsDialog::publish() {
    if (m_publishSelectedFile) {
        m_publishSelectedFile(m_currentRow == kRecordListRow ? m_recordListFile : std::string());
    }
}

void OptionsDialog::apply() {
    if (m_context.settings == nullptr) {
        return;
    }
    SettingsStore& settings = *m_context.settings;
    OptionSaveSteps steps;
    steps.selectSkin = [&settings](const std::string& name) {
        SkinManager skins(settings);
        const SkinList list = skins.listSkins();
        const auto found = list.find(asciiUpper(name));
        if (found != list.end()) {
            skins.selectSkin(found->second);
        }
    };
    steps.firstGroupSaved = [this] {
        if (m_context.events != nullptr) {
            m_context.events->postEvent(std::make_unique<EngineEvent>(EventCode::SettingsChanged));
        }
    };
    steps.programPath = programFile();
    const OptionValues values = m_edited;
    saveOptionValues(settings, values, steps);
    m_saved = values;
    valuesChanged();
}

void OptionsDialog::accepted() {
    apply();
    accept();
}

void OptionsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OptionsPage* page = currentPage();
        if (page != nullptr) {
            page->returnPressed(focusWidget());
        }
        return;  // Return never closes the window
    }
    QDialog::keyPressEvent(event);
}

void OptionsDialog::placeWindow() {
    adjustSize();
    placeAtStoredPosition(*this, m_context.settings, setting::kOptionWindowPos);
    m_placed = true;
}

void OptionsDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placed && isVisible()) {
        storeWindowPosition(*this, m_context.settings, setting::kOptionWindowPos);
    }
}

}  // namespace ambrin
