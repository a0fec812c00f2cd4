// The C entry points of libwizard.so, looked up by name by the launcher.

#include <unistd.h>
#include <QApplication>
#include <climits>
#include <string>

#include "wizard/InternetProbe.h"
#include "wizard/UpdateDialog.h"
#include "wizard/WizardEntryPoints.h"

#define AMBRIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The folder of the running launcher, ending in "/".
std::string launcherFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return "./";
    }
    std::string folder(path, static_cast<std::size_t>(length));
    return folder.substr(0, folder.rfind('/') + 1);
}

}  // namespace

// Runs the update; 1 when it ended with all work done, else 0. Called on the GUI thread of
// a program that has created its QApplication.
AMBRIN_EXPORT int Update() {
    if (QApplication::instance() == nullptr) {
        return 0;
    }
    ambrin::wizard::UpdateDialog dialog(launcherFolder(), ambrin::wizard::UpdateServer::current());
    return dialog.run() ? 1 : 0;
}

// 1 when the update server answers its probe page as expected, else 0.
AMBRIN_EXPORT int IsInternetAvailable() {
    return ambrin::wizard::probeUpdateServer(ambrin::wizard::UpdateServer::current());
}

// Stubs until setup and removal land; the launcher may bind them already.
AMBRIN_EXPORT int InstallWizard() {
    return 0;
}

AMBRIN_EXPORT int UnInstall() {
    return 0;
}

namespace {
int g_language = 0;
}  // namespace

AMBRIN_EXPORT int SetLang(int langId) {
    if (langId != 0) {
        g_language = langId;
    }
    return g_language;
}

AMBRIN_EXPORT void Ex2013Entry() {}
