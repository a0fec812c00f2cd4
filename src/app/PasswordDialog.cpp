#include "app/PasswordDialog.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/SettingsStore.h"
#include "ui_PasswordDialog.h"

namespace ambrin {

namespace {

constexpr int kEntryRead = 259;

}  // namespace

PasswordDialog::PasswordDialog(const SettingsStore* settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_ui(std::make_unique<Ui::PasswordDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_ui->editPassword->setFocus();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - width() / 2,
             area.y() + area.height() / 2 - height() / 2);
    }
}

PasswordDialog::~PasswordDialog() = default;

bool PasswordDialog::passwordMatches(const QString& entry, const std::string& stored) {
    return entry.left(kEntryRead).toStdString() == stored;
}

void PasswordDialog::accept() {
    // A password that cannot be read (settings gone, value too long) matches nothing:
    // reading it as empty would let an empty entry in.
    std::string stored;
    const bool readable =
        m_settings != nullptr && m_settings->readString(setting::kPassword, stored) == kSettingsOk;
    m_matched = readable && passwordMatches(m_ui->editPassword->text(), stored);
    m_okPressed = true;
    QDialog::accept();
}

}  // namespace ambrin
