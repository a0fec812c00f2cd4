// Stands in for the launcher in the setup tests: creates the QApplication, loads
// libwizard.so from the path given (the medium's, as the launcher finds it beside itself),
// calls InstallWizard (or UnInstall with --uninstall) and ends with its result. It also
// plays the user on the real windows: Yes on the licence, Change... and the folder of
// --folder in the folder browser, Next, Install (again after a refusal), Finish; every
// message box is printed ("box: title|text") and answered with its first button
// (--answer cancel: Cancel). --lang N calls SetLang first; --no-start and --no-desktop clear
// the choices; --pictures FOLDER keeps a picture of every page and box.

#include <dlfcn.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

struct Options {
    std::string library = "libwizard.so";
    std::string folder;
    std::string pictures;
    std::string answer = "ok";
    int language = 0;
    bool uninstall = false;
    bool start = true;
    bool desktop = true;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--uninstall") {
            options.uninstall = true;
        } else if (arg == "--no-start") {
            options.start = false;
        } else if (arg == "--no-desktop") {
            options.desktop = false;
        } else if (arg == "--library" && hasValue) {
            options.library = argv[++i];
        } else if (arg == "--folder" && hasValue) {
            options.folder = argv[++i];
        } else if (arg == "--pictures" && hasValue) {
            options.pictures = argv[++i];
        } else if (arg == "--answer" && hasValue) {
            options.answer = argv[++i];
        } else if (arg == "--lang" && hasValue) {
            options.language = std::atoi(argv[++i]);
        }
    }
    return options;
}

template <typename T>
T* child(QWidget* page, const char* name) {
    return page->findChild<T*>(QString::fromLatin1(name));
}

void clickLater(QAbstractButton* button) {
    QTimer::singleShot(0, button, [button] { button->click(); });
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    if (!options.uninstall && options.folder.empty()) {
        std::fprintf(stderr, "--folder is needed for an installation\n");
        return 3;
    }
    QApplication application(argc, argv);

    void* library = ::dlopen(options.library.c_str(), RTLD_NOW | RTLD_NODELETE);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", options.library.c_str(), ::dlerror());
        return 3;
    }
    auto* run = reinterpret_cast<int (*)()>(
        ::dlsym(library, options.uninstall ? "UnInstall" : "InstallWizard"));
    auto* setLang = reinterpret_cast<int (*)(int)>(::dlsym(library, "SetLang"));
    if (run == nullptr || setLang == nullptr) {
        std::fprintf(stderr, "libwizard.so lacks an entry point\n");
        return 3;
    }
    if (options.language != 0) {
        setLang(options.language);
    }

    std::set<std::string> pictured;
    auto picture = [&](QWidget* window, const std::string& name) {
        if (!options.pictures.empty() && pictured.insert(name).second) {
            window->grab().save(QString::fromStdString(options.pictures + "/" + name + ".png"));
        }
    };
    bool folderChosen = options.folder.empty();
    int boxes = 0;
    int installs = 0;
    constexpr int kInstallTries = 15;
    QElapsedTimer sinceInstall;
    int folderWaits = 0;  // Install is pressed again after a refusal, once
    QTimer user;
    user.setInterval(30);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        const QString kind = window->objectName();
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            std::printf("box: %s|%s\n", box->windowTitle().toStdString().c_str(),
                        box->text().toStdString().c_str());
            std::fflush(stdout);
            picture(box, "box-" + std::to_string(++boxes));
            QAbstractButton* button =
                box->button(options.answer == "cancel" ? QMessageBox::Cancel : QMessageBox::Ok);
            if (button == nullptr) {
                button = box->buttons().value(0);
            }
            if (button != nullptr) {
                clickLater(button);
            }
        } else if (auto* browser = qobject_cast<QFileDialog*>(window)) {
            picture(browser, "folder-browser");
            // As a user does: types the folder into the browser's name field, presses Choose.
            auto* name = browser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr) {
                name->setText(QString::fromStdString(options.folder));
            }
            folderChosen = true;
            QMetaObject::invokeMethod(browser, "accept", Qt::QueuedConnection);
        } else if (kind == "LicensePage") {
            picture(window, "license");
            clickLater(child<QPushButton>(window, "yesButton"));
        } else if (kind == "FolderPage") {
            if (!folderChosen) {
                picture(window, "folder");
                clickLater(child<QPushButton>(window, "changeButton"));
            } else {
                // Never into a folder other than the test's own (the page shows the choice
                // once the browser has returned).
                const QString chosen = child<QLineEdit>(window, "folder")->text();
                const bool ours = chosen.startsWith(QString::fromStdString(options.folder));
                if (ours || ++folderWaits > 100) {
                    std::printf("folder: %s\n", chosen.toStdString().c_str());
                    std::fflush(stdout);
                    picture(window, "folder-chosen");
                    clickLater(child<QPushButton>(window, ours ? "nextButton" : "cancelButton"));
                }
            }
        } else if (kind == "ProgressPage") {
            auto* install = child<QPushButton>(window, "installButton");
            auto* finish = child<QPushButton>(window, "finishButton");
            if (finish->isEnabled()) {
                picture(window, "progress-done");
                clickLater(finish);
            } else if (install->isEnabled() && installs == kInstallTries) {
                clickLater(child<QPushButton>(window, "cancelButton"));
            } else if (install->isEnabled() && (installs == 0 || sinceInstall.hasExpired(1000))) {
                // Told the program is running, the user tries again a second later, as long
                // as a loaded machine takes to end it.
                ++installs;
                sinceInstall.start();
                picture(window, "progress");
                child<QCheckBox>(window, "startChoice")->setChecked(options.start);
                child<QCheckBox>(window, "desktopChoice")->setChecked(options.desktop);
                clickLater(install);
            } else {
                picture(window, "progress-running");
            }
        }
    });
    user.start();

    const int result = run();
    std::printf("%s returned %d\n", options.uninstall ? "UnInstall" : "InstallWizard", result);
    std::fflush(stdout);
    return result == 1 ? 0 : 1;
}
