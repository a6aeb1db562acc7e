// File, folder and module calls the engine is written against: kernel32's on Windows,
// over POSIX and dlfcn elsewhere.
#pragma once

#include "wavedeck_types.h"

#include <string>

/** The module (shared object or program) that contains the given code address. */
HMODULE moduleOfAddress(const void* address);
/** The file name of the loadable library called `name`: name.dll on Windows,
 * libname.so elsewhere. */
std::string loadableLibraryFileName(const std::string& name);

#ifdef _WIN32
// kernel32's own.
#include <windows.h>
#else
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    char cFileName[4096];
};

/** A folder is FILE_ATTRIBUTE_DIRECTORY, plus FILE_ATTRIBUTE_READONLY when this process
 * cannot create files in it; a file is FILE_ATTRIBUTE_ARCHIVE, plus READONLY when it
 * cannot be written. INVALID_FILE_ATTRIBUTES when the path does not exist. */
DWORD GetFileAttributesA(LPCSTR path);
/** Makes one folder (mode 0777 less the umask); FALSE when it exists or cannot be made. */
BOOL CreateDirectoryA(LPCSTR path, void* security);
/** Looks for the path (shell wildcards allowed in its last part); INVALID_HANDLE_VALUE
 * when nothing matches. */
HANDLE FindFirstFileA(LPCSTR path, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);

/** Full file name of a module; null gives the program. Copies at most size - 1
 * characters plus a zero; returns the characters copied, 0 on failure. */
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
/** dlopen with the path as given; null when it cannot be loaded. */
HMODULE LoadLibraryA(LPCSTR path);
void* GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

#endif  // _WIN32
