#include "platform/win32/text_box.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace win32 {
namespace {

// Measures in the box font's dialog units, as Windows' own dialogs use them: 7 around the edge
// and between the text and OK, a 50 x 14 button.
constexpr int kMarginDlu = 7;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
// The widest the text gets before it wraps, as on the Linux front end: half the work area, at
// most this many pixels.
constexpr int kWrapWidth = 500;
// However small the screen, this many lines of text stay in view.
constexpr int kMinimumLines = 3;

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr UINT kMeasure = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_EDITCONTROL;

// Where everything goes, in pixels of the client area.
struct Layout {
    int marginX = 0, marginY = 0;
    int buttonWidth = 0, buttonHeight = 0;
    int lineHeight = 1;
    int textWidth = 0;   // where the text wraps
    int textHeight = 0;  // what is in view of it
    int room = 0;        // the most the work area leaves for the text
    bool scrolls = false;
    RECT work{};
};

struct BoxState {
    std::string text;  // lines end in CR LF, as an edit control shows them
    std::string caption;
    HFONT font = nullptr;  // the message boxes' font, else the GUI's
    Layout layout;
};

// The font Windows gives its message boxes.
HFONT MessageFont() {
    NONCLIENTMETRICSA metrics{};
    // The size Windows XP knows: the member added after it (iPaddedBorderWidth) fails there.
    metrics.cbSize =
        static_cast<UINT>(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA));
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

Layout Measure(HWND owner, HFONT font, const std::string& text) {
    Layout layout;
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    // The dialog manager's base units of a font: its average letter width and its height.
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    const int unitX = std::max(1, static_cast<int>((letters.cx / 26 + 1) / 2));
    const int unitY = std::max(1, static_cast<int>(metrics.tmHeight));
    layout.marginX = MulDiv(kMarginDlu, unitX, 4);
    layout.marginY = MulDiv(kMarginDlu, unitY, 8);
    layout.buttonWidth = MulDiv(kButtonWidthDlu, unitX, 4);
    layout.buttonHeight = MulDiv(kButtonHeightDlu, unitY, 8);
    layout.lineHeight = unitY;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    layout.work = monitor.rcWork;
    const int workWidth = static_cast<int>(layout.work.right - layout.work.left);
    const int workHeight = static_cast<int>(layout.work.bottom - layout.work.top);

    const int limit = std::min(workWidth / 2, kWrapWidth);
    RECT widest{0, 0, limit, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &widest, kMeasure);
    layout.textWidth = std::clamp(static_cast<int>(widest.right), 1, limit);
    RECT wrapped{0, 0, layout.textWidth, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &wrapped, kMeasure | DT_WORDBREAK);
    SelectObject(dc, before);
    ReleaseDC(nullptr, dc);

    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kBoxStyle, FALSE, WS_EX_DLGMODALFRAME);
    const int chrome =
        3 * layout.marginY + layout.buttonHeight + static_cast<int>(frame.bottom - frame.top);
    const int fit = std::max(workHeight - chrome, kMinimumLines * layout.lineHeight);
    layout.room = fit / layout.lineHeight * layout.lineHeight;
    layout.textHeight = static_cast<int>(wrapped.bottom);
    layout.scrolls = layout.textHeight > layout.room;
    if (layout.scrolls) layout.textHeight = layout.room;
    return layout;
}

// Ctrl+C: the selection, copied by the edit itself, or all of the text.
void CopyText(HWND box) {
    const HWND edit = GetDlgItem(box, kTextBoxTextId);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start != end) {
        SendMessageA(edit, WM_COPY, 0, 0);
        return;
    }
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory == nullptr) return;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    if (OpenClipboard(box)) {
        EmptyClipboard();
        if (SetClipboardData(CF_TEXT, memory) != nullptr) {
            CloseClipboard();
            return;
        }
        CloseClipboard();
    }
    GlobalFree(memory);
}

// The text and OK both take Ctrl+C for the box; the rest goes on to the control.
LRESULT CALLBACK CopyKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_KEYDOWN && wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        CopyText(GetParent(window));
        return 0;
    }
    if (message == WM_CHAR && wParam == 0x03) return 0;  // the edit's own Ctrl+C: done above
    return CallWindowProcA(original, window, message, wParam, lParam);
}

void TakeCopyKeys(HWND control) {
    SetWindowLongPtrA(control, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_WNDPROC));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CopyKeyProc));
}

