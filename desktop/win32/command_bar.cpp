#include "command_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "event_log.h"
#include "wide_text.h"

namespace desktop {

namespace {

WORD virtualKey(int code) {
    switch (code) {
        case kKeyDelete: return VK_DELETE;
        case kKeyHome: return VK_HOME;
        case kKeyEnd: return VK_END;
        case kKeyLeft: return VK_LEFT;
        case kKeyRight: return VK_RIGHT;
        case kKeyEscape: return VK_ESCAPE;
        case kKeyPadPlus: return VK_ADD;
        case kKeyPadMinus: return VK_SUBTRACT;
        case ' ': return VK_SPACE;
        case '+':
        case '=': return VK_OEM_PLUS;
        case '-': return VK_OEM_MINUS;
        default: return static_cast<WORD>(std::toupper(code));
    }
}

bool sameKey(const KeySpec& a, const KeySpec& b) { return a.code == b.code && a.modifiers == b.modifiers; }

// The media and zoom buttons, which the system's standard pictures lack: drawn once into
// a strip of 16 x 16 pictures, in the order of kDrawn.
constexpr const char* kDrawn[] = {"media-playback-start", "media-playlist-repeat", "media-playback-pause", "media-playback-stop",
                                  "media-record", "zoom-in", "zoom-out", "zoom-fit-best"};
constexpr int kGlyph = 16;

HBITMAP drawGlyphs() {
    const int count = static_cast<int>(std::size(kDrawn));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kGlyph * count, kGlyph);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, kGlyph * count, kGlyph};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH dark = CreateSolidBrush(RGB(40, 40, 40));
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 30));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(40, 40, 40));
    SelectObject(dc, pen);
    SelectObject(dc, dark);
    for (int i = 0; i < count; ++i) {
        const int x = i * kGlyph;
        const std::string name = kDrawn[i];
        if (name == "media-playback-start") {
            POINT p[] = {{x + 4, 2}, {x + 13, 8}, {x + 4, 14}};
            Polygon(dc, p, 3);
        } else if (name == "media-playlist-repeat") {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Ellipse(dc, x + 2, 3, x + 14, 13);
            SelectObject(dc, dark);
            POINT p[] = {{x + 10, 1}, {x + 14, 4}, {x + 10, 7}};
            Polygon(dc, p, 3);
        } else if (name == "media-playback-pause") {
            RECT a{x + 3, 3, x + 7, 13}, b{x + 9, 3, x + 13, 13};
            FillRect(dc, &a, dark);
            FillRect(dc, &b, dark);
        } else if (name == "media-playback-stop") {
            RECT a{x + 3, 3, x + 13, 13};
            FillRect(dc, &a, dark);
        } else if (name == "media-record") {
            SelectObject(dc, red);
            SelectObject(dc, GetStockObject(NULL_PEN));
            Ellipse(dc, x + 2, 2, x + 15, 15);
            SelectObject(dc, pen);
            SelectObject(dc, dark);
        } else if (name == "zoom-in" || name == "zoom-out") {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Ellipse(dc, x + 1, 1, x + 11, 11);
            MoveToEx(dc, x + 10, 10, nullptr);
            LineTo(dc, x + 15, 15);
            MoveToEx(dc, x + 4, 6, nullptr);
            LineTo(dc, x + 9, 6);
            if (name == "zoom-in") {
                MoveToEx(dc, x + 6, 3, nullptr);
                LineTo(dc, x + 6, 9);
            }
            SelectObject(dc, dark);
        } else {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, x + 2, 4, x + 14, 12);
            MoveToEx(dc, x + 5, 8, nullptr);
            LineTo(dc, x + 11, 8);
            SelectObject(dc, dark);
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    DeleteObject(red);
    DeleteObject(dark);
    DeleteDC(dc);
    return bitmap;
}

}  // namespace

CommandBar::CommandBar(const std::function<Binding(const CommandSpec&)>& bind) : specs_(CommandList::all()) {
    std::vector<ACCEL> table;
    for (const CommandSpec& spec : specs_) {
        bindings_.push_back(bind(spec));
        for (const KeySpec& key : spec.keys) {
            if (std::any_of(keys_.begin(), keys_.end(), [&](const KeySpec& k) { return sameKey(k, key); })) continue;
            BYTE flags = FVIRTKEY;
            if (key.modifiers & kCtrl) flags |= FCONTROL;
            // "+" is the shifted "=" key on most keyboards.
            if ((key.modifiers & kShift) || key.code == '+') flags |= FSHIFT;
            table.push_back(ACCEL{flags, virtualKey(key.code), static_cast<WORD>(kFirstKeyId + keys_.size())});
            keys_.push_back(key);
        }
    }
    shown_.assign(specs_.size(), -1);
    accelerators_ = CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

CommandBar::~CommandBar() {
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    if (glyphs_) DeleteObject(glyphs_);
}

std::wstring CommandBar::menuText(size_t index) const {
    const CommandSpec& spec = specs_[index];
    std::wstring text = mnemonic(spec.label);
    if (!spec.keys.empty()) text += L"\t" + wide(CommandList::keyName(spec.keys[0]));
    return text;
}

HMENU CommandBar::buildMenu() {
    menu_ = CreateMenu();
    std::vector<std::pair<std::string, HMENU>> menus;
    for (size_t i = 0; i < specs_.size(); ++i) {
        const CommandSpec& spec = specs_[i];
        if (spec.menu.empty()) continue;
        auto it = std::find_if(menus.begin(), menus.end(), [&](const auto& m) { return m.first == spec.menu; });
        if (it == menus.end()) {
            HMENU popup = CreatePopupMenu();
            AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), mnemonic(spec.menu).c_str());
            menus.emplace_back(spec.menu, popup);
            it = menus.end() - 1;
        } else if (spec.separatorBefore) {
            AppendMenuW(it->second, MF_SEPARATOR, 0, nullptr);
        }
        AppendMenuW(it->second, MF_STRING, kFirstId + i, menuText(i).c_str());
    }
    return menu_;
}

