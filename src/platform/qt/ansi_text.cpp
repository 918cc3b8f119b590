#include "platform/qt/ansi_text.h"

#include "base/windows_1252.h"

namespace qt {

QString FromAnsi(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char ch : text)
        result.append(QChar(base::DecodeWindows1252(static_cast<unsigned char>(ch))));
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
        result.push_back(base::EncodeWindows1252(ch.unicode()));
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

}  // namespace qt
