// Compiles the public header on its own with strict warnings.
#include "PhrasorRuntime.h"

IPhrasorMgr *(*const HeaderCheckEntry)() = &GetIPhrasorMgr;
