// Qt's key presses and wheel turns as the dialog layer takes them, checked against the
// virtual-key codes and WHEEL_DELTA that Windows documents. No widget is involved.
#include "platform/qt/key_translator.h"

#include <gtest/gtest.h>

namespace qt_tests {
namespace {

using qt::KeyInput;
using qt::TranslateKey;
using Action = KeyInput::Action;

TEST(KeyTranslatorTest, NamedKeysBecomeTheirVirtualKeyCodes) {
    const struct {
        int key;
        Qt::KeyboardModifiers held;
        UINT vk;
    } keys[] = {
        {Qt::Key_Backspace, {}, 0x08},
        {Qt::Key_Tab, {}, 0x09},
        {Qt::Key_Return, {}, 0x0D},
        {Qt::Key_Enter, Qt::KeypadModifier, 0x0D},
        {Qt::Key_Escape, {}, 0x1B},
        {Qt::Key_Space, {}, 0x20},
        {Qt::Key_PageUp, {}, 0x21},
        {Qt::Key_PageDown, {}, 0x22},
        {Qt::Key_End, {}, 0x23},
        {Qt::Key_Home, {}, 0x24},
        {Qt::Key_Left, {}, 0x25},
        {Qt::Key_Up, {}, 0x26},
        {Qt::Key_Right, {}, 0x27},
        {Qt::Key_Down, {}, 0x28},
        {Qt::Key_Insert, {}, 0x2D},
        {Qt::Key_Delete, {}, 0x2E},
        {Qt::Key_F1, {}, 0x70},
        {Qt::Key_F4, {}, 0x73},
        // The keypad without Num Lock moves as the main arrows do.
        {Qt::Key_Left, Qt::KeypadModifier, 0x25},
    };
    for (const auto& k : keys) {
        const KeyInput input = TranslateKey(k.key, k.held, QString());
        EXPECT_EQ(input.action, Action::PressKey) << k.key;
        EXPECT_EQ(input.vk, k.vk) << k.key;
        EXPECT_FALSE(input.modifiers.shift || input.modifiers.ctrl || input.modifiers.alt);
        EXPECT_EQ(input.showFocusCues, k.vk == 0x09 || (k.vk >= 0x25 && k.vk <= 0x28)) << k.key;
    }
    // Shift+Tab: X11 reports Backtab, with or without the Shift it took to make it.
    for (const Qt::KeyboardModifiers held :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers()}) {
        const KeyInput input = TranslateKey(Qt::Key_Backtab, held, QString());
        EXPECT_EQ(input.vk, 0x09u);
        EXPECT_TRUE(input.modifiers.shift);
        EXPECT_TRUE(input.showFocusCues);
    }
}

TEST(KeyTranslatorTest, LettersWithCtrlOrAltAndTypedText) {
    // Alt+letter (WM_SYSKEYDOWN, a mnemonic) and Ctrl+letter go as the letter's key code.
    KeyInput alt = TranslateKey(Qt::Key_R, Qt::AltModifier, QStringLiteral("r"));
    EXPECT_EQ(alt.action, Action::PressKey);
    EXPECT_EQ(alt.vk, 0x52u);
    EXPECT_TRUE(alt.modifiers.alt);
    EXPECT_FALSE(alt.modifiers.ctrl);
    KeyInput ctrl = TranslateKey(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    EXPECT_EQ(ctrl.vk, 0x43u);
    EXPECT_TRUE(ctrl.modifiers.ctrl);
    // Ctrl or Alt with anything but a letter types nothing.
    EXPECT_EQ(TranslateKey(Qt::Key_5, Qt::ControlModifier, QStringLiteral("5")).action,
              Action::None);

    const auto typed = [](int key, Qt::KeyboardModifiers held, const char16_t* text) {
        const KeyInput input = TranslateKey(key, held, QString::fromUtf16(text));
        return input.action == Action::TypeChars ? input.chars : std::string("<none>");
    };
    // Keypad and main digits type the same character.
    EXPECT_EQ(typed(Qt::Key_5, Qt::KeypadModifier, u"5"), "5");
    EXPECT_EQ(typed(Qt::Key_5, {}, u"5"), "5");
    // AltGr: Ctrl+Alt as Windows reports it, the group switch as X11 does.
    EXPECT_EQ(typed(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, u"@"), "@");
    EXPECT_EQ(typed(Qt::Key_At, Qt::GroupSwitchModifier, u"@"), "@");
    // A dead key types nothing; the letter it composes types in code page 1252, and what the
    // code page lacks types '?'. Control characters are not typed.
    EXPECT_EQ(typed(Qt::Key_Dead_Acute, {}, u""), "<none>");
    EXPECT_EQ(typed(Qt::Key_Eacute, {}, u"\u00E9"), "\xE9");
    EXPECT_EQ(typed(Qt::Key_E, Qt::GroupSwitchModifier, u"\u20AC"), "\x80");
    EXPECT_EQ(typed(Qt::Key_unknown, {}, u"\u0436"), "?");
    EXPECT_EQ(typed(Qt::Key_unknown, {}, u"\u007F"), "<none>");

    // The menus: the menu key and Shift+F10 the control's, Alt+Space the window's.
    EXPECT_EQ(TranslateKey(Qt::Key_Menu, {}, QString()).action, Action::ControlMenu);
    EXPECT_EQ(TranslateKey(Qt::Key_F10, Qt::ShiftModifier, QString()).action, Action::ControlMenu);
    EXPECT_EQ(TranslateKey(Qt::Key_Space, Qt::AltModifier, QStringLiteral(" ")).action,
              Action::WindowMenu);
}

TEST(KeyTranslatorTest, WheelTurnsAreTakenInWholeNotches) {
    qt::WheelNotches wheel;
    // A touchpad's small steps add up to one notch of 120; the rest waits for the next turn.
    EXPECT_EQ(wheel.Turn(50), 0);
    EXPECT_EQ(wheel.Turn(50), 0);
    EXPECT_EQ(wheel.Turn(50), 1);
    EXPECT_EQ(wheel.Turn(-240), -1) << "30 left over, two notches back: one, and 90 waiting";
    EXPECT_EQ(wheel.Turn(-30), -1);
    EXPECT_EQ(wheel.Turn(360), 3);
}

}  // namespace
}  // namespace qt_tests
