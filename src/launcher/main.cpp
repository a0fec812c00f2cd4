// refrex: the launcher of the installation medium (named "setup" there) and of the
// installation folder. It shows a picture window with Setup, Explorer, ReadMe, Manual and
// Exit, and runs removal ("/uninstall") and update ("/update") from its command line. All
// real work is done by libwizard.so, which it loads by name at start.

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "launcher/LauncherButton.h"
#include "launcher/LauncherLanguage.h"
#include "launcher/LauncherStrings.h"
#include "launcher/PcxImage.h"
#include "launcher/WizardLibrary.h"
#include "launcher/ui/LauncherWindow.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"
#include "platform/WindowEndpoint.h"

namespace {

using namespace ambrin;
using namespace ambrin::launcher;

// The command the main window's endpoint understands as "close the window".
constexpr std::int64_t kCloseCommand = 105;

bool displayNamed() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

// A message box without an owner, in the foreground; printed when there is no display.
void warn(const std::string& text, const std::string& title) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    if (QApplication::instance() == nullptr) {
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

std::string joinedArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        line += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    return line;
}

// A file of the launcher's language: in its language's sub-folder when that exists, else
// beside the launcher (the installation keeps one language's files in its own folder).
std::string languageFile(const std::string& folder, const std::string& prefix,
                         const std::string& name) {
    if (!prefix.empty() && folder.find("_eng") == std::string::npos) {
        const std::string candidate = folder + prefix + name;
        if (fileExists(candidate)) {
            return candidate;
        }
    }
    return folder + name;
}

void startProgramWithoutUpdate(const std::string& folder) {
    if (!startProgram(folder + "ambrin", {}, folder)) {
        std::fprintf(stderr, "refrex: cannot start %sambrin\n", folder.c_str());
    }
}

int runWindow(WizardLibrary& wizard, const std::string& folder, const std::string& prefix,
              const std::string& className, const std::string& title) {
    const QString language = uiLanguage() == kLangEnglish ? "en" : "ko";
    // Dense screens get the pictures drawn at twice the size.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const bool dense = screen != nullptr && screen->devicePixelRatio() >= 2;
    const auto picture = [&](const char* name) {
        QImage image(":/launcher/" + language + "/" + name + (dense ? "@2x.png" : ".png"));
        image.setDevicePixelRatio(dense ? 2 : 1);
        return image;
    };
    LauncherWindow::Pictures pictures{picture("BACKGROUND"), picture("FOCUS"), picture("SELECT")};
    if (pictures.focus.isNull()) {
        warn("The launcher's pictures are missing.", kErrorTitle);
        return 1;
    }
    std::unique_ptr<LauncherWindow> window;
    const auto act = [&](ButtonAction action) {
        switch (action) {
            case ButtonAction::Exit:
                window->close();
                break;
            case ButtonAction::Setup:
                if (wizard.installWizard == nullptr) {
                    warn(kLoadWizardError, kErrorTitle);
                } else if (wizard.installWizard() == 1) {
                    window->close();
                }
                break;
            case ButtonAction::Explorer:
                openWithDesktop(folder);
                break;
            case ButtonAction::ReadMe:
                openWithDesktop(languageFile(folder, prefix, "readme.txt"));
                break;
            case ButtonAction::Manual: {
                std::string manual = languageFile(folder, prefix, "ambrin.pdf");
                if (!fileExists(manual)) {
                    // An installation names it as the program opens it.
                    manual = languageFile(folder, prefix, "AMBRIN.pdf");
                }
                if (!fileExists(manual) || !desktopOpensType("application/pdf") ||
                    !openWithDesktop(manual)) {
                    warn(launcherString(launcher::str::kNoPdfViewer),
                         launcherString(launcher::str::kMessageTitle));
                }
                break;
            }
            case ButtonAction::None:
                break;
        }
    };
    window = std::make_unique<LauncherWindow>(
        std::move(pictures), readButtonTable([](int id) { return launcherString(id); }), act);
    window->setWindowTitle(QString::fromStdString(title));
    window->setWindowIcon(QIcon(":/launcher/ambrin.svg"));

    QFile shapeFile(":/launcher/REGION.pcx");
    std::string error;
    const QByteArray shapeBytes =
        shapeFile.open(QIODevice::ReadOnly) ? shapeFile.readAll() : QByteArray();
    const auto shape = PcxImage::read(reinterpret_cast<const std::uint8_t*>(shapeBytes.constData()),
                                      static_cast<std::size_t>(shapeBytes.size()), &error);
    if (!shape || !window->setShape(*shape)) {
        std::fprintf(stderr, "refrex: the window keeps its rectangle: %s\n",
                     shape ? "the shape image has another size" : error.c_str());
    }

    // Other starts find the window by class and title: they bring it to the front, and
    // command 105 closes it. Messages arrive on the endpoint's thread.
    LauncherWindow* target = window.get();
    auto endpoint = WindowEndpoint::create(className, title, [target](const WindowMessage& m) {
        if (m.message == kWmCommand && m.wParam == kCloseCommand) {
            QMetaObject::invokeMethod(
                target, [target] { target->close(); }, Qt::QueuedConnection);
        } else if (m.message == kWmShowNormal) {
            QMetaObject::invokeMethod(
                target, [target] { target->bringToFront(); }, Qt::QueuedConnection);
        }
        return std::int64_t{0};
    });
    if (endpoint == nullptr) {
        // Another start got there first.
        WindowEndpoint::post(className, title, {kWmShowNormal, 0, 0});
        return 0;
    }
    window->showCentred();
    const int result = QApplication::exec();
    endpoint->close();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string commandLine = joinedArguments(argc, argv);
    const std::string folder = programFolder();

    // Shaped windows need X11: on a Wayland desktop the launcher runs through XWayland.
    std::unique_ptr<QApplication> application;
    if (displayNamed()) {
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        const char* display = std::getenv("DISPLAY");
        if ((platform == nullptr || *platform == '\0') && display != nullptr && *display != '\0') {
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        }
        application = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName("refrex");
    }

    std::string error;
    const std::unique_ptr<WizardLibrary> wizard = WizardLibrary::load(&error);
    if (wizard == nullptr) {
        std::fprintf(stderr, "refrex: %s\n", error.c_str());
        warn(kLoadWizardError, kErrorTitle);
        return 1;
    }

    // Gives the program that started the launcher (setup, an update) time to end.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    LanguageFacts facts;
    facts.commandLine = commandLine;
    facts.launcherFile = programFile();
    facts.englishReadmeBeside = fileExists(folder + "_eng/readme.txt");
    facts.systemLanguage = systemLanguage();
    facts.storedLanguage = storedLanguage();
    const LauncherLanguage language = chooseLanguage(facts);
    if (wizard->setLang != nullptr) {
        wizard->setLang(language.wizardLanguage);
    }
    SetUiLanguage(language.uiLanguage);

    const std::string className = launcherString(launcher::str::kWindowClass);
    const std::string title = launcherString(launcher::str::kWindowTitle);
    if (WindowEndpoint::exists(className, title)) {
        WindowEndpoint::post(className, title, {kWmShowNormal, 0, 0});
        return 0;
    }

    if (commandLine == "/uninstall") {
        if (wizard->unInstall == nullptr) {
            warn(kLoadWizardError, kErrorTitle);
            return 1;
        }
        wizard->unInstall();
        return 0;
    }
    if (commandLine == "/update") {
        // Without the update server (or an updater) the program starts as it is.
        if (wizard->isInternetAvailable == nullptr || wizard->update == nullptr ||
            wizard->isInternetAvailable() == 0) {
            startProgramWithoutUpdate(folder);
        } else {
            wizard->update();
        }
        return 0;
    }
    if (application == nullptr) {
        std::fprintf(stderr, "refrex: no display to show the window on\n");
        return 1;
    }
    return runWindow(*wizard, folder, language.prefix, className, title);
}
