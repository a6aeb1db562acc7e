// Loads wavedeck.dll as a host does and calls exports found by name with the stack
// pointer watched: a stdcall function removes its own arguments, so the stack pointer is
// the same before the call and after it. Arguments are zeros, which every one of these
// refuses without side effects. Prints one line per export and a closing count.
#include <windows.h>

#include <cstdio>

namespace {

// Pushes count zero arguments, calls fn without removing them, and gives how far the
// stack pointer moved (0 when the callee removed them all).
int stackMoved(FARPROC fn, int count) {
    int moved;
    asm volatile(
        "mov %%esp, %%esi\n\t"
        "mov %[count], %%ecx\n\t"
        "1:\n\t"
        "test %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "push $0\n\t"
        "dec %%ecx\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "call *%[fn]\n\t"
        "mov %%esi, %%eax\n\t"
        "sub %%esp, %%eax\n\t"
        "mov %%esi, %%esp\n\t"
        : "=&a"(moved)
        : [fn] "b"(fn), [count] "r"(count)
        : "ecx", "edx", "esi", "memory", "cc");
    return moved;
}

struct Export {
    const char* name;
    int arguments;
};

constexpr Export kExports[] = {
    {"WDXGetTrackInfo", 1},     {"WDXGetTempFolder", 1},      {"WDXSetFormatQuality", 2},
    {"WDXGetFileExtension", 2}, {"WDXSetRecordParam", 3},     {"WDXGetLastFailure", 1},
};

}  // namespace

int main() {
    HMODULE library = LoadLibraryA("wavedeck.dll");
    if (!library) {
        std::printf("wavedeck.dll does not load (error %lu)\n", GetLastError());
        return 1;
    }
    int passed = 0, failed = 0;
    for (const Export& e : kExports) {
        FARPROC fn = GetProcAddress(library, e.name);
        const int moved = fn ? stackMoved(fn, e.arguments) : -1;
        const bool ok = fn && moved == 0;
        std::printf("%s %s: %s\n", ok ? "ok    " : "FAILED", e.name,
                    !fn ? "not found" : moved == 0 ? "removes its arguments" : "leaves the stack moved");
        (ok ? passed : failed)++;
    }
    FreeLibrary(library);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
