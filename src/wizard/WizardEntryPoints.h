#pragma once

// The C entry points of libwizard.so. The launcher loads the library with dlopen by name
// and looks each one up with dlsym; these types are what it casts the symbols to. Every
// function runs on the GUI thread of a program that has created its QApplication.

extern "C" {

// Setup: licence, folder, copy, shortcuts, uninstall entry. 1 when the installation was
// completed and the wizard closed with Finish, else 0.
int InstallWizard();
// Removal of the installed programs (the database and the recordings stay). 1 when the
// removal was completed, else 0.
int UnInstall();
// The update of the installation the library lies in. 1 when it ended with all work done.
int Update();
// 1 when the update server answers its probe, else 0.
int IsInternetAvailable();
// A non-zero language id (1042 Korean, 1033 English) becomes the library's language and
// is returned; 0 returns the current one (0 until one was set) without changing it.
int SetLang(int langId);
// Does nothing.
void Ex2013Entry();
}

namespace ambrin::wizard {
using InstallWizardFn = int (*)();
using UnInstallFn = int (*)();
using UpdateFn = int (*)();
using IsInternetAvailableFn = int (*)();
using SetLangFn = int (*)(int);
using Ex2013EntryFn = void (*)();
}  // namespace ambrin::wizard
