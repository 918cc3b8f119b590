// Our resource-script reader against an independent one: the dialogs windres compiled into this
// executable from the program's script (templates and combo-box data), read back with the Win32
// resource calls.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/dialog_template.h"
#include "rcscript/resource_set.h"

namespace {

int g_failures = 0;

template <typename T>
void Check(const std::string& where, const char* field, const T& ours, const T& compiled) {
    if (ours == compiled) return;
    ++g_failures;
    std::printf("%s, %s: ours %s, compiled %s\n", where.c_str(), field,
                std::to_string(ours).c_str(), std::to_string(compiled).c_str());
}
void Check(const std::string& where, const char* field, const std::string& ours,
           const std::string& compiled) {
    if (ours == compiled) return;
    ++g_failures;
    std::printf("%s, %s: ours \"%s\", compiled \"%s\"\n", where.c_str(), field, ours.c_str(),
                compiled.c_str());
}

struct Reader {
    const unsigned char* p;
    std::uint16_t Word() {
        const std::uint16_t v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
        p += 2;
        return v;
    }
    std::uint32_t Dword() { return Word() | (static_cast<std::uint32_t>(Word()) << 16); }
    int Short() { return static_cast<std::int16_t>(Word()); }
    void Align() {
        while (reinterpret_cast<std::uintptr_t>(p) % 4) ++p;
    }
    std::string Text() {  // the scripts hold ASCII only
        std::string s;
        for (std::uint16_t c = Word(); c; c = Word()) s += static_cast<char>(c);
        return s;
    }
    // A string or an ordinal; the reader keeps an ordinal text as its decimal number.
    std::string TextOrOrdinal(bool isClass) {
        if (p[0] == 0xFF && p[1] == 0xFF) {
            p += 2;
            const std::uint16_t ord = Word();
            static const char* const kAtoms[] = {"Button",  "Edit",      "Static",
                                                 "ListBox", "ScrollBar", "ComboBox"};
            if (isClass && ord >= 0x80 && ord <= 0x85) return kAtoms[ord - 0x80];
            return std::to_string(ord);
        }
        return Text();
    }
};

framework::DialogTemplate Decode(unsigned id, const unsigned char* data) {
    Reader r{data};
    framework::DialogTemplate d;
    d.id = id;
    d.extended = data[2] == 0xFF && data[3] == 0xFF;
    std::size_t count = 0;
    if (d.extended) {
        r.p += 8;  // version, signature, help id
        d.exStyle = r.Dword();
        d.style = r.Dword();
    } else {
        d.style = r.Dword();
        d.exStyle = r.Dword();
    }
    count = r.Word();
    d.x = r.Short(), d.y = r.Short(), d.cx = r.Short(), d.cy = r.Short();
    r.TextOrOrdinal(false);  // menu
    r.TextOrOrdinal(false);  // class
    d.caption = r.Text();
    if (d.style & DS_SETFONT) {
        d.fontPointSize = r.Word();
        if (d.extended) {
            d.fontWeight = r.Word();
            d.fontItalic = r.p[0] != 0;
            d.fontCharset = r.p[1];
            r.p += 2;
        }
        d.fontName = r.Text();
    }
    for (std::size_t i = 0; i < count; ++i) {
        r.Align();
        framework::ItemTemplate item;
        if (d.extended) {
            r.p += 4;  // help id
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short(), item.y = r.Short(), item.cx = r.Short(), item.cy = r.Short();
        item.id = d.extended ? static_cast<int>(r.Dword()) : r.Short();
        item.className = r.TextOrOrdinal(true);
        item.text = r.TextOrOrdinal(false);
        r.p += r.Word();  // creation data
        d.items.push_back(item);
    }
    return d;
}

std::string Upper(std::string s) {
    for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return s;
}

void Compare(const framework::DialogTemplate& ours, const framework::DialogTemplate& c) {
    const std::string at = "dialog " + std::to_string(c.id);
    Check(at, "DIALOGEX", ours.extended, c.extended);
    Check(at, "caption", ours.caption, c.caption);
    Check(at, "style", ours.style, c.style);
    Check(at, "ex-style", ours.exStyle, c.exStyle);
    Check(at, "x", ours.x, c.x), Check(at, "y", ours.y, c.y);
    Check(at, "width", ours.cx, c.cx), Check(at, "height", ours.cy, c.cy);
    Check(at, "font name", ours.fontName, c.fontName);
    Check(at, "font size", ours.fontPointSize, c.fontPointSize);
    if (c.extended) {  // a DIALOG template holds no weight, italic or charset
        Check(at, "font weight", ours.fontWeight, c.fontWeight);
        Check(at, "font italic", ours.fontItalic, c.fontItalic);
        Check(at, "font charset", ours.fontCharset, c.fontCharset);
    }
    Check(at, "item count", ours.items.size(), c.items.size());
    for (std::size_t i = 0; i < ours.items.size() && i < c.items.size(); ++i) {
        const framework::ItemTemplate& a = ours.items[i];
        const framework::ItemTemplate& b = c.items[i];
        const std::string it =
            at + ", item " + std::to_string(i) + " (id " + std::to_string(b.id) + ")";
        Check(it, "id", a.id, b.id);
        // Class names are case-insensitive; windres upper-cases them, the reader canonicalises.
        Check(it, "class", Upper(a.className), Upper(b.className));
        Check(it, "text", a.text, b.text);
        Check(it, "x", a.x, b.x), Check(it, "y", a.y, b.y);
        Check(it, "width", a.cx, b.cx), Check(it, "height", a.cy, b.cy);
        Check(it, "style", a.style, b.style);
        Check(it, "ex-style", a.exStyle, b.exStyle);
    }
}

// Dialog `id`'s combo-box data as the resource compiler laid it out: control id, message, a
// 32-bit length and that many bytes of text with its NUL, until a zero id. Microsoft's compiler
// files it under type 240, windres under the type's name.
void CompareDialogInit(HMODULE module, unsigned id) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(240));
    if (!found) found = FindResourceA(module, MAKEINTRESOURCEA(id), "DLGINIT");
    std::vector<framework::DialogInitEntry> compiled;
    if (found) {
        Reader r{static_cast<const unsigned char*>(LockResource(LoadResource(module, found)))};
        const unsigned char* const end = r.p + SizeofResource(module, found);
        while (end - r.p >= 8) {
            framework::DialogInitEntry entry;
            entry.controlId = r.Word();
            if (entry.controlId == 0) break;
            entry.message = r.Word();
            const std::size_t size =
                std::min<std::size_t>(r.Dword(), static_cast<std::size_t>(end - r.p));
            const char* text = reinterpret_cast<const char*>(r.p);
            entry.text.assign(text, std::find(text, text + size, '\0'));
            r.p += size;
            compiled.push_back(entry);
        }
    }
    const std::vector<framework::DialogInitEntry> ours =
        rcscript::ResourceSet::Program().DialogInit(id);
    const std::string at = "dialog " + std::to_string(id) + " DLGINIT";
    Check(at, "entry count", ours.size(), compiled.size());
    for (std::size_t i = 0; i < ours.size() && i < compiled.size(); ++i) {
        const std::string it = at + ", entry " + std::to_string(i);
        Check(it, "control", ours[i].controlId, compiled[i].controlId);
        Check(it, "message", ours[i].message, compiled[i].message);
        Check(it, "text", ours[i].text, compiled[i].text);
    }
}

