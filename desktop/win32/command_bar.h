// The Win32 editor's menu bar, tool bar and accelerator table, built from the shared
// command list; each command is bound to what it does and when it is available, and
// refresh() enables every item and button from those tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "command_list.h"

namespace desktop {

class CommandBar {
public:
    /** Command i of CommandList::all() comes as WM_COMMAND id kFirstId + i. */
    static constexpr UINT kFirstId = 1000;
    /** Key k of the accelerator table comes as kFirstKeyId + k: a key may serve several
     * commands (Escape cancels the running operation, else stops the play). */
    static constexpr UINT kFirstKeyId = 3000;

    using Binding = CommandBinding;
    explicit CommandBar(const std::function<Binding(const CommandSpec&)>& bind);
    ~CommandBar();
    CommandBar(const CommandBar&) = delete;
    CommandBar& operator=(const CommandBar&) = delete;

    /** Runs after every command (a command may change what the others can do). */
    void afterRun(std::function<void()> after) { afterRun_ = std::move(after); }
    HMENU buildMenu();
    HWND buildToolBar(HWND parent);
    /** A pop-up menu of the given commands, each enabled from its test. */
    HMENU buildPopup(const std::vector<std::string>& ids);
    HACCEL accelerators() const { return accelerators_; }
    /** Handles a WM_COMMAND id; false when it is none of the commands' or keys'. */
    bool command(UINT id);
    bool run(const std::string& id);
    void refresh();
    /** Changes a command's menu label (with its mnemonic). */
    void setLabel(const std::string& id, const std::string& label);

private:
    std::wstring menuText(size_t index) const;
    void runAt(size_t index);

    std::vector<CommandSpec> specs_;
    std::vector<Binding> bindings_;
    std::vector<KeySpec> keys_;  // the accelerator table's keys, in its order
    std::vector<std::wstring> tips_;  // the tool buttons' texts, kept while they show
    std::vector<int> shown_;     // per command: the state last shown (-1 unknown)
    HMENU menu_ = nullptr;
    HWND toolBar_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HBITMAP glyphs_ = nullptr;
    std::function<void()> afterRun_;
};

}  // namespace desktop
