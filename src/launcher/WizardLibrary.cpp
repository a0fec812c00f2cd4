#include "launcher/WizardLibrary.h"

#include <dlfcn.h>

namespace ambrin::launcher {

namespace {

template <typename Function>
Function entry(void* library, const char* name) {
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    return reinterpret_cast<Function>(::dlsym(library, name));
}

}  // namespace

std::unique_ptr<WizardLibrary> WizardLibrary::load(std::string* error) {
    void* library = ::dlopen(kFileName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) {
        if (error != nullptr) {
            const char* reason = ::dlerror();
            *error = reason != nullptr ? reason : "cannot load libwizard.so";
        }
        return nullptr;
    }
    std::unique_ptr<WizardLibrary> wizard(new WizardLibrary());
    wizard->installWizard = entry<Entry>(library, "InstallWizard");
    wizard->unInstall = entry<Entry>(library, "UnInstall");
    wizard->update = entry<Entry>(library, "Update");
    wizard->isInternetAvailable = entry<Entry>(library, "IsInternetAvailable");
    wizard->setLang = entry<LanguageEntry>(library, "SetLang");
    // RTLD_NODELETE keeps the code mapped; the handle's reference can go.
    ::dlclose(library);
    return wizard;
}

}  // namespace ambrin::launcher