HWND CommandBar::buildToolBar(HWND parent) {
    toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELONG(kGlyph, kGlyph));
    TBADDBITMAP standard{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    const int standardBase = static_cast<int>(SendMessageW(toolBar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard)));
    glyphs_ = drawGlyphs();
    TBADDBITMAP drawn{nullptr, reinterpret_cast<UINT_PTR>(glyphs_)};
    const int drawnBase = static_cast<int>(SendMessageW(toolBar_, TB_ADDBITMAP, std::size(kDrawn), reinterpret_cast<LPARAM>(&drawn)));
    const std::pair<const char*, int> standardIcons[] = {{"document-open", STD_FILEOPEN}, {"document-save", STD_FILESAVE},
                                                         {"document-save-as", STD_FILESAVE}, {"edit-undo", STD_UNDO},
                                                         {"edit-redo", STD_REDOW}, {"edit-cut", STD_CUT},
                                                         {"edit-copy", STD_COPY}, {"edit-paste", STD_PASTE}};
    // Button texts serve as tool tips only (no text rows).
    tips_.clear();
    tips_.reserve(specs_.size());
    std::vector<TBBUTTON> buttons;
    for (size_t i = 0; i < specs_.size(); ++i) {
        const CommandSpec& spec = specs_[i];
        if (!spec.icon) continue;
        int image = -1;
        for (const auto& [name, index] : standardIcons) {
            if (std::strcmp(name, spec.icon) == 0) image = standardBase + index;
        }
        for (size_t d = 0; d < std::size(kDrawn); ++d) {
            if (std::strcmp(kDrawn[d], spec.icon) == 0) image = drawnBase + static_cast<int>(d);
        }
        if (spec.separatorBefore && !buttons.empty()) buttons.push_back(TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0});
        tips_.push_back(wide(CommandList::plainLabel(spec.label)));
        buttons.push_back(TBBUTTON{image, static_cast<int>(kFirstId + i), TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
                                   reinterpret_cast<INT_PTR>(tips_.back().c_str())});
    }
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolBar_, TB_SETMAXTEXTROWS, 0, 0);
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    return toolBar_;
}

HMENU CommandBar::buildPopup(const std::vector<std::string>& ids) {
    HMENU popup = CreatePopupMenu();
    for (const std::string& id : ids) {
        for (size_t i = 0; i < specs_.size(); ++i) {
            if (specs_[i].id != id) continue;
            const bool on = !bindings_[i].available || bindings_[i].available();
            AppendMenuW(popup, MF_STRING | (on ? MF_ENABLED : MF_GRAYED), kFirstId + i, menuText(i).c_str());
        }
    }
    return popup;
}

void CommandBar::runAt(size_t index) {
    EventLog::instance().event("command " + specs_[index].id);
    bindings_[index].run();
    if (afterRun_) afterRun_();
}

bool CommandBar::command(UINT id) {
    if (id >= kFirstId && id < kFirstId + specs_.size()) {
        const size_t index = id - kFirstId;
        if (!bindings_[index].available || bindings_[index].available()) runAt(index);
        return true;
    }
    if (id >= kFirstKeyId && id < kFirstKeyId + keys_.size()) {
        // The first available command of the key runs.
        const KeySpec& key = keys_[id - kFirstKeyId];
        for (size_t i = 0; i < specs_.size(); ++i) {
            if (std::none_of(specs_[i].keys.begin(), specs_[i].keys.end(), [&](const KeySpec& k) { return sameKey(k, key); })) continue;
            if (!bindings_[i].available || bindings_[i].available()) {
                runAt(i);
                break;
            }
        }
        return true;
    }
    return false;
}

bool CommandBar::run(const std::string& id) {
    for (size_t i = 0; i < specs_.size(); ++i) {
        if (specs_[i].id == id && (!bindings_[i].available || bindings_[i].available())) {
            runAt(i);
            return true;
        }
    }
    return false;
}

void CommandBar::refresh() {
    for (size_t i = 0; i < specs_.size(); ++i) {
        const bool on = !bindings_[i].available || bindings_[i].available();
        const UINT id = kFirstId + static_cast<UINT>(i);
        if (menu_ && !specs_[i].menu.empty()) {
            // A script reads the menu as the user sees it.
            if (shown_[i] != static_cast<int>(on)) EventLog::instance().event((on ? "enabled " : "disabled ") + specs_[i].id);
            EnableMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
        }
        shown_[i] = on;
        if (toolBar_ && specs_[i].icon) SendMessageW(toolBar_, TB_ENABLEBUTTON, id, MAKELONG(on, 0));
    }
}

void CommandBar::setLabel(const std::string& id, const std::string& label) {
    for (size_t i = 0; i < specs_.size(); ++i) {
        if (specs_[i].id != id || specs_[i].label == label) continue;
        specs_[i].label = label;
        if (menu_) ModifyMenuW(menu_, kFirstId + static_cast<UINT>(i), MF_BYCOMMAND | MF_STRING, kFirstId + i, menuText(i).c_str());
        EventLog::instance().event("label " + id + " " + label);
    }
}

}  // namespace desktop
