#include "records/ui/IndexProgressWindow.h"

#include <QLocale>
#include <QProgressDialog>
#include <algorithm>

#include "records/RecordDatabase.h"
#include "records/RecordSearchIndex.h"

namespace ambrin {

namespace {

// The window opens when the indexing looks like lasting longer than this.
constexpr int kQuietMilliseconds = 1500;

int clampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, 2000000000));
}

}  // namespace

IndexProgressWindow::IndexProgressWindow() = default;

IndexProgressWindow::~IndexProgressWindow() {
    delete m_dialog;
}

void IndexProgressWindow::indexRecords(AppContext& context, const std::atomic<bool>& stop) {
    RecordSearchIndex(RecordDatabase::databasePath(context))
        .fill([this](std::int64_t done, std::int64_t total) { report(done, total); }, &stop);
    finish();
}

void IndexProgressWindow::report(std::int64_t done, std::int64_t total) {
    QMetaObject::invokeMethod(
        this, [this, done, total] { show(done, total, false); }, Qt::QueuedConnection);
}

void IndexProgressWindow::finish() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_dialog != nullptr) {
                m_dialog->close();
                m_dialog->deleteLater();
            }
        },
        Qt::QueuedConnection);
}

void IndexProgressWindow::showNow(std::int64_t done, std::int64_t total) {
    show(done, total, true);
}

void IndexProgressWindow::show(std::int64_t done, std::int64_t total, bool atOnce) {
    if (m_dialog == nullptr) {
        m_dialog = new QProgressDialog();
        m_dialog->setWindowTitle(QStringLiteral("Ambrin+"));
        m_dialog->setCancelButton(nullptr);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(atOnce ? 0 : kQuietMilliseconds);
        m_dialog->setMinimumWidth(m_dialog->fontMetrics().averageCharWidth() * 60);
        m_dialog->setRange(0, clampToInt(total));
        m_dialog->setValue(0);
    }
    const QLocale locale;
    m_dialog->setLabelText(tr("Preparing the search of the call records: %1 of %2 calls "
                              "indexed.\nCalls are recorded as usual meanwhile.")
                               .arg(locale.toString(static_cast<qlonglong>(done)),
                                    locale.toString(static_cast<qlonglong>(total))));
    m_dialog->setMaximum(clampToInt(total));
    m_dialog->setValue(clampToInt(done));
    if (atOnce) {
        m_dialog->show();
    }
}

}  // namespace ambrin
