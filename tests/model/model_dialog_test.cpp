// The dialog manager of the model: focus, Tab order, default button, Enter/Escape, clicks,
// subclassing, the system menu and painting.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/model_test_support.h"

namespace model_test {
namespace {

using namespace framework;
using model::Modifiers;

class DialogModelTest : public ModelFixture {};

TEST_F(DialogModelTest, InitialFocusGoesToTheFirstTabStopWithItsTextSelected) {
    dialog.onInit = [](TestDialog& d) { SetItemText(d, kEdit1, "abc"); };
    Run([&](DialogModel& dlg) {
        EXPECT_EQ(Focus(dlg), kEdit1);
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 3}));
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, FalseFromInitLeavesTheFocusWhereTheHandlerPutIt) {
    dialog.initResult = FALSE;
    dialog.onInit = [](TestDialog& d) {
        SetItemText(d, kEdit2, "abc");
        GetPlatform().SetFocus(d.GetDlgItem(kEdit2));
    };
    Run([&](DialogModel& dlg) {
        EXPECT_EQ(Focus(dlg), kEdit2);
        EXPECT_EQ(Selection(dlg, kEdit2), (std::pair{0, 0}));  // a plain SetFocus selects nothing
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, TabVisitsEnabledTabStopsInTemplateOrderAndWraps) {
    dialog.onInit = [](TestDialog& d) { SetItemText(d, kEdit2, "xy"); };
    Run([&](DialogModel& dlg) {
        std::vector<int> forward;
        for (int i = 0; i < 10; ++i) {
            dlg.PressKey(vk::Tab);
            forward.push_back(Focus(dlg));
        }
        // The disabled box, the unchecked radios, the group box, the statics and the box
        // without WS_TABSTOP are skipped.
        EXPECT_EQ(forward,
                  (std::vector<int>{kEdit2, kCheck, kSortedCombo, kPlainCombo, kSlider,
                                    kReadOnlyEdit, kIdCancel, kOtherButton, kIdOk, kEdit1}));
        dlg.PressKey(vk::Tab, {.shift = true});
        EXPECT_EQ(Focus(dlg), kIdOk);
        dlg.PressKey(vk::Tab);
        dlg.PressKey(vk::Tab);
        EXPECT_EQ(Selection(dlg, kEdit2), (std::pair{0, 2}));  // tabbing in selects the text

        // A checked radio is its group's tab stop; a newly enabled box is one again.
        SendTo(dlg, kRadio2, bm::SetCheck, 1);
        GetPlatform().EnableWindow(dlg.Control(kDisabledCheck)->GetHandle(), true);
        dlg.PressKey(vk::Tab);
        dlg.PressKey(vk::Tab);
        EXPECT_EQ(Focus(dlg), kDisabledCheck);
        dlg.PressKey(vk::Tab);
        EXPECT_EQ(Focus(dlg), kRadio2);
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, ArrowsWalkTheGroupOfAControlThatDoesNotWantThem) {
    dialog.onInit = [](TestDialog& d) { SetItemText(d, kEdit1, "12"); };
    Run([&](DialogModel& dlg) {
        // The check box's group: the label that starts it, the box, the disabled box (skipped).
        dlg.Click(kCheck);
        dlg.PressKey(vk::Right);
        EXPECT_EQ(Focus(dlg), -1);  // the label takes the focus
        EXPECT_EQ(dlg.FocusControl()->Kind(), model::ControlKind::Static);
        dlg.PressKey(vk::Down);
        EXPECT_EQ(Focus(dlg), kCheck);
        dlg.PressKey(vk::Up);
        dlg.PressKey(vk::Tab);  // Tab goes on from the label
        EXPECT_EQ(Focus(dlg), kCheck);
        EXPECT_EQ(Check(dlg, kCheck), 1u);

        // The controls before the first WS_GROUP continue the last group, so Right from the
        // last control reaches the first edit, whose text is selected as Tab would.
        dlg.Click(kNoTabCheck);
        dlg.PressKey(vk::Right);
        EXPECT_EQ(Focus(dlg), kEdit1);
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 2}));
        // A push button moves on too, and the default frame follows the focus.
        dlg.Click(kOtherButton);
        dlg.PressKey(vk::Left);
        EXPECT_EQ(Focus(dlg), kIdCancel);
        EXPECT_EQ(DefaultButtonId(dlg), kIdCancel);
        dlg.PressKey(vk::Left);
        EXPECT_EQ(Focus(dlg), kReadOnlyEdit);
        EXPECT_EQ(DefaultButtonId(dlg), kIdOk);
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, EnterPressesTheDefaultButtonWithoutMovingTheFocus) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    EXPECT_EQ(Run([&](DialogModel& dlg) {
                  TypeText(dlg, "742");
                  events.clear();
                  dlg.PressKey(vk::Return);
              }),
              kIdOk);
    // The focus stays in the field: it loses it only when the dialog goes away.
    EXPECT_EQ(events, (Events{"command 1 0", "edit:killfocus", "command 101 512"}));
}

TEST_F(DialogModelTest, AFocusedPushButtonIsTheDefaultUntilTheFocusLeavesThem) {
    Run([&](DialogModel& dlg) {
        EXPECT_EQ(DefaultButtonId(dlg), kIdOk);
        EXPECT_TRUE(Button(dlg, kIdOk).IsDefault());
        dlg.PressKey(vk::Tab, {.shift = true});
        dlg.PressKey(vk::Tab, {.shift = true});
        ASSERT_EQ(Focus(dlg), kOtherButton);
        EXPECT_TRUE(Button(dlg, kOtherButton).IsDefault());
        EXPECT_FALSE(Button(dlg, kIdOk).IsDefault());
        events.clear();
        dlg.PressKey(vk::Return);
        EXPECT_EQ(events, (Events{"command 601 0"}));
        dlg.PressKey(vk::Tab);
        dlg.PressKey(vk::Tab);
        EXPECT_EQ(Focus(dlg), kEdit1);
        EXPECT_TRUE(Button(dlg, kIdOk).IsDefault());
        EXPECT_FALSE(Button(dlg, kOtherButton).IsDefault());
        // A disabled default button makes Enter do nothing.
        GetPlatform().EnableWindow(dlg.Control(kIdOk)->GetHandle(), false);
        events.clear();
        dlg.PressKey(vk::Return);
        EXPECT_TRUE(events.empty());
        dlg.PressKey(vk::Escape);
    });
}

TEST_F(DialogModelTest, EscapeTheCloseBoxAndAltF4Cancel) {
    EXPECT_EQ(Run([](DialogModel& dlg) { dlg.PressKey(vk::Escape); }), kIdCancel);
    EXPECT_EQ(Run([](DialogModel& dlg) { dlg.CloseBox(); }), kIdCancel);
    EXPECT_EQ(Run([](DialogModel& dlg) { dlg.PressKey(vk::F4, {.alt = true}); }), kIdCancel);
    std::erase_if(events, [](const std::string& e) { return e.starts_with("command 101"); });
    EXPECT_EQ(events, (Events{"command 2 0", "syscommand 61536", "command 2 0", "syscommand 61536",
                              "command 2 0"}));
    // With Cancel disabled the close box does nothing.
    dialog.onInit = [](TestDialog& d) { EnableItem(d, kIdCancel, false); };
    EXPECT_EQ(Run([](DialogModel& dlg) {
                  dlg.CloseBox();
                  EXPECT_FALSE(dlg.Ended());
                  dlg.Click(kIdOk);
              }),
              kIdOk);
    EXPECT_EQ(platform.UnfinishedDialogs(), 0);
}

TEST_F(DialogModelTest, AClickTakesTheFocusBeforeTheCommand) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    Run([&](DialogModel& dlg) {
        TypeText(dlg, "5");
        events.clear();
        dlg.Click(kCheck);
        EXPECT_EQ(events, (Events{"edit:killfocus", "command 101 512", "command 201 0"}));
        EXPECT_EQ(Focus(dlg), kCheck);
        EXPECT_EQ(Check(dlg, kCheck), 1u);
        // A disabled control takes no click.
        events.clear();
        EXPECT_FALSE(dlg.Click(kDisabledCheck));
        EXPECT_EQ(Check(dlg, kDisabledCheck), 0u);
        EXPECT_EQ(Focus(dlg), kCheck);
        EXPECT_TRUE(events.empty());
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, ASubclassSeesCharactersFirstAndMayDropThem) {
    SpyControl edit(events, "edit");
    edit.dropChar = [](UINT ch) { return !(ch >= '0' && ch <= '9') && ch != 8; };
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    Run([&](DialogModel& dlg) {
        TypeText(dlg, "4a-2");
        dlg.PressKey(vk::Back);
        dlg.PressKey('V', {.ctrl = true});  // 0x16 dropped: no paste
        EXPECT_EQ(Text(dlg, kEdit1), "4");
        EXPECT_EQ(std::count(events.begin(), events.end(), "edit:paste"), 0);
        // The context menu's paste is no character: nothing filters it.
        dlg.SetClipboardText("x9");
        dlg.ContextMenuCommand(kEdit1, wm::Paste);
        EXPECT_EQ(Text(dlg, kEdit1), "4x9");
        EXPECT_EQ(std::count(events.begin(), events.end(), "edit:paste"), 1);
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, DisablingTheFocusedControlTakesItsFocus) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    Run([&](DialogModel& dlg) {
        events.clear();
        EXPECT_FALSE(GetPlatform().EnableWindow(dlg.Control(kEdit1)->GetHandle(), false));
        EXPECT_EQ(Focus(dlg), 0);
        EXPECT_EQ(events.front(), "edit:killfocus");
        EXPECT_EQ(GetPlatform().SetFocus(dlg.Control(kEdit1)->GetHandle()), nullptr);
        EXPECT_EQ(Focus(dlg), 0);
        dlg.PressKey(vk::Tab);  // from nowhere to the first tab stop
        EXPECT_EQ(Focus(dlg), kEdit2);
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, SystemMenuHelpAndIcons) {
    Run([&](DialogModel& dlg) {
        Platform& p = GetPlatform();
        ASSERT_TRUE(p.HasSystemMenu(dlg.GetHandle()));
        p.AppendSystemMenuItem(dlg.GetHandle(), mf::Separator, 0, "");
        p.AppendSystemMenuItem(dlg.GetHandle(), mf::String, 0x10, "&About...");
        EXPECT_EQ(dlg.SystemMenu().back().text, "&About...");
        events.clear();
        EXPECT_TRUE(dlg.SystemMenuCommand(0x13));
        dlg.PressKey(vk::F1);
        EXPECT_EQ(events, (Events{"syscommand 19", "command 57670 0"}));

        const IconHandle icon = p.LoadAppIcon(128);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(p.LoadAppIcon(128), icon);
        p.Send(dlg.GetHandle(), wm::SetIcon, icon::Big, reinterpret_cast<LPARAM>(icon));
        EXPECT_EQ(dlg.Icon(true), icon);
        EXPECT_EQ(dlg.Icon(false), nullptr);
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, MinimisedPaintingAndFocusComingBack) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) {
        edit.SubclassDlgItem(kEdit1, &d);
        d.icon = GetPlatform().LoadAppIcon(128);
    };
    Run([&](DialogModel& dlg) {
        Paint(dlg);
        events.clear();
        dlg.Minimize(true);
        EXPECT_TRUE(GetPlatform().IsIconic(dlg.GetHandle()));
        EXPECT_EQ(Focus(dlg), 0);
        EXPECT_FALSE(dlg.PressKey(vk::Tab));  // no input while minimised
        ASSERT_EQ(PaintLog(dlg).size(), 2u);
        EXPECT_TRUE(PaintLog(dlg)[0].defaultPaint);
        EXPECT_EQ(PaintLog(dlg)[1].x, 3);
        EXPECT_EQ(PaintLog(dlg)[1].icon, dialog.icon);
        dlg.SystemMenuCommand(sc::Restore);
        EXPECT_FALSE(dlg.IsMinimized());
        EXPECT_EQ(Focus(dlg), kEdit1);
        EXPECT_EQ(events, (Events{"edit:killfocus", "command 101 512", "syscommand 61728",
                                  "edit:setfocus", "command 101 256"}));
        dlg.Click(kIdOk);
    });
}

TEST_F(DialogModelTest, ObserversHearOfEveryChange) {
    Run([&](DialogModel& dlg) {
        int editChanges = 0, dialogChanges = 0;
        dlg.Control(kEdit1)->SetObserver([&](model::ControlModel&) { ++editChanges; });
        dlg.SetObserver([&](DialogModel&) { ++dialogChanges; });
        dlg.TypeChar('1');
        EXPECT_GT(editChanges, 0);
        const int afterTyping = editChanges;
        dlg.PressKey(vk::Tab);
        EXPECT_GT(editChanges, afterTyping);  // it lost the focus
        EXPECT_GT(dialogChanges, 0);
        dlg.Control(kEdit1)->SetObserver(nullptr);
        dlg.SetObserver(nullptr);
        dlg.Click(kIdOk);
    });
}

}  // namespace
}  // namespace model_test
