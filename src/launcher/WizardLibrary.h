#pragma once

#include <memory>
#include <string>

#include "wizard/WizardEntryPoints.h"

namespace ambrin::launcher {

// libwizard.so, loaded by name: the dynamic linker finds it through the launcher's run
// path ($ORIGIN, the launcher's own folder) before the system's folders. The entry points
// are looked up by name; one the library lacks stays null and the caller decides.
//
// The library stays loaded until the process ends: its windows and the toolkit's
// registrations point into its code.
class WizardLibrary {
  public:
    static constexpr const char* kFileName = "libwizard.so";

    // Null, with the loader's reason in `error`, when the library cannot be loaded.
    static std::unique_ptr<WizardLibrary> load(std::string* error = nullptr);

    wizard::InstallWizardFn installWizard = nullptr;
    wizard::UnInstallFn unInstall = nullptr;
    wizard::UpdateFn update = nullptr;
    wizard::IsInternetAvailableFn isInternetAvailable = nullptr;
    wizard::SetLangFn setLang = nullptr;

  private:
    WizardLibrary() = default;
};

}  // namespace ambrin::launcher
