// The desktop editor's effect dialogs: the parameter blocks they hand to WDXDoEffect
// when the user accepts the defaults.
#include <gtest/gtest.h>

#ifdef WAVEDECK_GUI_PROGRAM
#include <algorithm>
#include <cmath>
#include <set>

#include "desktop/effect_catalog.h"

namespace {

using desktop::EffectCatalog;
using desktop::Parameters;

struct Word {
    int index;
    bool isFloat;
    double value;
};

// The constructors' defaults of the library's parameter blocks.
struct Defaults {
    int id;
    std::vector<Word> words;
};
const Defaults kDefaults[] = {
    {1, {{0, true, 2.0}}},
    {2, {{0, true, 0.75}}},
    {5, {{4, false, 1}}},
    {6, {{0, true, 0.5}, {4, false, 20}}},
    {10, {{4, false, -12}, {5, false, 20}, {6, false, 200}}},
    {11, {{4, false, 0}, {5, false, 100}, {6, false, 0}}},
    {12, {{0, true, 1.5}}},
};

TEST(EffectParameters, AcceptedDefaultsGiveTheLibrarysOwnDefaultBlocks) {
    for (const Defaults& d : kDefaults) {
        const auto block = Parameters::defaults(EffectCatalog::parameters(d.id, 44100, 2));
        for (const Word& w : d.words) {
            const auto word = block[static_cast<size_t>(w.index)];
            if (w.isFloat) {
                EXPECT_FLOAT_EQ(Parameters::floatOf(word), static_cast<float>(w.value)) << "effect " << d.id << " word " << w.index;
            } else {
                EXPECT_EQ(static_cast<int32_t>(word), static_cast<int32_t>(w.value)) << "effect " << d.id << " word " << w.index;
            }
        }
    }
}

// What the user types, and the word the library gets: a gain of -6.02 dB halves, a
// peak of 0 dBFS is full scale, an octave up is +100 %, an octave down -50 %.
TEST(EffectParameters, DecibelsAndSemitonesBecomeTheLibrarysFactorsAndPercentages) {
    struct Typed {
        int id;
        double shown;
        double word;
    };
    for (const Typed& t : {Typed{1, -20 * std::log10(2.0), 0.5}, Typed{1, 20, 10}, Typed{2, 0, 1}, Typed{2, -20, 0.1}, Typed{13, 12, 100},
                           Typed{13, -12, -50}, Typed{13, 1, 5.9463}}) {
        auto parameters = EffectCatalog::parameters(t.id, 44100, 2);
        ASSERT_EQ(parameters.size(), 1u);
        EXPECT_GE(t.shown, parameters[0].minimum);
        EXPECT_LE(t.shown, parameters[0].maximum);
        parameters[0].value = t.shown;
        const auto block = Parameters::defaults(parameters);
        EXPECT_NEAR(Parameters::floatOf(block[0]), t.word, 1e-4 * std::max(1.0, std::abs(t.word))) << t.id << " at " << t.shown;
    }
}

TEST(EffectParameters, EveryEffectIsOfferedOnceAndTheTwinFiltersNotTwice) {
    std::set<int> ids;
    for (const auto& e : EffectCatalog::all()) EXPECT_TRUE(ids.insert(e.id).second) << e.id;
    for (int id = 1; id <= 25; ++id) EXPECT_EQ(ids.count(id), id == 19 || id == 20 ? 0u : 1u) << id;
}

TEST(EffectParameters, FilterFrequenciesStayBelowHalfTheSampleRate) {
    for (int id : {16, 17, 18, 21}) {
        for (const auto& p : EffectCatalog::parameters(id, 8000, 1)) {
            EXPECT_LT(p.maximum, 4000) << id;
            EXPECT_LE(p.value, p.maximum) << id;
            EXPECT_GE(p.minimum, 1) << id;
        }
    }
}

TEST(EffectParameters, FormatConversionKeepsTheTracksRateAsAFloatAndCountsChannelsFromOne) {
    const auto block = Parameters::defaults(EffectCatalog::parameters(22, 22050, 2));
    EXPECT_FLOAT_EQ(Parameters::floatOf(block[0]), 22050.0f);
    EXPECT_EQ(block[4], 2u);
    EXPECT_EQ(block[5], 2u) << "a stereo track mixes both channels for mono";
    EXPECT_EQ(block[6], 50u);
    EXPECT_EQ(block[7], 50u);
}

}  // namespace
#endif
