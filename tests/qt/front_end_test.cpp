// Each kind of control on the real widgets: the keys, clicks, drags, wheel turns and menus a
// user gives it, and what the dialog writes afterwards.
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QWheelEvent>

#include "platform/qt/model_slider.h"
#include "program_fixture.h"

namespace qt_tests {
namespace {

using qt::DialogWindow;
using qt::ModelSlider;

class FrontEndTest : public ProgramTest {
protected:
    // Clicks at the end of an edit's text: the caret goes there.
    static void ClickEnd(DialogWindow& w, int id) {
        QWidget* edit = W(w, id);
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier,
                          QPoint(edit->width() - 3, edit->height() / 2));
    }
};

ModelSlider* Slider(DialogWindow& w) {
    return static_cast<ModelSlider*>(w.Widget(IDC_DIFFICULTY_SLIDER));
}

TEST_F(FrontEndTest, SliderFollowsEachKey) {
    RunProgram([](DialogWindow& w) {
        ASSERT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER));
        const struct {
            Qt::Key key;
            int times;
            int position;
            const char* shown;
        } steps[] = {
            {Qt::Key_Right, 6, 16, "1.16"},    {Qt::Key_Up, 1, 15, "1.15"},
            {Qt::Key_Down, 1, 16, "1.16"},     {Qt::Key_Left, 1, 15, "1.15"},
            {Qt::Key_PageDown, 1, 25, "1.25"}, {Qt::Key_PageUp, 2, 5, "1.05"},
            {Qt::Key_End, 1, 200, "3"},        {Qt::Key_Home, 1, -50, "0.5"},
            {Qt::Key_Left, 1, -50, "0.5"},
        };
        for (const auto& step : steps) {
            for (int i = 0; i < step.times; ++i) Key(w, step.key);
            EXPECT_EQ(Slider(w)->value(), step.position) << step.shown;
            EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QString::fromLatin1(step.shown));
        }
        Key(w, Qt::Key_Enter);  // the keypad's Enter is Enter too
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.multiplier = "0.50";
    ExpectGame(saved);
}

TEST_F(FrontEndTest, SliderDragsAndPagesWithTheMouse) {
    RunProgram([](DialogWindow& w) {
        ModelSlider* slider = Slider(w);
        const QPoint thumb = slider->HandleRect().center();
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, thumb);
        QTest::mouseMove(slider, QPoint(0, thumb.y()));
        EXPECT_EQ(slider->value(), -50);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("0.5"));
        QTest::mouseMove(slider, QPoint(slider->width() - 1, thumb.y()));
        EXPECT_EQ(slider->value(), 200);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("3"));
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier,
                            QPoint(slider->width() - 1, thumb.y()));
        EXPECT_EQ(slider->value(), 200);
        EXPECT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER));

        // A click beside the thumb pages toward the click.
        QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(2, thumb.y()));
        EXPECT_EQ(slider->value(), 190);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("2.9"));

        // Held down beside the thumb, the track pages on until the thumb reaches the mouse.
        int x = 0;
        while (x < slider->width() && slider->ValueAt(x) < 150) ++x;
        const QPoint hold(x, thumb.y());
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, hold);
        EXPECT_TRUE(QTest::qWaitFor([&] { return slider->HandleRect().contains(hold); }, 5000));
        const int reached = slider->value();
        QTest::qWait(300);
        EXPECT_EQ(slider->value(), reached) << "paging stops under the mouse";
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, hold);
        EXPECT_EQ(reached % 10, 0) << "whole pages from 190";
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE),
                  QString::number(reached / 100.0 + 1.0, 'g', 6));
        // Back to 2.9 with the keyboard, for the file.
        Key(w, Qt::Key_End);
        Key(w, Qt::Key_PageUp);
        Click(w, IDOK);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.multiplier = "2.90";
    ExpectGame(saved);
}

