// wavedeck: the command-line host of the WaveDeck library.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "wavedeck.h"

namespace {

int usage(FILE* out) {
    std::fprintf(out,
                 "usage: wavedeck [--version] [--help] COMMAND [ARGS]\n"
                 "\n"
                 "commands:\n"
                 "  settings   print the temporary folder, the library folder and the format qualities\n"
                 "  help CMD   explain one command\n");
    return out == stderr ? 2 : 0;
}

int commandSettings() {
    std::vector<char> text(WD_MAX_TEXT, 0);
    WDXGetTempFolder(text.data());
    std::printf("temporary folder: %s\n", text.data());
    WDXGetModulePath(text.data());
    std::printf("library folder:   %s\n", text.data());
    std::printf("MP3 bit rate:     %d kbit/s\n", WDXGetFormatQuality(1));
    std::printf("WMA bit rate:     %d kbit/s\n", WDXGetFormatQuality(2));
    std::printf("Ogg quality:      %d\n", WDXGetFormatQuality(3));
    return 0;
}

int help(const std::string& command) {
    if (command == "settings") {
        std::printf("wavedeck settings\n"
                    "  Prints the settings the library keeps: where block files go, where the library\n"
                    "  lives, and the quality used for MP3, WMA and Ogg Vorbis files.\n"
                    "  example: wavedeck settings\n");
        return 0;
    }
    std::fprintf(stderr, "wavedeck: no command '%s'\n", command.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage(stderr);
    const std::string& command = args[0];
    if (command == "--version" || command == "version") {
        std::printf("wavedeck %s\n", WDXGetVersion());
        return 0;
    }
    if (command == "--help" || command == "-h") return usage(stdout);
    if (command == "help") return args.size() > 1 ? help(args[1]) : usage(stdout);
    if (command == "settings") return commandSettings();
    std::fprintf(stderr, "wavedeck: unknown command '%s'\n", command.c_str());
    return usage(stderr);
}
