#include "support/process_info.h"

#include <windows.h>
#include <tlhelp32.h>

namespace wdtest {

std::optional<int> descriptorsOn(const std::string&) { return std::nullopt; }

long threadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    const DWORD self = GetCurrentProcessId();
    long n = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == self) ++n;
    }
    CloseHandle(snapshot);
    return n;
}

}  // namespace wdtest
