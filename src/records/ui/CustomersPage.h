#pragma once

#include <memory>
#include <string>

#include "records/ui/OptionsPage.h"

namespace Ui {
class CustomersPage;
}

namespace ambrin {

// The "Customers Information" page: the customer directory that pre-fills the recording
// information. Changes go to the database at once; Apply is not involved.
class CustomersPage : public OptionsPage {
    Q_OBJECT

  public:
    CustomersPage(OptionsPageHost& host, QWidget* parent);
    ~CustomersPage() override;

    void pageShown() override;

    // What "Add" does with the name the user entered: adds the customer under the first free
    // name ("Kim", "Kim(1)", ...) and selects it.
    void addCustomer(const std::string& name);
    // What "Del" does once the user has said Yes.
    void deleteSelected();

  private:
    void fillLabels();
    void fillList();
    void customerChosen();
    void askName();
    void askDelete();
    void save();
    void selectRow(int row);

    std::unique_ptr<Ui::CustomersPage> m_ui;
};

}  // namespace ambrin
