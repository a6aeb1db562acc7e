#include "support/model_reference.h"

#include <algorithm>

namespace wdtest {

std::vector<float> staircase(int count, int first) {
    std::vector<float> s(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) s[static_cast<size_t>(i)] = static_cast<float>(first + i);
    return s;
}

void referenceMinMax(const std::vector<float>& samples, int64_t from, int64_t to, float& lo, float& hi) {
    lo = hi = samples[static_cast<size_t>(from)];
    for (int64_t i = from + 1; i < to; ++i) {
        const float v = samples[static_cast<size_t>(i)];
        if (v < lo) lo = v;
        if (v > hi) hi = v;
    }
}

int referenceColumns(const std::vector<float>& samples, const std::vector<int>& blockSampleCounts, int columns, int start,
                     int samplesPerColumn, std::vector<float>& mins, std::vector<float>& maxs) {
    mins.assign(static_cast<size_t>(std::max(columns, 0)), 0.0f);
    maxs = mins;
    const int64_t size = static_cast<int64_t>(samples.size());
    if (columns < 1 || samplesPerColumn < 1 || start < 0 || start >= size) return 0;
    if (samplesPerColumn == 1) {
        const int n = static_cast<int>(std::min<int64_t>(columns, size - start));
        for (int i = 0; i < n; ++i) mins[static_cast<size_t>(i)] = maxs[static_cast<size_t>(i)] = samples[static_cast<size_t>(start + i)];
        return n;
    }
    const int64_t end = std::min<int64_t>(static_cast<int64_t>(start) + static_cast<int64_t>(columns) * samplesPerColumn, size);
    const int64_t unit = samplesPerColumn >= 65536 ? 65536 : samplesPerColumn >= 256 ? 256 : 1;

    // Every unit that overlaps [start, end), in order: (unit start, minimum, maximum).
    struct Unit {
        int64_t start;
        float lo, hi;
    };
    std::vector<Unit> units;
    int64_t blockStart = 0;
    for (int count : blockSampleCounts) {
        const int64_t blockEnd = blockStart + count;
        for (int64_t u = blockStart; u < blockEnd; u += unit) {
            const int64_t uEnd = std::min(u + unit, blockEnd);
            if (uEnd <= start || u >= end) continue;
            Unit x{u, 0, 0};
            referenceMinMax(samples, u, uEnd, x.lo, x.hi);
            units.push_back(x);
        }
        blockStart = blockEnd;
    }
    int filled = 0;
    float lo = 0, hi = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        const Unit& x = units[i];
        if (i > 0 && x.start >= start + static_cast<int64_t>(filled + 1) * samplesPerColumn) {
            mins[static_cast<size_t>(filled)] = lo;
            maxs[static_cast<size_t>(filled)] = hi;
            ++filled;
            lo = x.lo;
            hi = x.hi;
            continue;
        }
        if (i == 0) {
            lo = x.lo;
            hi = x.hi;
        } else {
            if (x.lo < lo) lo = x.lo;
            if (x.hi > hi) hi = x.hi;
        }
    }
    if (!units.empty() && filled < columns) {
        mins[static_cast<size_t>(filled)] = lo;
        maxs[static_cast<size_t>(filled)] = hi;
        ++filled;
    }
    return filled;
}

ChannelSamples referencePaste(const ChannelSamples& track, const std::vector<int>& starts, const std::vector<bool>& flags,
                              const ChannelSamples& clip, PasteKind kind) {
    const bool stereo = track.size() == 2;
    std::vector<std::pair<size_t, size_t>> targets;  // channel, position
    auto start = [&](size_t c) { return static_cast<size_t>(std::max(starts[c], 0)); };
    if (kind == PasteKind::Insert) {
        for (size_t c = 0; c < track.size(); ++c) targets.emplace_back(c, start(0));
    } else if (stereo && flags[0] && flags[1]) {
        targets = {{0, start(0)}, {1, kind == PasteKind::Mix ? start(0) : start(1)}};
    } else {
        const size_t c = stereo && flags[1] ? 1 : 0;
        targets = {{c, start(c)}};
    }
    // The mono source is the first clipboard channel there is.
    const bool clipStereo = clip.size() == 2 && !clip[0].empty() && !clip[1].empty();
    const std::vector<float>& left = clip[0].empty() ? clip.back() : clip[0];
    const std::vector<float>& right = clipStereo ? clip[1] : left;
    const size_t n = std::max(left.size(), right.size());
    ChannelSamples out = track;
    for (const auto& [c, at] : targets) {
        std::vector<float> material(n, 0.0f);
        for (size_t i = 0; i < n; ++i) {
            const float l = i < left.size() ? left[i] : 0.0f;
            const float r = i < right.size() ? right[i] : 0.0f;
            material[i] = !clipStereo ? l : targets.size() == 2 ? (c == 0 ? l : r) : (l + r) * 0.5f;
        }
        auto& s = out[c];
        if (kind == PasteKind::Insert) {
            s.insert(s.begin() + static_cast<std::ptrdiff_t>(std::min(at, s.size())), material.begin(), material.end());
            continue;
        }
        s.resize(std::max(s.size(), at + n), 0.0f);
        for (size_t i = 0; i < n; ++i) {
            s[at + i] = kind == PasteKind::Mix ? std::clamp(s[at + i] + material[i], -1.0f, 1.0f) : material[i];
        }
    }
    if (stereo) {
        const size_t longer = std::max(out[0].size(), out[1].size());
        for (auto& s : out) s.resize(longer, 0.0f);
    }
    return out;
}

}  // namespace wdtest
