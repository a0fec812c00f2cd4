#pragma once

#include <QPointer>
#include <mutex>
#include <string>

#include "app/ChildWindows.h"
#include "app/OptionsServices.h"

namespace ambrin {

class AppContext;
class OptionsDialog;

// The record list and options window as the main window sees it: opens the OptionsDialog at
// a page, closes it, and passes the engine's notices on to its pages. Lives on the GUI
// thread for the program's run; only selectedRecordFile() is called from the event thread.
class OptionsWindow : public ChildWindows {
  public:
    OptionsWindow(AppContext& context, OptionsServices services);
    ~OptionsWindow() override;

    void open(int id) override;
    void cancel() override;
    void recordsChanged() override;
    void recordingLevelChanged() override;
    std::string selectedRecordFile() const override;

    // The open window, or null.
    OptionsDialog* dialog() const;

  private:
    void closed();

    AppContext& m_context;
    OptionsServices m_services;
    QPointer<OptionsDialog> m_dialog;
    int m_index = -1;  // the index the open window was opened at

    mutable std::mutex m_fileMutex;  // guards m_selectedFile
    std::string m_selectedFile;      // the GUI thread's last word on the record list's row
};

}  // namespace ambrin
