// wavedeck: the command-line host of the WaveDeck library.
//
// A real host: it makes a frame window with the library's windows in it, registers it
// for notifications, calls the exports and pumps messages, showing progress from the
// library's messages. On Linux it runs on the headless display and the default audio
// device (the null device when no sound server answers); on Windows its frame shows on
// the desktop while a command runs, and sound goes through winmm.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch_run.h"
#include "console.h"
#include "demo_sample.h"
#include "effect_catalogue.h"
#include "host_session.h"
#include "progress_bar.h"
#include "wavedeck.h"
#include "wavedeck_cd.h"
#include "wavedeck_messages.h"

namespace {

using Args = std::vector<std::string>;


struct Command {
    const char* synopsis;
    const char* description;
    const char* example;
    int (*run)(const Args& args);
};

// A failure: the sentence on stderr; status 1, or 128 + the signal when interrupted.
int fail(const std::string& sentence) {
    std::fprintf(stderr, "wavedeck: %s\n", sentence.c_str());
    return host::interruption() ? 128 + host::interruption() : 1;
}

int usageError(const std::string& command, const std::string& sentence) {
    std::fprintf(stderr, "wavedeck %s: %s (see 'wavedeck help %s')\n", command.c_str(), sentence.c_str(), command.c_str());
    return 2;
}

// Splits "FILE [-o OUT] [--flag] [--name VALUE]" arguments.
struct Parsed {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};
bool parse(const Args& args, const std::vector<std::string>& valued, const std::vector<std::string>& flags, Parsed& out,
           std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--" && !optionsEnded) {
            optionsEnded = true;  // what follows are names, even when they start with '-'
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            bool isValued = std::find(valued.begin(), valued.end(), a) != valued.end();
            bool isFlag = std::find(flags.begin(), flags.end(), a) != flags.end();
            if (isFlag) {
                out.options[a] = "1";
            } else if (isValued && i + 1 < args.size()) {
                out.options[a] = args[++i];
            } else {
                error = isValued ? a + " needs a value" : "unknown option '" + a + "'";
                return false;
            }
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

bool parseInt(const std::string& text, int lowest, int highest, int& out) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < lowest || v > highest) return false;
    out = static_cast<int>(v);
    return true;
}

// Shows reading and writing progress of the session's operations.
void attachProgress(host::Session& session, host::ProgressBar*& reading, host::ProgressBar*& writing) {
    session.onNote([&session, &reading, &writing](const host::Note& note) {
        if (note.window != session.progress()) return;
        if (note.message == NotifyImportProgress && reading) reading->update(static_cast<unsigned long long>(note.lParam), note.wParam);
        if (note.message == NotifySaveProgress && writing) writing->update(static_cast<unsigned long long>(note.lParam), note.wParam);
    });
}

bool openWithProgress(host::Session& session, const std::string& path, std::string& error) {
    host::ProgressBar bar("reading");
    host::ProgressBar* reading = &bar;
    host::ProgressBar* writing = nullptr;
    attachProgress(session, reading, writing);
    bool ok = session.open(path, error);
    bar.finish(!ok);
    session.onNote({});
    return ok;
}

// The library's output type for a file name: by its extension, WAV when it has none.
// 0 for an extension no writer takes.
int outputTypeFor(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return 1;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "wav") return 1;
    if (ext == "mp3") return 2;
    if (ext == "wma") return 3;
    if (ext == "ogg") return 4;
    return 0;
}

bool saveWithProgress(host::Session& session, const std::string& path, std::string& error) {
    const int type = outputTypeFor(path);
    if (type == 0) {
        error = "'" + path + "' names no format WaveDeck writes: end it in .wav, .mp3, .ogg or .wma";
        return false;
    }
    host::ProgressBar bar("writing");
    host::ProgressBar* reading = nullptr;
    host::ProgressBar* writing = &bar;
    attachProgress(session, reading, writing);
    bool ok = session.save(path, type, error);
    bar.finish(!ok);
    session.onNote({});
    return ok;
}

