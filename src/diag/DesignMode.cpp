#include "diag/DesignMode.h"

#include "diag/Procedure.h"

namespace pelto::diag {

bool InDesignMode() {
    Procedure proc("Pelto", "Function InDesignMode", noParams());
#if defined(PELTO_DESIGN_MODE) && PELTO_DESIGN_MODE
    return true;
#else
    return false;
#endif
}

} // namespace pelto::diag
