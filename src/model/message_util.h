#pragma once
// Packing and unpacking of message parameters, as the Win32 macros do.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

#include "framework/win_types.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

inline WPARAM MakeWParam(UINT low, UINT high) {
    return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
inline LRESULT MakeLResult(int low, int high) {
    const auto packed = (static_cast<std::uint32_t>(low) & 0xFFFFu) |
                        ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
    return static_cast<LRESULT>(packed);
}
// An int parameter the way the controls read it ((int)wParam / (int)lParam).
inline int AsInt(WPARAM value) {
    return static_cast<int>(static_cast<std::int32_t>(value));
}
inline int AsInt(LPARAM value) {
    return static_cast<int>(static_cast<std::int32_t>(value));
}
inline std::int16_t LowShort(LPARAM value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}
inline std::int16_t HighShort(LPARAM value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFF));
}
// The string an lParam points to; null reads as empty.
inline std::string_view TextParam(LPARAM value) {
    const char* text = reinterpret_cast<const char*>(value);
    return text == nullptr ? std::string_view() : std::string_view(text);
}
template <class T>
LPARAM PointerParam(T* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}
inline int Length(std::string_view text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}
// WM_GETTEXT into a caller's buffer of `size` characters: copies what fits with the
// terminator and returns the count copied; a zero size or null buffer is left alone.
inline LRESULT CopyText(std::string_view text, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (out == nullptr || size == 0) return 0;
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::copy_n(text.data(), count, out);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

}  // namespace model