std::string duration(int samples, int rate) {
    if (rate <= 0) return "?";
    long long ms = static_cast<long long>(samples) * 1000 / rate;
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

// Plays the current track; seconds < 0 plays to the end (or until interrupted).
bool play(host::Session& session, bool loop, double seconds, std::string& error) {
    // Only a selection change from the stop of this play may end the wait below: news
    // still queued from before is taken first.
    session.pumpFor(std::chrono::milliseconds(0));
    session.clear();
    if (WDXPlayTrack(loop ? 2 : 0) != 0) {
        error = WDXGetTrackInfo(0) < 0 ? "there is no track to play"
                                       : "the output device refused to play " + std::to_string(WDXGetTrackInfo(1)) +
                                             " Hz with " + std::to_string(WDXGetTrackInfo(0)) + " channel(s)";
        return false;
    }
    const int rate = WDXGetTrackInfo(1);
    const double length = rate > 0 ? static_cast<double>(WDXGetTrackInfo(2)) / rate : 0;
    // The library's main window stops the play at the end of its range and then tells
    // the host windows that the selection view changed.
    auto stopped = [&] { return session.count(session.frame(), NotifySelectionChanged) > 0 || host::interruption(); };
    if (seconds >= 0 || loop) {
        auto span = std::chrono::milliseconds(static_cast<long long>((seconds >= 0 ? seconds : 1e9) * 1000));
        session.pumpUntil(stopped, span);
        if (!session.count(session.frame(), NotifySelectionChanged)) {
            WDXStopTrack();
            session.pumpUntil([&] { return session.count(session.frame(), NotifySelectionChanged) > 0; }, std::chrono::seconds(5));
        }
    } else {
        auto deadline = std::chrono::milliseconds(static_cast<long long>((length + 10) * 1000));
        if (!session.pumpUntil(stopped, deadline)) {
            WDXStopTrack();
            error = "playback did not end in time";
            return false;
        }
        if (host::interruption()) WDXStopTrack();
    }
    // Ctrl-C ends a play; the program ends as usual.
    host::clearInterruption();
    session.pumpFor(std::chrono::milliseconds(0));
    return true;
}

int commandInfo(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {}, {}, p, error)) return usageError("info", error);
    if (p.positional.size() != 1) return usageError("info", "give one FILE");
    host::Session session;
    if (!openWithProgress(session, p.positional[0], error)) return fail(error);
    int channels = WDXGetTrackInfo(0), rate = WDXGetTrackInfo(1), length = WDXGetTrackInfo(2);
    std::printf("file:        %s\n", p.positional[0].c_str());
    std::printf("sample rate: %d Hz\n", rate);
    std::printf("channels:    %d\n", channels);
    std::printf("length:      %d samples\n", length);
    std::printf("duration:    %s\n", duration(length, rate).c_str());
    return 0;
}

int commandPlay(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"--seconds"}, {"--loop"}, p, error)) return usageError("play", error);
    if (p.positional.size() != 1) return usageError("play", "give one FILE");
    int seconds = -1;
    if (p.options.count("--seconds") && !parseInt(p.options["--seconds"], 0, 86400, seconds)) {
        return usageError("play", "--seconds takes a whole number of seconds");
    }
    host::Session session;
    if (!openWithProgress(session, p.positional[0], error)) return fail(error);
    std::fprintf(stderr, "playing %s on %s\n", duration(WDXGetTrackInfo(2), WDXGetTrackInfo(1)).c_str(),
                 WDXGetWaveOutDeviceCount() > 0 ? "the default output device" : "no device");
    if (!play(session, p.options.count("--loop") > 0, seconds, error)) return fail(error);
    return 0;
}

