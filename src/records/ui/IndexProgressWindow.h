#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>

#include <QProgressDialog>

namespace ambrin {

class AppContext;

// The progress of the first indexing of the call records for search (a big database takes
// close to a minute) in a window of its own, while the program records as usual. The worker
// reports from its thread and never waits for the window; the window opens once the work
// looks like taking more than a moment, and closes itself at the end. Made and deleted on the
// GUI thread, after the worker has ended.
class IndexProgressWindow : public QObject {
    Q_OBJECT

  public:
    IndexProgressWindow();
    ~IndexProgressWindow() override;

    // The background work of the program with windows: fills the search index begun at
    // start-up, shown here. Any thread.
    void indexRecords(AppContext& context, const std::atomic<bool>& stop);

    // Any thread.
    void report(std::int64_t done, std::int64_t total);
    void finish();

    // The window while it is open (tests, pictures).
    QProgressDialog* dialog() const { return m_dialog; }
    // Opens it at once, without waiting for the first moment to pass (pictures).
    void showNow(std::int64_t done, std::int64_t total);

  private:
    void show(std::int64_t done, std::int64_t total, bool atOnce);

    QPointer<QProgressDialog> m_dialog;
};

}  // namespace ambrin
