#include "scene/file_defect.h"

#include <cstdio>

#include "platform/report_error.h"

void reportFileDefect(const char* name, bool* failed, const char* format, va_list args) {
    if (*failed) return;
    *failed = true;
    char detail[160];
    std::vsnprintf(detail, sizeof detail, format, args);
    char text[512];
    std::snprintf(text, sizeof text, "%s: %s", name, detail);
    reportError(text);
}
