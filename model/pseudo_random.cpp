#include "model/pseudo_random.h"

namespace wd {
namespace {

thread_local uint32_t state = 1;

}  // namespace

int PseudoRandom::next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 32767u);
}

void PseudoRandom::seed(uint32_t value) { state = value; }

}  // namespace wd
