#include "app/DesktopPresence.h"

#include "core/AppContext.h"
#include "app/Manual.h"

namespace ambrin {

void DesktopPresence::openManual() { ambrin::openManual(m_context, false); }

}  // namespace ambrin
