#pragma once

namespace ambrin {

// The texts of dialogs and menus are written in English in their forms; the Korean ones
// come from the embedded catalogue. Installs it on the running application when the
// calling thread's string-table language is Korean (the default; AMBRIN_UI_LANG=1033 keeps
// English). Call on the GUI thread once the application object exists; later calls do
// nothing. False when there is no application or the catalogue cannot be loaded.
bool installUiTranslations();

}  // namespace ambrin