// Converts files into a folder with the library's batch converter; a summary at the end.
int convertBatch(const Parsed& p) {
    const int type = outputTypeFor("x." + p.options.at("--to"));
    if (!type) return usageError("convert", "--to takes wav, mp3, ogg or wma");
    const std::string folder = host::absolutePath(p.options.at("--out"));
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (!std::filesystem::is_directory(folder)) return fail("cannot make the folder '" + folder + "'");
    std::vector<std::string> files;
    for (const std::string& file : p.positional) files.push_back(host::absolutePath(file));
    host::Session session;
    auto outcomes = host::runBatch(session, files, folder, type, [] { return host::interruption() != 0; });
    size_t converted = 0;
    for (const auto& outcome : outcomes) converted += outcome.problem.empty();
    std::printf("converted %zu of %zu files into %s\n", converted, outcomes.size(), folder.c_str());
    for (const auto& outcome : outcomes) {
        if (!outcome.problem.empty()) std::printf("  %s: %s\n", outcome.file.c_str(), outcome.problem.c_str());
    }
    if (host::interruption()) return 128 + host::interruption();
    return converted == outcomes.size() ? 0 : 1;
}

int commandConvert(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"-o", "--to", "--out"}, {}, p, error)) return usageError("convert", error);
    const bool batch = p.options.count("--to") || p.options.count("--out");
    if (batch) {
        if (p.positional.empty() || !p.options.count("--to") || !p.options.count("--out") || p.options.count("-o")) {
            return usageError("convert", "give FILE... --to TYPE --out DIR");
        }
        return convertBatch(p);
    }
    if (p.positional.size() != 1 || !p.options.count("-o")) return usageError("convert", "give FILE and -o OUT");
    host::Session session;
    if (!openWithProgress(session, p.positional[0], error)) return fail(error);
    if (!saveWithProgress(session, p.options["-o"], error)) return fail(error);
    std::printf("wrote %s\n", p.options["-o"].c_str());
    return 0;
}

// The time recorded and the level on stderr: redrawn in place on a terminal when they
// change, one line per second recorded otherwise (logs stay short).
class RecordingLine {
public:
    void show(int samples, int rate, int peak) {
        const double level = peak > 0 ? 20.0 * std::log10(peak / 32767.0) : -99.0;
        // The bar spans -60 to 0 dBFS.
        const int filled = std::clamp(static_cast<int>((level + 60.0) / 3.0), 0, 20);
        char text[128];
        std::snprintf(text, sizeof text, "recording %s  [%-20s] %6.1f dBFS", duration(samples, rate).c_str(),
                      std::string(static_cast<size_t>(filled), '#').c_str(), level);
        const int second = rate > 0 ? samples / rate : 0;
        if (text == shown_ || (!terminal_ && second == second_)) return;
        shown_ = text;
        second_ = second;
        std::fprintf(stderr, terminal_ ? "\r%s" : "%s\n", text);
        std::fflush(stderr);
    }
    void finish() {
        if (terminal_ && !shown_.empty()) std::fputc('\n', stderr);
    }

private:
    bool terminal_ = host::stderrIsTerminal();
    std::string shown_;
    int second_ = -1;
};

