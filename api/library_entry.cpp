#include "api/library_entry.h"

#include <string>
#include <vector>

#include "formats/mp3_encoder_library.h"
#include "model/time_text_receiver.h"
#include "platform/files/files.h"
#include "services/file_names.h"
#include "services/module.h"
#include "services/sel_view_windows.h"
#include "services/settings.h"
#include "ui/window_classes.h"

namespace wd {
namespace {

std::string moduleFileName(HMODULE module, size_t bufferSize) {
    std::vector<char> buffer(bufferSize, 0);
    GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return buffer.data();
}

void attach(HMODULE module) {
    registerWindowClasses(reinterpret_cast<HINSTANCE>(module));

    std::string fileName = moduleFileName(module, 4096);
    std::vector<char> folder(fileName.size() + 1, 0);
    if (filePath(fileName.c_str(), folder.data()) != 0) folder[0] = 0;
    Mp3EncoderLibrary::instance().load(folder.data());

    Settings::instance().load();
    setModulePath(folder.data());
    TimeTextReceiver::install(&SelViewWindows::instance());
}

void detach(HMODULE module) {
    Mp3EncoderLibrary::instance().release();
    unregisterWindowClasses(reinterpret_cast<HINSTANCE>(module));
    Settings::instance().save();
}

// The address of this function places the module: the library, or the program when the
// engine is linked into it.
__attribute__((constructor)) void onLoad() { libraryEntry(moduleOfAddress(reinterpret_cast<const void*>(&onLoad)), DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void onUnload() { libraryEntry(moduleOfAddress(reinterpret_cast<const void*>(&onLoad)), DLL_PROCESS_DETACH, nullptr); }

}  // namespace

BOOL libraryEntry(HMODULE module, DWORD reason, void*) {
    setModuleHandle(module);
    if (reason == DLL_PROCESS_ATTACH) {
        attach(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        detach(module);
    }
    return TRUE;
}

}  // namespace wd
