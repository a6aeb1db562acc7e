// The editors' one command list: the keys they promise and what each key does.
#include <gtest/gtest.h>

#ifdef WAVEDECK_GUI_PROGRAM
#include <map>
#include <set>

#include "desktop/command_list.h"

namespace {

using desktop::CommandList;
using desktop::KeySpec;

// The commands a key runs, in the list's order (the first available one runs).
std::vector<std::string> commandsOf(const KeySpec& key) {
    std::vector<std::string> ids;
    for (const auto& c : CommandList::all()) {
        for (const KeySpec& k : c.keys) {
            if (k.code == key.code && k.modifiers == key.modifiers) ids.push_back(c.id);
        }
    }
    return ids;
}

TEST(CommandList, ThePromisedKeysRunTheirCommands) {
    using namespace desktop;
    const struct {
        KeySpec key;
        const char* id;
    } promised[] = {{{' ', 0}, "play"},           {{'o', kCtrl}, "open"},       {{'s', kCtrl}, "save"},
                    {{'z', kCtrl}, "undo"},       {{'y', kCtrl}, "redo"},       {{'x', kCtrl}, "cut"},
                    {{'c', kCtrl}, "copy"},       {{'v', kCtrl}, "paste-insert"}, {{'a', kCtrl}, "select-all"},
                    {{kKeyHome, 0}, "cursor-start"}, {{kKeyEnd, 0}, "cursor-end"}, {{'+', 0}, "zoom-in"},
                    {{'-', 0}, "zoom-out"},       {{kKeyDelete, 0}, "delete"}};
    for (const auto& p : promised) {
        EXPECT_EQ(commandsOf(p.key), std::vector<std::string>{p.id}) << CommandList::keyName(p.key);
    }
}

TEST(CommandList, OnlyEscapeServesTwoCommandsAndCancelsTheRunningOperationFirst) {
    std::map<std::pair<int, unsigned>, int> uses;
    for (const auto& c : CommandList::all()) {
        for (const KeySpec& k : c.keys) ++uses[{k.code, k.modifiers}];
    }
    for (const auto& [key, n] : uses) {
        if (key.first != desktop::kKeyEscape) {
            EXPECT_EQ(n, 1) << CommandList::keyName({key.first, key.second});
        }
    }
    EXPECT_EQ(commandsOf({desktop::kKeyEscape, 0}), (std::vector<std::string>{"cancel-work", "stop"}));
}

TEST(CommandList, IdsAreUniqueAndEveryOfferedEffectHasItsCommand) {
    std::set<std::string> ids;
    int effects = 0;
    for (const auto& c : CommandList::all()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        if (c.effect != 0) {
            ++effects;
            EXPECT_EQ(c.id, "effect-" + std::to_string(c.effect));
        }
    }
    EXPECT_EQ(effects, 23) << "25 effects, the two twin filters once";
}

TEST(CommandList, LabelsLoseTheirMnemonicAndEllipsisInSentences) {
    EXPECT_EQ(CommandList::plainLabel("Save _As…"), "Save As");
    EXPECT_EQ(CommandList::plainLabel("Change P_itch…"), "Change Pitch");
    EXPECT_EQ(CommandList::keyName({'s', desktop::kCtrl | desktop::kShift}), "Ctrl+Shift+S");
}

}  // namespace
#endif
