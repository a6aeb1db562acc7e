// Filling and reading the engine's sequences (for programs that link the engine's objects).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/sequence.h"

namespace wdtest {

/** Appends the samples in pieces and flushes; a failure is a fatal test failure. */
inline void fill(wd::Sequence& s, const std::vector<float>& samples) {
    for (size_t done = 0; done < samples.size(); done += 100000) {
        const int piece = static_cast<int>(std::min<size_t>(samples.size() - done, 100000));
        ASSERT_EQ(s.appendSamples(samples.data() + done, piece), piece);
    }
    ASSERT_GE(s.flushAppend(), 0);
}

/** Every sample the sequence's blocks hold, in order. */
inline std::vector<float> readAll(const wd::Sequence& s) {
    std::vector<float> out(static_cast<size_t>(s.length()));
    out.resize(static_cast<size_t>(s.readSamples(out.data(), 0, s.length())));
    return out;
}

/** The sample count (or serial number) of each block, in order. */
inline std::vector<int> blockCounts(const wd::Sequence& s) {
    std::vector<int> out;
    for (const auto& b : s.blockInfo()) out.push_back(b.sampleCount);
    return out;
}
inline std::vector<uint32_t> serials(const wd::Sequence& s) {
    std::vector<uint32_t> out;
    for (const auto& b : s.blockInfo()) out.push_back(b.serial);
    return out;
}

}  // namespace wdtest
