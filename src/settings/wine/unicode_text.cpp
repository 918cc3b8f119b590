#include "settings/wine/unicode_text.h"

namespace settings::wine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

}  // namespace

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80U) {
        ++pos;
        return lead;
    } else if (lead >= 0xC2U && lead <= 0xDFU) {
        length = 2;
        value = lead & 0x1FU;
        minimum = 0x80;
    } else if (lead >= 0xE0U && lead <= 0xEFU) {
        length = 3;
        value = lead & 0x0FU;
        minimum = 0x800;
    } else if (lead >= 0xF0U && lead <= 0xF4U) {
        length = 4;
        value = lead & 0x07U;
        minimum = 0x10000;
    } else {
        ++pos;
        return std::nullopt;
    }
    if (text.size() - pos < length) {
        ++pos;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            ++pos;
            return std::nullopt;
        }
        value = (value << 6) | (byte & 0x3FU);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return value;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        codePoint = kReplacement;
    }
    const auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits & 0xFFU)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0U | (codePoint >> 6));
        put(0x80U | (codePoint & 0x3FU));
    } else if (codePoint < 0x10000) {
        put(0xE0U | (codePoint >> 12));
        put(0x80U | ((codePoint >> 6) & 0x3FU));
        put(0x80U | (codePoint & 0x3FU));
    } else {
        put(0xF0U | (codePoint >> 18));
        put(0x80U | ((codePoint >> 12) & 0x3FU));
        put(0x80U | ((codePoint >> 6) & 0x3FU));
        put(0x80U | (codePoint & 0x3FU));
    }
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
        const char32_t offset = codePoint - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800U + (offset >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00U + (offset & 0x3FFU)));
    } else if (codePoint > 0x10FFFF) {
        out.push_back(static_cast<char16_t>(kReplacement));
    } else {
        out.push_back(static_cast<char16_t>(codePoint));
    }
}

std::string Utf16ToUtf8(std::u16string_view units) {
    // ASCII, the usual case, a byte a unit; from the first other unit on, the long way.
    const char16_t* const begin = units.data();
    const char16_t* ascii = begin;
    for (const char16_t* const end = begin + units.size(); ascii != end && *ascii < 0x80U;
         ++ascii) {
    }
    std::string out(begin, ascii);
    out.reserve(units.size());
    for (auto i = static_cast<std::size_t>(ascii - begin); i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            const char32_t low = units[i + 1];
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate turns into U+FFFD here
        }
    }
    return out;
}

char32_t FoldCodePoint(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;  // Latin-1 capitals; U+00D7 is the sign ×
    if (c >= 0x100 && c <= 0x137) return c | 1U;     // Latin Extended-A: capital even, small odd
    if (c >= 0x139 && c <= 0x148) return (c & 1U) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return c | 1U;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1U) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

std::string FoldCase(std::string_view text) {
    // ASCII, the usual case, folds in place; from the first other byte on, the long way.
    std::string out(text);
    char* c = out.data();
    for (char* const end = c + out.size(); c != end && static_cast<unsigned char>(*c) < 0x80U;
         ++c) {
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c + ('a' - 'A'));
    }
    std::size_t pos = static_cast<std::size_t>(c - out.data());
    out.resize(pos);
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80U) {
            out.push_back(static_cast<char>(FoldCodePoint(byte)));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        if (const auto codePoint = DecodeUtf8(text, pos)) {
            AppendUtf8(out, FoldCodePoint(*codePoint));
        } else {
            out.push_back(text[start]);
        }
    }
    return out;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    if (a == b) return true;
    return FoldCase(a) == FoldCase(b);
}

}  // namespace settings::wine
