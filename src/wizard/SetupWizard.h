#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class LicensePage;
class FolderPage;
class ProgressPage;
}  // namespace Ui

namespace ambrin::wizard {

// The licence agreement: "Yes >>" accepts, "No" rejects.
class LicensePage : public QDialog {
  public:
    explicit LicensePage(int language, QWidget* parent = nullptr);
    ~LicensePage() override;

  private:
    std::unique_ptr<Ui::LicensePage> m_ui;
};

// The installation folder: "Change..." opens the folder browser; "Next >>" accepts.
class FolderPage : public QDialog {
  public:
    explicit FolderPage(std::string folder, QWidget* parent = nullptr);
    ~FolderPage() override;

    // The chosen installation folder, ending in '/'.
    const std::string& folder() const { return m_folder; }

  private:
    void change();

    std::unique_ptr<Ui::FolderPage> m_ui;
    std::string m_folder;
};

// The copy (or the removal) with its progress; accepted when it closes with "Finish".
class ProgressPage : public QDialog {
  public:
    // `sourceFolder` is empty in uninstall mode. Folders end in '/'.
    ProgressPage(std::string sourceFolder, std::string installFolder, int language,
                 QWidget* parent = nullptr);
    ~ProgressPage() override;

    bool uninstallMode() const { return m_sourceFolder.empty(); }

  private:
    void run();
    bool install();
    void uninstall();
    void finish();
    // The main program when it runs: string 123, its window to the front, its exit question.
    bool programRunning();
    void showProgress(int percent);
    void runOnToTheEnd();

    std::unique_ptr<Ui::ProgressPage> m_ui;
    std::string m_sourceFolder;
    std::string m_installFolder;
    int m_language;
    std::string m_programPath;  // the main program once installed
    bool m_busy = false;
};

// The whole setup (licence, folder, already-installed check, progress); 1 when it ended
// with "Finish". `libraryFolder` is the folder of libwizard.so, ending in '/'.
int runInstallWizard(const std::string& libraryFolder, int language);
// The removal of the installed programs; 1 when it ended with "Finish".
int runUninstall(const std::string& libraryFolder, int language);

}  // namespace ambrin::wizard
