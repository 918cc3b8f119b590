#pragma once
// Windows code page 1252, the 8-bit text of the dialog layer and of the profile files' values.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
// control characters of the same number, as MultiByteToWideChar maps them.

namespace base {

char16_t DecodeWindows1252(unsigned char byte);

// The code page's byte for a UTF-16 unit, or '?' where it has none (as an ANSI window's WM_CHAR).
char EncodeWindows1252(char16_t unit);

}  // namespace base
