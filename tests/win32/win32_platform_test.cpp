// The Windows platform on real user32 windows (run under Wine with a display): the dialog
// procedure's result rules, subclassing, the system menu, centring, the executable's title.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "framework/wnd.h"
#include "platform/win32/text_box.h"
#include "rcscript/resource_set.h"
#include "test_dialogs.h"

namespace {

constexpr UINT kTestNotifyCode = 0x4242;
constexpr UINT kPhaseTwo = WM_APP + 1;

HWND H(framework::Handle handle) {
    return reinterpret_cast<HWND>(handle);
}
framework::Handle F(HWND window) {
    return reinterpret_cast<framework::Handle>(window);
}

// A dialog whose initialisation runs a test script (while the window is still hidden) and, when
// the script posts kPhaseTwo, a second script once the dialog is shown.
class ScriptedDialog : public CDialog {
public:
    using Script = std::function<void(ScriptedDialog&)>;
    explicit ScriptedDialog(UINT templateId, Script init, Script shown = {})
        : CDialog(templateId),
          m_templateId(templateId),
          m_init(std::move(init)),
          m_shown(std::move(shown)) {}

    BOOL OnInitDialog() override {
        if (m_shown) ::PostMessageA(Window(), kPhaseTwo, 0, 0);
        if (m_init) m_init(*this);
        return TRUE;
    }

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_COMMAND) commands.push_back(wParam);
        if (message == kPhaseTwo) {
            if (m_shown) m_shown(*this);
            return true;
        }
        if (message == WM_QUERYDRAGICON && dragIcon != 0) {
            *result = dragIcon;
            return true;
        }
        if (message == WM_NOTIFY &&
            reinterpret_cast<const framework::NMHDR*>(lParam)->code == kTestNotifyCode) {
            *result = 77;
            return true;
        }
        if (message == WM_COMMAND && framework::LowWord(wParam) == framework::ID_HELP) return true;
        return CDialog::OnWndMsg(message, wParam, lParam, result);
    }

    UINT TemplateId() const { return m_templateId; }
    HWND Window() const { return H(m_hWnd); }
    HWND Item(int id) const { return ::GetDlgItem(Window(), id); }

    std::vector<WPARAM> commands;
    LRESULT dragIcon = 0;

private:
    UINT m_templateId;
    Script m_init;
    Script m_shown;
};

// An edit control's CWnd that drops the letter x and hands everything else on.
class DropX : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++seen;
        if (message == WM_CHAR && wParam == 'x') return 0;
        if (message == WM_CHAR && wParam == '!') throw std::runtime_error("handler failed");
        return framework::GetPlatform().CallDefault(m_hWnd, message, wParam, lParam);
    }
    int seen = 0;
};

std::string TextOf(HWND window) {
    char buffer[128] = {};
    ::GetWindowTextA(window, buffer, static_cast<int>(sizeof(buffer)));
    return buffer;
}

class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { framework::SetPlatform(&m_platform); }
    void TearDown() override { framework::SetPlatform(nullptr); }

    INT_PTR Run(ScriptedDialog& dialog, HWND owner = nullptr) {
        return m_platform.RunModalDialog(dialog, dialog.TemplateId(), F(owner));
    }

    // The test dialogs carry no combo-box data or strings.
    const rcscript::ResourceSet m_resources;
    win32::Win32Platform m_platform{::GetModuleHandleA(nullptr), m_resources};
};

TEST_F(Win32PlatformTest, ModalRunReturnsTheEndCodeAndDetachesTheWindow) {
    HWND seenWindow = nullptr;
    std::string caption;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        seenWindow = self.Window();
        caption = TextOf(self.Window());
        self.EndDialog(42);
    });
    EXPECT_EQ(Run(dialog), 42);
    EXPECT_NE(seenWindow, nullptr);
    EXPECT_EQ(caption, "Platform test dialog");
    EXPECT_FALSE(::IsWindow(seenWindow));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(Win32PlatformTest, MissingTemplateFails) {
    ScriptedDialog dialog(4321, {});
    EXPECT_EQ(Run(dialog), -1);
}

