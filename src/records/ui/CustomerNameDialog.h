#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class CustomerNameDialog;
}

namespace ambrin {

// Asks for a new customer's name. OK is taken only with a name that is not blank; the name
// comes back with its blanks trimmed.
class CustomerNameDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CustomerNameDialog(QWidget* parent);
    ~CustomerNameDialog() override;

    std::string name() const { return m_name; }

    void accept() override;

  private:
    std::unique_ptr<Ui::CustomerNameDialog> m_ui;
    std::string m_name;
};

}  // namespace ambrin
