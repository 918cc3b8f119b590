#pragma once
// Message cracking for the message maps of wnd.h.

namespace framework {

inline UINT LowWord(std::uintptr_t value) {
    return static_cast<UINT>(value & 0xFFFFu);
}
inline UINT HighWord(std::uintptr_t value) {
    return static_cast<UINT>((value >> 16) & 0xFFFFu);
}

template <class T>
bool DispatchMap(T& self, std::span<const MapEntry<T>> map, UINT message, WPARAM wParam,
                 LPARAM lParam, LRESULT* result) {
    for (const MapEntry<T>& entry : map) {
        if (entry.message != message) continue;
        if (message == wm::Command) {
            const UINT id = LowWord(wParam);
            if (HighWord(wParam) != entry.code || id < entry.id || id > entry.lastId) continue;
        } else if (message == wm::Notify) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr || header->code != entry.code || header->idFrom < entry.id ||
                header->idFrom > entry.lastId)
                continue;
        }
        std::visit(
            [&](auto handler) {
                using H = decltype(handler);
                if constexpr (std::is_same_v<H, void (T::*)()>) {
                    (self.*handler)();
                } else if constexpr (std::is_same_v<H, void (T::*)(UINT, UINT, UINT)>) {
                    (self.*handler)(static_cast<UINT>(wParam), LowWord(static_cast<WPARAM>(lParam)),
                                    HighWord(static_cast<WPARAM>(lParam)));
                } else if constexpr (std::is_same_v<H, void (T::*)(Handle)>) {
                    (self.*handler)(reinterpret_cast<Handle>(wParam));
                } else if constexpr (std::is_same_v<H, void (T::*)(UINT, LPARAM)>) {
                    (self.*handler)(static_cast<UINT>(wParam), lParam);
                } else if constexpr (std::is_same_v<H, void (T::*)(UINT, UINT, Handle)>) {
                    // The position is a signed 16-bit value; widen it so negative positions
                    // arrive negative.
                    const auto pos = static_cast<std::int16_t>(HighWord(wParam));
                    (self.*handler)(LowWord(wParam), static_cast<UINT>(static_cast<int>(pos)),
                                    reinterpret_cast<Handle>(lParam));
                } else if constexpr (std::is_same_v<H, void (T::*)(NMHDR*, LRESULT*)>) {
                    LRESULT notifyResult = 0;
                    (self.*handler)(reinterpret_cast<NMHDR*>(lParam), &notifyResult);
                    if (result != nullptr) *result = notifyResult;
                } else {
                    static_assert(std::is_same_v<H, IconHandle (T::*)()>);
                    IconHandle icon = (self.*handler)();
                    if (result != nullptr) *result = reinterpret_cast<LRESULT>(icon);
                }
            },
            entry.handler);
        return true;
    }
    return false;
}

}  // namespace framework