TEST_F(Win32PlatformTest, ResultsFollowTheDialogProcedureRules) {
    LRESULT dragIcon = 0, notify = 0, caption = 0;
    char buffer[64] = {};
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        // Returned directly by the dialog procedure.
        self.dragIcon = 0x1234;
        dragIcon = ::SendMessageA(self.Window(), WM_QUERYDRAGICON, 0, 0);
        // Returned through DWLP_MSGRESULT.
        framework::NMHDR header{F(self.Item(IDC_TEST_EDIT)), IDC_TEST_EDIT, kTestNotifyCode};
        notify = ::SendMessageA(self.Window(), WM_NOTIFY, IDC_TEST_EDIT,
                                reinterpret_cast<LPARAM>(&header));
        // Not handled: the dialog manager's default processing answers.
        caption = ::SendMessageA(self.Window(), WM_GETTEXT, sizeof(buffer),
                                 reinterpret_cast<LPARAM>(buffer));
        self.EndDialog(1);
    });
    Run(dialog);
    EXPECT_EQ(dragIcon, 0x1234);
    EXPECT_EQ(notify, 77);
    EXPECT_EQ(caption, 20);
    EXPECT_STREQ(buffer, "Platform test dialog");
}

TEST_F(Win32PlatformTest, HelpArrivesAsTheHelpCommand) {
    ScriptedDialog dialog(IDD_TEST_PLAIN, [](ScriptedDialog& self) {
        HELPINFO info{};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        ::SendMessageA(self.Window(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        self.EndDialog(1);
    });
    Run(dialog);
    ASSERT_FALSE(dialog.commands.empty());
    EXPECT_EQ(dialog.commands.front(), WPARAM{framework::ID_HELP});
}

TEST_F(Win32PlatformTest, SubclassedControlSeesItsMessagesFirst) {
    DropX filter;
    std::string text;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        HWND edit = self.Item(IDC_TEST_EDIT);
        filter.m_hWnd = F(edit);
        m_platform.Subclass(F(edit), filter);
        for (char c : std::string("axbx"))
            ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        // Messages sent through the platform pass the CWnd too.
        m_platform.Send(F(edit), WM_CHAR, 'c', 0);
        text = TextOf(edit);
        self.EndDialog(1);
    });
    EXPECT_EQ(Run(dialog), 1);
    EXPECT_EQ(text, "abc");
    EXPECT_GE(filter.seen, 5);
    // The control is gone with the dialog; the CWnd no longer points at it.
    EXPECT_EQ(filter.m_hWnd, nullptr);
}

TEST_F(Win32PlatformTest, SubclassingTwiceKeepsOneHook) {
    DropX first, second;
    std::string text;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        HWND edit = self.Item(IDC_TEST_EDIT);
        first.m_hWnd = second.m_hWnd = F(edit);
        m_platform.Subclass(F(edit), first);
        m_platform.Subclass(F(edit), second);
        ::SendMessageA(edit, WM_CHAR, 'a', 0);
        text = TextOf(edit);
        self.EndDialog(1);
    });
    Run(dialog);
    EXPECT_EQ(text, "a");
    EXPECT_EQ(first.seen, 0);
    EXPECT_GT(second.seen, 0);
}

TEST_F(Win32PlatformTest, ExceptionInAControlHandlerEndsTheDialog) {
    DropX filter;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        HWND edit = self.Item(IDC_TEST_EDIT);
        filter.m_hWnd = F(edit);
        m_platform.Subclass(F(edit), filter);
        ::SendMessageA(edit, WM_CHAR, '!', 0);
    });
    EXPECT_EQ(Run(dialog), -1);
}

TEST_F(Win32PlatformTest, SystemMenuGetsSeparatorAndItem) {
    bool hasMenu = false;
    int added = 0;
    std::string itemText;
    UINT separatorState = 0;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        hasMenu = m_platform.HasSystemMenu(self.m_hWnd);
        HMENU menu = ::GetSystemMenu(self.Window(), FALSE);
        const int before = ::GetMenuItemCount(menu);
        m_platform.AppendSystemMenuItem(self.m_hWnd, framework::mf::Separator, 0, "");
        m_platform.AppendSystemMenuItem(self.m_hWnd, framework::mf::String, 0x0010,
                                        "&About test...");
        added = ::GetMenuItemCount(menu) - before;
        char buffer[64] = {};
        ::GetMenuStringA(menu, 0x0010, buffer, sizeof(buffer), MF_BYCOMMAND);
        itemText = buffer;
        separatorState = ::GetMenuState(menu, static_cast<UINT>(before), MF_BYPOSITION);
        self.EndDialog(1);
    });
    Run(dialog);
    EXPECT_TRUE(hasMenu);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(itemText, "&About test...");
    EXPECT_NE(separatorState & MF_SEPARATOR, 0u);
}

