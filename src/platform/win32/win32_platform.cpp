#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstddef>

#include "framework/dialog.h"
#include "framework/dialog_placement.h"
#include "framework/dialog_template.h"
#include "framework/win_types.h"
#include "framework/wnd.h"
#include "platform/win32/text_box.h"

// After <windows.h> (through win32_platform.h), which it builds on.
// clang-format off
#include <commctrl.h>
// clang-format on

namespace win32 {
namespace {

HWND ToHwnd(framework::Handle handle) {
    return reinterpret_cast<HWND>(handle);
}
framework::Handle ToHandle(HWND window) {
    return reinterpret_cast<framework::Handle>(window);
}

// MAKEINTRESOURCEA without the macro's C casts.
LPCSTR ResourceId(UINT id) {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}

// Where the dialog procedure keeps its CDialog: the slot user32 reserves for dialog procedures.
constexpr int kDialogSlot = DWLP_USER;

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
    }
}

const char kSubclassProperty[] = "TavrelCustomizer.Subclass";

// A dialog whose template leaves its place to the program and that its initialisation did not
// move is centred on its owner when the owner is visible and not minimised, else in the work
// area of that monitor.
void CentreNewDialog(HWND dialog, const RECT& before) {
    if (!framework::IsCentredOnOwner(
            static_cast<std::uint32_t>(::GetWindowLongPtrA(dialog, GWL_STYLE)))) {
        return;
    }
    RECT rect{};
    if (!::GetWindowRect(dialog, &rect) || rect.left != before.left || rect.top != before.top) {
        return;
    }
    const HWND owner = ::GetWindow(dialog, GW_OWNER);
    HWND centreOn = owner;
    if (centreOn != nullptr) {
        const auto ownerStyle = static_cast<DWORD>(::GetWindowLongPtrA(centreOn, GWL_STYLE));
        if ((ownerStyle & WS_VISIBLE) == 0 || (ownerStyle & WS_MINIMIZE) != 0) centreOn = nullptr;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT centre{};
    if (centreOn != nullptr) {
        ::GetWindowRect(centreOn, &centre);
        ::GetMonitorInfoA(::MonitorFromWindow(centreOn, MONITOR_DEFAULTTONEAREST), &monitor);
    } else {
        ::GetMonitorInfoA(
            ::MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
            &monitor);
        centre = monitor.rcWork;
    }
    const auto toRect = [](const RECT& r) {
        return framework::Rect{static_cast<int>(r.left), static_cast<int>(r.top),
                               static_cast<int>(r.right), static_cast<int>(r.bottom)};
    };
    const framework::DialogOrigin origin = framework::CentreDialog(
        static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top),
        toRect(centre), toRect(monitor.rcWork));
    ::SetWindowPos(dialog, nullptr, origin.x, origin.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The executable's full path; empty when Windows cannot say.
std::string ModulePath() {
    // Paths beyond MAX_PATH are possible; grow the buffer until the name fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string TitleFromModulePath(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/:");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

struct Win32Platform::SubclassState {
    Win32Platform* owner;
    WNDPROC original;
    CWnd* wnd;
};

struct Win32Platform::PaintState {
    HWND window;
    PAINTSTRUCT paint;
    HDC dc;
};

Win32Platform::Win32Platform(HINSTANCE instance, const framework::DialogResources& resources)
    : m_instance(instance), m_resources(resources) {}

Win32Platform::~Win32Platform() {
    // Controls still subclassed (a platform torn down while windows live) get their own
    // procedures back, so no message reaches a state that no longer exists.
    for (auto& [window, state] : m_subclasses) {
        if (::IsWindow(window)) {
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->original));
            ::RemovePropA(window, kSubclassProperty);
        }
    }
}

INT_PTR CALLBACK Win32Platform::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(window, kDialogSlot, lParam);
        if (dialog != nullptr) dialog->m_hWnd = ToHandle(window);
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, kDialogSlot));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) get the default processing.
    if (dialog == nullptr) return FALSE;

    // F1 arrives as WM_HELP; the framework knows it as its Help command.
    UINT forwarded = message;
    WPARAM forwardedW = wParam;
    LPARAM forwardedL = lParam;
    if (message == WM_HELP) {
        forwarded = WM_COMMAND;
        forwardedW = static_cast<WPARAM>(framework::ID_HELP);  // high word 0: a menu command
        forwardedL = 0;
    }

    RECT before{};
    if (message == WM_INITDIALOG) ::GetWindowRect(window, &before);

    LRESULT result = 0;
    const bool handled = dialog->HandleMessage(forwarded, forwardedW, forwardedL, &result);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, kDialogSlot, 0);
        if (dialog->m_hWnd == ToHandle(window)) dialog->m_hWnd = nullptr;
        return handled ? TRUE : FALSE;
    }
    if (message == WM_INITDIALOG) {
        CentreNewDialog(window, before);
        // TRUE lets the dialog manager put the focus on the first tab stop.
        return handled ? static_cast<INT_PTR>(result) : TRUE;
    }
    if (ReturnsResultDirectly(message)) return handled ? static_cast<INT_PTR>(result) : FALSE;
    if (!handled) return FALSE;
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR Win32Platform::RunModalDialog(CDialog& dialog, UINT templateId, framework::Handle owner) {
    return ::DialogBoxParamA(m_instance, ResourceId(templateId), ToHwnd(owner), &DialogProc,
                             reinterpret_cast<LPARAM>(&dialog));
}

