#pragma once

#include <QString>
#include <memory>

#include "records/ui/OptionsPage.h"
#include "skin/SkinManager.h"

namespace Ui {
class GeneralPage;
}

namespace ambrin {

// The "General" page: recording folder, skins, window behaviour and the user name.
class GeneralPage : public OptionsPage {
    Q_OBJECT

  public:
    GeneralPage(OptionsPageHost& host, QWidget* parent);
    ~GeneralPage() override;

    // What "Add" and "Path..." do once the user has picked a file or a folder.
    void addSkinFile(const QString& path);
    void setFolder(const QString& folder);
    // What "Del" does once the user has said Yes.
    void deleteSelectedSkin();

  private:
    void fillSkins();
    void skinChosen();
    void chooseSkinFile();
    void chooseFolder();
    void askDeleteSkin();
    void flagChanged();

    std::unique_ptr<Ui::GeneralPage> m_ui;
    std::unique_ptr<SkinManager> m_skins;  // null without settings
    SkinList m_list;
};

}  // namespace ambrin
