// The front end's own conversions, and the laid-out dialogs: the template's proportions, and
// no text cut off by the face that stands in for the template's font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "model/dialog_model.h"
#include "platform/qt/ansi_text.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/group_frame.h"
#include "platform/qt/qt_platform.h"
#include "resource.h"
#include "support/case_names.h"

namespace qt_tests {
namespace {

using qt::FromAnsi;
using qt::MnemonicText;
using qt::MulDiv;
using qt::ToAnsi;

TEST(AnsiText, CodePage1252BothWays) {
    EXPECT_EQ(FromAnsi("\x80 \x99 \xA9 \xFC"), QString::fromUtf8("\u20AC \u2122 \u00A9 \u00FC"));
    EXPECT_EQ(ToAnsi(QString::fromUtf8("\u20AC\u2122\u00A9\u00FC")), "\x80\x99\xA9\xFC");
    // Bytes the code page leaves undefined pass through as they are.
    EXPECT_EQ(ToAnsi(FromAnsi("\x81\x8D")), "\x81\x8D");
    // What the code page cannot hold becomes one '?', also beyond the BMP.
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a\u0109b\U0001F600c")), "a?b?c");
}

TEST(AnsiText, MnemonicMarkers) {
    EXPECT_EQ(MnemonicText("&About TavrelCustomizer...", true),
              QStringLiteral("&About TavrelCustomizer..."));
    EXPECT_EQ(MnemonicText("&About", false), QStringLiteral("About"));
    EXPECT_EQ(MnemonicText("Odds && Ends&", false), QStringLiteral("Odds & Ends"));
}

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(7, 6, 4), 11);    // 10.5
    EXPECT_EQ(MulDiv(-7, 6, 4), -11);  // -10.5
    EXPECT_EQ(MulDiv(5, 13, 8), 8);    // 8.125
    EXPECT_EQ(MulDiv(306, 13, 8), 497);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

// How far from its left edge a control draws: a check box's or radio button's text may end
// before its widget does.
int DrawnWidth(QWidget& widget) {
    auto* button = qobject_cast<QAbstractButton*>(&widget);
    if (button == nullptr || qobject_cast<QPushButton*>(&widget) != nullptr ||
        button->text().isEmpty()) {
        return widget.width();
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    const QRect contents = widget.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, &widget);
    return contents.left() + widget.fontMetrics().horizontalAdvance(button->text());
}

class LayoutTest : public ::testing::TestWithParam<unsigned> {};

const char* DialogName(unsigned id) {
    return id == IDD_MAIN ? "Main" : id == IDD_ABOUTBOX ? "About" : "Other";
}

// Every control inside the window, no text wider than its control, and every control that
// the template puts inside a group box still inside it.
TEST_P(LayoutTest, KeepsTheTemplatesPlacesWithoutClipping) {
    qt::QtPlatform platform;
    const framework::DialogTemplate* dialogTemplate = platform.Resources().FindDialog(GetParam());
    ASSERT_NE(dialogTemplate, nullptr);
    model::DialogModel model(platform, *dialogTemplate, nullptr, nullptr);
    qt::DialogWindow window(model, platform.AppIcon(), nullptr);

    const qt::BaseUnits units = qt::MeasureBaseUnits(qt::DialogFont(*dialogTemplate));
    EXPECT_GE(units.x, 4);
    EXPECT_GE(units.y, 10);
    EXPECT_EQ(window.size(),
              qt::MapDialogRect(units, 0, 0, dialogTemplate->cx, dialogTemplate->cy).size());
    const QRect client = window.rect();

    std::vector<QRect> groups;
    for (const auto& control : model.Controls()) {
        QWidget* widget = window.Widget(control->Id());
        if (control->Id() == -1) {
            // Statics and group boxes share the id: find this one by its template place.
            const framework::ItemTemplate& item = control->Item();
            const QRect place = qt::MapDialogRect(units, item.x, item.y, item.cx, item.cy);
            widget = nullptr;
            for (QWidget* child :
                 window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->geometry().topLeft() == place.topLeft() ||
                    (child->geometry().left() == place.left() &&
                     qobject_cast<QLabel*>(child) != nullptr &&
                     child->geometry().center().y() == place.center().y())) {
                    widget = child;
                }
            }
        }
        ASSERT_NE(widget, nullptr) << control->Item().text;
        const QRect geometry = widget->geometry();
        EXPECT_TRUE(client.contains(geometry)) << control->Item().text;
        if (dynamic_cast<qt::GroupFrame*>(widget) != nullptr) groups.push_back(geometry);
        if (auto* label = qobject_cast<QLabel*>(widget);
            label != nullptr && label->pixmap().isNull()) {
            EXPECT_LE(label->sizeHint().width(), geometry.width()) << control->Item().text;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_LE(button->sizeHint().height(), geometry.height() + 2) << control->Item().text;
            if (control->Kind() != model::ControlKind::PushButton) {
                EXPECT_LE(button->sizeHint().width(), geometry.width()) << control->Item().text;
            }
        }
    }
    // Controls the template places inside a group box stay inside it.
    for (const auto& control : model.Controls()) {
        if (control->Kind() == model::ControlKind::GroupBox || control->Id() == -1) continue;
        const framework::ItemTemplate& item = control->Item();
        const QRect place = qt::MapDialogRect(units, item.x, item.y, item.cx, item.cy);
        for (const QRect& group : groups) {
            if (!group.contains(place.center())) continue;
            QWidget* widget = window.Widget(control->Id());
            const QRect geometry = widget->geometry();
            EXPECT_LE(geometry.left() + DrawnWidth(*widget), group.left() + group.width())
                << item.text << " id " << item.id;
            EXPECT_GE(geometry.left(), group.left()) << item.text << " id " << item.id;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, LayoutTest, ::testing::Values(IDD_MAIN, IDD_ABOUTBOX),
                         test_support::NameBy(DialogName));

}  // namespace
}  // namespace qt_tests