void Win32Platform::EndDialog(framework::Handle dialog, INT_PTR result) {
    ::EndDialog(ToHwnd(dialog), result);
}

framework::Handle Win32Platform::GetDlgItem(framework::Handle dialog, int id) {
    return ToHandle(::GetDlgItem(ToHwnd(dialog), id));
}

int Win32Platform::GetDlgCtrlID(framework::Handle window) {
    return ::GetDlgCtrlID(ToHwnd(window));
}

framework::Handle Win32Platform::GetParent(framework::Handle window) {
    return ToHandle(::GetParent(ToHwnd(window)));
}

LRESULT Win32Platform::Send(framework::Handle window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(ToHwnd(window), message, wParam, lParam);
}

// Subclassing replaces the control's window procedure (an ANSI one, as the whole program is), so
// that every message, sent or posted, passes through the CWnd first; the original procedure
// stays reachable through CallDefault. A window property leads from the control to its state.
void Win32Platform::Subclass(framework::Handle control, CWnd& wnd) {
    const HWND window = ToHwnd(control);
    if (window == nullptr || !::IsWindow(window)) return;
    if (auto* state = static_cast<SubclassState*>(::GetPropA(window, kSubclassProperty))) {
        state->wnd = &wnd;
        return;
    }
    auto state = std::make_unique<SubclassState>(SubclassState{this, nullptr, &wnd});
    if (!::SetPropA(window, kSubclassProperty, state.get())) return;
    state->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    if (state->original == nullptr) {
        ::RemovePropA(window, kSubclassProperty);
        return;
    }
    m_subclasses[window] = std::move(state);
}

LRESULT CALLBACK Win32Platform::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* state = static_cast<SubclassState*>(::GetPropA(window, kSubclassProperty));
    if (state == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = state->wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // No exception may cross user32. As with the dialog's own handlers, a failure inside a
        // control's handling ends the dialog with -1 rather than leaving it half-updated.
        const HWND root = ::GetAncestor(window, GA_ROOT);
        if (root != nullptr && root != window) ::EndDialog(root, -1);
        result = 0;
    }

    if (message == WM_NCDESTROY) {
        // The window is gone: give it its procedure back and detach the CWnd, which may outlive
        // the window (a dialog object after its modal run).
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->original));
        ::RemovePropA(window, kSubclassProperty);
        if (state->wnd->m_hWnd == ToHandle(window)) state->wnd->m_hWnd = nullptr;
        state->owner->m_subclasses.erase(window);  // frees `state`
    }
    return result;
}

LRESULT Win32Platform::CallDefault(framework::Handle control, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    const HWND window = ToHwnd(control);
    if (auto* state = static_cast<SubclassState*>(::GetPropA(window, kSubclassProperty))) {
        return ::CallWindowProcA(state->original, window, message, wParam, lParam);
    }
    // Not one of ours (a dialog's default processing happens after its dialog procedure
    // returns): calling its procedure again would come straight back here.
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool Win32Platform::EnableWindow(framework::Handle window, bool enable) {
    return ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE) != FALSE;
}

