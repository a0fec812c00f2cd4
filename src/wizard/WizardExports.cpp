// The C entry points of libwizard.so, looked up by name by the launcher.

#include <dlfcn.h>
#include <unistd.h>
#include <QApplication>
#include <climits>
#include <string>

#include "platform/StringTable.h"
#include "platform/ui/Translations.h"
#include "wizard/InternetProbe.h"
#include "wizard/SetupFiles.h"
#include "wizard/SetupWizard.h"
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

namespace {

// The language given to SetLang; 0 until one is given.
int g_language = 0;

// The folder of this library, ending in "/": where the medium's files lie beside it.
std::string libraryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&SetLang), &info) == 0 || info.dli_fname == nullptr) {
        return launcherFolder();
    }
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved) == nullptr) {
        return launcherFolder();
    }
    const std::string path(resolved);
    return path.substr(0, path.rfind('/') + 1);
}

// The setup's language, made the language of this thread's strings and the windows' texts.
int useSetupLanguage() {
    const int language = ambrin::wizard::chooseLanguage(g_language, libraryFolder());
    ambrin::SetUiLanguage(language);
    ambrin::installUiTranslations();
    return language;
}

}  // namespace

AMBRIN_EXPORT int InstallWizard() {
    if (QApplication::instance() == nullptr) {
        return 0;
    }
    const int language = useSetupLanguage();
    return ambrin::wizard::runInstallWizard(libraryFolder(), language);
}

AMBRIN_EXPORT int UnInstall() {
    if (QApplication::instance() == nullptr) {
        return 0;
    }
    const int language = useSetupLanguage();
    return ambrin::wizard::runUninstall(libraryFolder(), language);
}

AMBRIN_EXPORT int SetLang(int langId) {
    if (langId != 0) {
        g_language = langId;
    }
    return g_language;
}

AMBRIN_EXPORT void Ex2013Entry() {}
