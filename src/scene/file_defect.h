#pragma once
#include <cstdarg>

// Reports a defect of a scene file as "NAME: what", once per file: *failed
// is set, and later defects of the same file stay quiet.
void reportFileDefect(const char* name, bool* failed, const char* format, va_list args);
