// Reader for the resource-script language, as far as the program's own script uses it: the
// preprocessor lines of an id header, dialogs with their controls, combo-box initialisation
// data, the string table, icons and version information. Other resources are recognised and
// skipped. Control statements get the class and default styles the Windows resource compiler
// gives them, so a template read here matches the one compiled into the Windows executable.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <map>
#include <stdexcept>
#include <utility>

#include "rcscript/embedded_script.h"
#include "rcscript/resource_set.h"

namespace fw {
namespace {

struct NamedValue {
    std::string_view name;
    std::int64_t value;
};

// What <winres.h> and the headers it pulls in define, as far as resource scripts use it.
// clang-format off
constexpr NamedValue kBuiltins[] = {
    // Command ids and the "no id" of static items.
    {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6},
    {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDC_STATIC", -1},
    // Window styles.
    {"WS_OVERLAPPED", 0}, {"WS_TILED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
    {"WS_CHILDWINDOW", 0x40000000}, {"WS_MINIMIZE", 0x20000000}, {"WS_ICONIC", 0x20000000},
    {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
    {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
    {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
    {"WS_SIZEBOX", 0x00040000}, {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000}, {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_OVERLAPPEDWINDOW", 0x00CF0000}, {"WS_TILEDWINDOW", 0x00CF0000},
    {"WS_POPUPWINDOW", 0x80880000},
    // Extended window styles.
    {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_NOPARENTNOTIFY", 0x4}, {"WS_EX_TOPMOST", 0x8},
    {"WS_EX_ACCEPTFILES", 0x10}, {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_MDICHILD", 0x40},
    {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_WINDOWEDGE", 0x100}, {"WS_EX_CLIENTEDGE", 0x200},
    {"WS_EX_CONTEXTHELP", 0x400}, {"WS_EX_RIGHT", 0x1000}, {"WS_EX_LEFT", 0},
    {"WS_EX_RTLREADING", 0x2000}, {"WS_EX_LTRREADING", 0}, {"WS_EX_LEFTSCROLLBAR", 0x4000},
    {"WS_EX_RIGHTSCROLLBAR", 0}, {"WS_EX_CONTROLPARENT", 0x10000},
    {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000},
    {"WS_EX_OVERLAPPEDWINDOW", 0x300}, {"WS_EX_PALETTEWINDOW", 0x188},
    {"WS_EX_LAYERED", 0x80000}, {"WS_EX_NOINHERITLAYOUT", 0x100000},
    {"WS_EX_LAYOUTRTL", 0x400000}, {"WS_EX_COMPOSITED", 0x2000000},
    {"WS_EX_NOACTIVATE", 0x8000000},
    // Dialog styles.
    {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
    {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40},
    {"DS_MODALFRAME", 0x80}, {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200},
    {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800}, {"DS_CENTERMOUSE", 0x1000},
    {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
    // Button styles.
    {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2},
    {"BS_AUTOCHECKBOX", 0x3}, {"BS_RADIOBUTTON", 0x4}, {"BS_3STATE", 0x5},
    {"BS_AUTO3STATE", 0x6}, {"BS_GROUPBOX", 0x7}, {"BS_USERBUTTON", 0x8},
    {"BS_AUTORADIOBUTTON", 0x9}, {"BS_PUSHBOX", 0xA}, {"BS_OWNERDRAW", 0xB},
    {"BS_SPLITBUTTON", 0xC}, {"BS_DEFSPLITBUTTON", 0xD}, {"BS_COMMANDLINK", 0xE},
    {"BS_DEFCOMMANDLINK", 0xF}, {"BS_TYPEMASK", 0xF}, {"BS_LEFTTEXT", 0x20},
    {"BS_RIGHTBUTTON", 0x20}, {"BS_TEXT", 0x0}, {"BS_ICON", 0x40}, {"BS_BITMAP", 0x80},
    {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300}, {"BS_TOP", 0x400},
    {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000},
    {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
    // Edit styles.
    {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4},
    {"ES_UPPERCASE", 0x8}, {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20},
    {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80}, {"ES_NOHIDESEL", 0x100},
    {"ES_OEMCONVERT", 0x400}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
    {"ES_NUMBER", 0x2000},
    // Static styles.
    {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_ICON", 0x3},
    {"SS_BLACKRECT", 0x4}, {"SS_GRAYRECT", 0x5}, {"SS_WHITERECT", 0x6}, {"SS_BLACKFRAME", 0x7},
    {"SS_GRAYFRAME", 0x8}, {"SS_WHITEFRAME", 0x9}, {"SS_USERITEM", 0xA}, {"SS_SIMPLE", 0xB},
    {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_OWNERDRAW", 0xD}, {"SS_BITMAP", 0xE},
    {"SS_ENHMETAFILE", 0xF}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11},
    {"SS_ETCHEDFRAME", 0x12}, {"SS_TYPEMASK", 0x1F}, {"SS_REALSIZECONTROL", 0x40},
    {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200},
    {"SS_RIGHTJUST", 0x400}, {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000},
    {"SS_EDITCONTROL", 0x2000}, {"SS_ENDELLIPSIS", 0x4000}, {"SS_PATHELLIPSIS", 0x8000},
    {"SS_WORDELLIPSIS", 0xC000}, {"SS_ELLIPSISMASK", 0xC000},
    // Combo box styles.
    {"CBS_SIMPLE", 0x1}, {"CBS_DROPDOWN", 0x2}, {"CBS_DROPDOWNLIST", 0x3},
    {"CBS_OWNERDRAWFIXED", 0x10}, {"CBS_OWNERDRAWVARIABLE", 0x20}, {"CBS_AUTOHSCROLL", 0x40},
    {"CBS_OEMCONVERT", 0x80}, {"CBS_SORT", 0x100}, {"CBS_HASSTRINGS", 0x200},
    {"CBS_NOINTEGRALHEIGHT", 0x400}, {"CBS_DISABLENOSCROLL", 0x800},
    {"CBS_UPPERCASE", 0x2000}, {"CBS_LOWERCASE", 0x4000},
    // List box and scroll bar styles.
    {"LBS_NOTIFY", 0x1}, {"LBS_SORT", 0x2}, {"LBS_NOREDRAW", 0x4}, {"LBS_MULTIPLESEL", 0x8},
    {"LBS_OWNERDRAWFIXED", 0x10}, {"LBS_OWNERDRAWVARIABLE", 0x20}, {"LBS_HASSTRINGS", 0x40},
    {"LBS_USETABSTOPS", 0x80}, {"LBS_NOINTEGRALHEIGHT", 0x100}, {"LBS_MULTICOLUMN", 0x200},
    {"LBS_WANTKEYBOARDINPUT", 0x400}, {"LBS_EXTENDEDSEL", 0x800},
    {"LBS_DISABLENOSCROLL", 0x1000}, {"LBS_NODATA", 0x2000}, {"LBS_NOSEL", 0x4000},
    {"LBS_COMBOBOX", 0x8000}, {"LBS_STANDARD", 0xA00003}, {"SBS_HORZ", 0x0}, {"SBS_VERT", 0x1},
    {"SBS_TOPALIGN", 0x2}, {"SBS_LEFTALIGN", 0x2}, {"SBS_BOTTOMALIGN", 0x4},
    {"SBS_RIGHTALIGN", 0x4}, {"SBS_SIZEBOX", 0x8}, {"SBS_SIZEGRIP", 0x10},
    // Trackbar styles.
    {"TBS_AUTOTICKS", 0x1}, {"TBS_VERT", 0x2}, {"TBS_HORZ", 0x0}, {"TBS_TOP", 0x4},
    {"TBS_BOTTOM", 0x0}, {"TBS_LEFT", 0x4}, {"TBS_RIGHT", 0x0}, {"TBS_BOTH", 0x8},
    {"TBS_NOTICKS", 0x10}, {"TBS_ENABLESELRANGE", 0x20}, {"TBS_FIXEDLENGTH", 0x40},
    {"TBS_NOTHUMB", 0x80}, {"TBS_TOOLTIPS", 0x100}, {"TBS_REVERSED", 0x200},
    {"TBS_DOWNISLEFT", 0x400}, {"TBS_NOTIFYBEFOREMOVE", 0x800},
    {"TBS_TRANSPARENTBKGND", 0x1000},
    // Languages.
    {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"SUBLANG_NEUTRAL", 0x00},
    {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02}, {"SUBLANG_ENGLISH_US", 0x01},
    {"SUBLANG_ENGLISH_UK", 0x02},
    // Version information.
    {"VS_VERSION_INFO", 1}, {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x1},
    {"VS_FF_PRERELEASE", 0x2}, {"VS_FF_PATCHED", 0x4}, {"VS_FF_PRIVATEBUILD", 0x8},
    {"VS_FF_INFOINFERRED", 0x10}, {"VS_FF_SPECIALBUILD", 0x20}, {"VOS_UNKNOWN", 0x0},
    {"VOS_DOS", 0x10000}, {"VOS_OS216", 0x20000}, {"VOS_OS232", 0x30000}, {"VOS_NT", 0x40000},
    {"VOS__BASE", 0x0}, {"VOS__WINDOWS16", 0x1}, {"VOS__PM16", 0x2}, {"VOS__PM32", 0x3},
    {"VOS__WINDOWS32", 0x4}, {"VOS_DOS_WINDOWS16", 0x10001}, {"VOS_DOS_WINDOWS32", 0x10004},
    {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0x0}, {"VFT_APP", 0x1}, {"VFT_DLL", 0x2},
    {"VFT_DRV", 0x3}, {"VFT_FONT", 0x4}, {"VFT_VXD", 0x5}, {"VFT_STATIC_LIB", 0x7},
    {"VFT2_UNKNOWN", 0x0},
    // Resource types and manifest ids.
    {"RT_CURSOR", 1}, {"RT_BITMAP", 2}, {"RT_ICON", 3}, {"RT_MENU", 4}, {"RT_DIALOG", 5},
    {"RT_STRING", 6}, {"RT_FONTDIR", 7}, {"RT_FONT", 8}, {"RT_ACCELERATOR", 9},
    {"RT_RCDATA", 10}, {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12},
    {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16}, {"RT_DLGINCLUDE", 17}, {"RT_HTML", 23},
    {"RT_MANIFEST", 24}, {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1},
    {"ISOLATIONAWARE_MANIFEST_RESOURCE_ID", 2},
    {"ISOLATIONAWARE_NOSTATICIMPORT_MANIFEST_RESOURCE_ID", 3},
};
// clang-format on

std::optional<std::int64_t> Builtin(std::string_view name) {
    static const std::map<std::string_view, std::int64_t, std::less<>> table = [] {
        std::map<std::string_view, std::int64_t, std::less<>> m;
        for (const NamedValue& b : kBuiltins) m.emplace(b.name, b.value);
        return m;
    }();
    const auto it = table.find(name);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperAscii(x) == UpperAscii(y);
           });
}

bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsIdentChar(char c) {
    return IsIdentStart(c) || IsDigit(c);
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string Hex(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xFu]);
        value >>= 4;
    } while (value != 0);
    return "0x" + out;
}

std::string Decimal(std::int64_t value) {
    return std::to_string(value);
}

enum class Kind { Ident, Number, String, Punct };

struct Token {
    Kind kind = Kind::Punct;
    std::string text;  // identifier spelling, punctuator, or the string's bytes
    std::int64_t value = 0;
    bool isLong = false;  // number with an L suffix: 32 bits in raw data
    bool wide = false;    // L"..."
    int line = 0;
    const char* source = "";
};

// Where an error is reported: "resource script line 12".
std::string Where(const char* source, int line) {
    return std::string(source) + " line " + Decimal(line);
}

[[noreturn]] void FailAt(const char* source, int line, const std::string& message) {
    throw std::runtime_error(Where(source, line) + ": " + message);
}

std::string Describe(const Token& t) {
    switch (t.kind) {
        case Kind::String:
            return "string \"" + t.text + "\"";
        case Kind::Number:
        case Kind::Ident:
        case Kind::Punct:
            break;
    }
    return "'" + t.text + "'";
}

struct Value {
    std::int64_t v = 0;
    bool isLong = false;
};

struct StyleMask {
    std::uint32_t on = 0;
    std::uint32_t off = 0;  // NOT terms
};

// A read position in a token list; `endLine` names the place of an unexpected end.
struct Cursor {
    const std::vector<Token>* tokens = nullptr;
    std::size_t pos = 0;
    const char* source = "";
    int endLine = 0;

    const Token* Peek() const { return pos < tokens->size() ? &(*tokens)[pos] : nullptr; }
};

std::uint32_t Low32(std::int64_t v) {
    return static_cast<std::uint32_t>(v & 0xFFFFFFFF);
}

}  // namespace

class ResourceScriptParser {
public:
    explicit ResourceScriptParser(ResourceSet& out) : m_out(out) {}

    void Run(std::string_view header, std::string_view script) {
        Preprocess(header, "resource header", true);
        Preprocess(script, "resource script", false);
        m_cur = Cursor{&m_tokens, 0, "resource script", m_lastScriptLine};
        while (m_cur.Peek()) ParseTopLevel();
        CollectSymbols();
    }

private:
    struct Macro {
        std::vector<Token> body;
    };

    struct Conditional {
        bool active = false;  // lines are read
        bool taken = false;   // a branch has been active already
        bool sawElse = false;
        int line = 0;
    };

    // ---------------------------------------------------------------- preprocessing

    // Comments become blanks (block comments keep their line breaks) so that lines keep their
    // numbers; strings are left alone.
    static std::string StripComments(std::string_view text, const char* source) {
        std::string out;
        out.reserve(text.size());
        bool inString = false;
        int line = 1;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if (c == '\n') {
                ++line;
                inString = false;
                out += c;
                continue;
            }
            if (inString) {
                out += c;
                if (c == '\\' && next != '\n' && next != '\0') {
                    out += next;
                    ++i;
                } else if (c == '"') {
                    inString = false;
                }
                continue;
            }
            if (c == '"') {
                inString = true;
                out += c;
            } else if (c == '/' && next == '/') {
                while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
                out += ' ';
            } else if (c == '/' && next == '*') {
                const std::size_t end = text.find("*/", i + 2);
                if (end == std::string_view::npos) FailAt(source, line, "comment is not closed");
                for (std::size_t j = i; j < end; ++j) {
                    if (text[j] == '\n') {
                        out += '\n';
                        ++line;
                    }
                }
                out += ' ';
                i = end + 1;
            } else {
                out += c;
            }
        }
        return out;
    }

    void Preprocess(std::string_view text, const char* source, bool isHeader) {
        const std::string clean = StripComments(text, source);
        std::vector<Conditional> conditionals;
        std::size_t start = 0;
        int lineNo = 0;
        while (start <= clean.size()) {
            // One logical line: physical lines joined where they end in a backslash.
            const int firstLine = lineNo + 1;
            std::string logical;
            while (true) {
                std::size_t end = clean.find('\n', start);
                if (end == std::string::npos) end = clean.size();
                std::string_view physical(clean.data() + start, end - start);
                ++lineNo;
                start = end + 1;
                while (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
                if (!physical.empty() && physical.back() == '\\' && start <= clean.size()) {
                    physical.remove_suffix(1);
                    logical.append(physical);
                    continue;
                }
                logical.append(physical);
                break;
            }
            const bool active = conditionals.empty() || conditionals.back().active;
            const std::string_view trimmed = Trim(logical);
            if (!trimmed.empty() && trimmed.front() == '#') {
                Directive(trimmed.substr(1), source, firstLine, conditionals);
            } else if (active && !trimmed.empty()) {
                std::vector<Token> tokens = Tokenize(trimmed, source, firstLine);
                if (isHeader) {
                    FailAt(source, firstLine,
                           "only preprocessor lines belong in the id header, found " +
                               Describe(tokens.front()));
                }
                // Symbols are replaced as the line is read, with the definitions in force at
                // this point, as the C preprocessor does.
                for (const Token& t : tokens) AppendExpanded(t, m_tokens);
                m_lastScriptLine = firstLine;
            }
        }
        if (!conditionals.empty()) {
            FailAt(source, conditionals.back().line, "#if without #endif");
        }
        if (!isHeader && m_lastScriptLine == 0) m_lastScriptLine = lineNo;
    }

    void Directive(std::string_view text, const char* source, int line,
                   std::vector<Conditional>& conditionals) {
        text = Trim(text);
        std::size_t n = 0;
        while (n < text.size() && IsIdentChar(text[n])) ++n;
        const std::string name(text.substr(0, n));
        const std::string_view rest = Trim(text.substr(n));
        const bool active = conditionals.empty() || conditionals.back().active;

        if (name == "ifdef" || name == "ifndef" || name == "if") {
            Conditional c;
            c.line = line;
            if (!active) {
                c.taken = true;  // no branch of a skipped block is read
            } else {
                bool result = false;
                if (name == "if") {
                    result = EvaluateCondition(rest, source, line);
                } else {
                    const std::string symbol(rest);
                    if (symbol.empty() || !std::all_of(symbol.begin(), symbol.end(), IsIdentChar)) {
                        FailAt(source, line, "#" + name + " needs one symbol name");
                    }
                    result = IsDefined(symbol) == (name == "ifdef");
                }
                c.active = result;
                c.taken = result;
            }
            conditionals.push_back(c);
            return;
        }
        if (name == "elif" || name == "else") {
            if (conditionals.empty()) FailAt(source, line, "#" + name + " without #if");
            Conditional& c = conditionals.back();
            if (c.sawElse) FailAt(source, line, "#" + name + " after #else");
            const bool outerActive =
                conditionals.size() < 2 || conditionals[conditionals.size() - 2].active;
            if (name == "else") {
                c.sawElse = true;
                c.active = outerActive && !c.taken;
                c.taken = true;
            } else {
                c.active = outerActive && !c.taken && EvaluateCondition(rest, source, line);
                c.taken = c.taken || c.active;
            }
            return;
        }
        if (name == "endif") {
            if (conditionals.empty()) FailAt(source, line, "#endif without #if");
            conditionals.pop_back();
            return;
        }
        if (!active) return;

        if (name == "define") {
            std::size_t k = 0;
            while (k < rest.size() && IsIdentChar(rest[k])) ++k;
            const std::string symbol(rest.substr(0, k));
            if (symbol.empty() || !IsIdentStart(symbol.front())) {
                FailAt(source, line, "#define needs a symbol name");
            }
            if (k < rest.size() && rest[k] == '(') {
                FailAt(source, line, "macros with parameters are not supported: " + symbol);
            }
            Macro macro;
            macro.body = Tokenize(Trim(rest.substr(k)), source, line);
            m_macros[symbol] = std::move(macro);
        } else if (name == "undef") {
            m_macros.erase(std::string(rest));
        } else if (name == "include") {
            // The id header is read separately; system headers only define what the built-in
            // table holds.
            if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') ||
                                     (rest.front() == '<' && rest.back() == '>'))) {
                FailAt(source, line, "#include needs a file name in quotes or angle brackets");
            }
        } else if (name == "pragma" || name == "line" || name.empty()) {
            // Code pages, line markers and empty directives change nothing here.
        } else if (name == "error") {
            FailAt(source, line, "#error " + std::string(rest));
        } else {
            FailAt(source, line, "unknown preprocessor directive #" + name);
        }
    }

    void AppendExpanded(const Token& t, std::vector<Token>& out) {
        const auto it = t.kind == Kind::Ident ? m_macros.find(t.text) : m_macros.end();
        if (it == m_macros.end()) {
            out.push_back(t);
            return;
        }
        if (std::find(m_expanding.begin(), m_expanding.end(), t.text) != m_expanding.end()) {
            FailAt(t.source, t.line, "symbol " + t.text + " refers to itself");
        }
        if (m_expanding.size() >= kMaxDepth) {
            FailAt(t.source, t.line, "symbols nested too deeply at " + t.text);
        }
        m_expanding.push_back(t.text);
        for (Token b : it->second.body) {
            b.line = t.line;  // errors point at the use, not at the #define
            b.source = t.source;
            AppendExpanded(b, out);
        }
        m_expanding.pop_back();
    }

    bool IsDefined(const std::string& symbol) const {
        return m_macros.count(symbol) != 0 || Builtin(symbol).has_value();
    }

    bool EvaluateCondition(std::string_view text, const char* source, int line) {
        const std::vector<Token> tokens = Tokenize(text, source, line);
        if (tokens.empty()) FailAt(source, line, "#if needs a condition");
        Cursor c{&tokens, 0, source, line};
        const Value v = ParseExpr(c, true, 0);
        if (c.Peek()) FailAt(source, line, "unexpected " + Describe(*c.Peek()) + " in #if");
        return v.v != 0;
    }

    static std::vector<Token> Tokenize(std::string_view line, const char* source, int lineNo) {
        std::vector<Token> out;
        std::size_t i = 0;
        auto fail = [&](const std::string& message) { FailAt(source, lineNo, message); };
        while (i < line.size()) {
            const char c = line[i];
            if (IsBlank(c)) {
                ++i;
                continue;
            }
            Token t;
            t.line = lineNo;
            t.source = source;
            if ((c == 'L' || c == 'l') && i + 1 < line.size() && line[i + 1] == '"') {
                t.wide = true;
                ++i;
            }
            if (line[i] == '"') {
                t.kind = Kind::String;
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    const char s = line[i];
                    if (s == '"') {
                        if (i + 1 < line.size() && line[i + 1] == '"') {  // "" is one quote
                            t.text += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (s == '\\' && i + 1 < line.size()) {
                        i = ReadEscape(line, i + 1, t.text, fail);
                        continue;
                    }
                    t.text += s;
                    ++i;
                }
                if (!closed) fail("string is not closed on its line");
            } else if (IsIdentStart(c)) {
                t.kind = Kind::Ident;
                const std::size_t b = i;
                while (i < line.size() && IsIdentChar(line[i])) ++i;
                t.text = std::string(line.substr(b, i - b));
            } else if (IsDigit(c)) {
                t.kind = Kind::Number;
                const std::size_t b = i;
                while (i < line.size() && IsIdentChar(line[i])) ++i;
                t.text = std::string(line.substr(b, i - b));
                ReadNumber(t, fail);
            } else {
                t.kind = Kind::Punct;
                static constexpr std::string_view kTwo[] = {
                    "<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
                const std::string_view two = line.substr(i, 2);
                if (std::find(std::begin(kTwo), std::end(kTwo), two) != std::end(kTwo)) {
                    t.text = std::string(two);
                    i += 2;
                } else if (std::string_view(",|&^+-*/%~(){}!<>").find(c) !=
                           std::string_view::npos) {
                    t.text = std::string(1, c);
                    ++i;
                } else {
                    fail("unexpected character '" + std::string(1, c) + "'");
                }
            }
            out.push_back(std::move(t));
        }
        return out;
    }

    // Reads the escape whose letter is at `i`; returns the index after it.
    template <typename Fail>
    static std::size_t ReadEscape(std::string_view line, std::size_t i, std::string& out,
                                  const Fail& fail) {
        const char e = line[i];
        switch (e) {
            case 'n':
                out += '\n';
                return i + 1;
            case 't':
                out += '\t';
                return i + 1;
            case 'r':
                out += '\r';
                return i + 1;
            case '\\':
            case '"':
                out += e;
                return i + 1;
            case 'x':
            case 'X': {
                unsigned value = 0;
                std::size_t k = i + 1;
                int digits = 0;
                while (k < line.size() && digits < 2 && HexDigit(line[k]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexDigit(line[k]));
                    ++k;
                    ++digits;
                }
                if (digits == 0) fail("\\x needs hexadecimal digits");
                out += static_cast<char>(value);
                return k;
            }
            default:
                break;
        }
        if (e >= '0' && e <= '7') {
            unsigned value = 0;
            std::size_t k = i;
            while (k < line.size() && k < i + 3 && line[k] >= '0' && line[k] <= '7') {
                value = value * 8 + static_cast<unsigned>(line[k] - '0');
                ++k;
            }
            if (value > 0xFF) fail("octal escape beyond one byte");
            out += static_cast<char>(value);
            return k;
        }
        // The resource compiler keeps other backslashes as they stand.
        out += '\\';
        out += e;
        return i + 1;
    }

    template <typename Fail>
    static void ReadNumber(Token& t, const Fail& fail) {
        std::string_view s = t.text;
        while (!s.empty() &&
               (s.back() == 'L' || s.back() == 'l' || s.back() == 'U' || s.back() == 'u')) {
            if (s.back() == 'L' || s.back() == 'l') t.isLong = true;
            s.remove_suffix(1);
        }
        int base = 10;
        if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
            base = 16;
            s.remove_prefix(2);
        }
        if (s.empty()) fail("bad number '" + t.text + "'");
        std::uint64_t value = 0;
        for (char ch : s) {
            const int d = HexDigit(ch);
            if (d < 0 || d >= base) fail("bad number '" + t.text + "'");
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu) fail("number too large: " + t.text);
        }
        t.value = static_cast<std::int64_t>(value);
    }

    // ---------------------------------------------------------------- expressions

    // clang-format off
    enum class Op { Or, Xor, And, Add, Sub, Mul, Div, Mod, LogOr, LogAnd, Eq, Ne, Lt, Gt, Le, Ge,
                    Shl, Shr };
    // clang-format on

    struct BinaryOp {
        std::string_view spelling;
        Op op;
        int precedence;
        bool preprocessorOnly;
    };

    static const BinaryOp* FindBinary(const Token* t, bool pp) {
        // clang-format off
        static constexpr BinaryOp kOps[] = {
            {"||", Op::LogOr, 1, true}, {"&&", Op::LogAnd, 2, true}, {"|", Op::Or, 3, false},
            {"^", Op::Xor, 4, false},   {"&", Op::And, 5, false},    {"==", Op::Eq, 6, true},
            {"!=", Op::Ne, 6, true},    {"<", Op::Lt, 7, true},      {">", Op::Gt, 7, true},
            {"<=", Op::Le, 7, true},    {">=", Op::Ge, 7, true},     {"<<", Op::Shl, 8, true},
            {">>", Op::Shr, 8, true},   {"+", Op::Add, 9, false},    {"-", Op::Sub, 9, false},
            {"*", Op::Mul, 10, false},  {"/", Op::Div, 10, false},   {"%", Op::Mod, 10, false},
        };
        // clang-format on
        if (!t || t->kind != Kind::Punct) return nullptr;
        for (const BinaryOp& op : kOps) {
            if (op.spelling == t->text && (pp || !op.preprocessorOnly)) return &op;
        }
        return nullptr;
    }

    const Token& Take(Cursor& c, const std::string& expected) {
        if (!c.Peek()) FailAt(c.source, c.endLine, "unexpected end, expected " + expected);
        return (*c.tokens)[c.pos++];
    }

    // `pp`: #if rules (undefined names are 0, `defined`, logical and comparison operators).
    Value ParseExpr(Cursor& c, bool pp, int minPrecedence) {
        Value left = ParseUnary(c, pp);
        while (const BinaryOp* op = FindBinary(c.Peek(), pp)) {
            if (op->precedence < minPrecedence) break;
            const Token& opToken = Take(c, "an operator");
            const Value right = ParseExpr(c, pp, op->precedence + 1);
            left = Apply(*op, left, right, opToken);
        }
        return left;
    }

    static Value Apply(const BinaryOp& op, Value a, Value b, const Token& at) {
        if ((op.op == Op::Div || op.op == Op::Mod) && b.v == 0) {
            FailAt(at.source, at.line, "division by zero");
        }
        // 32-bit arithmetic as the resource compiler does it; results stay sign-extended so
        // that -1 remains -1.
        const std::uint32_t x = Low32(a.v), y = Low32(b.v);
        std::int64_t v = 0;
        switch (op.op) {
            case Op::Or:
                v = x | y;
                break;
            case Op::Xor:
                v = x ^ y;
                break;
            case Op::And:
                v = x & y;
                break;
            case Op::Add:
                v = a.v + b.v;
                break;
            case Op::Sub:
                v = a.v - b.v;
                break;
            case Op::Mul:
                v = a.v * b.v;
                break;
            case Op::Div:
                v = a.v / b.v;
                break;
            case Op::Mod:
                v = a.v % b.v;
                break;
            case Op::LogOr:
                v = a.v != 0 || b.v != 0;
                break;
            case Op::LogAnd:
                v = a.v != 0 && b.v != 0;
                break;
            case Op::Eq:
                v = a.v == b.v;
                break;
            case Op::Ne:
                v = a.v != b.v;
                break;
            case Op::Lt:
                v = a.v < b.v;
                break;
            case Op::Gt:
                v = a.v > b.v;
                break;
            case Op::Le:
                v = a.v <= b.v;
                break;
            case Op::Ge:
                v = a.v >= b.v;
                break;
            case Op::Shl:
                v = static_cast<std::uint32_t>(x << (y & 31u));
                break;
            case Op::Shr:
                v = x >> (y & 31u);
                break;
        }
        return Value{static_cast<std::int32_t>(Low32(v)), a.isLong || b.isLong};
    }

    // Nesting of parentheses, unary operators and symbols within symbols; a script cannot
    // exhaust the stack with it.
    static constexpr int kMaxDepth = 200;

    struct DepthGuard {
        int& depth;
        DepthGuard(int& d, const Token& at) : depth(d) {
            if (++depth > kMaxDepth) FailAt(at.source, at.line, "expression nested too deeply");
        }
        ~DepthGuard() { --depth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
    };

    Value ParseUnary(Cursor& c, bool pp) {
        const Token& t = Take(c, "a number or symbol");
        const DepthGuard guard(m_depth, t);
        if (t.kind == Kind::Punct) {
            if (t.text == "(") {
                const Value v = ParseExpr(c, pp, 0);
                const Token& close = Take(c, "')'");
                if (close.kind != Kind::Punct || close.text != ")") {
                    FailAt(close.source, close.line, "expected ')', found " + Describe(close));
                }
                return v;
            }
            if (t.text == "-" || t.text == "+" || t.text == "~" || (pp && t.text == "!")) {
                Value v = ParseUnary(c, pp);
                if (t.text == "-") v.v = static_cast<std::int32_t>(Low32(-v.v));
                if (t.text == "~") v.v = static_cast<std::int32_t>(~Low32(v.v));
                if (t.text == "!") v.v = v.v == 0 ? 1 : 0;
                return v;
            }
        }
        if (t.kind == Kind::Number)
            return Value{
                t.value <= 0x7FFFFFFF ? t.value : static_cast<std::int32_t>(Low32(t.value)),
                t.isLong};
        if (t.kind == Kind::Ident) {
            if (pp && t.text == "defined") {
                bool paren = false;
                if (c.Peek() && c.Peek()->text == "(" && c.Peek()->kind == Kind::Punct) {
                    Take(c, "'('");
                    paren = true;
                }
                const Token& name = Take(c, "a symbol name");
                if (name.kind != Kind::Ident) {
                    FailAt(name.source, name.line, "defined needs a symbol name");
                }
                if (paren) {
                    const Token& close = Take(c, "')'");
                    if (close.text != ")") FailAt(close.source, close.line, "expected ')'");
                }
                return Value{IsDefined(name.text) ? 1 : 0, false};
            }
            return SymbolValue(t, pp);
        }
        FailAt(t.source, t.line, "expected a number or symbol, found " + Describe(t));
    }

    Value SymbolValue(const Token& t, bool pp) {
        if (const auto known = m_collected.find(t.text); known != m_collected.end()) {
            if (!known->second)
                FailAt(t.source, t.line, "symbol " + t.text + " has no numeric value");
            return Value{*known->second, false};
        }
        const auto it = m_macros.find(t.text);
        if (it != m_macros.end()) {
            if (std::find(m_expanding.begin(), m_expanding.end(), t.text) != m_expanding.end()) {
                FailAt(t.source, t.line, "symbol " + t.text + " refers to itself");
            }
            const std::vector<Token>& body = it->second.body;
            if (body.empty()) {
                if (pp) return Value{0, false};
                FailAt(t.source, t.line, "symbol " + t.text + " has no value");
            }
            m_expanding.push_back(t.text);
            Cursor inner{&body, 0, body.front().source, body.front().line};
            const Value v = ParseExpr(inner, pp, 0);
            if (inner.Peek()) {
                FailAt(t.source, t.line, "symbol " + t.text + " is not a number");
            }
            m_expanding.pop_back();
            return v;
        }
        if (const auto b = Builtin(t.text)) {
            return Value{static_cast<std::int32_t>(Low32(*b)), false};
        }
        if (pp) return Value{0, false};
        FailAt(t.source, t.line, "unknown symbol '" + t.text + "'");
    }

    // A style list: `A | B | NOT C`. NOT terms are removed after the defaults are added.
    StyleMask ParseStyle(Cursor& c) {
        StyleMask m;
        do {
            const Token* t = c.Peek();
            if (t && t->kind == Kind::Ident && EqualNoCase(t->text, "NOT")) {
                Take(c, "NOT");
                m.off |= Low32(ParseExpr(c, false, 4).v);
            } else {
                m.on |= Low32(ParseExpr(c, false, 4).v);
            }
        } while (AcceptPunct(c, "|"));
        return m;
    }

    // ---------------------------------------------------------------- token helpers

    static bool IsPunct(const Token* t, std::string_view p) {
        return t && t->kind == Kind::Punct && t->text == p;
    }
    static bool IsKeyword(const Token* t, std::string_view kw) {
        return t && t->kind == Kind::Ident && EqualNoCase(t->text, kw);
    }
    static bool IsBegin(const Token* t) { return IsPunct(t, "{") || IsKeyword(t, "BEGIN"); }
    static bool IsEnd(const Token* t) { return IsPunct(t, "}") || IsKeyword(t, "END"); }

    bool AcceptPunct(Cursor& c, std::string_view p) {
        if (!IsPunct(c.Peek(), p)) return false;
        ++c.pos;
        return true;
    }

    void ExpectComma(const std::string& after) {
        const Token& t = Take(m_cur, "',' after " + after);
        if (t.kind != Kind::Punct || t.text != ",") {
            FailAt(t.source, t.line, "expected ',' after " + after + ", found " + Describe(t));
        }
    }

    const Token& ExpectBegin(const std::string& what) {
        const Token& t = Take(m_cur, "BEGIN of " + what);
        if (!IsBegin(&t)) {
            FailAt(t.source, t.line, "expected BEGIN of " + what + ", found " + Describe(t));
        }
        return t;
    }

    // True at END (consumed); fails at the end of the file: the block is not closed.
    bool AtEnd(const Token& begin, const std::string& what) {
        const Token* t = m_cur.Peek();
        if (!t) {
            FailAt(begin.source, begin.line,
                   "BEGIN of " + what + " has no END (the file ends inside the block)");
        }
        if (!IsEnd(t)) return false;
        ++m_cur.pos;
        return true;
    }

    std::string ParseString(const std::string& what) {
        const Token& t = Take(m_cur, what);
        if (t.kind != Kind::String) {
            FailAt(t.source, t.line, "expected " + what + " in quotes, found " + Describe(t));
        }
        std::string text = t.text;
        while (m_cur.Peek() && m_cur.Peek()->kind == Kind::String) text += Take(m_cur, "").text;
        return text;
    }

    std::int64_t ParseNumber() { return ParseExpr(m_cur, false, 0).v; }

    int ParseInt(const std::string& what, std::int64_t lowest, std::int64_t highest) {
        const Token* at = m_cur.Peek();
        const std::int64_t v = ParseNumber();
        if (v < lowest || v > highest) {
            FailAt(at->source, at->line,
                   what + " " + Decimal(v) + " is outside " + Decimal(lowest) + " to " +
                       Decimal(highest));
        }
        return static_cast<int>(v);
    }

    int ParseCoord(const std::string& what) { return ParseInt(what, -32768, 32767); }

    void SkipMemoryOptions() {
        static constexpr std::string_view kFlags[] = {
            "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL", "DISCARDABLE"};
        while (const Token* t = m_cur.Peek()) {
            if (t->kind != Kind::Ident) return;
            const std::string up = Upper(t->text);
            if (std::find(std::begin(kFlags), std::end(kFlags), up) != std::end(kFlags)) {
                ++m_cur.pos;
            } else if (up == "LANGUAGE") {
                ++m_cur.pos;
                ParseNumber();
                ExpectComma("the language");
                ParseNumber();
            } else if (up == "VERSION" || up == "CHARACTERISTICS") {
                ++m_cur.pos;
                ParseNumber();
            } else {
                return;
            }
        }
    }

    // Skips a block whose BEGIN is next, nested blocks included.
    void SkipBlock(const std::string& what) {
        const Token& begin = ExpectBegin(what);
        int depth = 1;
        while (depth > 0) {
            const Token* t = m_cur.Peek();
            if (!t) {
                FailAt(begin.source, begin.line,
                       "BEGIN of " + what + " has no END (the file ends inside the block)");
            }
            if (IsBegin(t)) ++depth;
            if (IsEnd(t)) --depth;
            ++m_cur.pos;
        }
    }

    // ---------------------------------------------------------------- resources

    void ParseTopLevel() {
        const Token& first = *m_cur.Peek();
        if (IsKeyword(&first, "LANGUAGE")) {
            ++m_cur.pos;
            ParseNumber();
            ExpectComma("the language");
            ParseNumber();
            return;
        }
        if (IsKeyword(&first, "STRINGTABLE")) {
            ++m_cur.pos;
            ParseStringTable();
            return;
        }

        // A resource: name, type, then what the type needs.
        std::optional<std::int64_t> id;
        std::string name;
        // Symbols of the header are replaced by their values already; a name left is either
        // built in or unknown.
        const bool unknownName = first.kind == Kind::Ident && !Builtin(first.text);
        if (first.kind == Kind::String) {
            name = first.text;
            ++m_cur.pos;
        } else if (unknownName) {
            name = first.text;
            ++m_cur.pos;
        } else {
            id = ParseNumber();
            name = Decimal(*id);
        }
        const Token* type = m_cur.Peek();
        if (!type) FailAt(first.source, first.line, "unknown keyword " + Describe(first));
        const std::string up = type->kind == Kind::Ident ? Upper(type->text) : std::string();

        auto requireId = [&](const char* kind) -> unsigned {
            if (!id || *id < 0 || *id > 0xFFFF) {
                FailAt(first.source, first.line,
                       std::string(kind) + " " + name + " needs a numeric id (is " + name +
                           " defined in the id header?)");
            }
            return static_cast<unsigned>(*id);
        };

        if (up == "DIALOG" || up == "DIALOGEX") {
            ++m_cur.pos;
            ParseDialog(requireId("dialog"), up == "DIALOGEX", first);
        } else if (up == "DLGINIT") {
            ++m_cur.pos;
            ParseDialogInit(requireId("DLGINIT"), first);
        } else if (up == "ICON") {
            ++m_cur.pos;
            ParseIcon(requireId("icon"), first);
        } else if (up == "VERSIONINFO") {
            ++m_cur.pos;
            requireId("VERSIONINFO");
            ParseVersionInfo(first);
        } else if (up == "MENU" || up == "MENUEX" || up == "ACCELERATORS" || up == "TOOLBAR") {
            ++m_cur.pos;
            SkipMemoryOptions();
            while (m_cur.Peek() && !IsBegin(m_cur.Peek())) ++m_cur.pos;  // toolbar sizes
            SkipBlock(up + " " + name);
        } else if (type->kind == Kind::Ident || type->kind == Kind::Number) {
            // Any other type (RT_MANIFEST, TEXTINCLUDE, RCDATA, a user type): a file name or a
            // block of raw data, neither of which matters here.
            const bool knownType =
                type->kind == Kind::Number || Builtin(type->text) || IsDataType(up);
            ++m_cur.pos;
            SkipMemoryOptions();
            const Token* next = m_cur.Peek();
            if (next && next->kind == Kind::String) {
                ++m_cur.pos;
            } else if (IsBegin(next)) {
                SkipBlock("resource " + name);
            } else if (unknownName) {
                FailAt(first.source, first.line, "unknown keyword '" + first.text + "'");
            } else if (!knownType) {
                FailAt(type->source, type->line, "unknown keyword '" + type->text + "'");
            } else {
                const Token& at = next ? *next : *type;
                FailAt(at.source, at.line,
                       "expected a file name or BEGIN for resource " + name + ", found " +
                           (next ? Describe(*next) : std::string("the end of the file")));
            }
        } else {
            FailAt(type->source, type->line,
                   "expected a resource type after " + name + ", found " + Describe(*type));
        }
    }

    static bool IsDataType(const std::string& up) {
        static constexpr std::string_view kTypes[] = {
            "TEXTINCLUDE",  "RCDATA",     "MANIFEST",  "HTML",    "BITMAP",   "CURSOR", "FONT",
            "MESSAGETABLE", "DLGINCLUDE", "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};
        return std::find(std::begin(kTypes), std::end(kTypes), up) != std::end(kTypes);
    }

    void ParseStringTable() {
        SkipMemoryOptions();
        const Token& begin = ExpectBegin("STRINGTABLE");
        while (!AtEnd(begin, "STRINGTABLE")) {
            const Token& at = *m_cur.Peek();
            const int id = ParseInt("string id", 0, 0xFFFF);
            AcceptPunct(m_cur, ",");
            std::string text = ParseString("the text of string " + Decimal(id));
            for (const auto& [existing, unused] : m_out.m_strings) {
                if (existing == static_cast<unsigned>(id)) {
                    FailAt(at.source, at.line, "string " + Decimal(id) + " is defined twice");
                }
            }
            m_out.m_strings.emplace_back(static_cast<unsigned>(id), std::move(text));
        }
    }

    void ParseIcon(unsigned id, const Token& at) {
        SkipMemoryOptions();
        std::string file = ParseString("the icon's file name");
        for (const auto& [existing, unused] : m_out.m_icons) {
            if (existing == id) FailAt(at.source, at.line, "icon " + Decimal(id) + " twice");
        }
        m_out.m_icons.emplace_back(id, std::move(file));
    }

    void ParseDialog(unsigned id, bool extended, const Token& at) {
        const std::string what = "dialog " + Decimal(id);
        if (m_out.FindDialog(id)) FailAt(at.source, at.line, what + " is defined twice");
        SkipMemoryOptions();
        DialogTemplate d;
        d.id = id;
        d.extended = extended;
        d.x = ParseCoord("x");
        ExpectComma("x of " + what);
        d.y = ParseCoord("y");
        ExpectComma("y of " + what);
        d.cx = ParseCoord("width");
        ExpectComma("width of " + what);
        d.cy = ParseCoord("height");
        if (extended && AcceptPunct(m_cur, ",")) ParseNumber();  // help id

        StyleMask style, exStyle;
        bool gotStyle = false, gotCaption = false, gotFont = false;
        while (!IsBegin(m_cur.Peek())) {
            const Token& t = Take(m_cur, "BEGIN of " + what);
            const std::string up = t.kind == Kind::Ident ? Upper(t.text) : std::string();
            if (up == "STYLE") {
                const StyleMask m = ParseStyle(m_cur);
                style.on |= m.on;
                style.off |= m.off;
                gotStyle = true;
            } else if (up == "EXSTYLE") {
                const StyleMask m = ParseStyle(m_cur);
                exStyle.on |= m.on;
                exStyle.off |= m.off;
            } else if (up == "CAPTION") {
                d.caption = ParseString("the caption");
                gotCaption = true;
            } else if (up == "FONT") {
                d.fontPointSize = ParseInt("font size", 0, 0xFFFF);
                ExpectComma("the font size");
                d.fontName = ParseString("the font name");
                if (AcceptPunct(m_cur, ",")) {
                    if (!extended) {
                        FailAt(t.source, t.line, "font weight, italic and charset need DIALOGEX");
                    }
                    d.fontWeight = ParseInt("font weight", 0, 0xFFFF);
                    if (AcceptPunct(m_cur, ",")) d.fontItalic = ParseNumber() != 0;
                    if (AcceptPunct(m_cur, ",")) d.fontCharset = ParseInt("charset", 0, 0xFF);
                }
                gotFont = true;
            } else if (up == "MENU" || up == "CLASS") {
                Take(m_cur, "a name after " + up);
            } else if (up == "LANGUAGE") {
                ParseNumber();
                ExpectComma("the language");
                ParseNumber();
            } else if (up == "CHARACTERISTICS" || up == "VERSION") {
                ParseNumber();
            } else {
                FailAt(t.source, t.line, "unknown keyword " + Describe(t) + " in " + what);
            }
        }
        std::uint32_t s = gotStyle ? style.on : ws::Popup | ws::Border | ws::SysMenu;
        if (gotCaption) s |= ws::Caption;
        if (gotFont) s |= ds::SetFont;
        d.style = s & ~style.off;
        d.exStyle = exStyle.on & ~exStyle.off;

        const Token& begin = ExpectBegin(what);
        while (!AtEnd(begin, what)) d.items.push_back(ParseControl(d, what));
        m_out.m_dialogs.push_back(std::move(d));
    }

    enum class Form { Text, NoText, Icon, Generic };

    struct ControlKeyword {
        std::string_view keyword;
        std::string_view className;
        std::uint32_t typeStyle;
        Form form;
    };

    // Text of a control: a string, or an ordinal (an icon's id) as its decimal number.
    std::string ParseControlText() {
        const Token* at = m_cur.Peek();
        if (at && at->kind == Kind::String) return ParseString("the control text");
        const std::int64_t v = ParseNumber();  // fails at the end of the file
        if (v < 0 || v > 0xFFFF) {
            FailAt(at->source, at->line,
                   "control text ordinal " + Decimal(v) + " is not 0 to 65535");
        }
        return Decimal(v);
    }

    static std::string CanonicalClass(std::string_view name) {
        static constexpr std::string_view kKnown[] = {
            kButtonClass,    kEditClass,     kStaticClass,  kListBoxClass,
            kScrollBarClass, kComboBoxClass, kTrackbarClass};
        for (std::string_view known : kKnown) {
            if (EqualNoCase(known, name)) return std::string(known);
        }
        return std::string(name);
    }

    std::string ParseClass() {
        const Token& t = Take(m_cur, "the control class");
        if (t.kind == Kind::String || t.kind == Kind::Ident) return CanonicalClass(t.text);
        if (t.kind == Kind::Number) {
            // The predefined classes' atoms.
            static constexpr std::string_view kAtoms[] = {kButtonClass,    kEditClass,
                                                          kStaticClass,    kListBoxClass,
                                                          kScrollBarClass, kComboBoxClass};
            if (t.value >= 0x80 && t.value <= 0x85) {
                return std::string(kAtoms[static_cast<std::size_t>(t.value - 0x80)]);
            }
        }
        FailAt(t.source, t.line, "expected a control class, found " + Describe(t));
    }

    ItemTemplate ParseControl(const DialogTemplate& d, const std::string& what) {
        static constexpr ControlKeyword kKeywords[] = {
            {"LTEXT", kStaticClass, ss::Left, Form::Text},
            {"RTEXT", kStaticClass, ss::Right, Form::Text},
            {"CTEXT", kStaticClass, ss::Center, Form::Text},
            {"PUSHBUTTON", kButtonClass, bs::PushButton, Form::Text},
            {"DEFPUSHBUTTON", kButtonClass, bs::DefPushButton, Form::Text},
            {"PUSHBOX", kButtonClass, bs::PushBox, Form::Text},
            {"CHECKBOX", kButtonClass, bs::CheckBox, Form::Text},
            {"AUTOCHECKBOX", kButtonClass, bs::AutoCheckBox, Form::Text},
            {"RADIOBUTTON", kButtonClass, bs::RadioButton, Form::Text},
            {"AUTORADIOBUTTON", kButtonClass, bs::AutoRadioButton, Form::Text},
            {"STATE3", kButtonClass, bs::ThreeState, Form::Text},
            {"AUTO3STATE", kButtonClass, bs::AutoThreeState, Form::Text},
            {"GROUPBOX", kButtonClass, bs::GroupBox, Form::Text},
            {"EDITTEXT", kEditClass, es::Left, Form::NoText},
            {"COMBOBOX", kComboBoxClass, 0, Form::NoText},
            {"LISTBOX", kListBoxClass, 0, Form::NoText},
            {"SCROLLBAR", kScrollBarClass, 0, Form::NoText},
            {"ICON", kStaticClass, ss::Icon, Form::Icon},
            {"CONTROL", "", 0, Form::Generic},
        };
        const Token& kw = Take(m_cur, "END of " + what);
        const ControlKeyword* info = nullptr;
        if (kw.kind == Kind::Ident) {
            for (const ControlKeyword& k : kKeywords) {
                if (EqualNoCase(k.keyword, kw.text)) info = &k;
            }
        }
        if (!info) {
            FailAt(kw.source, kw.line,
                   "unknown keyword " + Describe(kw) + " in " + what +
                       " (expected a control statement or END)");
        }
        const std::string ctl = std::string(info->keyword) + " in " + what;
        ItemTemplate item;
        StyleMask style, exStyle;
        bool gotStyle = false;
        auto parseId = [&] {
            item.id = ParseInt("control id",
                               d.extended ? std::numeric_limits<std::int32_t>::min() : -32768,
                               d.extended ? std::numeric_limits<std::int32_t>::max() : 0xFFFF);
        };
        auto parseRect = [&] {
            item.x = ParseCoord("x");
            ExpectComma("x of " + ctl);
            item.y = ParseCoord("y");
            ExpectComma("y of " + ctl);
            item.cx = ParseCoord("width");
            ExpectComma("width of " + ctl);
            item.cy = ParseCoord("height");
        };
        auto parseTail = [&](bool withStyle) {
            if (withStyle && AcceptPunct(m_cur, ",")) {
                style = ParseStyle(m_cur);
                gotStyle = true;
            } else if (withStyle) {
                return;
            }
            if (AcceptPunct(m_cur, ",")) {
                exStyle = ParseStyle(m_cur);
                if (AcceptPunct(m_cur, ",")) ParseNumber();  // help id
            }
        };

        switch (info->form) {
            case Form::Generic:
                item.text = ParseControlText();
                ExpectComma("the text of " + ctl);
                parseId();
                ExpectComma("the id of " + ctl);
                item.className = ParseClass();
                ExpectComma("the class of " + ctl);
                style = ParseStyle(m_cur);
                gotStyle = true;
                ExpectComma("the style of " + ctl);
                parseRect();
                parseTail(false);
                break;
            case Form::Icon:
                item.text = ParseControlText();
                ExpectComma("the icon of " + ctl);
                parseId();
                ExpectComma("the id of " + ctl);
                item.x = ParseCoord("x");
                ExpectComma("x of " + ctl);
                item.y = ParseCoord("y");
                if (AcceptPunct(m_cur, ",")) {
                    item.cx = ParseCoord("width");
                    ExpectComma("width of " + ctl);
                    item.cy = ParseCoord("height");
                    parseTail(true);
                }
                break;
            case Form::Text:
            case Form::NoText:
                if (info->form == Form::Text) {
                    item.text = ParseControlText();
                    ExpectComma("the text of " + ctl);
                }
                parseId();
                ExpectComma("the id of " + ctl);
                parseRect();
                parseTail(true);
                break;
        }
        if (IsBegin(m_cur.Peek())) SkipBlock("the data of " + ctl);

        if (info->form == Form::Generic) {
            item.style = (ws::Child | ws::Visible | style.on) & ~style.off;
        } else {
            item.className = std::string(info->className);
            item.style = (KeywordDefaults(*info, gotStyle, style.on) | info->typeStyle | style.on) &
                         ~style.off;
        }
        item.exStyle = exStyle.on & ~exStyle.off;
        return item;
    }

    // The styles the resource compiler adds to a control statement, with or without a style
    // of the script's own: always WS_CHILD | WS_VISIBLE, then per class.
    static std::uint32_t KeywordDefaults(const ControlKeyword& k, bool gotStyle,
                                         std::uint32_t given) {
        std::uint32_t s = ws::Child | ws::Visible;
        if (k.className == kButtonClass) {
            if (k.typeStyle != bs::GroupBox && k.typeStyle != bs::RadioButton) s |= ws::TabStop;
        } else if (k.className == kEditClass) {
            s |= ws::TabStop | ws::Border;
        } else if (k.className == kListBoxClass) {
            s |= lbs::Notify | ws::Border;
        } else if (k.className == kComboBoxClass) {
            if (!gotStyle || (given & cbs::TypeMask) == 0) s |= cbs::Simple;
            if (!gotStyle) s |= ws::TabStop;
        } else if (k.className == kStaticClass && k.form == Form::Text) {
            s |= ws::Group;
        }
        return s;
    }

    void ParseDialogInit(unsigned dialogId, const Token& at) {
        const std::string what = "DLGINIT " + Decimal(dialogId);
        for (const auto& [existing, unused] : m_out.m_dialogInit) {
            if (existing == dialogId) FailAt(at.source, at.line, what + " is defined twice");
        }
        SkipMemoryOptions();
        const Token& begin = ExpectBegin(what);
        std::string data;
        while (!AtEnd(begin, what)) {
            const Token& t = *m_cur.Peek();
            if (t.kind == Kind::String) {
                ++m_cur.pos;
                for (char ch : t.text) {
                    data += ch;
                    if (t.wide) data += '\0';
                }
            } else {
                const Value v = ParseExpr(m_cur, false, 0);
                const std::uint32_t bits = Low32(v.v);
                if (!v.isLong && (v.v < -32768 || v.v > 0xFFFF)) {
                    FailAt(t.source, t.line,
                           Decimal(v.v) +
                               " does not fit in 16 bits (write it with an L suffix "
                               "for 32 bits)");
                }
                const int bytes = v.isLong ? 4 : 2;
                for (int b = 0; b < bytes; ++b) {
                    data += static_cast<char>((bits >> (8 * b)) & 0xFFu);
                }
            }
            AcceptPunct(m_cur, ",");
        }
        m_out.m_dialogInit.emplace_back(dialogId, DecodeDialogInit(data, begin, what));
    }

    // Entries of control id (16 bits), message (16 bits), byte count (32 bits) and that many
    // bytes of text with its terminator; a 0 id ends the list.
    static std::vector<DialogInitEntry> DecodeDialogInit(const std::string& data, const Token& at,
                                                         const std::string& what) {
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
        auto word = [&](std::size_t i) {
            return static_cast<std::uint16_t>(byte(i) | (byte(i + 1) << 8));
        };
        std::vector<DialogInitEntry> entries;
        std::size_t p = 0;
        while (true) {
            if (data.size() - p < 2) FailAt(at.source, at.line, what + " has no terminating 0");
            const std::uint16_t control = word(p);
            p += 2;
            if (control == 0) break;
            const std::string entry = what + ", entry for control " + Decimal(control);
            if (data.size() - p < 6) FailAt(at.source, at.line, entry + " is cut short");
            DialogInitEntry e;
            e.controlId = control;
            e.message = word(p);
            const std::uint32_t length = static_cast<std::uint32_t>(word(p + 2)) |
                                         (static_cast<std::uint32_t>(word(p + 4)) << 16);
            p += 6;
            if (e.message != 0x403 && e.message != 0x401) {
                FailAt(at.source, at.line,
                       entry + " has message " + Hex(e.message) + ", not an add-string request");
            }
            if (data.size() - p < length) {
                FailAt(at.source, at.line,
                       entry + " announces " + Decimal(length) + " bytes of text but holds " +
                           Decimal(static_cast<std::int64_t>(data.size() - p)));
            }
            const std::string_view text(data.data() + p, length);
            const std::size_t nul = text.find('\0');
            if (nul == std::string_view::npos) {
                FailAt(at.source, at.line, entry + " has text without a terminating \\0");
            }
            e.text = std::string(text.substr(0, nul));
            entries.push_back(std::move(e));
            p += length;
        }
        return entries;
    }

    void ParseVersionNumbers(std::uint16_t (&parts)[4], const std::string& what) {
        for (int i = 0; i < 4; ++i) {
            parts[i] = static_cast<std::uint16_t>(ParseInt(what + " part", 0, 0xFFFF));
            if (i < 3 && !AcceptPunct(m_cur, ",")) {
                for (int k = i + 1; k < 4; ++k) parts[k] = 0;
                return;
            }
        }
    }

    void ParseVersionInfo(const Token& at) {
        if (m_sawVersion) FailAt(at.source, at.line, "a second VERSIONINFO");
        m_sawVersion = true;
        VersionInfo& v = m_out.m_version;
        while (m_cur.Peek() && !IsBegin(m_cur.Peek())) {
            const Token& t = Take(m_cur, "BEGIN of VERSIONINFO");
            const std::string up = t.kind == Kind::Ident ? Upper(t.text) : std::string();
            if (up == "FILEVERSION") {
                ParseVersionNumbers(v.fileVersion, "FILEVERSION");
            } else if (up == "PRODUCTVERSION") {
                ParseVersionNumbers(v.productVersion, "PRODUCTVERSION");
            } else if (up == "FILEFLAGSMASK") {
                v.fileFlagsMask = Low32(ParseNumber());
            } else if (up == "FILEFLAGS") {
                v.fileFlags = Low32(ParseNumber());
            } else if (up == "FILEOS") {
                v.fileOs = Low32(ParseNumber());
            } else if (up == "FILETYPE") {
                v.fileType = Low32(ParseNumber());
            } else if (up == "FILESUBTYPE") {
                v.fileSubtype = Low32(ParseNumber());
            } else {
                FailAt(t.source, t.line, "unknown keyword " + Describe(t) + " in VERSIONINFO");
            }
        }
        const Token& begin = ExpectBegin("VERSIONINFO");
        while (!AtEnd(begin, "VERSIONINFO")) {
            const Token& block = Take(m_cur, "BLOCK");
            if (!IsKeyword(&block, "BLOCK")) {
                FailAt(block.source, block.line,
                       "expected BLOCK in VERSIONINFO, found " + Describe(block));
            }
            const std::string name = ParseString("the block name");
            if (EqualNoCase(name, "StringFileInfo")) {
                const Token& inner = ExpectBegin("StringFileInfo");
                while (!AtEnd(inner, "StringFileInfo")) ParseStringBlock(v);
            } else if (EqualNoCase(name, "VarFileInfo")) {
                const Token& inner = ExpectBegin("VarFileInfo");
                while (!AtEnd(inner, "VarFileInfo")) {
                    const Token& value = Take(m_cur, "VALUE");
                    if (!IsKeyword(&value, "VALUE")) {
                        FailAt(value.source, value.line,
                               "expected VALUE in VarFileInfo, found " + Describe(value));
                    }
                    const std::string key = ParseString("the value name");
                    while (AcceptPunct(m_cur, ",")) {
                        const auto language =
                            static_cast<std::uint16_t>(ParseInt("language", 0, 0xFFFF));
                        ExpectComma("the language of " + key);
                        const auto codePage =
                            static_cast<std::uint16_t>(ParseInt("code page", 0, 0xFFFF));
                        if (EqualNoCase(key, "Translation")) {
                            v.translations.emplace_back(language, codePage);
                        }
                    }
                }
            } else {
                SkipBlock("BLOCK \"" + name + "\"");
            }
        }
    }

    void ParseStringBlock(VersionInfo& v) {
        const Token& block = Take(m_cur, "BLOCK");
        if (!IsKeyword(&block, "BLOCK")) {
            FailAt(block.source, block.line,
                   "expected BLOCK in StringFileInfo, found " + Describe(block));
        }
        const std::string language = ParseString("the language block name");
        // The first language block is the one the program shows; others are read and dropped.
        const bool keep = v.stringBlock.empty();
        if (keep) v.stringBlock = language;
        const Token& begin = ExpectBegin("BLOCK \"" + language + "\"");
        while (!AtEnd(begin, "BLOCK \"" + language + "\"")) {
            const Token& value = Take(m_cur, "VALUE");
            if (!IsKeyword(&value, "VALUE")) {
                FailAt(value.source, value.line,
                       "expected VALUE in BLOCK \"" + language + "\", found " + Describe(value));
            }
            const std::string key = ParseString("the value name");
            ExpectComma("the value name " + key);
            std::string text = ParseString("the text of " + key);
            // Older scripts spell the terminator out: "4.00\0".
            while (!text.empty() && text.back() == '\0') text.pop_back();
            if (keep) v.strings.emplace_back(key, std::move(text));
        }
    }

    // The numeric symbols, once every definition is final; each is worked out once, so that
    // symbols defined through one another cost no more than flat ones.
    void CollectSymbols() {
        for (const auto& [name, macro] : m_macros) {
            if (macro.body.empty()) continue;
            std::optional<std::int32_t> value;
            try {
                Token use;
                use.kind = Kind::Ident;
                use.text = name;
                use.line = macro.body.front().line;
                use.source = macro.body.front().source;
                m_expanding.clear();
                value = static_cast<std::int32_t>(SymbolValue(use, false).v);
                m_out.m_symbols.emplace_back(name, static_cast<long>(*value));
            } catch (const std::runtime_error&) {
                // Not a number (a string or an unknown name): not a symbol of ids.
            }
            m_collected.emplace(name, value);
        }
        m_expanding.clear();
    }

    ResourceSet& m_out;
    std::map<std::string, Macro, std::less<>> m_macros;
    std::vector<std::string> m_expanding;  // symbols being evaluated, against self-reference
    std::map<std::string, std::optional<std::int32_t>, std::less<>> m_collected;
    int m_depth = 0;
    std::vector<Token> m_tokens;
    Cursor m_cur;
    int m_lastScriptLine = 0;
    bool m_sawVersion = false;
};

ResourceSet ResourceSet::Parse(std::string_view script, std::string_view header) {
    ResourceSet set;
    ResourceScriptParser parser(set);
    parser.Run(header, script);
    return set;
}

const ResourceSet& ResourceSet::Program() {
    static const ResourceSet program = Parse(kResourceScript, kResourceHeader);
    return program;
}

const DialogTemplate* ResourceSet::FindDialog(unsigned id) const {
    for (const DialogTemplate& d : m_dialogs) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

std::vector<DialogInitEntry> ResourceSet::DialogInit(unsigned dialogId) const {
    for (const auto& [id, entries] : m_dialogInit) {
        if (id == dialogId) return entries;
    }
    return {};
}

std::string ResourceSet::String(unsigned id) const {
    for (const auto& [stringId, text] : m_strings) {
        if (stringId == id) return text;
    }
    return {};
}

std::optional<long> ResourceSet::Symbol(std::string_view name) const {
    for (const auto& [symbol, value] : m_symbols) {
        if (symbol == name) return value;
    }
    // As a 32-bit value, so that WS_POPUP reads the same where long has 64 bits.
    if (const auto b = Builtin(name)) return static_cast<std::int32_t>(Low32(*b));
    return std::nullopt;
}

std::string ResourceSet::IconFile(unsigned id) const {
    for (const auto& [iconId, file] : m_icons) {
        if (iconId == id) return file;
    }
    return {};
}

std::string VersionInfo::Value(std::string_view name) const {
    for (const auto& [key, value] : strings) {
        if (EqualNoCase(key, name)) return value;
    }
    return {};
}

}  // namespace fw
