// A host that links wavedeck.lib, as a C or C++ program built with the public headers
// does: the calls below resolve through the import library's decorated stdcall names.
#include <cstdio>
#include <cstring>

#include "wavedeck.h"

int main() {
    const char* version = WDXGetVersion();
    char folder[WD_MAX_TEXT] = {};
    const bool ok = version && *version && WDXGetModulePath(folder) == 1 && std::strlen(folder) > 0 && WDXGetFormatQuality(3) == 5;
    std::printf("%s wavedeck %s from %s\n", ok ? "ok" : "FAILED", version ? version : "?", folder);
    return ok ? 0 : 1;
}
