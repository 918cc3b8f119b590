// tc_probe: reads the state of another process's dialog for the Wine end-to-end test, which drives
// the program with real key presses and needs to see what the controls show in between.
//
//   tc_probe "<top-level window title>" query...     one-shot: one answer line per query
//   tc_probe --serve                                  one request per input line:
//       <title><TAB><query><TAB><query>...  ->  one answer line per query, then a line "."
// Serving saves a Wine process start per question, which matters on a loaded machine.
//
// Queries (the title "-" names no window; only the reg queries work without one):
//   exists           1 when the window exists, else 0
//   text:<id>        the window text of control <id> (0: the window itself)
//   statics          the non-empty texts of all static text controls, joined with '|'
//   edits            the same for the edit controls (the F1 box's text is one)
//   focus            control id of the focused control (0: the window itself, -1: none/elsewhere)
//   enabled:<id>     1 or 0 (0: the window itself)
//   check:<id>       BM_GETCHECK of a button
//   active           1 when the window is the foreground (active) window, else 0
//   ncactivate       sends WM_NCACTIVATE(TRUE), so that the caption is drawn active; "sent"
//                    (Wine draws a dialog's first activation with an inactive caption)
//   syscommand:<hex> posts WM_SYSCOMMAND <hex> to the window; "posted"
//   click:<id>       posts BM_CLICK to button <id>, a click as the mouse makes it; "posted"
//   reg32 / reg64    the value "Path" of HKLM\Software\Taldren\Starfleet Command II in the
//                    32-bit / 64-bit registry view, or "<none>"
// An answer that cannot be given is "<error: ...>". One-shot exit status: 0, 1 on a bad query
// or a missing window.
#include <windows.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Waits at most two seconds for a hung or busy target.
constexpr UINT kTimeoutMs = 2000;

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                               &length)) {
        return "<timeout>";
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kTimeoutMs,
                               &copied)) {
        return "<timeout>";
    }
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

bool ParseId(std::string_view text, int& id) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return error == std::errc() && end == text.data() + text.size();
}

HWND Control(HWND window, int id) {
    return id == 0 ? window : ::GetDlgItem(window, id);
}

struct Collected {
    const char* className;
    std::string texts;
};

BOOL CALLBACK CollectTexts(HWND child, LPARAM lParam) {
    auto* collected = reinterpret_cast<Collected*>(lParam);
    std::string* texts = &collected->texts;
    char className[32] = {};
    ::GetClassNameA(child, className, static_cast<int>(sizeof(className)));
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_STYLE));
    const bool icon = ::lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON;
    if (::lstrcmpiA(className, collected->className) == 0 && !icon) {
        const std::string text = WindowText(child);
        if (!text.empty()) {
            if (!texts->empty()) texts->push_back('|');
            texts->append(text);
        }
    }
    return TRUE;
}

int FocusedId(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    if (!::GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return -1;
    if (info.hwndFocus == window) return 0;
    // The direct child of the dialog that holds the focus (a combo box's edit counts as the combo).
    HWND focus = info.hwndFocus;
    while (focus != nullptr && ::GetParent(focus) != window) focus = ::GetParent(focus);
    return focus == nullptr ? -1 : ::GetDlgCtrlID(focus);
}

std::string RegistryPath(REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Taldren\\Starfleet Command II", 0,
                        KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) {
        return "<none>";
    }
    char value[512] = {};
    DWORD size = sizeof(value) - 1;
    const LSTATUS status =
        ::RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(value) : "<none>";
}

// Answers one query about `window` (which may be null).
std::string Answer(HWND window, std::string_view query) {
    const std::size_t colon = query.find(':');
    const std::string_view name = query.substr(0, colon);
    const std::string_view argument =
        colon == std::string_view::npos ? std::string_view() : query.substr(colon + 1);
    int id = 0;
    if (name == "text" || name == "enabled" || name == "check" || name == "click") {
        if (!ParseId(argument, id)) return "<error: bad control id>";
    }
    if (name == "exists") return window != nullptr ? "1" : "0";
    if (name == "reg32") return RegistryPath(KEY_WOW64_32KEY);
    if (name == "reg64") return RegistryPath(KEY_WOW64_64KEY);
    if (window == nullptr) return "<error: no such window>";

    if (name == "text") {
        const HWND control = Control(window, id);
        return control != nullptr ? WindowText(control) : "<error: no such control>";
    }
    if (name == "statics" || name == "edits") {
        Collected collected{name == "statics" ? "Static" : "Edit", {}};
        ::EnumChildWindows(window, &CollectTexts, reinterpret_cast<LPARAM>(&collected));
        return collected.texts;
    }
    if (name == "focus") return std::to_string(FocusedId(window));
    if (name == "enabled") {
        const HWND control = Control(window, id);
        return control != nullptr && ::IsWindowEnabled(control) ? "1" : "0";
    }
    if (name == "check") {
        DWORD_PTR state = 0;
        ::SendMessageTimeoutA(Control(window, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                              &state);
        return std::to_string(state);
    }
    if (name == "active") return ::GetForegroundWindow() == window ? "1" : "0";
    if (name == "ncactivate") {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(window, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                              &ignored);
        return "sent";
    }
    if (name == "click") {
        const HWND control = Control(window, id);
        if (control == nullptr) return "<error: no such control>";
        ::PostMessageA(control, BM_CLICK, 0, 0);
        return "posted";
    }
    if (name == "syscommand") {
        unsigned command = 0;
        const auto [end, error] =
            std::from_chars(argument.data(), argument.data() + argument.size(), command, 16);
        if (argument.empty() || error != std::errc() || end != argument.data() + argument.size()) {
            return "<error: bad command>";
        }
        ::PostMessageA(window, WM_SYSCOMMAND, command, 0);
        return "posted";
    }
    return "<error: unknown query>";
}

HWND FindTopLevel(const std::string& title) {
    return title == "-" ? nullptr : ::FindWindowA(nullptr, title.c_str());
}

int Serve() {
    std::string line;
    char buffer[1024];
    while (std::fgets(buffer, static_cast<int>(sizeof(buffer)), stdin) != nullptr) {
        line += buffer;
        if (line.empty() || line.back() != '\n') continue;  // a longer line: read on
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        std::size_t tab = line.find('\t');
        const HWND window = FindTopLevel(line.substr(0, tab));
        while (tab != std::string::npos) {
            const std::size_t next = line.find('\t', tab + 1);
            const std::string query = line.substr(tab + 1, next - tab - 1);
            std::printf("%s\n", Answer(window, query).c_str());
            tab = next;
        }
        std::printf(".\n");
        std::fflush(stdout);
        line.clear();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--serve") return Serve();
    if (argc < 3) {
        std::fputs("usage: tc_probe \"<window title>\" query...  |  tc_probe --serve\n", stderr);
        return 1;
    }
    const HWND window = FindTopLevel(argv[1]);
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string answer = Answer(window, argv[i]);
        if (answer.rfind("<error", 0) == 0) status = 1;
        std::printf("%s\n", answer.c_str());
    }
    std::fflush(stdout);
    return status;
}
