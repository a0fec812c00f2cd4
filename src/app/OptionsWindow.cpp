#include "app/OptionsWindow.h"

#include "app/OptionsDialog.h"
#include "app/OptionsPageTable.h"

namespace ambrin {

OptionsWindow::OptionsWindow(AppContext& context, OptionsServices services)
    : m_context(context), m_services(std::move(services)) {}

OptionsWindow::~OptionsWindow() {
    delete m_dialog.data();
}

OptionsDialog* OptionsWindow::dialog() const {
    return m_dialog;
}

void OptionsWindow::open(int id) {
    if (m_dialog != nullptr) {
        if (id == m_index) {
            m_dialog->showNormal();
            m_dialog->raise();
            m_dialog->activateWindow();
            return;
        }
        cancel();
    }
    m_index = id;
    auto* dialog = new OptionsDialog(m_context, optionsPageTable(m_services), id,
                                     [this](const std::string& path) {
                                         const std::lock_guard lock(m_fileMutex);
                                         m_selectedFile = path;
                                     });
    m_dialog = dialog;
    QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog] {
        if (m_dialog == dialog) {
            closed();
        }
        dialog->deleteLater();
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void OptionsWindow::cancel() {
    if (m_dialog != nullptr) {
        OptionsDialog* dialog = m_dialog;
        closed();
        dialog->reject();
        delete dialog;  // not from inside the dialog: no need to wait for the event loop
    }
}

void OptionsWindow::closed() {
    m_dialog = nullptr;
    m_index = -1;
    const std::lock_guard lock(m_fileMutex);
    m_selectedFile.clear();
}

void OptionsWindow::recordsChanged() {
    if (m_dialog != nullptr) {
        if (OptionsPage* page = m_dialog->page(kRecordListRow)) {
            page->recordsChanged();
        }
    }
}

void OptionsWindow::recordingLevelChanged() {
    if (m_dialog != nullptr) {
        if (OptionsPage* page = m_dialog->page(kRecordRow)) {
            page->recordingLevelChanged();
        }
    }
}

std::string OptionsWindow::selectedRecordFile() const {
    const std::lock_guard lock(m_fileMutex);
    return m_selectedFile;
}

}  // namespace ambrin
