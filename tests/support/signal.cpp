#include "support/signal.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace wdtest {

std::vector<float> sine(int channels, int sampleRate, size_t frames, const std::vector<double>& frequencies,
                        double amplitude) {
    std::vector<float> out(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            double f = frequencies[static_cast<size_t>(c) % frequencies.size()];
            out[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * f * static_cast<double>(i) / sampleRate));
        }
    }
    return out;
}

std::vector<float> sweep(int channels, int sampleRate, size_t frames, double f0, double f1, double amplitude) {
    std::vector<float> out(frames * static_cast<size_t>(channels));
    const double seconds = static_cast<double>(frames) / sampleRate;
    const double k = std::log(f1 / f0);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double phase = 2 * std::numbers::pi * f0 * seconds / k * (std::exp(t / seconds * k) - 1);
        for (int c = 0; c < channels; ++c) {
            out[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<float>(amplitude * std::sin(phase));
        }
    }
    return out;
}

int bestLag(const std::vector<float>& reference, const std::vector<float>& decoded, int maxLag) {
    // The first stretch decides: a sweep does not repeat, and the search stays quick.
    const size_t window = std::min<size_t>(reference.size(), 16384);
    int best = 0;
    double bestSum = -1e300;
    for (int lag = 0; lag <= maxLag; ++lag) {
        double sum = 0;
        for (size_t i = 0; i < window && i + static_cast<size_t>(lag) < decoded.size(); ++i) {
            sum += static_cast<double>(reference[i]) * decoded[i + static_cast<size_t>(lag)];
        }
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

double snrDb(const std::vector<float>& reference, const std::vector<float>& decoded, int lag) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const size_t j = i + static_cast<size_t>(lag);
        const double d = j < decoded.size() ? decoded[j] : 0.0;
        signal += static_cast<double>(reference[i]) * reference[i];
        noise += (d - reference[i]) * (d - reference[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-30));
}

std::vector<int16_t> toInt16(const std::vector<float>& samples) {
    std::vector<int16_t> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [](float v) {
        return static_cast<int16_t>(std::lround(std::clamp(v * 32767.0f, -32768.0f, 32767.0f)));
    });
    return out;
}

std::vector<float> channel(const std::vector<float>& interleaved, int channels, int which) {
    std::vector<float> out;
    out.reserve(interleaved.size() / static_cast<size_t>(channels));
    for (size_t i = static_cast<size_t>(which); i < interleaved.size(); i += static_cast<size_t>(channels)) {
        out.push_back(interleaved[i]);
    }
    return out;
}

namespace {
double powerAt(const std::vector<float>& x, int sampleRate, double f) {
    double w = 2 * std::numbers::pi * f / sampleRate, re = 0, im = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        re += x[i] * std::cos(w * static_cast<double>(i));
        im -= x[i] * std::sin(w * static_cast<double>(i));
    }
    return re * re + im * im;
}
}  // namespace

double dominantFrequency(const std::vector<float>& samples, int sampleRate) {
    if (samples.size() < 2) return 0;
    size_t crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    }
    double estimate = crossings * 0.5 * sampleRate / static_cast<double>(samples.size());
    double best = estimate, bestPower = -1;
    for (double f = estimate * 0.9; f <= estimate * 1.1; f += std::max(0.25, estimate * 0.001)) {
        double p = powerAt(samples, sampleRate, f);
        if (p > bestPower) {
            bestPower = p;
            best = f;
        }
    }
    return best;
}

double rms(const std::vector<float>& samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (float v : samples) sum += static_cast<double>(v) * v;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

SoundFile readSoundFile(const std::string& path) {
    SoundFile file;
    SF_INFO info{};
    SNDFILE* sf = sf_open(path.c_str(), SFM_READ, &info);
    if (!sf) return file;
    file.sampleRate = info.samplerate;
    file.channels = info.channels;
    file.format = info.format;
    std::vector<float> buffer(4096 * static_cast<size_t>(info.channels));
    sf_count_t n;
    while ((n = sf_readf_float(sf, buffer.data(), 4096)) > 0) {
        file.samples.insert(file.samples.end(), buffer.begin(), buffer.begin() + n * info.channels);
        file.frames += n;
    }
    sf_close(sf);
    file.ok = true;
    return file;
}

std::string runCommand(const std::string& command, int* exitCode) {
    std::string out;
    FILE* pipe = openCommandPipe(command);
    if (!pipe) {
        if (exitCode) *exitCode = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = closeCommandPipe(pipe);
    if (exitCode) *exitCode = status;
    return out;
}

}  // namespace wdtest
