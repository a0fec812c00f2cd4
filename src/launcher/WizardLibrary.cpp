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
    std::unique_ptr<WizardLibrary> bound(new WizardLibrary());
    bound->installWizard = entry<wizard::InstallWizardFn>(library, "InstallWizard");
    bound->unInstall = entry<wizard::UnInstallFn>(library, "UnInstall");
    bound->update = entry<wizard::UpdateFn>(library, "Update");
    bound->isInternetAvailable =
        entry<wizard::IsInternetAvailableFn>(library, "IsInternetAvailable");
    bound->setLang = entry<wizard::SetLangFn>(library, "SetLang");
    // RTLD_NODELETE keeps the code mapped; the handle's reference can go.
    ::dlclose(library);
    return bound;
}

}  // namespace ambrin::launcher