TEST_F(Win32PlatformTest, WindowQueriesMatchUser32) {
    bool wasDisabled = true, wasDisabledAgain = false, enabledAfter = true;
    int id = 0;
    bool parentIsDialog = false;
    LRESULT length = 0;
    ScriptedDialog dialog(IDD_TEST_PLAIN, [&](ScriptedDialog& self) {
        const framework::Handle edit = m_platform.GetDlgItem(self.m_hWnd, IDC_TEST_EDIT);
        id = m_platform.GetDlgCtrlID(edit);
        parentIsDialog = m_platform.GetParent(edit) == self.m_hWnd;
        wasDisabled = m_platform.EnableWindow(edit, false);
        enabledAfter = m_platform.IsWindowEnabled(edit);
        wasDisabledAgain = m_platform.EnableWindow(edit, true);
        m_platform.Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
        length = m_platform.Send(edit, WM_GETTEXTLENGTH, 0, 0);
        self.EndDialog(1);
    });
    Run(dialog);
    EXPECT_EQ(id, IDC_TEST_EDIT);
    EXPECT_TRUE(parentIsDialog);
    EXPECT_FALSE(wasDisabled);
    EXPECT_FALSE(enabledAfter);
    EXPECT_TRUE(wasDisabledAgain);
    EXPECT_EQ(length, 5);
}

