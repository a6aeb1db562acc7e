// wavedeck-win: the WaveDeck editor as a plain Win32 program over wavedeck.dll.
//
//   wavedeck-win [FILE...]   opens the files, each as a track
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "frame_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    // The files named on the command line, in the system's code page as the library takes them.
    std::vector<std::string> files;
    int count = 0;
    if (LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            char path[MAX_PATH * 4] = {};
            if (WideCharToMultiByte(CP_ACP, 0, args[i], -1, path, sizeof path, nullptr, nullptr) > 0) files.emplace_back(path);
        }
        LocalFree(args);
    }
    desktop::FrameWindow frame;
    ShowWindow(frame.handle(), show);
    UpdateWindow(frame.handle());
    frame.openFiles(files);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (frame.preTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
