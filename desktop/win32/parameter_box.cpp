#include "parameter_box.h"

#include <algorithm>
#include <cwchar>

#include "wide_text.h"

namespace desktop {

namespace {

constexpr int kMargin = 12;
constexpr int kLabelWidth = 190;
constexpr int kFieldWidth = 110;
constexpr int kRangeWidth = 140;
constexpr int kRow = 30;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kWidth = kMargin + kLabelWidth + 8 + kFieldWidth + 8 + kRangeWidth + kMargin;

struct Request {
    std::string title;
    std::string explanation;
    const std::vector<Parameter>* parameters = nullptr;
    std::vector<double> values;
};

int digitsOf(const Parameter& p) { return p.kind == Parameter::Kind::Float || p.scale != 1 ? p.digits : 0; }

std::wstring number(double value, int digits) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.*f", digits, value);
    return text;
}

HWND control(HWND dialog, const wchar_t* cls, const std::wstring& text, DWORD style, int id, int x, int y, int w, int h) {
    HWND c = CreateWindowExW(cls == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                             dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return c;
}

void build(HWND dialog, const Request& request) {
    SetWindowTextW(dialog, wide(request.title).c_str());
    int y = kMargin;
    if (!request.explanation.empty()) {
        const std::wstring text = wide(request.explanation);
        RECT r{0, 0, kWidth - 2 * kMargin, 0};
        HDC dc = GetDC(dialog);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
        DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
        control(dialog, L"STATIC", text, SS_LEFT, -1, kMargin, y, kWidth - 2 * kMargin, r.bottom);
        y += r.bottom + 10;
    }
    const std::vector<Parameter>& parameters = *request.parameters;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& p = parameters[i];
        const int id = ParameterBox::kFirstField + static_cast<int>(i);
        const int fieldX = kMargin + kLabelWidth + 8;
        control(dialog, L"STATIC", mnemonic(p.label), SS_LEFT, -1, kMargin, y + 4, kLabelWidth, 20);
        if (p.kind == Parameter::Kind::Choice) {
            HWND list = control(dialog, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, id, fieldX, y, kFieldWidth + 8 + kRangeWidth, 200);
            for (const std::string& c : p.choices) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(c).c_str()));
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(p.value), 0);
        } else {
            control(dialog, L"EDIT", number(p.value, digitsOf(p)), ES_AUTOHSCROLL | WS_TABSTOP, id, fieldX, y, kFieldWidth, 24);
            control(dialog, L"STATIC", L"(" + number(p.minimum, digitsOf(p)) + L" to " + number(p.maximum, digitsOf(p)) + L")", SS_LEFT, -1,
                    fieldX + kFieldWidth + 8, y + 4, kRangeWidth, 20);
        }
        y += kRow;
    }
    y += 8;
    control(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kWidth - kMargin - 2 * kButtonWidth - 8, y, kButtonWidth, kButtonHeight);
    control(dialog, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, kWidth - kMargin - kButtonWidth, y, kButtonWidth, kButtonHeight);
    RECT frame{0, 0, kWidth, y + kButtonHeight + kMargin};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE, static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    // Centred over the editor.
    RECT owner{};
    GetWindowRect(GetWindow(dialog, GW_OWNER), &owner);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left - w) / 2, owner.top + (owner.bottom - owner.top - h) / 2, w, h,
                 SWP_NOZORDER);
    if (!parameters.empty()) {
        // Typing replaces the first value.
        SetFocus(GetDlgItem(dialog, ParameterBox::kFirstField));
        SendDlgItemMessageW(dialog, ParameterBox::kFirstField, EM_SETSEL, 0, -1);
    }
}

// Reads every field; false (with the field in focus and the reason said) when one is not
// a number in its range.
bool read(HWND dialog, Request& request) {
    const std::vector<Parameter>& parameters = *request.parameters;
    request.values.clear();
    for (size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& p = parameters[i];
        HWND field = GetDlgItem(dialog, ParameterBox::kFirstField + static_cast<int>(i));
        if (p.kind == Parameter::Kind::Choice) {
            request.values.push_back(static_cast<double>(std::max<LRESULT>(0, SendMessageW(field, CB_GETCURSEL, 0, 0))));
            continue;
        }
        wchar_t text[64] = {};
        GetWindowTextW(field, text, 64);
        wchar_t* end = nullptr;
        const double value = std::wcstod(text, &end);
        while (end && *end == L' ') ++end;
        if (end == text || (end && *end) || value < p.minimum || value > p.maximum) {
            std::string label;
            for (char c : p.label) {
                if (c != '_') label += c;
            }
            const std::wstring why = wide(label) + L" takes a number from " + number(p.minimum, digitsOf(p)) + L" to " + number(p.maximum, digitsOf(p)) + L".";
            MessageBoxW(dialog, why.c_str(), wide(request.title).c_str(), MB_OK | MB_ICONWARNING);
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            return false;
        }
        request.values.push_back(value);
    }
    return true;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            build(dialog, *reinterpret_cast<Request*>(lParam));
            return FALSE;  // the focus was set
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && request && read(dialog, *request)) EndDialog(dialog, IDOK);
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        default: return FALSE;
    }
}

// A template without controls: they are made in WM_INITDIALOG, sized for the parameters.
std::vector<WORD> emptyTemplate() {
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dword(0);
    // No controls; x, y, width, height in dialog units; no menu, the dialog class, no
    // title; the dialogs' usual font.
    for (WORD w : {0, 0, 0, 200, 100, 0, 0, 0, 9}) t.push_back(w);
    for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) t.push_back(static_cast<WORD>(*c));
    t.push_back(0);
    return t;
}

}  // namespace

std::optional<ParameterBlock> ParameterBox::ask(HWND owner, const std::string& title, const std::string& explanation,
                                                const std::vector<Parameter>& parameters) {
    Request request{title, explanation, &parameters, {}};
    const std::vector<WORD> t = emptyTemplate();
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner, &dialogProc,
                                                   reinterpret_cast<LPARAM>(&request));
    if (answer != IDOK) return std::nullopt;
    return Parameters::block(parameters, request.values);
}

}  // namespace desktop
