// wavedeck: the command-line host of the WaveDeck library.
#include <cstdio>
#include <cstdlib>
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

bool parseInt(const std::string& text, int& out) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

int commandSettings(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "wavedeck settings: %s needs a value\n", args[i].c_str());
            return 2;
        }
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        if (option == "--temp-folder") {
            if (!WDXSetTempFolder(value.c_str())) {
                std::fprintf(stderr, "wavedeck settings: '%s' is not a folder this user can write in\n", value.c_str());
                return 1;
            }
            continue;
        }
        int format = option == "--mp3" ? 1 : option == "--wma" ? 2 : option == "--ogg" ? 3 : 0;
        int number = 0;
        if (!format) {
            std::fprintf(stderr, "wavedeck settings: unknown option '%s'\n", option.c_str());
            return 2;
        }
        if (!parseInt(value, number)) {
            std::fprintf(stderr, "wavedeck settings: '%s' is not a number for %s\n", value.c_str(), option.c_str());
            return 2;
        }
        WDXSetFormatQuality(format, number);
    }
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
        std::printf("wavedeck settings [--temp-folder DIR] [--mp3 KBITS] [--wma KBITS] [--ogg LEVEL]\n"
                    "  Prints the settings the library keeps: where block files go, where the library\n"
                    "  lives, and the quality used for MP3, WMA and Ogg Vorbis files. The options change\n"
                    "  them first; they are kept for the next start.\n"
                    "  example: wavedeck settings --mp3 192 --temp-folder /var/tmp\n");
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
    if (command == "settings") return commandSettings(args);
    std::fprintf(stderr, "wavedeck: unknown command '%s'\n", command.c_str());
    return usage(stderr);
}
