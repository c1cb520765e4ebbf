// First version: nothing is removed yet.
#include "system/SelfRemoval.h"

bool StartSelfRemoval() { return true; }
