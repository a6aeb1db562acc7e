#include "effect_catalog.h"

#include <algorithm>
#include <cmath>

namespace desktop {

namespace {

using Kind = Parameter::Kind;
using Unit = Parameter::Unit;

Parameter floatParameter(const char* label, int word, double lowest, double highest, double value, double step, int digits) {
    Parameter p;
    p.label = label;
    p.word = word;
    p.kind = Kind::Float;
    p.minimum = lowest;
    p.maximum = highest;
    p.value = value;
    p.step = step;
    p.digits = digits;
    return p;
}

Parameter intParameter(const char* label, int word, double lowest, double highest, double value, double step = 1) {
    Parameter p = floatParameter(label, word, lowest, highest, value, step, 0);
    p.kind = Kind::Int;
    return p;
}

Parameter inUnit(Parameter p, Parameter::Unit unit) {
    p.unit = unit;
    return p;
}

Parameter choiceParameter(const char* label, int word, std::vector<std::string> choices, int index, int base) {
    Parameter p;
    p.label = label;
    p.word = word;
    p.kind = Kind::Choice;
    p.choices = std::move(choices);
    p.value = index;
    p.choiceBase = base;
    return p;
}

}  // namespace

const std::vector<Effect>& EffectCatalog::all() {
    static const std::vector<Effect>* effects = new std::vector<Effect>{
        {1, "_Amplify…", 5, 1, "Raises or lowers the selection's level; samples beyond full scale are clipped.", false},
        {2, "_Normalize…", 5, 2, "Removes the DC offset and scales the selection so that its peak reaches the target level below full scale.", false},
        {10, "_Compressor…", 5, 3, "Lowers the level above the threshold by the ratio.", false},
        {3, "_Reverse", 5, 4, "", false},
        {4, "_Invert", 5, 5, "", false},
        {5, "Re_peat…", 5, 6, "Inserts copies of the selection after it.", false},
        {6, "_Echo…", 5, 7, "Adds the delayed output back, fading by the decay.", false},
        {11, "P_haser…", 5, 8, "Sweeps a notch through the sound.", false},
        {8, "Fade _In", 5, 9, "", false},
        {9, "Fade _Out", 5, 10, "", false},
        {12, "Change _Speed…", 5, 11, "Resamples the selection: longer and lower, or shorter and higher.", false},
        {13, "Change P_itch…", 5, 12, "Raises or lowers the pitch by semitones (12 to the octave); the length stays.", false},
        {14, "Change _Tempo…", 5, 13, "Makes the selection faster or slower by a percentage; the pitch stays.", false},
        {24, "Channel _Mixer…", 5, 14, "New left and right channels as weighted sums of the old ones.", false},
        {25, "_Gain Ramp…", 5, 15, "Changes the gain evenly from the start value to the end value.", false},
        {7, "Mi_x All Tracks", 2, 15, "", false},
        {22, "Con_vert Format…", 2, 17, "Converts the whole track to another sample rate and channel count.", false},
        {23, "Copy to New T_rack", 2, 18, "", false},
        {16, "_Low-Pass Filter…", 9, 1, "Keeps the frequencies below the cutoff.", true},
        {17, "_High-Pass Filter…", 9, 2, "Keeps the frequencies above the cutoff.", true},
        {18, "_Band-Pass Filter…", 9, 3, "Keeps a band around the centre frequency.", true},
        {21, "Band-_Stop Filter…", 9, 6, "Removes a band around the centre frequency.", true},
        {15, "Three-Band _Equalizer…", 9, 7, "Gains for the lows (below 880 Hz), the mids and the highs (above 5 kHz).", true},
    };
    return *effects;
}

std::vector<Parameter> EffectCatalog::parameters(int id, int sampleRate, int channels) {
    // Filter frequencies must stay below half the sample rate.
    const double nyquist = std::max(2.0, sampleRate / 2.0 - 1.0);
    auto frequency = [&](const char* label, int word, double value) {
        return floatParameter(label, word, 1, nyquist, std::min(value, nyquist), 10, 0);
    };
    switch (id) {
        // The library's defaults (a gain of 2, a peak of 0.75) as decibels.
        case 1: return {inUnit(floatParameter("_Gain (dB)", 0, -40, 26, 20 * std::log10(2.0), 0.5, 2), Unit::Decibel)};
        case 2: return {inUnit(floatParameter("_Target peak (dBFS)", 0, -40, 0, 20 * std::log10(0.75), 0.5, 2), Unit::Decibel)};
        case 5: return {intParameter("_Copies", 4, 1, 100, 1)};
        case 6: return {floatParameter("_Decay (0 to 1)", 0, 0, 1, 0.5, 0.05, 2), intParameter("De_lay (ms)", 4, 1, 5000, 20)};
        case 10: {
            Parameter ratio = floatParameter("_Ratio (to 1)", 5, 1, 20, 2.0, 0.1, 1);
            ratio.kind = Kind::Int;
            ratio.scale = 10;
            return {intParameter("_Threshold (dB)", 4, -60, 0, -12), ratio, intParameter("_Attack (ms)", 6, 1, 5000, 200, 10)};
        }
        case 11:
            return {intParameter("Start _phase (radians)", 4, 0, 6, 0), intParameter("_Depth (0 to 255)", 5, 0, 255, 100),
                    intParameter("_Feedback (%)", 6, -100, 100, 0)};
        case 12: return {floatParameter("_Length factor", 0, 0.25, 4, 1.5, 0.05, 2)};
        case 13: return {inUnit(floatParameter("_Pitch change (semitones)", 0, -12, 12, 0, 1, 2), Unit::Semitone)};
        case 14: return {floatParameter("_Tempo change (%)", 0, -50, 100, 0, 1, 1)};
        case 15:
            return {floatParameter("_Low gain", 0, 0, 4, 1, 0.1, 2), floatParameter("_Mid gain", 1, 0, 4, 1, 0.1, 2),
                    floatParameter("_High gain", 2, 0, 4, 1, 0.1, 2)};
        case 16: return {frequency("_Cutoff (Hz)", 0, 1000)};
        case 17: return {frequency("_Cutoff (Hz)", 0, 300)};
        case 18:
        case 21: return {frequency("_Centre (Hz)", 0, 1000), frequency("_Bandwidth (Hz)", 1, 200)};
        case 22: {
            const bool stereo = channels > 1;
            return {floatParameter("Sample _rate (Hz)", 0, 8000, 192000, sampleRate > 0 ? sampleRate : 44100, 50, 0),
                    choiceParameter("_Channels", 4, {"Mono", "Stereo"}, stereo ? 1 : 0, 1),
                    choiceParameter("_Mono from", 5, {"Left channel", "Right channel", "Mix of both"}, 2, 0),
                    intParameter("_First weight (%)", 6, 0, 200, stereo ? 50 : 100),
                    intParameter("_Second weight (%)", 7, 0, 200, stereo ? 50 : 100)};
        }
        case 24:
            return {floatParameter("_Left to left", 0, -2, 2, 1, 0.1, 2), floatParameter("_Right to left", 1, -2, 2, 0, 0.1, 2),
                    floatParameter("L_eft to right", 2, -2, 2, 0, 0.1, 2), floatParameter("R_ight to right", 3, -2, 2, 1, 0.1, 2)};
        case 25: return {floatParameter("_Start gain", 0, 0, 10, 1, 0.1, 2), floatParameter("_End gain", 1, 0, 10, 0.5, 0.1, 2)};
        default: return {};
    }
}

const Effect* EffectCatalog::find(int id) {
    for (const Effect& e : all()) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

std::vector<Parameter> EffectCatalog::insertParameters(bool noise) {
    std::vector<Parameter> parameters{intParameter("_Length (ms)", 0, 1, 3600000, 1000, 100)};
    if (noise) {
        parameters.push_back(floatParameter("_Amplitude (0 to 1)", 1, 0, 1, 0.5, 0.05, 2));
        parameters.push_back(choiceParameter("_Kind", 2, {"White noise", "Pink noise"}, 0, 0));
    }
    return parameters;
}

}  // namespace desktop
