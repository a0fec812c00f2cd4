#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>

#include "core/EngineParts.h"
#include "platform/WorkerThread.h"

namespace ambrin {

class AppContext;
class RecordInformationDialog;

// The recording-information window as the engine controller sees it. The controller
// calls it on its event thread; the dialog itself lives on the GUI thread and is reached
// only through queued calls, so the event thread never waits for the GUI. What OK or
// Cancel does to the call's information (database, file renaming) runs on a worker
// thread of this object, which then posts event 33: the GUI thread never waits for a
// recording being stored at the same moment.
//
// Created and destroyed on the GUI thread.
class RecordInformationWindow : public QObject, public InfoWindowInterface {
  public:
    explicit RecordInformationWindow(AppContext& context);
    ~RecordInformationWindow() override;

    // Event thread: shows the dialog unless it is open already.
    void open() override;
    // Any thread: true from open() until the dialog has ended.
    bool isOpen() const override { return m_open.load(std::memory_order_acquire); }
    // Event thread: the recording was stored; the dialog stays open with OK enabled.
    void callSaved() override;
    // Event thread: the recording was too short to keep; the dialog ends as by Cancel.
    void callDiscarded() override;
    // Event thread: the line told the call's number; the open dialog shows it.
    void lineNumber(const std::string& number, bool dialled) override;

    // GUI thread: the open dialog, or null.
    RecordInformationDialog* dialog() const;
    // Waits until the information of the last OK or Cancel has been applied (tests, quit).
    void waitForApplied();

  private:
    void show();
    void finished(int result);

    AppContext& m_context;
    std::atomic<bool> m_open{false};             // set by open() before the dialog exists
    QPointer<RecordInformationDialog> m_dialog;  // GUI thread only
    WorkerThread m_applier;                      // applies OK or Cancel; one at a time
};

}  // namespace ambrin