void Arrange(HWND box, const BoxState& state) {
    const Layout& layout = state.layout;
    SetWindowTextA(box, state.caption.c_str());
    const HWND edit = GetDlgItem(box, kTextBoxTextId);
    const HWND ok = GetDlgItem(box, IDOK);
    for (const HWND control : {edit, ok}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    }
    SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    const int bar = layout.scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int textWidth = layout.textWidth + bar;
    SetWindowPos(edit, nullptr, layout.marginX, layout.marginY, textWidth, layout.textHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextA(edit, state.text.c_str());
    int textHeight = layout.textHeight;
    if (!layout.scrolls) {
        // The edit's own count of its wrapped lines has the last word.
        const auto lines = static_cast<int>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
        textHeight = std::min(std::max(lines, 1) * layout.lineHeight, layout.room);
        SetWindowPos(edit, nullptr, 0, 0, textWidth, textHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const int clientWidth = 2 * layout.marginX + std::max(textWidth, layout.buttonWidth);
    const int buttonTop = 2 * layout.marginY + textHeight;
    const int clientHeight = buttonTop + layout.buttonHeight + layout.marginY;
    SetWindowPos(ok, nullptr, (clientWidth - layout.buttonWidth) / 2, buttonTop, layout.buttonWidth,
                 layout.buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    RECT window{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrA(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(box, GWL_EXSTYLE)));
    const int width = static_cast<int>(window.right - window.left);
    const int height = static_cast<int>(window.bottom - window.top);
    // In the middle of the work area, as a message box is, and inside it.
    const RECT& work = layout.work;
    const int x =
        std::max(static_cast<int>(work.left), static_cast<int>(work.left + work.right - width) / 2);
    const int y =
        std::max(static_cast<int>(work.top), static_cast<int>(work.top + work.bottom - height) / 2);
    SetWindowPos(box, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    TakeCopyKeys(edit);
    TakeCopyKeys(ok);
    SetFocus(ok);
}

INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Arrange(box, *reinterpret_cast<const BoxState*>(lParam));
            return FALSE;  // the focus is on OK already
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(box, IDOK);
                return TRUE;
            }
            break;
        case WM_HELP:
            return TRUE;  // F1 inside the box asks for nothing more
        default:
            break;
    }
    return FALSE;
}

// A dialog template of the box, in memory: its size and place are set once it is created.
class TemplateWriter {
public:
    void Dword(DWORD value) {
        Word(static_cast<WORD>(value & 0xFFFFu));
        Word(static_cast<WORD>(value >> 16));
    }
    void Word(WORD value) { m_words.push_back(value); }
    void Text(const wchar_t* text) {
        for (; *text != L'\0'; ++text) Word(static_cast<WORD>(*text));
        Word(0);
    }
    void Item(DWORD style, int id, WORD classAtom, const wchar_t* text) {
        if (m_words.size() % 2 != 0) Word(0);  // items start on a DWORD
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (int i = 0; i < 4; ++i) Word(0);  // x, y, cx, cy
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Template() const {
        return reinterpret_cast<const DLGTEMPLATE*>(m_words.data());
    }

private:
    std::vector<WORD> m_words;
};

}  // namespace

int RunTextBox(HWND owner, std::string_view text, std::string_view caption) {
    BoxState state;
    state.caption = std::string(caption);
    for (const char c : text) {
        if (c == '\n' && (state.text.empty() || state.text.back() != '\r')) {
            state.text.push_back('\r');
        }
        state.text.push_back(c);
    }
    HFONT made = MessageFont();
    state.font = made != nullptr ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    state.layout = Measure(owner, state.font, state.text);

    constexpr WORD kEditAtom = 0x0081;
    constexpr WORD kButtonAtom = 0x0080;
    TemplateWriter writer;
    writer.Dword(kBoxStyle);
    writer.Dword(0);
    writer.Word(2);                              // items
    for (int i = 0; i < 4; ++i) writer.Word(0);  // x, y, cx, cy
    writer.Word(0);                              // no menu
    writer.Word(0);                              // the dialog class
    writer.Word(0);                              // the caption comes later, in the ANSI code page
    writer.Item(WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                    (state.layout.scrolls ? WS_VSCROLL : 0),
                kTextBoxTextId, kEditAtom, L"");
    writer.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, kButtonAtom, L"OK");

    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), writer.Template(), owner, &BoxProc,
                            reinterpret_cast<LPARAM>(&state));
    if (made != nullptr) DeleteObject(made);
    return IDOK;
}

}  // namespace win32
