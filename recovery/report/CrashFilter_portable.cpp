#include "CrashFilter.h"

void InstallCrashFilter() {}