BOOL CALLBACK OnDialog(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR seen) {
    if (!IS_INTRESOURCE(name)) return TRUE;
    const unsigned id = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name));
    HRSRC found = FindResourceA(module, name, type);
    const void* data = found ? LockResource(LoadResource(module, found)) : nullptr;
    if (!data) {
        ++g_failures;
        std::printf("dialog %u: cannot load\n", id);
        return TRUE;
    }
    reinterpret_cast<std::vector<unsigned>*>(seen)->push_back(id);
    const framework::DialogTemplate compiled = Decode(id, static_cast<const unsigned char*>(data));
    if (const framework::DialogTemplate* ours = rcscript::ResourceSet::Program().FindDialog(id)) {
        Compare(*ours, compiled);
        CompareDialogInit(module, id);
    } else {
        ++g_failures;
        std::printf("dialog %u: compiled, but not read by ours\n", id);
    }
    return TRUE;
}

}  // namespace

int main() {
    const rcscript::ResourceSet& ours = rcscript::ResourceSet::Program();
    std::vector<unsigned> seen;
    EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(5), OnDialog, reinterpret_cast<LONG_PTR>(&seen));
    char buffer[4096];
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        bool compiled = false;
        for (unsigned s : seen) compiled = compiled || s == id;
        if (ours.FindDialog(id) && !compiled) {
            ++g_failures;
            std::printf("dialog %u: read by ours, not compiled\n", id);
        }
        const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
        Check("string " + std::to_string(id), "text", ours.String(id),
              std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0));
    }
    std::printf("%zu dialogs compared, %d differences\n", seen.size(), g_failures);
    return g_failures == 0 && !seen.empty() ? 0 : 1;
}
