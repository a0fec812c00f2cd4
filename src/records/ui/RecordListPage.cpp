#include "records/ui/RecordListPage.h"

#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <cstdio>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"
#include "records/CallStorage.h"
#include "records/RecordDatabase.h"
#include "records/RecordDisplay.h"
#include "records/RecordExport.h"
#include "records/RecordFiles.h"
#include "records/RecordRetention.h"
#include "records/ui/EditRecordDialog.h"
#include "records/ui/FieldText.h"
#include "records/ui/RecordListModel.h"
#include "ui_RecordListPage.h"

namespace ambrin {

namespace {

constexpr int kRowPadding = 6;
constexpr double kClassicFontHeight = 13.0;
constexpr int kDateColumnMargin = 20;

std::string dateKey(const QDate& date, RangeEnd end) {
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString() +
           (end == RangeEnd::Start ? "000000" : "235959");
}

}  // namespace

RecordListPage::RecordListPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent),
      m_context(host.context()),
      m_ui(std::make_unique<Ui::RecordListPage>()),
      m_model(new RecordListModel(this)) {
    m_ui->setupUi(this);
    const QDate today = QDate::currentDate();
    m_ui->dateFrom->setDate(today);
    m_ui->dateTo->setDate(today);

    QTableView* view = m_ui->tableRecords;
    view->setModel(m_model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + kRowPadding);
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setHighlightSections(false);

    connect(m_ui->buttonSearch, &QPushButton::clicked, this, &RecordListPage::search);
    m_ui->editSearch->installEventFilter(this);
    connect(view, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { playRow(index.row()); });
    connect(view, &QWidget::customContextMenuRequested, this, &RecordListPage::showContextMenu);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RecordListPage::publishSelection);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &RecordListPage::publishSelection);
    setUpColumns();
}

RecordListPage::~RecordListPage() = default;

void RecordListPage::setEngineState(std::function<EngineState()> state) {
    m_engineState = std::move(state);
}

EngineState RecordListPage::engineState() const {
    return m_engineState ? m_engineState() : EngineState::Idle;
}

void RecordListPage::setUpColumns() {
    const DisplayNames names = edited().displayNames;
    m_model->setDisplayNames(names);
    // The widths were chosen for an 8-point desktop font: they grow with the font, and the
    // date column always holds a whole date.
    QTableView* view = m_ui->tableRecords;
    const QFontMetrics metrics = view->fontMetrics();
    const double scale = std::clamp(metrics.height() / kClassicFontHeight, 1.0, 1.5);
    QHeaderView* header = view->horizontalHeader();
    for (int field = 0; field < kFieldCount; ++field) {
        header->resizeSection(field,
                              static_cast<int>(kFieldWidths[static_cast<size_t>(field)] * scale));
    }
    const int dateWidth = metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) +
                          view->iconSize().width() + kDateColumnMargin;
    header->resizeSection(kFieldDate, std::max(header->sectionSize(kFieldDate), dateWidth));
    // The field selector: the searchable fields' names; the choice is kept by its position.
    const int chosen = std::max(m_ui->comboField->currentIndex(), 0);
    m_ui->comboField->clear();
    for (int field = kFirstSearchableField; field <= kLastSearchableField; ++field) {
        m_ui->comboField->addItem(fromUtf8(names[static_cast<size_t>(field)]));
    }
    m_ui->comboField->setCurrentIndex(std::min(chosen, m_ui->comboField->count() - 1));
}

RecordQuery RecordListPage::currentQuery() const {
    RecordQuery query;
    query.from = dateKey(m_ui->dateFrom->date(), RangeEnd::Start);
    query.to = dateKey(m_ui->dateTo->date(), RangeEnd::End);
    query.field =
        fieldOfDisplayName(m_model->displayNames(), m_ui->comboField->currentText().toStdString());
    query.text = m_ui->editSearch->text().toStdString();
    return query;
}

void RecordListPage::search() {
    std::vector<RecordRow> rows;
    searchRecords(RecordDatabase(m_context), currentQuery(), rows);  // unreadable: no rows
    m_model->setRows(std::move(rows));
    m_model->setLockedKeys(lockedRecordKeys(RecordDatabase::databasePath(m_context)));
    selectRow(0);
}

void RecordListPage::recordsChanged() {
    if (isVisible()) {
        search();
    }
}

void RecordListPage::pageShown() {
    setUpColumns();
    search();
}

bool RecordListPage::returnPressed(QWidget* focus) {
    if (focus != m_ui->editSearch) {
        return false;
    }
    search();
    return true;
}

void RecordListPage::selectRow(int row) {
    QTableView* view = m_ui->tableRecords;
    view->clearSelection();
    if (row < 0 || row >= m_model->rowCount()) {
        publishSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    view->setFocus();
    publishSelection();
}

std::vector<int> RecordListPage::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_ui->tableRecords->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RecordListPage::selectRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = m_ui->tableRecords->selectionModel();
    selection->clearSelection();
    for (const int row : rows) {
        selection->select(m_model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (!rows.empty()) {
        selection->setCurrentIndex(m_model->index(rows.back(), 0), QItemSelectionModel::NoUpdate);
    }
    publishSelection();
}

int RecordListPage::chosenRow() const {
    const QItemSelectionModel* selection = m_ui->tableRecords->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), {})) {
        return current.row();
    }
    const std::vector<int> rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

void RecordListPage::publishSelection() {
    const int row = chosenRow();
    host().setSelectedRecordFile(row >= 0 ? m_model->recordRow(row).record.fileName
                                          : std::string());
}