int commandRecord(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"-o", "--seconds", "--device", "--line"}, {}, p, error)) return usageError("record", error);
    if (!p.positional.empty() || !p.options.count("-o")) return usageError("record", "give -o OUT");
    int seconds = 0, device = -1, line = -1;
    if (p.options.count("--seconds") && !parseInt(p.options["--seconds"], 1, 86400, seconds)) {
        return usageError("record", "--seconds takes a whole number of seconds, at least 1");
    }
    if (p.options.count("--device") && !parseInt(p.options["--device"], 0, 9999, device)) {
        return usageError("record", "--device takes an input device number, 0 for the first");
    }
    if (p.options.count("--line") && !parseInt(p.options["--line"], 0, 9999, line)) {
        return usageError("record", "--line takes a recording line number, 0 for the first");
    }
    const std::string out = p.options["-o"];
    if (outputTypeFor(out) == 0) return fail("'" + out + "' names no format WaveDeck writes: end it in .wav, .mp3, .ogg or .wma");
    host::Session session;
    if (device >= 0) {
        if (device >= WDXGetWaveInDeviceCount()) {
            return fail("there is no input device " + std::to_string(device) + ": there are " +
                        std::to_string(WDXGetWaveInDeviceCount()));
        }
        WDXSetWaveInDevice(device);
    }
    if (line >= 0 && !WDXSetRecCurLine(line)) {
        return fail("the input device has no recording line " + std::to_string(line) + ": it has " +
                    std::to_string(WDXGetRecLineCount()));
    }
    // The record window shows the take, and ends it when its device goes away.
    WDXCreateRecordWnd(session.frame(), 0, 0, 400, 100);
    std::vector<char> name(WD_MAX_TEXT, 0);
    WDXGetWaveInDeviceName(WDXGetWaveInDevice(), name.data());
    constexpr int kRate = 44100;
    WDXSetRecordParam(2, kRate, 16);
    if (WDXBeginRecord() != 0) {
        return fail("cannot record from '" + std::string(name.data()) + "': it is gone or refuses 44.1 kHz 16-bit stereo");
    }
    std::fprintf(stderr, "recording from %s%s; Ctrl-C stops and keeps what was recorded\n", name.data(),
                 seconds ? (" for " + std::to_string(seconds) + " s").c_str() : "");
    const long long limit = static_cast<long long>(seconds) * kRate;
    RecordingLine shown;
    session.pumpUntil(
        [&] {
            shown.show(WDXGetRecordInfo(0), kRate, WDXGetRecordInfo(1));
            return host::interruption() || WDXGetRecordInfo(2) != 1 || (limit > 0 && WDXGetRecordInfo(0) >= limit);
        },
        std::chrono::hours(24 * 365));
    const bool deviceGone = WDXGetRecordInfo(2) != 1;
    WDXStopRecord();
    shown.show(WDXGetRecordInfo(0), kRate, WDXGetRecordInfo(1));
    shown.finish();
    if (deviceGone) std::fprintf(stderr, "the input device went away: keeping what was recorded\n");
    host::clearInterruption();  // Ctrl-C ends the recording; the take is still saved
    session.clear();
    WDXSureRecord();
    // The library's main window takes the take over like a file read.
    session.pumpUntil([&] { return session.count(session.frame(), NotifyTrackChanged) > 0; }, std::chrono::seconds(10));
    if (WDXGetTrackInfo(2) <= 0) return fail("nothing was recorded: nothing was written");
    if (!saveWithProgress(session, out, error)) return fail(error);
    std::printf("wrote %s: %s of %d channels at %d Hz\n", out.c_str(), duration(WDXGetTrackInfo(2), kRate).c_str(),
                WDXGetTrackInfo(0), WDXGetTrackInfo(1));
    return 0;
}

int commandCdTracks(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {}, {}, p, error)) return usageError("cd-tracks", error);
    if (p.positional.size() != 2) return usageError("cd-tracks", "give DEVICE-OR-IMAGE and FOLDER");
    const std::string& disc = p.positional[0];
    const std::string& folder = p.positional[1];
    const int tracks = WDXMakeCdTrackFolder(disc.c_str(), folder.c_str());
    if (tracks < 0) {
        return fail("cannot make '" + folder + "' a drive for '" + disc +
                    "': the disc cannot be read (no disc, not a CD, or an image without its BIN) or the folder cannot be written");
    }
    std::printf("%d audio track%s in %s\n", tracks, tracks == 1 ? "" : "s", folder.c_str());
    for (int t = 1; t <= 99; ++t) {
        char name[16];
        std::snprintf(name, sizeof name, "/Track%02d.cda", t);
        std::error_code missing;
        if (std::filesystem::exists(folder + name, missing)) std::printf("  %s%s\n", folder.c_str(), name);
    }
    return 0;
}

