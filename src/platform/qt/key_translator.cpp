#include "platform/qt/key_translator.h"

#include <cstdlib>
#include <optional>

#include "platform/qt/ansi_text.h"

namespace qt {

namespace {

// The keys the dialog layer knows by their virtual-key codes; characters go as WM_CHAR.
std::optional<UINT> NamedKey(int key) {
    namespace vk = framework::vk;
    switch (key) {
        case Qt::Key_Backspace:
            return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::Return;
        case Qt::Key_Escape:
            return vk::Escape;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return vk::Prior;
        case Qt::Key_PageDown:
            return vk::Next;
        case Qt::Key_End:
            return vk::End;
        case Qt::Key_Home:
            return vk::Home;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return vk::Insert;
        case Qt::Key_Delete:
            return vk::Delete;
        case Qt::Key_F1:
            return vk::F1;
        case Qt::Key_F4:
            return vk::F4;
        default:
            return std::nullopt;
    }
}

}  // namespace

KeyInput TranslateKey(int key, Qt::KeyboardModifiers held, const QString& text) {
    KeyInput input;
    model::Modifiers& modifiers = input.modifiers;
    modifiers.shift = (held & Qt::ShiftModifier) != 0;
    modifiers.ctrl = (held & Qt::ControlModifier) != 0;
    modifiers.alt = (held & Qt::AltModifier) != 0;
    if (key == Qt::Key_Backtab) modifiers.shift = true;

    // Menus: the menu key and Shift+F10 open the focused control's, Alt+Space the window's.
    if (key == Qt::Key_Menu ||
        (key == Qt::Key_F10 && modifiers.shift && !modifiers.ctrl && !modifiers.alt)) {
        input.action = KeyInput::Action::ControlMenu;
    } else if (key == Qt::Key_Space && modifiers.alt && !modifiers.ctrl) {
        input.action = KeyInput::Action::WindowMenu;
    } else if (const std::optional<UINT> named = NamedKey(key)) {
        input.action = KeyInput::Action::PressKey;
        input.vk = *named;
        input.showFocusCues = *named == framework::vk::Tab ||
                              (*named >= framework::vk::Left && *named <= framework::vk::Down);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z && (modifiers.ctrl || modifiers.alt) &&
               !(modifiers.ctrl && modifiers.alt)) {
        // Ctrl+letter: the model makes the control character (copy, paste, cut, undo, select
        // all) as TranslateMessage would; Alt+letter is a mnemonic. Qt's letter codes are the
        // letters' virtual-key codes.
        input.action = KeyInput::Action::PressKey;
        input.vk = static_cast<UINT>(key);
    } else if (modifiers.ctrl == modifiers.alt) {
        // Typing, plain or with AltGr (Ctrl+Alt); Ctrl or Alt with anything else types nothing.
        input.chars = TypedChars(text);
        if (!input.chars.empty()) input.action = KeyInput::Action::TypeChars;
    }
    return input;
}

std::string TypedChars(const QString& text) {
    std::string chars;
    for (const char ch : ToAnsi(text)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte != 0x7F) chars.push_back(ch);
    }
    return chars;
}

int WheelNotches::Turn(int angleDelta) {
    constexpr int kNotch = 120;  // WHEEL_DELTA
    m_remainder += angleDelta;
    const int notches = m_remainder / kNotch;  // toward zero: a part notch either way waits
    m_remainder -= notches * kNotch;
    return notches;
}

}  // namespace qt
