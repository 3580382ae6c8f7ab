#include "display/gui/ProgramResources.h"

#include <QtCore/qglobal.h>

#include <mutex>

// The resources live in a static library, so they are registered by hand.
static void InitTolvarinQrc() {
    Q_INIT_RESOURCE(tolvarin);
}

void InitProgramResources() {
    static std::once_flag once;
    std::call_once(once, InitTolvarinQrc);
}
