#pragma once

#include <QTimer>
#include <memory>

#include "records/ui/OptionsPage.h"

namespace Ui {
class RetentionPage;
}

namespace ambrin {

// The "Retention" page of the options window: the two rules that delete old calls (each a
// check box with its limit; off is stored as 0) and the quiet-line warning of the line's
// health. It tells beforehand how many calls the rules as edited would delete now (a dry
// run on the call records, a moment after the last change). GUI thread only.
class RetentionPage : public OptionsPage {
    Q_OBJECT

  public:
    RetentionPage(OptionsPageHost& host, QWidget* parent);
    ~RetentionPage() override;

    void pageShown() override;
    void recordsChanged() override;

    // The number of calls the last dry run found; -1 before the first.
    int previewCount() const { return m_previewCount; }
    // Runs the dry run now instead of after the short wait.
    void updatePreview();

  private:
    void takeValues();

    std::unique_ptr<Ui::RetentionPage> m_ui;
    QTimer m_previewTimer;
    int m_previewCount = -1;
};

}  // namespace ambrin
