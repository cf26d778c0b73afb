#include <cstdio>

#include "UserNotice.h"

void ShowWarning(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
