#include "wizard/SetupWizard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"
#include "platform/WindowEndpoint.h"
#include "ui_FolderPage.h"
#include "ui_LicensePage.h"
#include "ui_ProgressPage.h"
#include "wizard/SetupFiles.h"
#include "wizard/UpdateDialog.h"
#include "wizard/WizardStrings.h"

namespace ambrin::wizard {

namespace {

constexpr int kExitCommand = 40001;
// Each copied file stays on the status line this long, so the user can follow the copy.
constexpr int kFileStepMs = 500;
constexpr int kRunOnStepMs = 5;

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

QString text(int id) {
    return qt(wizardString(id));
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void setHeaderIcon(QLabel* label) {
    label->setPixmap(QIcon(QStringLiteral(":/wizard/icons/ambrin.svg")).pixmap(44, 44));
}

QString licenseText(int language) {
    QFile file(language == kLangKorean ? QStringLiteral(":/wizard/license/license_ko.txt")
                                       : QStringLiteral(":/wizard/license/license_en.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

LicensePage::LicensePage(int language, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LicensePage>()) {
    m_ui->setupUi(this);
    setHeaderIcon(m_ui->headerIcon);
    m_ui->agreement->setPlainText(licenseText(language));
    connect(m_ui->yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->noButton, &QPushButton::clicked, this, &QDialog::reject);
}

LicensePage::~LicensePage() = default;

FolderPage::FolderPage(std::string folder, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::FolderPage>()), m_folder(std::move(folder)) {
    m_ui->setupUi(this);
    setHeaderIcon(m_ui->headerIcon);
    m_ui->folder->setText(qt(m_folder));
    connect(m_ui->changeButton, &QPushButton::clicked, this, [this] { change(); });
    connect(m_ui->nextButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

FolderPage::~FolderPage() = default;

void FolderPage::change() {
    // The browser starts in the current folder when it exists, else in the nearest parent.
    std::string start = m_folder;
    while (start.size() > 1 && !folderExists(start)) {
        start.pop_back();
        start = start.substr(0, start.rfind('/') + 1);
    }
    QFileDialog dialog(this, text(str::kSelectFolder), qt(start));
    dialog.setObjectName(QStringLiteral("folderBrowser"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    m_folder = folderWithProduct(dialog.selectedFiles().front().toStdString());
    m_ui->folder->setText(qt(m_folder));
}

ProgressPage::ProgressPage(std::string sourceFolder, std::string installFolder, int language,
                           QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::ProgressPage>()),
      m_sourceFolder(std::move(sourceFolder)),
      m_installFolder(std::move(installFolder)),
      m_language(language) {
    m_ui->setupUi(this);
    setHeaderIcon(m_ui->headerIcon);
    if (uninstallMode()) {
        setWindowTitle(text(str::kUninstallTitle));
        m_ui->installButton->setText(text(str::kUninstallButton));
        m_ui->headerTitle->setText(text(str::kUninstallHeader));
        m_ui->headerNote->setText(text(str::kUninstallNote));
        m_ui->desktopChoice->hide();
        m_ui->startChoice->hide();
    }
    showProgress(0);
    connect(m_ui->installButton, &QPushButton::clicked, this, [this] { run(); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->finishButton, &QPushButton::clicked, this, [this] { finish(); });
}

ProgressPage::~ProgressPage() = default;

void ProgressPage::showProgress(int percent) {
    m_ui->progress->setValue(percent);
    m_ui->percent->setText(QString::asprintf("%3d %%", percent));
}

bool ProgressPage::programRunning() {
    if (!WindowEndpoint::exists(kMainProgramWindow, kMainProgramWindow)) {
        return false;
    }
    QMessageBox::warning(this, windowTitle(), text(str::kProgramRunning));
    // Its window to the front and the Exit command that asks the user first.
    WindowEndpoint::post(kMainProgramWindow, kMainProgramWindow, {kWmShowNormal, 0, 0});
    WindowEndpoint::post(kMainProgramWindow, kMainProgramWindow, {kWmCommand, kExitCommand, 0});
    return true;
}

void ProgressPage::run() {
    if (m_busy || programRunning()) {
        return;
    }
    m_busy = true;
    m_ui->installButton->setEnabled(false);
    m_ui->cancelButton->setEnabled(false);
    if (uninstallMode()) {
        uninstall();
    } else if (!install()) {
        // The files copied so far stay; the user may try again.
        m_ui->installButton->setEnabled(true);
        m_ui->cancelButton->setEnabled(true);
        m_busy = false;
        return;
    }
    m_ui->finishButton->setEnabled(true);
    m_ui->finishButton->setDefault(true);
    m_ui->finishButton->setFocus();
    m_busy = false;
}

bool ProgressPage::install() {
    if (!makeFolders(m_installFolder.substr(0, m_installFolder.size() - 1), 0755)) {
        QMessageBox::critical(this, QCoreApplication::translate("ProgressPage", "Install Error"),
                              qt(m_installFolder) + u' ' + text(str::kCannotInstall));
        return false;
    }
    const auto& files = setupFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!installFile(m_sourceFolder, m_installFolder, files[i])) {
            QMessageBox::critical(
                this, QCoreApplication::translate("ProgressPage", "Install Error"),
                qt(m_sourceFolder + files[i].source) + u' ' + text(str::kCannotInstall));
            return false;
        }
        if (i == 0) {
            m_programPath = m_installFolder + files[i].destination;
        }
        showProgress(static_cast<int>(i) * 10);
        pause(kFileStepMs);
        m_ui->status->setText(qt(files[i].destination));
    }
    writeDesktopEntries(m_installFolder, m_ui->desktopChoice->isChecked());
    writeUninstallEntry(m_installFolder + files[1].destination, false);
    runOnToTheEnd();
    m_ui->status->setText(text(str::kInstallComplete));
    writeInstalledLanguage(m_language);
    return true;
}

void ProgressPage::uninstall() {
    const auto& files = setupFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        removeFile(m_installFolder, files[i]);
        showProgress(static_cast<int>(i) * 10);
        pause(kFileStepMs);
        m_ui->status->setText(qt(files[i].destination));
    }
    removeDesktopEntries();
    writeUninstallEntry(m_installFolder + files.front().destination, true);
    runOnToTheEnd();
    m_ui->status->setText(text(str::kUninstallComplete));
    deleteUserSettings();
}

void ProgressPage::runOnToTheEnd() {
    for (int percent = m_ui->progress->value(); percent <= 100; ++percent) {
        showProgress(percent);
        pause(kRunOnStepMs);
    }
}

void ProgressPage::finish() {
    if (!uninstallMode() && m_ui->startChoice->isChecked() && !m_programPath.empty()) {
        startProgram(m_programPath, {}, m_installFolder);
    }
    accept();
}

namespace {

// The launcher's own window closes once the setup is done.
void closeOtherWindows(const QWidget* keep) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != keep && window->isVisible() && !window->inherits("QDialog")) {
            window->close();
        }
    }
}

}  // namespace

int runInstallWizard(const std::string& libraryFolder, int language) {
    const std::string installed = installedFolder();
    LicensePage license(language);
    if (license.exec() != QDialog::Accepted) {
        return 0;
    }
    FolderPage folderPage(proposedFolder());
    if (folderPage.exec() != QDialog::Accepted) {
        return 0;
    }
    const std::string folder = folderPage.folder();
    if (!installed.empty() && !sameFolder(installed, folder)) {
        QMessageBox::warning(nullptr, text(str::kSetupError), text(str::kAlreadyInstalled));
        return 0;
    }
    ProgressPage progress(sourceFolder(libraryFolder, language), folder, language);
    if (progress.exec() != QDialog::Accepted) {
        return 0;
    }
    closeOtherWindows(&progress);
    return 1;
}

int runUninstall(const std::string& libraryFolder, int language) {
    std::string folder = installedFolder();
    if (folder.empty()) {
        // No settings left: the copy that runs is the installation to remove, when it is one
        // (the installation medium's own files are never removed).
        folder = libraryFolder;
        if (!fileExists(folder + setupFiles().front().destination)) {
            std::fprintf(stderr, "UnInstall: nothing is installed in %s\n", folder.c_str());
            return 0;
        }
    }
    if (QMessageBox::question(nullptr, text(str::kUninstallTitleShort),
                              text(str::kUninstallQuestion), QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Ok) != QMessageBox::Ok) {
        return 0;
    }
    ProgressPage progress({}, folder, language);
    return progress.exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace ambrin::wizard
