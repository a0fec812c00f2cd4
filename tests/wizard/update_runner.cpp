// Stands in for the launcher's "/update" in the updater's tests: creates the QApplication,
// loads libwizard.so by name, calls its Update export and ends with its result. It also
// plays the user: every message box the library shows is printed ("box: title|text") and
// answered with --answer yes|no (the real buttons are clicked), and pictures of the
// question and of the update dialog go into --pictures FOLDER. With --stop, the user
// closes the update dialog as soon as it shows the download.

#include <dlfcn.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    std::string answer = "yes";
    std::string pictures;
    bool stop = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stop") == 0) {
            stop = true;
        } else if (i + 1 == argc) {
            break;
        } else if (std::strcmp(argv[i], "--answer") == 0) {
            answer = argv[++i];
        } else if (std::strcmp(argv[i], "--pictures") == 0) {
            pictures = argv[++i];
        }
    }
    int qtArgc = 3;
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char* qtArgv[] = {argv[0], platform, offscreen, nullptr};
    QApplication application(qtArgc, qtArgv);

    void* library = ::dlopen("libwizard.so", RTLD_NOW | RTLD_NODELETE);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load libwizard.so: %s\n", ::dlerror());
        return 3;
    }
    auto* update = reinterpret_cast<int (*)()>(::dlsym(library, "Update"));
    if (update == nullptr) {
        std::fprintf(stderr, "libwizard.so has no Update\n");
        return 3;
    }

    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "UpdateDialog" && widget->isVisible() &&
                !pictures.empty()) {
                widget->grab().save(QString::fromStdString(pictures + "/dialog.png"));
            }
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (stop && widget->objectName() == "UpdateDialog" && widget->isVisible()) {
                    stop = false;
                    // As the window's close button does; outside this handler, so that the
                    // question it brings up is answered by the next round.
                    QTimer::singleShot(0, widget, [widget] { widget->close(); });
                }
            }
            return;
        }
        std::printf("box: %s|%s\n", box->windowTitle().toStdString().c_str(),
                    box->text().toStdString().c_str());
        std::fflush(stdout);
        if (!pictures.empty()) {
            box->grab().save(QString::fromStdString(pictures + "/question.png"));
        }
        QAbstractButton* button = box->button(answer == "yes" ? QMessageBox::Yes : QMessageBox::No);
        if (button == nullptr) {
            button = box->button(QMessageBox::Ok);
        }
        if (button != nullptr) {
            button->click();
        }
    });
    user.start();

    const int result = update();
    std::printf("Update returned %d\n", result);
    std::fflush(stdout);
    return result == 1 ? 0 : 1;
}
