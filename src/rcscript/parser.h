#pragma once
// Reader for the resource-script language, as far as the program's own script uses it: the
// preprocessor lines of an id header, dialogs with their controls, combo-box initialisation
// data, the string table, icons and version information. Other resources are recognised and
// skipped. Control statements get the class and default styles the Windows resource compiler
// gives them, so a template read here matches the one compiled into the Windows executable.
//
// One reader, one stage per file: script_reader.cpp (text into tokens), preprocessor.cpp,
// expressions.cpp, statements.cpp and dialog_statements.cpp. Internal to rcscript/.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rcscript/resource_set.h"
#include "rcscript/script_text.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

class ResourceScriptParser {
public:
    explicit ResourceScriptParser(ResourceSet& out) : m_out(out) {}
    // Reads the header, then the script, into the resource set.
    void Run(std::string_view header, std::string_view script);

private:
    // ---------------------------------------------------------------- reading the text
    static std::string StripComments(std::string_view text, const char* source);
    // Appends the line's tokens to `out`.
    static void Tokenize(std::string_view line, const char* source, int lineNo,
                         std::vector<Token>& out);
    template <typename Fail>
    static std::size_t ReadEscape(std::string_view line, std::size_t i, std::string& out,
                                  const Fail& fail);
    template <typename Fail>
    static void ReadNumber(Token& t, const Fail& fail);

    // ---------------------------------------------------------------- preprocessing
    struct Macro {
        std::vector<Token> body;
    };

    struct Conditional {
        bool active = false;  // lines are read
        bool taken = false;   // a branch has been active already
        bool sawElse = false;
        int line = 0;
    };

    void Preprocess(std::string_view text, const char* source, bool isHeader);
    void Directive(std::string_view text, const char* source, int line,
                   std::vector<Conditional>& conditionals);
    void AppendExpanded(Token t, std::vector<Token>& out);
    bool IsDefined(const std::string& symbol) const;
    bool EvaluateCondition(std::string_view text, const char* source, int line);
    void CollectSymbols();

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

    static const BinaryOp* FindBinary(const Token* t, bool pp);
    const Token& Take(Cursor& c, const std::string& expected);
    // `pp`: #if rules (undefined names are 0, `defined`, logical and comparison operators).
    Value ParseExpr(Cursor& c, bool pp, int minPrecedence);
    static Value Apply(const BinaryOp& op, Value a, Value b, const Token& at);
    Value ParseUnary(Cursor& c, bool pp);
    Value SymbolValue(const Token& t, bool pp);
    StyleMask ParseStyle(Cursor& c);

    // ---------------------------------------------------------------- token helpers
    static bool IsPunct(const Token* t, std::string_view p);
    static bool IsKeyword(const Token* t, std::string_view kw);
    static bool IsBegin(const Token* t) { return IsPunct(t, "{") || IsKeyword(t, "BEGIN"); }
    static bool IsEnd(const Token* t) { return IsPunct(t, "}") || IsKeyword(t, "END"); }
    bool AcceptPunct(Cursor& c, std::string_view p);
    void ExpectComma(const std::string& after);
    const Token& ExpectBegin(const std::string& what);
    bool AtEnd(const Token& begin, const std::string& what);
    std::string ParseString(const std::string& what);
    std::int64_t ParseNumber() { return ParseExpr(m_cur, false, 0).v; }
    int ParseInt(const std::string& what, std::int64_t lowest, std::int64_t highest);
    int ParseCoord(const std::string& what) { return ParseInt(what, -32768, 32767); }
    // "x, y, width, height" of `what` (a dialog or a control), in dialog units.
    void ParseRect(const std::string& what, int& x, int& y, int& cx, int& cy);
    void SkipMemoryOptions();
    void SkipBlock(const std::string& what);

    // ---------------------------------------------------------------- statements
    void ParseTopLevel();
    static bool IsDataType(const std::string& up);
    void ParseStringTable();
    void ParseIcon(unsigned id, const Token& at);
    void ParseVersionNumbers(std::uint16_t (&parts)[4], const std::string& what);
    void ParseVersionInfo(const Token& at);
    void ParseStringBlock(VersionInfo& v);

    // ---------------------------------------------------------------- dialogs
    enum class Form { Text, NoText, Icon, Generic };

    struct ControlKeyword {
        std::string_view keyword;
        std::string_view className;
        std::uint32_t typeStyle;
        Form form;
    };

    void ParseDialog(unsigned id, bool extended, const Token& at);
    std::string ParseControlText();
    static std::string CanonicalClass(std::string_view name);
    std::string ParseClass();
    ItemTemplate ParseControl(const DialogTemplate& d, const std::string& what);
    static std::uint32_t KeywordDefaults(const ControlKeyword& k, bool gotStyle,
                                         std::uint32_t given);
    void ParseDialogInit(unsigned dialogId, const Token& at);
    static std::vector<DialogInitEntry> DecodeDialogInit(const std::string& data, const Token& at,
                                                         const std::string& what);

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

}  // namespace rcscript
