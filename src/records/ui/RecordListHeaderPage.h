#pragma once

#include <memory>

#include "records/ui/OptionsPage.h"

namespace Ui {
class RecordListHeaderPage;
}

namespace ambrin {

// The "Record List Header" page: the display names of the record fields. Only the fields 4
// to 9 can be renamed; a name is at most 6 characters, never empty and never holds ";".
class RecordListHeaderPage : public OptionsPage {
    Q_OBJECT

  public:
    static constexpr size_t kFirstRenamable = 4;
    static constexpr size_t kLastRenamable = 9;
    static constexpr int kNameLimit = 6;

    RecordListHeaderPage(OptionsPageHost& host, QWidget* parent);
    ~RecordListHeaderPage() override;

  private:
    void rowChosen();
    void nameEdited(const QString& text);

    std::unique_ptr<Ui::RecordListHeaderPage> m_ui;
    DisplayNames m_itemNames;  // the default names
};

}  // namespace ambrin
