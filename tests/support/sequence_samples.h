// Filling and reading the engine's sequences in tests (programs that link the engine's objects).
#pragma once

#include <cstdint>
#include <vector>

namespace wd {
class Sequence;
}

namespace wdtest {

/** Appends the samples in pieces and flushes; a failure is a fatal test failure. */
void fill(wd::Sequence& s, const std::vector<float>& samples);
/** Every sample the sequence's blocks hold, in order. */
std::vector<float> readAll(const wd::Sequence& s);
/** The sample count of each block, in order. */
std::vector<int> blockCounts(const wd::Sequence& s);
/** The serial number of each block, in order. */
std::vector<uint32_t> serials(const wd::Sequence& s);

}  // namespace wdtest
