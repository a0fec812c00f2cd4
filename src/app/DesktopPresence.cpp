#include "app/DesktopPresence.h"

#include "app/Manual.h"
#include "core/AppContext.h"

namespace ambrin {

void DesktopPresence::openManual() {
    ambrin::openManual(m_context, false);
}

}  // namespace ambrin
