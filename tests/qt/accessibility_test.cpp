// What a screen reader and a keyboard user find in the main dialog: every control's accessible
// name and role, read through Qt's accessibility interface, and the focus marks.
#include <QAccessible>
#include <QImage>
#include <map>

#include "model/control_model.h"
#include "platform/qt/model_slider.h"
#include "program_fixture.h"

namespace qt_tests {
namespace {

using model::ControlKind;
using qt::DialogWindow;

// The role of the Windows control of each kind.
QAccessible::Role RoleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
            return QAccessible::Button;
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
            return QAccessible::CheckBox;
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton:
            return QAccessible::RadioButton;
        case ControlKind::GroupBox:
            return QAccessible::Grouping;
        case ControlKind::Edit:
            return QAccessible::EditableText;
        case ControlKind::ComboBox:
            return QAccessible::ComboBox;
        case ControlKind::Trackbar:
            return QAccessible::Slider;
        default:
            return QAccessible::StaticText;
    }
}

class AccessibilityTest : public ProgramTest {};

TEST_F(AccessibilityTest, EveryControlHasTheNameAndRoleOfItsWindowsControl) {
    RunProgram([](DialogWindow& w) {
        // The controls without text of their own; the others are named by their text.
        std::map<int, std::string> unlabelled = {
            {IDC_DIFFICULTY_SLIDER, "Difficulty"},  {IDC_DIFFICULTY_VALUE, "Difficulty value"},
            {IDC_AI_LEVEL, "AI Intelligence"},      {IDC_RACE_MODE, "Races use"},
            {IDC_MONSTER_ODDS, "Monster odds (%)"},
        };
        const struct {
            int use, odds;
            const char* hull;
        } hulls[] = {
            {IDC_USE_BATTLESHIP, IDC_ODDS_BATTLESHIP, "Battleship"},
            {IDC_USE_DREADNOUGHT, IDC_ODDS_DREADNOUGHT, "Dreadnought"},
            {IDC_USE_CARRIER, IDC_ODDS_CARRIER, "Carrier"},
            {IDC_USE_HEAVY_BATTLECRUISER, IDC_ODDS_HEAVY_BATTLECRUISER, "Heavy Battlecruiser"},
            {IDC_USE_NEW_HEAVY_CRUISER, IDC_ODDS_NEW_HEAVY_CRUISER, "New Heavy Cruiser"},
            {IDC_USE_HEAVY_CRUISER, IDC_ODDS_HEAVY_CRUISER, "Heavy Cruiser"},
            {IDC_USE_LIGHT_CRUISER, IDC_ODDS_LIGHT_CRUISER, "Light Cruiser"},
            {IDC_USE_WAR_DESTROYER, IDC_ODDS_WAR_DESTROYER, "War Destroyer"},
            {IDC_USE_DESTROYER, IDC_ODDS_DESTROYER, "Destroyer"},
            {IDC_USE_FRIGATE, IDC_ODDS_FRIGATE, "Frigate"},
        };
        for (const auto& row : hulls) {
            unlabelled[row.use] = std::string("Use ") + row.hull;
            unlabelled[row.odds] = std::string(row.hull) + " odds (%)";
        }

        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&w);
        ASSERT_NE(dialog, nullptr);
        int walked = 0;
        for (const auto& control : w.Model().Controls()) {
            const framework::ItemTemplate& item = control->Item();
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w.Widget(*control));
            ASSERT_NE(face, nullptr) << item.text;
            EXPECT_GE(dialog->indexOfChild(face), 0) << item.text << " is a child of the dialog";
            std::string name = item.text;
            std::erase(name, '&');
            if (const auto it = unlabelled.find(item.id); it != unlabelled.end()) {
                name = it->second;
                unlabelled.erase(it);
            }
            EXPECT_EQ(face->text(QAccessible::Name).toStdString(), name) << "id " << item.id;
            EXPECT_EQ(face->role(), RoleOf(control->Kind())) << name;
            ++walked;
        }
        EXPECT_EQ(walked, 66);
        EXPECT_TRUE(unlabelled.empty()) << "every unlabelled control was found";
        // The era radios say which one is chosen.
        const auto state = [&](int id) {
            return QAccessible::queryAccessibleInterface(W(w, id))->state();
        };
        EXPECT_TRUE(state(IDC_ERA_MIDDLE).checked);
        EXPECT_FALSE(state(IDC_ERA_LATE).checked);
        Key(w, Qt::Key_Escape);
    });
}

// A pixel of the widget as drawn now.
QRgb Pixel(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixel(at);
}

TEST_F(AccessibilityTest, FocusIsMarkedOnTheTrackbarAndCheckBoxes) {
    RunProgram([](DialogWindow& w) {
        QWidget* slider = W(w, IDC_DIFFICULTY_SLIDER);
        ASSERT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER));
        // The dotted rectangle round the whole trackbar: its corner dot, and a gap beside it.
        const QRgb corner = Pixel(slider, QPoint(0, 0));
        EXPECT_LT(qGray(corner), 128);
        EXPECT_NE(Pixel(slider, QPoint(1, 0)), corner);
        Click(w, IDC_RACE_FEDERATION);
        EXPECT_GT(qGray(Pixel(slider, QPoint(0, 0))), 128) << "gone with the focus";

        // A box without text has its box framed instead of its text.
        QWidget* use = W(w, IDC_USE_FRIGATE);
        const QImage before = use->grab().toImage();
        Click(w, IDC_USE_FRIGATE);
        Click(w, IDC_USE_FRIGATE);
        ASSERT_TRUE(HasFocus(w, IDC_USE_FRIGATE));
        EXPECT_NE(use->grab().toImage(), before);
        Key(w, Qt::Key_Escape);
    });
}

}  // namespace
}  // namespace qt_tests
