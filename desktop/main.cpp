// wavedeck-gui: the WaveDeck editor on the desktop, a GTK 3 host of the library.
//
//   wavedeck-gui [FILE...]   opens the files, each as a track
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor_window.h"
#include "message_pump.h"
#include "wavedeck.h"

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        if (!optionsEnded && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
            std::printf("usage: wavedeck-gui [FILE...]\n  Opens the WaveDeck editor with each FILE as a track.\n");
            return 0;
        }
        if (!optionsEnded && std::strcmp(argv[i], "--") == 0) {
            optionsEnded = true;
            continue;
        }
        files.emplace_back(argv[i]);
    }
    // The name the desktop's launcher and icon are matched by.
    g_set_prgname("wavedeck-gui");
    g_set_application_name("WaveDeck");
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "wavedeck-gui: cannot open the display (is DISPLAY set?)\n");
        return 1;
    }
    if (!desktop::MessagePump::attach()) {
        std::fprintf(stderr, "wavedeck-gui: the library gives no wake-up descriptor\n");
        return 1;
    }
    gtk_window_set_default_icon_name("org.wavedeck.WaveDeck");
    desktop::EditorWindow editor;
    editor.offerRecovery();
    editor.openFiles(files);
    gtk_main();
    return 0;
}
