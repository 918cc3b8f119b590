#pragma once
// Runs the whole program (theApp, the main dialog, the About box) on the Qt front end over a
// throw-away game folder (see support/game_folder_test.h), with a script playing the user on the
// real widgets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/customizer_app.h"
#include "framework/app.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/text_box.h"
#include "resource.h"
#include "scripted_qt_platform.h"
#include "support/game_folder_test.h"

namespace qt_tests {

using test_support::GameKeys;

// A game as the program writes it when started on a fresh one: the tests start from it.
inline GameKeys ProgramKeys() {
    GameKeys keys;
    keys.multiplier = "1.10";
    keys.srace = "32";  // Gorn
    keys.hull = "8184";
    keys.hullpercentA = "1093813840";
    keys.hullpercentB = "339160380";
    keys.hullpercentC = "657950";
    keys.modSupport = "-9";
    return keys;
}

using Script = std::function<void(qt::DialogWindow&)>;

class ProgramTest : public test_support::GameFolderTest {
protected:
    void SetUp() override {
        WriteGame(ProgramKeys());
        framework::SetPlatform(&m_platform);
        m_platform.onBox = [this](QMessageBox& box) {
            m_boxes.push_back({box.windowTitle().toStdString(), box.text().toStdString()});
            if (m_onBox) {
                m_onBox(box);
            } else {
                QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
            }
        };
        m_platform.onTextBox = [this](qt::TextBox& box) {
            m_boxes.push_back({box.windowTitle().toStdString(), box.Text().toStdString()});
            if (m_onTextBox) m_onTextBox(box);
            if (box.isVisible()) QTest::mouseClick(box.OkButton(), Qt::LeftButton);
        };
    }

    void TearDown() override { framework::SetPlatform(nullptr); }

    // Runs the program: `main` plays the user in the main dialog, `about` in each About box.
    // A script that leaves its dialog open fails the test, and the dialog is ended for it.
    void RunProgram(Script main, Script about = {}) {
        // Naming the application object links it in; it is the one RunApplication runs.
        ASSERT_EQ(AfxGetApp(), &theApp);
        m_platform.onShown = [this, main, about](qt::DialogWindow& window) {
            const bool isAbout = window.Model().Template().id == IDD_ABOUTBOX;
            ++(isAbout ? m_aboutRuns : m_mainRuns);
            const Script& script = isAbout ? about : main;
            if (script) script(window);
            if (!window.Model().Ended()) {
                ADD_FAILURE() << "the script left dialog " << window.Model().Template().id
                              << " open";
                window.Model().End(-1);
            }
            if (!isAbout) m_result = window.Model().Result();
        };
        EXPECT_EQ(framework::RunApplication(), 0);
        m_platform.onShown = {};
    }

    // ---- Playing the user on the widgets

    static QWidget* W(qt::DialogWindow& window, int id) {
        QWidget* widget = window.Widget(id);
        EXPECT_NE(widget, nullptr) << "no widget for control " << id;
        return widget;
    }
    // Where the keyboard goes: the widget Qt gave the focus to.
    static QWidget* KeyTarget(qt::DialogWindow& window) {
        QWidget* focus = window.focusWidget();
        return focus != nullptr ? focus : &window;
    }
    static void Key(qt::DialogWindow& window, Qt::Key key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(window), key, modifiers);
    }
    static void Type(qt::DialogWindow& window, const char* text) {
        QTest::keyClicks(KeyTarget(window), QString::fromLatin1(text));
    }
    static void Click(qt::DialogWindow& window, int id) {
        QWidget* widget = W(window, id);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    }
    static QString EditText(qt::DialogWindow& window, int id) {
        auto* edit = qobject_cast<QLineEdit*>(W(window, id));
        return edit != nullptr ? edit->text() : QStringLiteral("<not an edit>");
    }
    static bool Checked(qt::DialogWindow& window, int id) {
        auto* button = qobject_cast<QAbstractButton*>(W(window, id));
        return button != nullptr && button->isChecked();
    }
    // The list a drop-down list shows while the model says it is dropped.
    static QListWidget* DroppedList(qt::DialogWindow& window, int id) {
        return W(window, id)->findChild<QListWidget*>(QStringLiteral("droppedList"));
    }
    static bool HasFocus(qt::DialogWindow& window, int id) {
        return window.focusWidget() == window.Widget(id);
    }

    // Right-clicks `widget` at `pos` and, once its menu is up, picks the item whose text is
    // `item` (the menu's texts are handed to `seen`). The menu is closed should the item be
    // missing.
    static void RightClickMenu(QWidget* widget, QPoint pos, const QString& item,
                               QStringList* seen = nullptr) {
        QTimer::singleShot(0, [item, seen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            QAction* wanted = nullptr;
            for (QAction* action : menu->actions()) {
                if (seen != nullptr) {
                    seen->append(action->isSeparator() ? QStringLiteral("-") : action->text());
                }
                if (action->text() == item && action->isEnabled()) wanted = action;
            }
            if (wanted == nullptr) {
                menu->close();
                return;
            }
            // Chosen with the keys: Qt 6.8 closes an offscreen popup on a synthetic click inside
            // it (a real click, under X, picks the item as before).
            menu->setActiveAction(wanted);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::mouseClick(widget, Qt::RightButton, Qt::NoModifier, pos);
    }

    ScriptedQtPlatform m_platform;
    struct Box {
        std::string caption;
        std::string text;
    };
    std::vector<Box> m_boxes;
    std::function<void(QMessageBox&)> m_onBox;
    std::function<void(qt::TextBox&)> m_onTextBox;
    int m_mainRuns = 0;
    int m_aboutRuns = 0;
    INT_PTR m_result = 0;
};

}  // namespace qt_tests
