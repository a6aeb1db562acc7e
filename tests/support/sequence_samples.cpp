#include "support/sequence_samples.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/sequence.h"

namespace wdtest {

void fill(wd::Sequence& s, const std::vector<float>& samples) {
    for (size_t done = 0; done < samples.size();) {
        const int piece = static_cast<int>(std::min<size_t>(samples.size() - done, 100000));
        ASSERT_EQ(s.appendSamples(samples.data() + done, piece), piece);
        done += static_cast<size_t>(piece);
    }
    ASSERT_GE(s.flushAppend(), 0);
}

std::vector<float> readAll(const wd::Sequence& s) {
    std::vector<float> out(static_cast<size_t>(s.length()));
    out.resize(static_cast<size_t>(s.readSamples(out.data(), 0, s.length())));
    return out;
}

std::vector<int> blockCounts(const wd::Sequence& s) {
    std::vector<int> counts;
    for (const auto& b : s.blockInfo()) counts.push_back(b.sampleCount);
    return counts;
}

std::vector<uint32_t> serials(const wd::Sequence& s) {
    std::vector<uint32_t> out;
    for (const auto& b : s.blockInfo()) out.push_back(b.serial);
    return out;
}

}  // namespace wdtest