// "A:B" in seconds (decimals allowed) into a first and a last second.
bool parseSpan(const std::string& text, double& first, double& last) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    char* end = nullptr;
    const std::string a = text.substr(0, colon), b = text.substr(colon + 1);
    first = std::strtod(a.c_str(), &end);
    if (a.empty() || *end) return false;
    last = std::strtod(b.c_str(), &end);
    return !b.empty() && !*end && first >= 0 && last > first;
}

int commandSnapshot(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"-o", "--select", "--scale"}, {}, p, error)) return usageError("snapshot", error);
    if (p.positional.empty() || !p.options.count("-o")) return usageError("snapshot", "give FILE and -o PNG");
    int scale = 1;
    if (p.options.count("--scale") && !parseInt(p.options["--scale"], 1, 2, scale)) {
        return usageError("snapshot", "--scale takes 1 or 2");
    }
    double first = 0, last = 0;
    if (p.options.count("--select") && !parseSpan(p.options["--select"], first, last)) {
        return usageError("snapshot", "--select takes START:END in seconds, START before END");
    }
    host::Session session(scale);
    // Every file gets a tab; the last one opened is shown.
    for (const std::string& file : p.positional) {
        if (!openWithProgress(session, file, error)) return fail(error);
    }
    if (p.options.count("--select")) {
        const int rate = WDXGetTrackInfo(1);
        session.selectWithMouse(static_cast<int>(first * rate), static_cast<int>(last * rate));
    }
    if (!session.snapshot(p.options["-o"], error)) return fail(error);
    std::printf("wrote %s\n", p.options["-o"].c_str());
    return 0;
}

int commandDemo(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"--out"}, {}, p, error)) return usageError("demo", error);
    const std::string folder = p.options.count("--out") ? p.options["--out"] : "wavedeck-demo";
    std::error_code made;
    std::filesystem::create_directory(folder, made);
    const std::string sample = folder + "/sample.wav", saved = folder + "/saved.wav", picture = folder + "/snapshot.png";

    std::printf("1. making a 4-second stereo sample: %s\n", sample.c_str());
    if (!host::writeDemoSample(sample, 4.0)) return fail("cannot write '" + sample + "'");
    host::Session session;
    std::printf("2. opening it\n");
    if (!openWithProgress(session, sample, error)) return fail(error);
    std::printf("   %d channels at %d Hz, %s\n", WDXGetTrackInfo(0), WDXGetTrackInfo(1),
                duration(WDXGetTrackInfo(2), WDXGetTrackInfo(1)).c_str());
    std::printf("3. playing its first second on the default output device\n");
    if (!play(session, false, 1, error)) return fail(error);
    std::printf("4. saving it as WAV: %s\n", saved.c_str());
    if (!saveWithProgress(session, saved, error)) return fail(error);
    std::printf("5. picturing the editor: %s\n", picture.c_str());
    if (!session.snapshot(picture, error)) return fail(error);
    std::printf("done\n");
    return 0;
}