// Dialogs that leave their place open are centred once initialised; those that place themselves
// stay where they asked to be.
TEST_F(Win32PlatformTest, UnownedDialogIsCentredInTheWorkArea) {
    RECT rect{}, area{};
    ScriptedDialog dialog(IDD_TEST_PLAIN, {}, [&](ScriptedDialog& self) {
        ::GetWindowRect(self.Window(), &rect);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoA(::MonitorFromWindow(self.Window(), MONITOR_DEFAULTTOPRIMARY), &info);
        area = info.rcWork;
        self.EndDialog(1);
    });
    ASSERT_EQ(Run(dialog), 1);
    EXPECT_NEAR((rect.left + rect.right) / 2, (area.left + area.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (area.top + area.bottom) / 2, 1);
}

TEST_F(Win32PlatformTest, OwnedDialogIsCentredOnItsOwnerWithinTheWorkArea) {
    RECT owner{}, owned{};
    ScriptedDialog inner(IDD_TEST_PLAIN, {}, [&](ScriptedDialog& self) {
        ::GetWindowRect(self.Window(), &owned);
        self.EndDialog(2);
    });
    ScriptedDialog outer(IDD_TEST_PLAIN, {}, [&](ScriptedDialog& self) {
        // The dialog manager shows a modal dialog once its queue runs idle, which may not have
        // happened yet; an invisible owner would not count.
        ::ShowWindow(self.Window(), SW_SHOW);
        // Near the top-left corner: centring on it would put the owned box partly off screen.
        ::SetWindowPos(self.Window(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::GetWindowRect(self.Window(), &owner);
        EXPECT_EQ(Run(inner, self.Window()), 2);
        self.EndDialog(1);
    });
    ASSERT_EQ(Run(outer), 1);
    // The same template, so the same size: centred on the owner means the same place (which is
    // inside the work area).
    EXPECT_EQ(owned.left, owner.left);
    EXPECT_EQ(owned.top, owner.top);
}

TEST_F(Win32PlatformTest, SelfPlacedDialogIsNotMoved) {
    RECT rect{};
    ScriptedDialog dialog(IDD_TEST_PLACED, {}, [&](ScriptedDialog& self) {
        ::GetWindowRect(self.Window(), &rect);
        self.EndDialog(1);
    });
    ASSERT_EQ(Run(dialog), 1);
    EXPECT_LT(rect.left, 100);
    EXPECT_LT(rect.top, 100);
}

// What the text box showed, seen from a timer inside its modal loop; then it is closed.
struct TextBoxSeen {
    RECT box{}, ok{}, work{};
    SIZE screen{};
    bool scrolls = false;
};
TextBoxSeen g_textBoxSeen;

void CALLBACK LookAtTextBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = ::GetActiveWindow();
    if (box == nullptr) return;
    ::KillTimer(nullptr, timer);
    TextBoxSeen& seen = g_textBoxSeen;
    ::GetWindowRect(box, &seen.box);
    ::GetWindowRect(::GetDlgItem(box, IDOK), &seen.ok);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY), &monitor);
    seen.work = monitor.rcWork;
    seen.screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const HWND edit = ::GetDlgItem(box, win32::kTextBoxTextId);
    seen.scrolls = (::GetWindowLongPtrA(edit, GWL_STYLE) & WS_VSCROLL) != 0;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

DWORD WINAPI RunBody(LPVOID body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

// Runs `body` on a thread of its own and waits for it (the win32 thread model of MinGW-w64's
// GCC 12 has no std::thread).
void OnThreadOfItsOwn(std::function<void()> body) {
    const HANDLE thread = ::CreateThread(nullptr, 0, &RunBody, &body, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

// On a Wine virtual desktop of the Steam Deck's screen, a box far taller than it: the box and
// its OK stay on the screen, and the text scrolls.
TEST_F(Win32PlatformTest, TextBoxTallerThanTheScreenFitsIt) {
    constexpr char kDesktop[] = "tc-text-box";
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr,
                                0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, kDesktop, 0, REG_SZ, reinterpret_cast<const BYTE*>("1280x800"), 9);
    ::RegCloseKey(key);
    std::string text;
    for (int i = 0; i < 120; ++i) text += "Line " + std::to_string(i) + " of a long text\n";
    OnThreadOfItsOwn([&] {
        const HDESK desktop = ::CreateDesktopA(kDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ASSERT_NE(desktop, nullptr);
        ASSERT_TRUE(::SetThreadDesktop(desktop));
        ::SetTimer(nullptr, 0, 100, &LookAtTextBox);
        EXPECT_EQ(m_platform.ShowPathMessageBox(nullptr, text, "Tall", MB_OK), IDOK);
        ::CloseDesktop(desktop);
    });
    const TextBoxSeen& seen = g_textBoxSeen;
    EXPECT_EQ(seen.screen.cx, 1280);
    EXPECT_EQ(seen.screen.cy, 800);
    RECT both{};
    ::UnionRect(&both, &seen.box, &seen.work);
    EXPECT_TRUE(::EqualRect(&both, &seen.work)) << "the box sticks out of the work area";
    ::UnionRect(&both, &seen.ok, &seen.box);
    EXPECT_TRUE(::EqualRect(&both, &seen.box) && !::IsRectEmpty(&seen.ok)) << "OK off the box";
    EXPECT_TRUE(seen.scrolls);
}

TEST_F(Win32PlatformTest, ExecutableTitleIsTheFileNameWithoutExtension) {
    EXPECT_EQ(m_platform.ExecutableTitle(), "win32_tests");
}

struct TitleCase {
    const char* path;
    const char* title;
};

class TitleFromModulePathTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TitleFromModulePathTest, StripsFolderAndExtension) {
    EXPECT_EQ(win32::TitleFromModulePath(GetParam().path), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TitleFromModulePathTest,
    ::testing::Values(TitleCase{"C:\\Games\\TavrelCustomizer.exe", "TavrelCustomizer"},
                      TitleCase{"TavrelCustomizer.exe", "TavrelCustomizer"},
                      TitleCase{"C:\\My.Tools\\Tavrel", "Tavrel"},
                      TitleCase{"C:\\Tools\\tavrel.v2.EXE", "tavrel.v2"},
                      TitleCase{"Z:/tmp/build/TavrelCustomizer.exe", "TavrelCustomizer"},
                      TitleCase{"\\\\server\\share\\Customizer.exe", "Customizer"},
                      TitleCase{"C:TavrelCustomizer.exe", "TavrelCustomizer"},
                      TitleCase{"C:\\Tools\\.exe", ".exe"}, TitleCase{"", ""}));

}  // namespace
