#include "effect_catalogue.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace host {
namespace {

void store(EffectBlock& block, const EffectParameter& p, double value) {
    if (p.word < 4) {
        block.floats[p.word] = static_cast<float>(value);
    } else {
        block.ints[p.word - 4] = static_cast<int32_t>(std::lround(value * p.scale));
    }
}

}  // namespace

const std::vector<EffectInfo>& effectCatalogue() {
    // clang-format off
    static const std::vector<EffectInfo> effects = {
        {1, "amplify", "multiplies by a gain, clipped to full scale", {{"gain", 0, 2.0, 1, "factor"}}},
        {2, "normalize", "removes the DC offset and scales the peak", {{"peak", 0, 0.75, 1, "target peak, 0 to 1"}}},
        {3, "reverse", "plays the selection backwards", {}},
        {4, "invert", "turns the wave upside down", {}},
        {5, "repeat", "repeats the selection after itself", {{"copies", 4, 1, 1, "how many copies"}}},
        {6, "echo", "adds a decaying echo inside the selection",
         {{"decay", 0, 0.5, 1, "level of each repeat"}, {"delay-ms", 4, 20, 1, "milliseconds between repeats"}}},
        {7, "mix", "mixes every open file into the first one (give several FILEs)", {}},
        {8, "fade-in", "fades in from silence", {}},
        {9, "fade-out", "fades out to silence", {}},
        {10, "compressor", "evens out the level above a threshold",
         {{"threshold-db", 4, -12, 1, "dB"}, {"ratio", 5, 2.0, 10, "compression ratio"},
          {"attack-ms", 6, 200, 1, "milliseconds"}}},
        {11, "phaser", "sweeps a notch across the spectrum",
         {{"phase", 4, 0, 1, "start of the sweep, radians"}, {"depth", 5, 100, 1, "0 to 255"},
          {"feedback", 6, 0, 1, "percent, -100 to 100"}}},
        {12, "speed", "plays slower and lower (or faster and higher)", {{"factor", 0, 1.5, 1, "length factor"}}},
        {13, "pitch", "changes the pitch, keeping the length", {{"percent", 0, 0, 1, "pitch change"}}},
        {14, "tempo", "changes the tempo, keeping the pitch", {{"percent", 0, 0, 1, "tempo change"}}},
        {15, "equalizer", "three bands split at 880 Hz and 5 kHz",
         {{"low", 0, 1, 1, "gain"}, {"mid", 1, 1, 1, "gain"}, {"high", 2, 1, 1, "gain"}}},
        {16, "low-pass", "Butterworth low-pass", {{"cutoff", 0, 1000, 1, "Hz"}}},
        {17, "high-pass", "Butterworth high-pass", {{"cutoff", 0, 1000, 1, "Hz"}}},
        {18, "band-pass", "band-pass around a centre", {{"centre", 0, 1000, 1, "Hz"}, {"bandwidth", 1, 200, 1, "Hz"}}},
        {19, "high-pass-2", "the same high-pass under its second number", {{"cutoff", 0, 1000, 1, "Hz"}}},
        {20, "low-pass-2", "the same low-pass under its second number", {{"cutoff", 0, 1000, 1, "Hz"}}},
        {21, "band-stop", "notch around a centre", {{"centre", 0, 1000, 1, "Hz"}, {"bandwidth", 1, 200, 1, "Hz"}}},
        {22, "convert", "converts the whole file to another rate and channel count",
         {{"rate", 0, 44100, 1, "Hz"}, {"channels", 4, 2, 1, "1 or 2"},
          {"mode", 5, 0, 1, "stereo to mono: 0 left, 1 right, 2 weighted sum"},
          {"weight1", 6, 100, 1, "percent"}, {"weight2", 7, 100, 1, "percent"}}},
        {23, "copy", "copies the selection into a new file (the output)", {}},
        {24, "channel-mixer", "mixes the two channels of a stereo file into each other",
         {{"ll", 0, 1, 1, "left into left"}, {"rl", 1, 0, 1, "right into left"},
          {"lr", 2, 0, 1, "left into right"}, {"rr", 3, 1, 1, "right into right"}}},
        {25, "gain-ramp", "a gain moving evenly from start to end",
         {{"start", 0, 1, 1, "gain at the start"}, {"end", 1, 1, 1, "gain at the end"}}},
    };
    // clang-format on
    return effects;
}

const EffectInfo* findEffect(const std::string& idOrName) {
    char* end = nullptr;
    const long id = std::strtol(idOrName.c_str(), &end, 10);
    const bool number = !idOrName.empty() && !*end;
    for (const EffectInfo& e : effectCatalogue()) {
        if (number ? e.id == id : idOrName == e.name) return &e;
    }
    return nullptr;
}

bool buildBlock(const EffectInfo& effect, const std::vector<std::string>& settings, EffectBlock& block,
                std::string& error) {
    for (const EffectParameter& p : effect.parameters) store(block, p, p.defaultValue);
    for (const std::string& setting : settings) {
        const size_t equals = setting.find('=');
        const std::string name = setting.substr(0, equals);
        const EffectParameter* parameter = nullptr;
        for (const EffectParameter& p : effect.parameters) {
            if (name == p.name) parameter = &p;
        }
        if (!parameter || equals == std::string::npos) {
            error = "'" + setting + "' is no NAME=VALUE of " + effect.name + " (see 'wavedeck help effect')";
            return false;
        }
        const std::string text = setting.substr(equals + 1);
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end) {
            error = "'" + text + "' is not a number for " + name;
            return false;
        }
        store(block, *parameter, value);
    }
    return true;
}

std::string effectHelp() {
    std::string text =
        "\n  effects (--id NUMBER or NAME) and their parameters (--param NAME=VALUE, default in brackets):\n";
    char line[256];
    for (const EffectInfo& e : effectCatalogue()) {
        std::snprintf(line, sizeof line, "  %2d %-14s %s\n", e.id, e.name, e.description);
        text += line;
        for (const EffectParameter& p : e.parameters) {
            std::snprintf(line, sizeof line, "       %-14s %s [%g]\n", p.name, p.meaning, p.defaultValue);
            text += line;
        }
    }
    return text;
}

}  // namespace host
