#include "platform/win32/output_lead.h"

#include <windows.h>

bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int outputLeadUs() {
    static const int lead = runningUnderWine() ? 93500 : 0;
    return lead;
}