bool RecordListPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->editSearch && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            search();
            return true;  // the window's own buttons do not see it
        }
    }
    return QWidget::eventFilter(watched, event);
}

QMenu* RecordListPage::createContextMenu() {
    auto* menu = new QMenu(this);
    const auto add = [&](int command, const QString& text, void (RecordListPage::*action)()) {
        QAction* item = menu->addAction(text, this, action);
        item->setData(command);
        return item;
    };
    add(kCommandPlay, tr("&Play"), &RecordListPage::playSelected);
    add(kCommandEdit, tr("&Edit Recording Information"), &RecordListPage::editSelected);
    add(kCommandDelete, tr("&Delete Recording Information"), &RecordListPage::deleteSelected)
        ->setEnabled(engineState() != EngineState::Playing);
    add(kCommandLock, allSelectedLocked() ? tr("&Unlock") : tr("&Lock"),
        &RecordListPage::lockSelected);
    menu->addSeparator();
    add(kCommandCopy, tr("File &Copy"), &RecordListPage::copySelected);
    add(kCommandExcel, tr("Save as Excel"), &RecordListPage::saveAsExcel);
    return menu;
}

void RecordListPage::showContextMenu(const QPoint& at) {
    if (chosenRow() < 0) {
        return;
    }
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_ui->tableRecords->viewport()->mapToGlobal(at));
}

void RecordListPage::playSelected() {
    playRow(chosenRow());
}

void RecordListPage::playRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    CallRecord record;
    if (!RecordDatabase(m_context).FindCallRecord(m_model->recordRow(row).key, record)) {
        return;
    }
    if (edited().otherPlayer) {            // as edited in the window, saved or not
        openWithDesktop(record.fileName);  // also while recording
        return;
    }
    if (engineState() == EngineState::Recording) {
        return;
    }
    m_context.setCurrentFile(record.fileName);
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::make_unique<EngineEvent>(EventCode::Stop));
        m_context.events->postEvent(std::make_unique<EngineEvent>(EventCode::Play));
    }
}

void RecordListPage::editSelected() {
    const int row = chosenRow();
    if (row < 0) {
        return;
    }
    const std::string key = m_model->recordRow(row).key;
    CallRecord record;
    if (!RecordDatabase(m_context).FindCallRecord(key, record) ||
        !EditRecordDialog::edit(m_model->displayNames(), record, this)) {
        return;
    }
    if (UpdateRecordInformation(m_context, key, record)) {
        search();
        selectRow(std::min(row, m_model->rowCount() - 1));
    }
}

void RecordListPage::deleteSelected() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty() ||
        showStringMessage(str::kRecordDeleteQuestion, kMbYesNo | kMbIconQuestion, true) != kIdYes) {
        return;
    }
    const RecordDatabase database(m_context);
    int removed = 0;
    int lastRemoved = -1;
    for (const int selected : rows) {
        const int row = selected - removed;  // earlier removals moved it up
        const std::string key = m_model->recordRow(row).key;
        CallRecord record;
        if (!database.FindCallRecord(key, record)) {
            continue;  // left in the list
        }
        database.DeleteCallRecord(key);
        std::remove(record.fileName.c_str());
        m_model->removeRecordRow(row);
        ++removed;
        lastRemoved = row;
    }
    if (lastRemoved >= 0) {
        selectRow(std::max(lastRemoved - 1, 0));
    }
}

bool RecordListPage::allSelectedLocked() const {
    const std::vector<int> rows = selectedRows();
    return !rows.empty() && std::all_of(rows.begin(), rows.end(),
                                        [this](int row) { return m_model->isLocked(row); });
}

void RecordListPage::lockSelected() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    const bool lock = !allSelectedLocked();
    const std::string file = RecordDatabase::databasePath(m_context);
    bool stored = true;
    for (const int row : rows) {
        stored = setRecordLocked(file, m_model->recordRow(row).key, lock) && stored;
    }
    m_model->setLockedKeys(lockedRecordKeys(file));
    if (!stored) {
        showStringMessage(str::kRecordLockFailed, kMbOk | kMbIconWarning, true);
    }
}

void RecordListPage::copySelected() {
    if (selectedRows().empty()) {
        return;
    }
    const QString folder =
        QFileDialog::getExistingDirectory(this, QString(), QString(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        copySelectedTo(folder.toStdString());
    }
}

void RecordListPage::copySelectedTo(const std::string& folder) {
    const RecordDatabase database(m_context);
    for (const int row : selectedRows()) {
        CallRecord record;
        if (!database.FindCallRecord(m_model->recordRow(row).key, record)) {
            return;  // the copy stops at the first missing record
        }
        copyWithoutReplacing(record.fileName, folder);  // failures are silent
    }
}

void RecordListPage::saveAsExcel() {
    std::vector<std::string> keys;
    keys.reserve(m_model->rows().size());
    for (const RecordRow& row : m_model->rows()) {
        keys.push_back(row.key);
    }
    std::string path;
    if (!exportRecordList(RecordDatabase(m_context), keys, m_ui->dateFrom->text().toStdString(),
                          m_ui->dateTo->text().toStdString(), m_model->displayNames(),
                          documentsFolder(), path)) {
        showStringMessage(str::kExcelExportFailed, kMbOk | kMbIconWarning, true);
        return;
    }
    if (!openWithDesktop(path)) {
        char text[1024];
        std::snprintf(text, sizeof text, loadString(str::kExcelSavedAt).c_str(), path.c_str());
        showMessage(text, kMbOk | kMbIconInformation, true);
    }
}

}  // namespace ambrin
