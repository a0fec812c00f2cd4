#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/EngineState.h"
#include "records/RecordFields.h"
#include "records/RecordSearch.h"
#include "records/ui/OptionsPage.h"

namespace Ui {
class RecordListPage;
}

class QMenu;

namespace ambrin {

class AppContext;
class RecordListModel;

// The record list: the calls of a date range, optionally those whose chosen field holds a
// text, newest first; play, edit, delete, copy the files, save the list as a spreadsheet.
// The first page of the options window: the display names and "Use External Player" come
// from the window's edited values, and the window is told the file of the selected row
// (for the main window's Play). GUI thread.
class RecordListPage : public OptionsPage {
    Q_OBJECT

  public:
    // Context-menu command ids.
    static constexpr int kCommandEdit = 40020;
    static constexpr int kCommandDelete = 40021;
    static constexpr int kCommandPlay = 40022;
    static constexpr int kCommandCopy = 40023;
    static constexpr int kCommandExcel = 1006;
    static constexpr int kCommandLock = 40024;

    RecordListPage(OptionsPageHost& host, QWidget* parent);
    ~RecordListPage() override;

    // The engine's state, for Play and Delete; without it the engine counts as idle.
    void setEngineState(std::function<EngineState()> state);

    // Lists the records of the pickers' range and the search text, selects the first row.
    void search();

    // Shown (again): the columns are made from the display names and the search runs.
    void pageShown() override;
    // Return in the search text searches.
    bool returnPressed(QWidget* focus) override;
    // Event 33 (a recording was stored or its information changed): searches again while
    // the page is shown.
    void recordsChanged() override;

    // The commands of the context menu, on the selected rows.
    void playSelected();
    void editSelected();
    void deleteSelected();
    void copySelected();
    void copySelectedTo(const std::string& folder);
    // Locks the selected calls against the retention rules, or unlocks them when every one
    // is locked already.
    void lockSelected();
    void saveAsExcel();

    // The context menu as it would show now (tests, pictures); the caller owns it.
    QMenu* createContextMenu();

    const RecordListModel& model() const { return *m_model; }
    // Selected rows, top to bottom.
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setUpColumns();
    void selectRow(int row);
    void showContextMenu(const QPoint& at);
    void playRow(int row);
    RecordQuery currentQuery() const;
    EngineState engineState() const;
    int chosenRow() const;
    bool allSelectedLocked() const;
    void publishSelection();

    AppContext& m_context;
    std::unique_ptr<Ui::RecordListPage> m_ui;
    RecordListModel* m_model;
    std::function<EngineState()> m_engineState;
};

}  // namespace ambrin
