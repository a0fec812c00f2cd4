#pragma once

#include <memory>

#include "records/ui/OptionsPage.h"

namespace Ui {
class AboutPage;
class CopyrightPage;
}  // namespace Ui

namespace ambrin {

// The "About" page: the program's version and where to get help.
class AboutPage : public OptionsPage {
    Q_OBJECT

  public:
    AboutPage(OptionsPageHost& host, QWidget* parent);
    ~AboutPage() override;

  private:
    std::unique_ptr<Ui::AboutPage> m_ui;
};

// The "Copyright Information" page: the open-source libraries the program uses, with their
// licences (string 48).
class CopyrightPage : public OptionsPage {
    Q_OBJECT

  public:
    CopyrightPage(OptionsPageHost& host, QWidget* parent);
    ~CopyrightPage() override;

  private:
    std::unique_ptr<Ui::CopyrightPage> m_ui;
};

}  // namespace ambrin
