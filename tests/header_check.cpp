// Compiles the public header on its own with strict warnings.
#include "PhrasorRuntime.h"

// Declared extern so the check has linkage and no compiler calls it unused.
extern IPhrasorMgr *(*const HeaderCheckEntry)();
IPhrasorMgr *(*const HeaderCheckEntry)() = &GetIPhrasorMgr;
