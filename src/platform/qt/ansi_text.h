#pragma once
// The dialog layer's text is 8-bit ANSI (Windows code page 1252); Qt's is Unicode.
#include <QString>
#include <string>
#include <string_view>

namespace qt {

QString FromAnsi(std::string_view text);
// Characters the code page lacks become '?', as in an ANSI window's WM_CHAR.
std::string ToAnsi(const QString& text);

// A Windows label or button text for Qt: "&&" is a literal ampersand and "&x" underlines x.
// `keepMnemonic` turns it into Qt's spelling (Qt uses the same marker); otherwise the markers
// are removed and only the text remains.
QString MnemonicText(std::string_view text, bool keepMnemonic);

}  // namespace qt
