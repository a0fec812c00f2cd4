#include "records/ui/RecordInformationWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "records/RecordInformation.h"
#include "records/ui/RecordInformationDialog.h"

namespace ambrin {

RecordInformationWindow::RecordInformationWindow(AppContext& context) : m_context(context) {}

RecordInformationWindow::~RecordInformationWindow() {
    delete m_dialog.data();  // the program ends: an open dialog goes without a word
    m_applier.wait();
}

void RecordInformationWindow::open() {
    if (m_open.exchange(true, std::memory_order_acq_rel)) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { show(); }, Qt::QueuedConnection);
}

void RecordInformationWindow::show() {
    auto* dialog = new RecordInformationDialog(m_context);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    connect(dialog, &QDialog::finished, this, &RecordInformationWindow::finished);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void RecordInformationWindow::callSaved() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_dialog) {
                if (auto* box = m_dialog->findChild<QDialogButtonBox*>()) {
                    box->button(QDialogButtonBox::Ok)->setEnabled(true);
                }
            }
        },
        Qt::QueuedConnection);
}

void RecordInformationWindow::callDiscarded() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_dialog) {
                m_dialog->reject();
            }
        },
        Qt::QueuedConnection);
}

void RecordInformationWindow::lineNumber(const std::string& number, bool dialled) {
    QMetaObject::invokeMethod(
        this,
        [this, number, dialled] {
            if (m_dialog) {
                m_dialog->showLineNumber(number, dialled);
            }
        },
        Qt::QueuedConnection);
}

void RecordInformationWindow::finished(int result) {
    const bool confirmed = result == QDialog::Accepted;
    CallRecord information;
    if (confirmed && m_dialog) {
        information = m_dialog->information();
    }
    m_dialog = nullptr;
    // Only a second call's dialog, confirmed while the first one's information is still
    // being applied, waits here.
    m_applier.wait();
    m_applier.start([this, confirmed, information] {
        if (confirmed) {
            confirmRecordInformation(m_context, information);
        } else {
            cancelRecordInformation(m_context);
        }
        if (m_context.events != nullptr) {
            m_context.events->postEvent(std::make_unique<EngineEvent>(EventCode::RecordingSaved));
        }
    });
    m_open.store(false, std::memory_order_release);
}

void RecordInformationWindow::waitForApplied() {
    m_applier.wait();
}

RecordInformationDialog* RecordInformationWindow::dialog() const {
    return m_dialog.data();
}

}  // namespace ambrin
