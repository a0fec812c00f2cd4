#pragma once

#include <memory>

#include "records/ui/OptionsPage.h"

namespace Ui {
class CallContentsPage;
}

namespace ambrin {

class CallContentList;

// The "Call Contents" page: the stock phrases of the recording information, at most 20.
// Every change is saved to the contents file at once; Apply is not involved.
class CallContentsPage : public OptionsPage {
    Q_OBJECT

  public:
    CallContentsPage(OptionsPageHost& host, QWidget* parent);
    ~CallContentsPage() override;

    // Return in the edit box adds its text.
    bool returnPressed(QWidget* focus) override;

    // "Add": the edit box's text becomes a stock content unless there are 20 already (the
    // user is told) or it is there already.
    void add();
    // What "Del" does once the user has said Yes.
    void deleteSelected();

  private:
    void askDelete();

    std::unique_ptr<Ui::CallContentsPage> m_ui;
    CallContentList* m_contents;  // the program's, or null
};

}  // namespace ambrin
