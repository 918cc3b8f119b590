// Statements of dialogs: DIALOG/DIALOGEX with their controls, and DLGINIT combo-box data.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rcscript/parser.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

void ResourceScriptParser::ParseDialog(unsigned id, bool extended, const Token& at) {
    const std::string what = "dialog " + Decimal(id);
    if (m_out.FindDialog(id)) FailAt(at.source, at.line, what + " is defined twice");
    SkipMemoryOptions();
    DialogTemplate d;
    d.id = id;
    d.extended = extended;
    ParseRect(what, d.x, d.y, d.cx, d.cy);
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

// Text of a control: a string, or an ordinal (an icon's id) as its decimal number.
std::string ResourceScriptParser::ParseControlText() {
    const Token* at = m_cur.Peek();
    if (at && at->kind == Kind::String) return ParseString("the control text");
    const std::int64_t v = ParseNumber();  // fails at the end of the file
    if (v < 0 || v > 0xFFFF) {
        FailAt(at->source, at->line, "control text ordinal " + Decimal(v) + " is not 0 to 65535");
    }
    return Decimal(v);
}

std::string ResourceScriptParser::CanonicalClass(std::string_view name) {
    static constexpr std::string_view kKnown[] = {kButtonClass,  kEditClass,      kStaticClass,
                                                  kListBoxClass, kScrollBarClass, kComboBoxClass,
                                                  kTrackbarClass};
    for (std::string_view known : kKnown) {
        if (EqualsNoCase(known, name)) return std::string(known);
    }
    return std::string(name);
}

std::string ResourceScriptParser::ParseClass() {
    const Token& t = Take(m_cur, "the control class");
    if (t.kind == Kind::String || t.kind == Kind::Ident) return CanonicalClass(t.text);
    if (t.kind == Kind::Number) {
        // The predefined classes' atoms.
        static constexpr std::string_view kAtoms[] = {
            kButtonClass, kEditClass, kStaticClass, kListBoxClass, kScrollBarClass, kComboBoxClass};
        if (t.value >= 0x80 && t.value <= 0x85) {
            return std::string(kAtoms[static_cast<std::size_t>(t.value - 0x80)]);
        }
    }
    FailAt(t.source, t.line, "expected a control class, found " + Describe(t));
}

ItemTemplate ResourceScriptParser::ParseControl(const DialogTemplate& d, const std::string& what) {
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
            if (EqualsNoCase(k.keyword, kw.text)) info = &k;
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
        item.id =
            ParseInt("control id", d.extended ? std::numeric_limits<std::int32_t>::min() : -32768,
                     d.extended ? std::numeric_limits<std::int32_t>::max() : 0xFFFF);
    };
    auto parseRect = [&] { ParseRect(ctl, item.x, item.y, item.cx, item.cy); };
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
        item.style =
            (KeywordDefaults(*info, gotStyle, style.on) | info->typeStyle | style.on) & ~style.off;
    }
    item.exStyle = exStyle.on & ~exStyle.off;
    return item;
}

// The styles the resource compiler adds to a control statement, with or without a style
// of the script's own: always WS_CHILD | WS_VISIBLE, then per class.
std::uint32_t ResourceScriptParser::KeywordDefaults(const ControlKeyword& k, bool gotStyle,
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

void ResourceScriptParser::ParseDialogInit(unsigned dialogId, const Token& at) {
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
std::vector<DialogInitEntry> ResourceScriptParser::DecodeDialogInit(const std::string& data,
                                                                    const Token& at,
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

void ResourceScriptParser::ParseRect(const std::string& what, int& x, int& y, int& cx, int& cy) {
    x = ParseCoord("x");
    ExpectComma("x of " + what);
    y = ParseCoord("y");
    ExpectComma("y of " + what);
    cx = ParseCoord("width");
    ExpectComma("width of " + what);
    cy = ParseCoord("height");
}

}  // namespace rcscript