bool Win32Platform::IsWindowEnabled(framework::Handle window) {
    return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
}

framework::Handle Win32Platform::SetFocus(framework::Handle window) {
    return ToHandle(::SetFocus(ToHwnd(window)));
}

framework::Handle Win32Platform::GetFocus() {
    return ToHandle(::GetFocus());
}

bool Win32Platform::IsIconic(framework::Handle window) {
    return ::IsIconic(ToHwnd(window)) != FALSE;
}

framework::Rect Win32Platform::GetClientRect(framework::Handle window) {
    RECT rect{};
    if (!::GetClientRect(ToHwnd(window), &rect)) return {};
    return {rect.left, rect.top, rect.right, rect.bottom};
}

int Win32Platform::ShowMessageBox(framework::Handle owner, std::string_view text,
                                  std::string_view caption, UINT type) {
    const std::string textZ(text);
    const std::string captionZ(caption);
    return ::MessageBoxA(ToHwnd(owner), textZ.c_str(), captionZ.c_str(), type);
}

int Win32Platform::ShowPathMessageBox(framework::Handle owner, std::string_view text,
                                      std::string_view caption, UINT type) {
    if ((type & MB_TYPEMASK) != MB_OK) return ShowMessageBox(owner, text, caption, type);
    return RunTextBox(ToHwnd(owner), text, caption);
}

bool Win32Platform::HasSystemMenu(framework::Handle window) {
    return ::GetSystemMenu(ToHwnd(window), FALSE) != nullptr;
}

void Win32Platform::AppendSystemMenuItem(framework::Handle window, UINT flags, UINT id,
                                         std::string_view text) {
    const HMENU menu = ::GetSystemMenu(ToHwnd(window), FALSE);
    if (menu == nullptr) return;
    const std::string textZ(text);
    const bool separator = (flags & MF_SEPARATOR) != 0;
    ::AppendMenuA(menu, flags, id, separator ? nullptr : textZ.c_str());
}

framework::IconHandle Win32Platform::LoadAppIcon(UINT resourceId) {
    return reinterpret_cast<framework::IconHandle>(::LoadIconA(m_instance, ResourceId(resourceId)));
}

int Win32Platform::GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

framework::PaintHandle Win32Platform::BeginPaint(framework::Handle window) {
    auto state = std::make_unique<PaintState>();
    state->window = ToHwnd(window);
    state->dc = ::BeginPaint(state->window, &state->paint);
    if (state->dc == nullptr) return nullptr;
    m_paints.push_back(std::move(state));
    return reinterpret_cast<framework::PaintHandle>(m_paints.back().get());
}

Win32Platform::PaintState* Win32Platform::FindPaint(framework::PaintHandle paint) {
    const auto* wanted = reinterpret_cast<const PaintState*>(paint);
    for (auto& state : m_paints) {
        if (state.get() == wanted) return state.get();
    }
    return nullptr;
}

void Win32Platform::EndPaint(framework::Handle /*window*/, framework::PaintHandle paint) {
    PaintState* state = FindPaint(paint);
    if (state == nullptr) return;
    ::EndPaint(state->window, &state->paint);
    std::erase_if(m_paints, [state](const auto& candidate) { return candidate.get() == state; });
}

void Win32Platform::DrawIcon(framework::PaintHandle paint, int x, int y,
                             framework::IconHandle icon) {
    PaintState* state = FindPaint(paint);
    if (state == nullptr || icon == nullptr) return;
    ::DrawIcon(state->dc, x, y, reinterpret_cast<HICON>(icon));
}

std::string Win32Platform::ExecutableTitle() {
    return TitleFromModulePath(ModulePath());
}

std::string Win32Platform::ProgramAsStarted() {
    const std::string path = ModulePath();
    return path.empty() ? std::string("TavrelCustomizer.exe") : path;
}

char32_t Win32Platform::NextPathCharacter(std::string_view text, std::size_t& at) {
    const std::size_t size =
        ::IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
    wchar_t wide[2] = {};
    const int count =
        ::MultiByteToWideChar(CP_ACP, 0, text.data() + at, static_cast<int>(size), wide, 2);
    at += size;
    return count == 1 ? static_cast<char32_t>(wide[0]) : U'\uFFFD';
}

}  // namespace win32
