// The library's own window classes: registered when the engine attaches and unregistered
// when it detaches; class registration rules.
#include <gtest/gtest.h>

#include "services/module.h"
#include "support/test_host.h"
#include "ui/record_window.h"
#include "ui/window_classes.h"

namespace {

using namespace wdtest;

constexpr const char* kLibraryClasses[] = {"trackwndclass", "TrackTabClass", "trackmainclass", "markwdclass",
                                           "wdrecordclass", "WdVolueme",     "wdtimewnd"};

TEST(WindowClasses, TheSevenClassesExistAfterAttach) {
    TestHost host;
    for (const char* name : kLibraryClasses) {
        WNDCLASSA again{};
        again.lpfnWndProc = DefWindowProcA;
        again.lpszClassName = name;
        EXPECT_EQ(RegisterClassA(&again), 0) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS)) << name;
    }
    // A window of the record class is the record window: it erases nothing itself.
    HWND w = CreateWindowExA(0, "wdrecordclass", "", WS_CHILD, 0, 30, 565, 347, host.frame(), nullptr,
                             reinterpret_cast<HINSTANCE>(wd::moduleHandle()), nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<intptr_t>(&wd::RecordWindow::windowProc));
    EXPECT_EQ(SendMessageA(w, WM_ERASEBKGND, 0, 0), 1);
    DestroyWindow(w);
}

TEST(WindowClasses, DetachUnregistersThemAndAClassWithWindowsStays) {
    TestHost host;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(wd::moduleHandle());
    HWND survivor = CreateWindowExA(0, "wdtimewnd", "wdtimewindow", WS_CHILD, 0, 0, 10, 10, host.frame(), nullptr, module, nullptr);
    ASSERT_NE(survivor, nullptr);
    wd::unregisterWindowClasses(module);
    for (const char* name : kLibraryClasses) {
        HWND w = CreateWindowExA(0, name, "", WS_CHILD, 0, 0, 10, 10, host.frame(), nullptr, module, nullptr);
        if (std::string(name) == "wdtimewnd") {
            EXPECT_NE(w, nullptr);  // still has a window, so still registered
            DestroyWindow(w);
        } else {
            EXPECT_EQ(w, nullptr) << name;
        }
    }
    DestroyWindow(survivor);
    EXPECT_TRUE(UnregisterClassA("wdtimewnd", module));
    wd::registerWindowClasses(module);
    HWND back = CreateWindowExA(0, "trackwndclass", "", WS_CHILD, 0, 0, 10, 10, host.frame(), nullptr, module, nullptr);
    EXPECT_NE(back, nullptr);
    DestroyWindow(back);
}

TEST(WindowClasses, RegistrationRules) {
    WNDCLASSA c{};
    c.lpfnWndProc = DefWindowProcA;
    c.lpszClassName = "Registration_Rules";
    const ATOM atom = RegisterClassA(&c);
    ASSERT_NE(atom, 0);
    c.lpszClassName = "registration_rules";  // names ignore letter case
    EXPECT_EQ(RegisterClassA(&c), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    HWND byAtom = CreateWindowExA(0, MAKEINTRESOURCEA(atom), "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(byAtom, nullptr);
    EXPECT_FALSE(UnregisterClassA("REGISTRATION_RULES", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(byAtom);
    EXPECT_FALSE(UnregisterClassA("registration_rules", reinterpret_cast<HINSTANCE>(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_TRUE(UnregisterClassA("registration_rules", nullptr));
    EXPECT_EQ(CreateWindowExA(0, "registration_rules", "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
    // A child needs a live parent.
    EXPECT_EQ(CreateWindowExA(0, "trackwndclass", "", WS_CHILD, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(WindowClasses, ACreateHandlerRefusingCreationGivesNull) {
    WNDCLASSA c{};
    c.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
            return create->cx == 13 ? -1 : 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    };
    c.lpszClassName = "refusing";
    ASSERT_NE(RegisterClassA(&c), 0);
    const DWORD windowsBefore = GetGuiResources(nullptr, GR_USEROBJECTS);
    EXPECT_EQ(CreateWindowExA(0, "refusing", "", 0, 0, 0, 13, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetGuiResources(nullptr, GR_USEROBJECTS), windowsBefore);
    HWND fine = CreateWindowExA(0, "refusing", "", 0, 0, 0, 12, 5, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(fine, nullptr);
    DestroyWindow(fine);
}

}  // namespace
