#pragma once
// Qt's keyboard and wheel, as the dialog layer takes them: a key press becomes a Windows
// virtual-key press (WM_KEYDOWN, or WM_SYSKEYDOWN with Alt held) or the characters it types
// (WM_CHAR), and wheel turns become whole notches. Plain values in, plain values out: no widget
// is needed to translate, nor to test the translation.
#include <QString>
#include <Qt>
#include <string>

#include "framework/win_types.h"
#include "model/control_model.h"

namespace qt {

struct KeyInput {
    enum class Action {
        None,         // the key does nothing in a dialog
        PressKey,     // DialogModel::PressKey(vk, modifiers)
        TypeChars,    // DialogModel::TypeChar for each of `chars`
        ControlMenu,  // the focused control's context menu (menu key, Shift+F10)
        WindowMenu,   // the window's menu (Alt+Space)
    };
    Action action = Action::None;
    UINT vk = 0;
    model::Modifiers modifiers;
    std::string chars;
    // Moving with the keyboard turns the focus cues on, as WM_CHANGEUISTATE does.
    bool showFocusCues = false;
};

// One key press: Qt's key code, the modifiers held and the text the press types.
KeyInput TranslateKey(int key, Qt::KeyboardModifiers held, const QString& text);

// Text typed or composed by an input method, as the WM_CHAR characters of the ANSI code page;
// control characters type nothing.
std::string TypedChars(const QString& text);

// Wheel turns in eighths of a degree, gathered into notches of WHEEL_DELTA: a fine-grained
// wheel or touchpad moves a list by a line only once a whole notch has turned.
class WheelNotches {
public:
    // The whole notches turned so far and not yet taken: positive away from the user (up).
    int Turn(int angleDelta);

private:
    int m_remainder = 0;
};

}  // namespace qt
