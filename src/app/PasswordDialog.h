#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class PasswordDialog;
}

namespace ambrin {

class SettingsStore;

// Asks for the password before the hidden main window comes back. Centred on the screen
// and above every other window. OK compares the entry with "Password" exactly (case and
// every byte; an empty password matches an empty entry); Escape or closing is Cancel.
// GUI thread.
class PasswordDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PasswordDialog(const SettingsStore* settings, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    bool matched() const { return m_matched; }
    bool okPressed() const { return m_okPressed; }

    // The rule of OK, on its own: the entry (at most 259 characters are read) against the
    // stored password.
    static bool passwordMatches(const QString& entry, const std::string& stored);

    void accept() override;

  private:
    const SettingsStore* m_settings;
    std::unique_ptr<Ui::PasswordDialog> m_ui;
    bool m_matched = false;
    bool m_okPressed = false;
};

}  // namespace ambrin
