// The preprocessor: #define, #undef, #include of the id header, #if/#ifdef/#elif/#else/#endif,
// and the symbols the header leaves behind.
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "rcscript/parser.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

void ResourceScriptParser::Preprocess(std::string_view text, const char* source, bool isHeader) {
    const std::string clean = StripComments(text, source);
    std::vector<Conditional> conditionals;
    std::vector<Token> tokens;  // of one line, reused
    // Scripts hold about a token in every four to eight bytes: most of the growth in one step.
    if (!isHeader) m_tokens.reserve(m_tokens.size() + clean.size() / 8);
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
            tokens.clear();
            Tokenize(trimmed, source, firstLine, tokens);
            if (isHeader) {
                FailAt(source, firstLine,
                       "only preprocessor lines belong in the id header, found " +
                           Describe(tokens.front()));
            }
            // Symbols are replaced as the line is read, with the definitions in force at
            // this point, as the C preprocessor does.
            for (Token& t : tokens) AppendExpanded(std::move(t), m_tokens);
            m_lastScriptLine = firstLine;
        }
    }
    if (!conditionals.empty()) {
        FailAt(source, conditionals.back().line, "#if without #endif");
    }
    if (!isHeader && m_lastScriptLine == 0) m_lastScriptLine = lineNo;
}

void ResourceScriptParser::Directive(std::string_view text, const char* source, int line,
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
        Tokenize(Trim(rest.substr(k)), source, line, macro.body);
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
    } else if (name == "error") {
        FailAt(source, line, "#error " + std::string(rest));
    } else if (name != "pragma" && name != "line" && !name.empty()) {
        // Code pages, line markers and empty directives change nothing here.
        FailAt(source, line, "unknown preprocessor directive #" + name);
    }
}

void ResourceScriptParser::AppendExpanded(Token t, std::vector<Token>& out) {
    const auto it = t.kind == Kind::Ident ? m_macros.find(t.text) : m_macros.end();
    if (it == m_macros.end()) {
        out.push_back(std::move(t));
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
        AppendExpanded(std::move(b), out);
    }
    m_expanding.pop_back();
}

bool ResourceScriptParser::IsDefined(const std::string& symbol) const {
    return m_macros.count(symbol) != 0 || Builtin(symbol).has_value();
}

bool ResourceScriptParser::EvaluateCondition(std::string_view text, const char* source, int line) {
    std::vector<Token> tokens;
    Tokenize(text, source, line, tokens);
    if (tokens.empty()) FailAt(source, line, "#if needs a condition");
    Cursor c{&tokens, 0, source, line};
    const Value v = ParseExpr(c, true, 0);
    if (c.Peek()) FailAt(source, line, "unexpected " + Describe(*c.Peek()) + " in #if");
    return v.v != 0;
}

// The numeric symbols, once every definition is final; each is worked out once, so that
// symbols defined through one another cost no more than flat ones.
void ResourceScriptParser::CollectSymbols() {
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
        } catch (const std::runtime_error&) {
            // Not a number (a string or an unknown name): not a symbol of ids.
            value.reset();
        }
        m_collected.emplace(name, value);
    }
    m_expanding.clear();
}

}  // namespace rcscript