TEST_F(FrontEndTest, OddsFieldsTakeThreeDigitsAndClampWhenLeft) {
    RunProgram([](DialogWindow& w) {
        ClickEnd(w, IDC_ODDS_FRIGATE);
        ASSERT_TRUE(HasFocus(w, IDC_ODDS_FRIGATE));
        Key(w, Qt::Key_Backspace);
        Key(w, Qt::Key_Backspace);
        EXPECT_EQ(EditText(w, IDC_ODDS_FRIGATE), QString());
        Type(w, "7a-4.2 5,");
        EXPECT_EQ(EditText(w, IDC_ODDS_FRIGATE), QStringLiteral("742"));
        Key(w, Qt::Key_Tab);
        EXPECT_EQ(EditText(w, IDC_ODDS_FRIGATE), QStringLiteral("100"));
        // The next tab stop is Cancel, which now draws the default frame.
        EXPECT_TRUE(HasFocus(w, IDCANCEL));
        EXPECT_TRUE(qobject_cast<QPushButton*>(W(w, IDCANCEL))->isDefault());
        EXPECT_FALSE(qobject_cast<QPushButton*>(W(w, IDOK))->isDefault());

        ClickEnd(w, IDC_ODDS_BATTLESHIP);
        EXPECT_TRUE(qobject_cast<QPushButton*>(W(w, IDOK))->isDefault());
        Key(w, Qt::Key_Backspace);
        Key(w, Qt::Key_Backspace);
        Type(w, "05");
        Key(w, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(EditText(w, IDC_ODDS_BATTLESHIP), QStringLiteral("5"));
        EXPECT_TRUE(HasFocus(w, IDC_USE_BATTLESHIP));
        Click(w, IDOK);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.hullpercentA = "1093813860";  // Frigate 100
    saved.hullpercentC = "656670";      // Battleship 5
    ExpectGame(saved);
}

TEST_F(FrontEndTest, EnterInAnOddsFieldPressesOkWithTheTextAsTyped) {
    RunProgram([](DialogWindow& w) {
        ClickEnd(w, IDC_ODDS_CARRIER);
        Key(w, Qt::Key_Backspace);
        Key(w, Qt::Key_Backspace);
        Type(w, "012");
        Key(w, Qt::Key_Return);
        EXPECT_EQ(EditText(w, IDC_ODDS_CARRIER), QStringLiteral("012"));
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.hullpercentB = "204942652";  // Carrier 12
    ExpectGame(saved);
}

TEST_F(FrontEndTest, EditMenuCopiesAndPastesAndPasteIsNotFiltered) {
    QGuiApplication::clipboard()->clear();
    RunProgram([](DialogWindow& w) {
        QWidget* frigate = W(w, IDC_ODDS_FRIGATE);
        QStringList items;
        RightClickMenu(frigate, frigate->rect().center(), QStringLiteral("Select &All"), &items);
        EXPECT_EQ(items, (QStringList{QStringLiteral("&Undo"), QStringLiteral("-"),
                                      QStringLiteral("Cu&t"), QStringLiteral("&Copy"),
                                      QStringLiteral("&Paste"), QStringLiteral("&Delete"),
                                      QStringLiteral("-"), QStringLiteral("Select &All")}));
        EXPECT_TRUE(HasFocus(w, IDC_ODDS_FRIGATE));
        RightClickMenu(frigate, frigate->rect().center(), QStringLiteral("&Copy"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("80"));

        QWidget* battleship = W(w, IDC_ODDS_BATTLESHIP);
        RightClickMenu(battleship, battleship->rect().center(), QStringLiteral("Select &All"));
        RightClickMenu(battleship, battleship->rect().center(), QStringLiteral("&Paste"));
        EXPECT_EQ(EditText(w, IDC_ODDS_BATTLESHIP), QStringLiteral("80"));

        // Pasted text skips the digit filter; leaving the field reads its number.
        QGuiApplication::clipboard()->setText(QStringLiteral("12a"));
        QWidget* carrier = W(w, IDC_ODDS_CARRIER);
        RightClickMenu(carrier, carrier->rect().center(), QStringLiteral("Select &All"));
        RightClickMenu(carrier, carrier->rect().center(), QStringLiteral("&Paste"));
        EXPECT_EQ(EditText(w, IDC_ODDS_CARRIER), QStringLiteral("12a"));
        // Ctrl+V reaches the field as a control character, which it drops.
        QGuiApplication::clipboard()->setText(QStringLiteral("55"));
        Key(w, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(EditText(w, IDC_ODDS_CARRIER), QStringLiteral("12a"));
        Key(w, Qt::Key_Tab);
        EXPECT_EQ(EditText(w, IDC_ODDS_CARRIER), QStringLiteral("12"));
        Click(w, IDOK);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.hullpercentB = "204942652";  // Carrier 12
    saved.hullpercentC = "675870";     // Battleship 80
    ExpectGame(saved);
}

TEST_F(FrontEndTest, ReadOnlyValueBoxCopiesButTakesNothing) {
    QGuiApplication::clipboard()->setText(QStringLiteral("2"));
    RunProgram([](DialogWindow& w) {
        Key(w, Qt::Key_Tab);
        ASSERT_TRUE(HasFocus(w, IDC_DIFFICULTY_VALUE));
        // Tabbing into an edit selects its text.
        EXPECT_EQ(qobject_cast<QLineEdit*>(W(w, IDC_DIFFICULTY_VALUE))->selectedText(),
                  QStringLiteral("1.1"));
        Type(w, "9");
        Key(w, Qt::Key_Backspace);
        Key(w, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("1.1"));
        Key(w, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1.1"));
        Key(w, Qt::Key_Escape);
    });
    ExpectGame(ProgramKeys());
}

TEST_F(FrontEndTest, RaceModeSwitchesThroughTheDroppedList) {
    RunProgram([](DialogWindow& w) {
        auto* mode = qobject_cast<QComboBox*>(W(w, IDC_RACE_MODE));
        ASSERT_NE(mode, nullptr);
        Click(w, IDC_RACE_MODE);
        EXPECT_TRUE(HasFocus(w, IDC_RACE_MODE));
        QListWidget* list = DroppedList(w, IDC_RACE_MODE);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->isVisible()) << "the list drops down";
        EXPECT_EQ(list->geometry().topLeft(), mode->mapToGlobal(QPoint(0, mode->height())));
        const QRect mixed = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, mixed.center());
        EXPECT_FALSE(list->isVisible()) << "a pick closes the list";
        EXPECT_EQ(mode->currentText(), QStringLiteral("Mixed"));
        EXPECT_TRUE(Checked(w, IDC_RACE_GORN));
        EXPECT_FALSE(Checked(w, IDC_RACE_FEDERATION));
        Click(w, IDC_RACE_FEDERATION);
        Click(w, IDC_MONSTER_USE);
        EXPECT_TRUE(W(w, IDC_MONSTER_ODDS)->isEnabled()) << "monster in Mixed mode";

        // The keyboard on the focused list: Down to Single and back up to Mixed.
        Click(w, IDC_RACE_MODE);
        ASSERT_TRUE(list->isVisible());
        Key(w, Qt::Key_Escape);  // closes the list, picks nothing
        EXPECT_FALSE(list->isVisible());
        EXPECT_FALSE(w.Model().Ended());
        EXPECT_TRUE(HasFocus(w, IDC_RACE_MODE));
        EXPECT_EQ(mode->currentText(), QStringLiteral("Mixed"));
        Key(w, Qt::Key_Down);
        EXPECT_EQ(mode->currentText(), QStringLiteral("Single"));
        EXPECT_TRUE(Checked(w, IDC_RACE_FEDERATION));
        EXPECT_TRUE(Checked(w, IDC_RACE_KLINGON));
        EXPECT_FALSE(Checked(w, IDC_RACE_GORN));
        EXPECT_FALSE(W(w, IDC_MONSTER_ODDS)->isEnabled());
        Key(w, Qt::Key_Up);
        EXPECT_TRUE(Checked(w, IDC_RACE_GORN));
        EXPECT_TRUE(Checked(w, IDC_MONSTER_USE));
        Click(w, IDC_MONSTER_USE);
        Click(w, IDOK);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.type = "1";
    saved.srace = "33";  // Federation and Gorn
    saved.race = "33";
    ExpectGame(saved);
}

TEST_F(FrontEndTest, CheckBoxesAndRadiosByMouseAndSpace) {
    RunProgram([](DialogWindow& w) {
        Click(w, IDC_USE_CARRIER);
        EXPECT_FALSE(Checked(w, IDC_USE_CARRIER));
        EXPECT_FALSE(W(w, IDC_ODDS_CARRIER)->isEnabled());
        EXPECT_EQ(EditText(w, IDC_ODDS_CARRIER), QStringLiteral("20"));
        Key(w, Qt::Key_Space);
        EXPECT_TRUE(Checked(w, IDC_USE_CARRIER));
        EXPECT_TRUE(W(w, IDC_ODDS_CARRIER)->isEnabled());
        Key(w, Qt::Key_Space);  // clear again: hull bit 10 goes

        Click(w, IDC_ERA_EARLY);
        EXPECT_TRUE(Checked(w, IDC_ERA_EARLY));
        EXPECT_FALSE(Checked(w, IDC_ERA_MIDDLE));
        // The arrow keys move through the radio group and check what they reach.
        Key(w, Qt::Key_Down);
        EXPECT_TRUE(HasFocus(w, IDC_ERA_MIDDLE));
        EXPECT_TRUE(Checked(w, IDC_ERA_MIDDLE));
        EXPECT_FALSE(Checked(w, IDC_ERA_EARLY));
        Key(w, Qt::Key_Up);

        // A press that leaves the button before the release is no click.
        QWidget* gorn = W(w, IDC_RACE_GORN);
        QTest::mousePress(gorn, Qt::LeftButton, Qt::NoModifier, gorn->rect().center());
        QTest::mouseMove(gorn, gorn->rect().bottomRight() + QPoint(40, 40));
        QTest::mouseRelease(gorn, Qt::LeftButton, Qt::NoModifier,
                            gorn->rect().bottomRight() + QPoint(40, 40));
        EXPECT_FALSE(Checked(w, IDC_RACE_GORN));
        Click(w, IDOK);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.hull = "7160";  // 8184 without bit 10
    saved.era = "0";
    ExpectGame(saved);
}

TEST_F(FrontEndTest, TabOrderIsTheTemplates) {
    RunProgram([](DialogWindow& w) {
        Key(w, Qt::Key_Tab);
        EXPECT_TRUE(HasFocus(w, IDC_DIFFICULTY_VALUE));
        Key(w, Qt::Key_Tab);
        EXPECT_TRUE(HasFocus(w, IDC_AI_LEVEL));
        Key(w, Qt::Key_Backtab, Qt::ShiftModifier);
        Key(w, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER));
        // Backwards from the first stop wraps to the last; the disabled monster odds field is
        // skipped.
        Key(w, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_TRUE(HasFocus(w, IDC_FORCE_ERA));
        Key(w, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_TRUE(HasFocus(w, IDC_RACE_PIRATES));
        Key(w, Qt::Key_Escape);
    });
    EXPECT_EQ(m_result, IDCANCEL);
}

// The keys of a dropped list are the model's: the view only shows what it says.
TEST_F(FrontEndTest, DroppedListFollowsTheModelsKeys) {
    RunProgram([](DialogWindow& w) {
        auto* ai = qobject_cast<QComboBox*>(W(w, IDC_AI_LEVEL));
        QListWidget* list = DroppedList(w, IDC_AI_LEVEL);
        ASSERT_NE(list, nullptr);
        Key(w, Qt::Key_Tab);
        Key(w, Qt::Key_Tab);
        ASSERT_TRUE(HasFocus(w, IDC_AI_LEVEL));
        Key(w, Qt::Key_F4);
        ASSERT_TRUE(list->isVisible());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(ai);
        EXPECT_TRUE(face->state().expanded);
        EXPECT_EQ(face->child(0)->object(), list);
        EXPECT_EQ(list->currentRow(), 1);
        Key(w, Qt::Key_Down);
        EXPECT_EQ(list->currentRow(), 2);
        EXPECT_EQ(ai->currentText(), QStringLiteral("Admiral"));
        Key(w, Qt::Key_Return);  // closes the list; OK is not pressed
        EXPECT_FALSE(list->isVisible());
        EXPECT_FALSE(face->state().expanded);
        EXPECT_FALSE(w.Model().Ended());

        Key(w, Qt::Key_Up, Qt::AltModifier);
        ASSERT_TRUE(list->isVisible());
        Key(w, Qt::Key_Home);
        Key(w, Qt::Key_Escape);  // keeps what the keys chose, the dialog stays
        EXPECT_FALSE(list->isVisible());
        EXPECT_FALSE(w.Model().Ended());
        EXPECT_EQ(ai->currentText(), QStringLiteral("Captain"));

        // A press elsewhere only closes the list.
        Click(w, IDC_AI_LEVEL);
        ASSERT_TRUE(list->isVisible());
        Click(w, IDC_RACE_GORN);
        EXPECT_FALSE(list->isVisible());
        EXPECT_FALSE(Checked(w, IDC_RACE_GORN));
        face->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        ASSERT_TRUE(list->isVisible()) << "a screen reader drops it too";
        Type(w, "a");
        Key(w, Qt::Key_Return);
        Click(w, IDOK);
    });
    GameKeys saved = ProgramKeys();
    saved.uiType = "2";
    ExpectGame(saved);
}

void Wheel(QWidget* widget, int delta) {
    const QPointF at = QPointF(widget->rect().center());
    QWheelEvent wheel(at, QPointF(widget->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

TEST_F(FrontEndTest, WheelTurnsOnlyTheFocusedControl) {
    RunProgram([](DialogWindow& w) {
        auto* ai = qobject_cast<QComboBox*>(W(w, IDC_AI_LEVEL));
        Wheel(ai, -120);  // not focused: nothing
        EXPECT_EQ(ai->currentText(), QStringLiteral("Commodore"));
        Wheel(Slider(w), -120);  // focused: one line toward the maximum
        EXPECT_EQ(Slider(w)->value(), 11);
        Key(w, Qt::Key_Tab);
        Key(w, Qt::Key_Tab);
        ASSERT_TRUE(HasFocus(w, IDC_AI_LEVEL));
        Wheel(ai, -120);
        EXPECT_EQ(ai->currentText(), QStringLiteral("Admiral"));
        Wheel(ai, 240);
        EXPECT_EQ(ai->currentText(), QStringLiteral("Captain"));
        Click(w, IDOK);
    });
    GameKeys saved = ProgramKeys();
    saved.multiplier = "1.11";
    saved.uiType = "0";
    ExpectGame(saved);
}

}  // namespace
}  // namespace qt_tests