int commandSettings(const Args& args) {
    const std::string notKept = host::settingsNotKept();
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return usageError("settings", args[i] + " needs a value");
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        if (option == "--temp-folder") {
            const std::string folder = host::absolutePath(value);
            if (!host::isWritableFolder(folder)) {
                return fail("'" + value + "' is not a folder this user can write in");
            }
            if (!WDXSetTempFolder(folder.c_str())) return fail(notKept);
            continue;
        }
        int format = option == "--mp3" ? 1 : option == "--wma" ? 2 : option == "--ogg" ? 3 : 0;
        int number = 0;
        if (!format) return usageError("settings", "unknown option '" + option + "'");
        if (!parseInt(value, 0, 100000, number)) return usageError("settings", "'" + value + "' is not a number for " + option);
        if (!WDXSetFormatQuality(format, number)) return fail(notKept);
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

// Runs an effect on the current track with a progress bar; an effect cannot be stopped,
// so it runs to its end even when interrupted. False with a sentence when it could not
// start or the library refused its parameters.
bool runEffect(host::Session& session, const host::EffectInfo& effect, const host::EffectBlock& block,
               std::string& error) {
    session.clear();
    host::ProgressBar bar(effect.name);
    WPARAM doneWord = 0;
    session.onNote([&](const host::Note& note) {
        if (note.window != session.progress()) return;
        if (note.message == NotifyEffectProgress) bar.update(static_cast<unsigned long long>(note.lParam), 100);
        if (note.message == NotifyEffectDone) doneWord = note.wParam;
    });
    bool ok = WDXDoEffect(session.progress(), effect.id, reinterpret_cast<LPARAM>(&block)) == 0;
    if (ok) {
        // The main window takes the result over (a new track for a copy) and tells the frame.
        session.pumpUntil([&] { return session.count(session.progress(), NotifyEffectDone) > 0; }, std::chrono::hours(24));
        session.pumpUntil([&] { return session.count(session.frame(), NotifyTrackChanged) > 0; }, std::chrono::seconds(10));
        session.pumpFor(std::chrono::milliseconds(0));
        ok = doneWord == 1;
        error = "the library refused the parameters of " + std::string(effect.name) +
                " for this file, or could not write the result (see 'wavedeck help effect')";
    } else {
        error = std::string(effect.name) + " cannot start here" + (effect.id == 7 ? ": mix needs two or more FILEs" : "");
    }
    bar.finish(!ok);
    session.onNote({});
    if (ok && host::interruption()) {
        ok = false;
        error = "interrupted: nothing was written";
    }
    return ok;
}

int commandEffect(const Args& args) {
    // --param may come many times: those are taken out before the common parsing.
    Args rest;
    std::vector<std::string> settings;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
            break;
        }
        if (args[i] != "--param") {
            rest.push_back(args[i]);
        } else if (i + 1 < args.size()) {
            settings.push_back(args[++i]);
        } else {
            return usageError("effect", "--param needs NAME=VALUE");
        }
    }
    Parsed p;
    std::string error;
    if (!parse(rest, {"-o", "--id", "--select"}, {}, p, error)) return usageError("effect", error);
    if (p.positional.empty() || !p.options.count("-o") || !p.options.count("--id")) {
        return usageError("effect", "give FILE, --id N and -o OUT");
    }
    const host::EffectInfo* effect = host::findEffect(p.options["--id"]);
    if (!effect) return usageError("effect", "there is no effect '" + p.options["--id"] + "'");
    host::EffectBlock block;
    if (!host::buildBlock(*effect, settings, block, error)) return usageError("effect", error);
    double first = 0, last = 0;
    if (p.options.count("--select") && !parseSpan(p.options["--select"], first, last)) {
        return usageError("effect", "--select takes START:END in seconds, START before END");
    }
    host::Session session;
    // The other files first (for mix), so that the first FILE is the current track.
    for (size_t i = p.positional.size(); i-- > 0;) {
        if (!openWithProgress(session, p.positional[i], error)) return fail(error);
    }
    if (p.options.count("--select")) {
        const int rate = WDXGetTrackInfo(1);
        session.selectWithMouse(static_cast<int>(first * rate), static_cast<int>(last * rate));
    } else {
        WDXSelectAll();
    }
    if (!runEffect(session, *effect, block, error)) return fail(error);
    if (!saveWithProgress(session, p.options["-o"], error)) return fail(error);
    std::printf("wrote %s\n", p.options["-o"].c_str());
    return 0;
}

// The file a recovered track is saved to: its number and its former file's name.
std::string recoveredPath(const std::string& folder, int number, const std::string& name) {
    std::string stem = std::filesystem::path(name).filename().string();
    stem = stem.substr(0, stem.find_last_of('.'));
    return folder + "/" + std::to_string(number) + "-" + (stem.empty() ? "track" : stem) + ".wav";
}

