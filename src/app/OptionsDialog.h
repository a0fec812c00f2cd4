#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/OptionsPageTable.h"
#include "records/OptionValues.h"
#include "records/ui/OptionsPage.h"

class QTreeWidgetItem;

namespace Ui {
class OptionsDialog;
}

namespace ambrin {

class AppContext;

// The options window itself: the page tree, the pages, OK, Cancel and Apply, and the two
// sets of values (saved and edited). Lives on the GUI thread and does not block anything:
// the window is shown without an owner and runs in the program's one event loop.
class OptionsDialog : public QDialog, public OptionsPageHost {
    Q_OBJECT

  public:
    // The tree's items in display order: "Record List" 0, "Options" 1, its pages from 2.
    static constexpr int kOptionsItem = 1;

    // Loads the values from the settings, places itself at "OptionWindowPos" and selects
    // the tree item at `index` (counting in display order). `publishSelectedFile` is told
    // the record list's selected file while that page is current, else an empty text.
    OptionsDialog(AppContext& context, std::vector<OptionsPageEntry> pages, int index,
                  std::function<void(const std::string&)> publishSelectedFile);
    ~OptionsDialog() override;

    // Shows the page of the tree item at `index` (display order).
    void selectIndex(int index);
    // The page shown now, or null; the page of a row once it has been made.
    OptionsPage* currentPage() const;
    int currentRow() const { return m_currentRow; }
    OptionsPage* page(int row) const;

    // Saves the edited values (Apply).
    void apply();

    bool isDirty() const { return !(m_edited == m_saved); }

    // The display order index of the tree item of `row`.
    static int indexOfRow(int row) { return row == kRecordListRow ? 0 : row + 1; }

    // OptionsPageHost
    AppContext& context() override { return m_context; }
    OptionValues& editedValues() override { return m_edited; }
    const OptionValues& savedValues() const override { return m_saved; }
    void valuesChanged() override;
    void setSelectedRecordFile(const std::string& path) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void buildTree();
    void placeWindow();
    void showRow(int row);
    void itemChosen(QTreeWidgetItem* item);
    void publish();
    void accepted();

    AppContext& m_context;
    std::unique_ptr<Ui::OptionsDialog> m_ui;
    std::vector<OptionsPageEntry> m_entries;
    std::vector<OptionsPage*> m_pages;      // owned by the page stack; null until first shown
    std::vector<QTreeWidgetItem*> m_items;  // in display order
    std::function<void(const std::string&)> m_publishSelectedFile;
    OptionValues m_saved;
    OptionValues m_edited;
    std::string m_recordListFile;
    int m_currentRow = -1;
    bool m_placed = false;  // moves before the first placement are not saved
};

}  // namespace ambrin
