#include "parameters.h"

#include <cmath>
#include <cstring>

namespace desktop {

namespace {

double inWords(const Parameter& p, double shown) {
    switch (p.unit) {
        case Parameter::Unit::Decibel: return std::pow(10.0, shown / 20);
        case Parameter::Unit::Semitone: return (std::exp2(shown / 12) - 1) * 100;
        case Parameter::Unit::Plain: break;
    }
    return p.kind == Parameter::Kind::Choice ? shown + p.choiceBase : shown * p.scale;
}

void store(ParameterBlock& block, const Parameter& p, double shown) {
    const double stored = inWords(p, shown);
    if (p.kind == Parameter::Kind::Float) {
        const float f = static_cast<float>(stored);
        std::memcpy(&block[static_cast<size_t>(p.word)], &f, sizeof f);
    } else {
        block[static_cast<size_t>(p.word)] = static_cast<uint32_t>(static_cast<int32_t>(std::lround(stored)));
    }
}

}  // namespace

float Parameters::floatOf(uint32_t word) {
    float f = 0;
    std::memcpy(&f, &word, sizeof f);
    return f;
}

ParameterBlock Parameters::block(const std::vector<Parameter>& parameters, const std::vector<double>& shown) {
    ParameterBlock block{};
    for (size_t i = 0; i < parameters.size(); ++i) store(block, parameters[i], i < shown.size() ? shown[i] : parameters[i].value);
    return block;
}

ParameterBlock Parameters::defaults(const std::vector<Parameter>& parameters) { return block(parameters, {}); }

}  // namespace desktop