int commandRecover(const Args& args) {
    Parsed p;
    std::string error;
    if (!parse(args, {"--out"}, {"--discard"}, p, error)) return usageError("recover", error);
    if (!p.positional.empty()) return usageError("recover", "takes no FILE");
    host::Session session;
    const int count = WDXGetRecoveryTrackCount();
    std::printf("%d track%s from %d session%s that ended unexpectedly\n", count, count == 1 ? "" : "s",
                WDXGetRecoverySessionCount(), WDXGetRecoverySessionCount() == 1 ? "" : "s");
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[4096];
        WDXGetRecoveryTrackName(i, name, sizeof name);
        names.push_back(name);
        const int problem = WDXGetRecoveryTrackProblem(i);
        const std::string why = problem == WD_FAILURE_NONE ? "" : ": cannot be recovered, " + host::failureText(problem, false);
        std::printf("  %d. %s, %d samples%s\n", i + 1, name, WDXGetRecoveryTrackLength(i), why.c_str());
    }
    int failed = 0;
    if (p.options.count("--out")) {
        const std::string folder = host::absolutePath(p.options["--out"]);
        std::error_code made;
        std::filesystem::create_directory(folder, made);
        // Each recovery removes its offer: the next one moves to the place of the first kept.
        for (int i = 0, kept = 0; i < count; ++i) {
            if (WDXRecoverTrack(kept) != 0) {
                ++kept;
                ++failed;
                continue;
            }
            session.pumpFor(std::chrono::milliseconds(0));
            const std::string path = recoveredPath(folder, i + 1, names[static_cast<size_t>(i)]);
            if (!saveWithProgress(session, path, error)) return fail(error);
            std::printf("wrote %s\n", path.c_str());
            WDXCloseCurTrack();
            session.pumpFor(std::chrono::milliseconds(0));
        }
    }
    if (p.options.count("--discard")) {
        WDXDiscardRecovery();
        std::printf("discarded what was left\n");
    }
    return failed > 0 ? 1 : 0;
}

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"info", {"wavedeck info FILE",
                  "Opens a sound file (.wav, .aiff, .wma, or a CD track's .cda) and prints its sample rate,\n"
                  "  channels, length and duration.",
                  "wavedeck info take1.wav", commandInfo}},
        {"play", {"wavedeck play FILE [--loop] [--seconds N]",
                  "Opens a sound file and plays it on the default output device: to its end, or for N seconds;\n"
                  "  --loop repeats it until the N seconds are over or Ctrl-C is pressed.",
                  "wavedeck play take1.wav --seconds 5", commandPlay}},
        {"convert", {"wavedeck convert FILE -o OUT | wavedeck convert FILE... --to wav|mp3|ogg|wma --out DIR",
                     "Opens a sound file and saves it in the format its name asks for: .wav (16-bit PCM),\n"
                     "  .mp3, .ogg or .wma, at the quality the settings keep. With --to and --out it converts\n"
                     "  every FILE into DIR (made when missing) under its own name, one progress bar per file,\n"
                     "  and ends with what failed and why (status 1; Ctrl-C cancels, status 130).",
                     "wavedeck convert voice.aiff -o voice.wav", commandConvert}},
        {"record", {"wavedeck record -o OUT [--seconds N] [--device N] [--line N]",
                    "Records from an input device, showing the time recorded and the level: for N seconds, or\n"
                    "  until Ctrl-C is pressed. Then keeps the take and saves it in the format OUT's name asks for.\n"
                    "  --device picks the input device (0 is the default one), --line its recording line.",
                    "wavedeck record -o take1.wav --seconds 10", commandRecord}},
        {"cd-tracks", {"wavedeck cd-tracks DEVICE-OR-IMAGE FOLDER",
                       "Makes FOLDER stand for a CD drive holding the disc: one TrackNN.cda file per audio track,\n"
                       "  which 'info', 'play' and 'convert' then open. The disc is a device such as /dev/sr0 or an\n"
                       "  image: a .cue with its .bin of the same name, a .toc or an .nrg.",
                       "wavedeck cd-tracks /dev/sr0 ~/cd && wavedeck convert ~/cd/Track01.cda -o track1.wav",
                       commandCdTracks}},
        {"snapshot", {"wavedeck snapshot FILE... -o PNG [--select START:END] [--scale 2]",
                      "Opens sound files (one tab each) and writes a picture of the editor showing the last:\n"
                      "  the waveform with its tabs and rulers, the large time display and the level meter.\n"
                      "  --select drags a selection across the waveform from START to END seconds, as a user\n"
                      "  would with the mouse; --scale 2 draws every pixel of the view twice as large.",
                      "wavedeck snapshot intro.wav take1.wav --select 2.5:4 -o take1.png", commandSnapshot}},
        {"effect", {"wavedeck effect FILE... --id N [--param NAME=VALUE ...] [--select START:END] -o OUT",
                    "Opens a sound file, runs one of the library's effects on it and saves the result as\n"
                    "  convert does. The effect works on the whole file, or on the span --select drags\n"
                    "  across the waveform (START to END seconds, to a column of the view); each --param\n"
                    "  sets one parameter, the others keep the defaults listed below. 'mix' mixes the\n"
                    "  other FILEs into the first; 'copy' writes the selection alone.",
                    "wavedeck effect take1.wav --id echo --param delay-ms=250 --param decay=0.4 -o echo.wav",
                    commandEffect}},
        {"recover", {"wavedeck recover [--out DIR] [--discard]",
                     "Lists the tracks a session that ended unexpectedly (a crash, a kill, a power cut) left\n"
                     "  unsaved, with their length. --out saves each as DIR/N-NAME.wav (DIR made when\n"
                     "  missing); --discard then deletes what is left. Without either nothing changes.",
                     "wavedeck recover --out ~/recovered --discard", commandRecover}},
        {"demo", {"wavedeck demo [--out DIR]",
                  "Makes a sample, opens it, plays one second of it, saves it and pictures the editor,\n"
                  "  all through the library's exports. Files go to DIR (default ./wavedeck-demo).",
                  "wavedeck demo --out /tmp/demo", commandDemo}},
        {"settings", {"wavedeck settings [--temp-folder DIR] [--mp3 KBITS] [--wma KBITS] [--ogg LEVEL]",
                      "Prints the settings the library keeps: where block files go, where the library lives,\n"
                      "  and the quality used for MP3, WMA and Ogg Vorbis files. The options change them\n"
                      "  first; they are kept for the next start.",
                      "wavedeck settings --mp3 192 --temp-folder /var/tmp", commandSettings}},
    };
    return table;
}

