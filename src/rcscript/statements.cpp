// Statements: the top level, STRINGTABLE, ICON, VERSIONINFO, and the token helpers they share.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "rcscript/parser.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

ResourceSet ResourceSet::Parse(std::string_view script, std::string_view header) {
    ResourceSet set;
    ResourceScriptParser parser(set);
    parser.Run(header, script);
    return set;
}

void ResourceScriptParser::Run(std::string_view header, std::string_view script) {
    Preprocess(header, "resource header", true);
    Preprocess(script, "resource script", false);
    m_cur = Cursor{&m_tokens, 0, "resource script", m_lastScriptLine};
    while (m_cur.Peek()) ParseTopLevel();
    CollectSymbols();
}

bool ResourceScriptParser::IsPunct(const Token* t, std::string_view p) {
    return t && t->kind == Kind::Punct && t->text == p;
}

bool ResourceScriptParser::IsKeyword(const Token* t, std::string_view kw) {
    return t && t->kind == Kind::Ident && EqualsNoCase(t->text, kw);
}

bool ResourceScriptParser::AcceptPunct(Cursor& c, std::string_view p) {
    if (!IsPunct(c.Peek(), p)) return false;
    ++c.pos;
    return true;
}

void ResourceScriptParser::ExpectComma(const std::string& after) {
    const Token& t = Take(m_cur, "',' after " + after);
    if (t.kind != Kind::Punct || t.text != ",") {
        FailAt(t.source, t.line, "expected ',' after " + after + ", found " + Describe(t));
    }
}

const Token& ResourceScriptParser::ExpectBegin(const std::string& what) {
    const Token& t = Take(m_cur, "BEGIN of " + what);
    if (!IsBegin(&t)) {
        FailAt(t.source, t.line, "expected BEGIN of " + what + ", found " + Describe(t));
    }
    return t;
}

// True at END (consumed); fails at the end of the file: the block is not closed.
bool ResourceScriptParser::AtEnd(const Token& begin, const std::string& what) {
    const Token* t = m_cur.Peek();
    if (!t) {
        FailAt(begin.source, begin.line,
               "BEGIN of " + what + " has no END (the file ends inside the block)");
    }
    if (!IsEnd(t)) return false;
    ++m_cur.pos;
    return true;
}

std::string ResourceScriptParser::ParseString(const std::string& what) {
    const Token& t = Take(m_cur, what);
    if (t.kind != Kind::String) {
        FailAt(t.source, t.line, "expected " + what + " in quotes, found " + Describe(t));
    }
    std::string text = t.text;
    while (m_cur.Peek() && m_cur.Peek()->kind == Kind::String) text += Take(m_cur, "").text;
    return text;
}

int ResourceScriptParser::ParseInt(const std::string& what, std::int64_t lowest,
                                   std::int64_t highest) {
    const Token* at = m_cur.Peek();
    const std::int64_t v = ParseNumber();
    if (v < lowest || v > highest) {
        FailAt(
            at->source, at->line,
            what + " " + Decimal(v) + " is outside " + Decimal(lowest) + " to " + Decimal(highest));
    }
    return static_cast<int>(v);
}

void ResourceScriptParser::SkipMemoryOptions() {
    static constexpr std::string_view kFlags[] = {"MOVEABLE", "FIXED",      "PURE",       "IMPURE",
                                                  "PRELOAD",  "LOADONCALL", "DISCARDABLE"};
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
void ResourceScriptParser::SkipBlock(const std::string& what) {
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

void ResourceScriptParser::ParseTopLevel() {
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
        const bool knownType = type->kind == Kind::Number || Builtin(type->text) || IsDataType(up);
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

bool ResourceScriptParser::IsDataType(const std::string& up) {
    static constexpr std::string_view kTypes[] = {
        "TEXTINCLUDE",  "RCDATA",     "MANIFEST",  "HTML",    "BITMAP",   "CURSOR", "FONT",
        "MESSAGETABLE", "DLGINCLUDE", "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};
    return std::find(std::begin(kTypes), std::end(kTypes), up) != std::end(kTypes);
}

void ResourceScriptParser::ParseStringTable() {
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

void ResourceScriptParser::ParseIcon(unsigned id, const Token& at) {
    SkipMemoryOptions();
    std::string file = ParseString("the icon's file name");
    for (const auto& [existing, unused] : m_out.m_icons) {
        if (existing == id) FailAt(at.source, at.line, "icon " + Decimal(id) + " twice");
    }
    m_out.m_icons.emplace_back(id, std::move(file));
}

void ResourceScriptParser::ParseVersionNumbers(std::uint16_t (&parts)[4], const std::string& what) {
    for (int i = 0; i < 4; ++i) {
        parts[i] = static_cast<std::uint16_t>(ParseInt(what + " part", 0, 0xFFFF));
        if (i < 3 && !AcceptPunct(m_cur, ",")) {
            for (int k = i + 1; k < 4; ++k) parts[k] = 0;
            return;
        }
    }
}

void ResourceScriptParser::ParseVersionInfo(const Token& at) {
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
        if (EqualsNoCase(name, "StringFileInfo")) {
            const Token& inner = ExpectBegin("StringFileInfo");
            while (!AtEnd(inner, "StringFileInfo")) ParseStringBlock(v);
        } else if (EqualsNoCase(name, "VarFileInfo")) {
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
                    if (EqualsNoCase(key, "Translation")) {
                        v.translations.emplace_back(language, codePage);
                    }
                }
            }
        } else {
            SkipBlock("BLOCK \"" + name + "\"");
        }
    }
}

void ResourceScriptParser::ParseStringBlock(VersionInfo& v) {
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

}  // namespace rcscript
