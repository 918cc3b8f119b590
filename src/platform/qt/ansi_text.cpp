#include "platform/qt/ansi_text.h"

#include <array>

namespace qtfront {

namespace {
// 0x80..0x9F of code page 1252; 0 where the code page leaves a byte undefined.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Decode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t mapped = kHighControls[byte - 0x80u];
        return mapped != 0 ? mapped : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

char Encode(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<char>(ch);
    // The bytes the code page leaves undefined decode to themselves.
    if (ch < 0xA0 && kHighControls[ch - 0x80u] == 0) return static_cast<char>(ch);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == ch) return static_cast<char>(0x80 + i);
    }
    return '?';
}
}  // namespace

QString FromAnsi(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char ch : text) result.append(QChar(Decode(static_cast<unsigned char>(ch))));
    return result;
}

std::string ToAnsi(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page
            result.push_back('?');
            continue;
        }
        result.push_back(Encode(ch.unicode()));
    }
    return result;
}

QString MnemonicText(std::string_view text, bool keepMnemonic) {
    const QString decoded = FromAnsi(text);
    if (keepMnemonic) return decoded;
    QString plain;
    plain.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        if (decoded.at(i) == QLatin1Char('&')) {
            if (i + 1 < decoded.size() && decoded.at(i + 1) == QLatin1Char('&')) {
                plain.append(QLatin1Char('&'));
                ++i;
            }
            continue;
        }
        plain.append(decoded.at(i));
    }
    return plain;
}

}  // namespace qtfront