int usage(FILE* out) {
    std::fprintf(out, "usage: wavedeck [--version] [--help] COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& [name, c] : commands()) std::fprintf(out, "  %s\n", c.synopsis);
    std::fprintf(out, "\n'wavedeck help COMMAND' explains one command with an example.\n");
    return out == stderr ? 2 : 0;
}

int help(const std::string& name) {
    auto it = commands().find(name);
    if (it == commands().end()) {
        std::fprintf(stderr, "wavedeck: no command '%s'\n", name.c_str());
        return 2;
    }
    std::printf("%s\n  %s\n  example: %s\n", it->second.synopsis, it->second.description, it->second.example);
    if (name == "effect") std::printf("%s", host::effectHelp().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    host::catchInterrupts();
    Args args(argv + 1, argv + argc);
    if (args.empty()) return usage(stderr);
    const std::string& command = args[0];
    if (command == "--version" || command == "version") {
        std::printf("wavedeck %s\n", WDXGetVersion());
        return 0;
    }
    if (command == "--help" || command == "-h") return usage(stdout);
    if (command == "help") return args.size() > 1 ? help(args[1]) : usage(stdout);
    auto it = commands().find(command);
    if (it == commands().end()) {
        std::fprintf(stderr, "wavedeck: unknown command '%s'\n", command.c_str());
        return usage(stderr);
    }
    return it->second.run(args);
}
