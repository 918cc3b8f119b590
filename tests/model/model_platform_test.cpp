// The model platform: handles, modal runs (nested too), message boxes and the headless scripts.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/model_test_support.h"

namespace model_test {
namespace {

using namespace framework;

class ModelPlatformTest : public ModelFixture {};

TEST_F(ModelPlatformTest, UnknownAndStaleHandlesAreRefused) {
    auto* bogus = reinterpret_cast<Handle>(&events);
    EXPECT_EQ(platform.Send(bogus, wm::GetTextLength, 0, 0), 0);
    EXPECT_EQ(platform.Send(nullptr, bm::GetCheck, 0, 0), 0);
    EXPECT_EQ(platform.GetDlgItem(bogus, kEdit1), nullptr);
    EXPECT_FALSE(platform.EnableWindow(bogus, true));
    EXPECT_EQ(platform.SetFocus(bogus), nullptr);
    EXPECT_EQ(platform.GetParent(bogus), nullptr);

    Handle dialogHandle = nullptr, editHandle = nullptr;
    Run([&](DialogModel& dlg) {
        dialogHandle = dlg.GetHandle();
        editHandle = platform.GetDlgItem(dialogHandle, kEdit1);
        EXPECT_EQ(platform.GetParent(editHandle), dialogHandle);
        EXPECT_EQ(platform.GetDlgCtrlID(editHandle), kEdit1);
        EXPECT_EQ(platform.GetFocus(), editHandle);
        EXPECT_EQ(platform.GetDlgItem(dialogHandle, 9999), nullptr);
        const Rect client = platform.GetClientRect(dialogHandle);
        EXPECT_EQ(client.right, 300);  // 200 dialog units at 6 pixels per 4
        dlg.Click(kIdOk);
    });
    // The dialog is gone: its handles lead nowhere.
    EXPECT_EQ(platform.Send(editHandle, wm::GetTextLength, 0, 0), 0);
    EXPECT_EQ(platform.FindWindowModel(dialogHandle), nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(ModelPlatformTest, AMissingTemplateFailsTheRun) {
    TestDialog missing(events, 999);
    platform.OnModal([](DialogModel&) { ADD_FAILURE() << "no dialog should run"; });
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(platform.PendingScripts(), 1);
}

TEST_F(ModelPlatformTest, ADialogLeftOpenIsEndedAndCounted) {
    EXPECT_EQ(Run([](DialogModel& dlg) { TypeText(dlg, "1"); }), -1);
    EXPECT_EQ(dialog.DoModal(), -1);  // no script at all
    EXPECT_EQ(platform.UnfinishedDialogs(), 2);
}

TEST_F(ModelPlatformTest, EndingDuringInitSkipsTheLoop) {
    dialog.onInit = [](TestDialog& d) { d.EndDialog(7); };
    platform.OnModal([](DialogModel&) { ADD_FAILURE() << "the loop should not run"; });
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(platform.PendingScripts(), 1);
}

TEST_F(ModelPlatformTest, AScriptsExceptionLeavesNothingBehind) {
    Handle dialogHandle = nullptr;
    platform.OnModal([&](DialogModel& dlg) {
        dialogHandle = dlg.GetHandle();
        Text(dlg, 4242);  // no such control
    });
    EXPECT_THROW(dialog.DoModal(), std::invalid_argument);
    EXPECT_EQ(platform.FindWindowModel(dialogHandle), nullptr);
    EXPECT_EQ(platform.ActiveDialog(), nullptr);
}

TEST_F(ModelPlatformTest, MessageBoxDisablesItsOwnerAndTakesItsFocusMeanwhile) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    platform.AnswerMessageBoxes({2});
    int checks = 0;
    platform.WhileMessageBoxUp([&](const model::MessageBoxRecord& box) {
        ++checks;
        EXPECT_FALSE(platform.IsWindowEnabled(box.owner));
        EXPECT_EQ(platform.GetFocus(), nullptr);
    });
    Run([&](DialogModel& dlg) {
        events.clear();
        EXPECT_EQ(dialog.ShowMessageBox("No race", "Caption"), 2);
        EXPECT_EQ(dialog.ShowMessageBox("Second"), 1);  // answers run out: IDOK
        EXPECT_TRUE(dlg.AcceptsInput());
        EXPECT_EQ(Focus(dlg), kEdit1);
        dlg.Click(kIdOk);
    });
    EXPECT_EQ(checks, 2);
    ASSERT_EQ(platform.MessageBoxes().size(), 2u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "No race");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "Caption");
    EXPECT_EQ(platform.MessageBoxes()[0].type, mb::Ok);
    // The box took the focus from the field and gave it back.
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 3),
              (Events{"edit:killfocus", "command 101 512", "edit:setfocus"}));
}

TEST_F(ModelPlatformTest, NestedDialogsRunTheirOwnScriptsWhileTheOwnerWaits) {
    Events nestedEvents;
    TestDialog nested(nestedEvents, kNestedDialog);
    DialogModel* outer = nullptr;
    platform.OnModal([&](DialogModel& dlg) {
        outer = &dlg;
        dlg.Click(kCheck);
        // As the About item does: a nested modal dialog from a handler of the owner.
        EXPECT_EQ(platform.RunModalDialog(nested, kNestedDialog, dlg.GetHandle()), kIdOk);
        EXPECT_TRUE(dlg.AcceptsInput());
        EXPECT_EQ(Focus(dlg), kCheck);
        dlg.Click(kIdOk);
    });
    platform.OnModal([&](DialogModel& inner) {
        EXPECT_EQ(inner.Owner(), outer->GetHandle());
        EXPECT_FALSE(outer->AcceptsInput());
        EXPECT_FALSE(outer->Click(kIdCancel));
        EXPECT_FALSE(outer->PressKey(vk::Escape));
        EXPECT_EQ(platform.ActiveDialog(), &inner);
        EXPECT_EQ(Focus(inner), kIdOk);
        inner.PressKey(vk::Return);
    });
    EXPECT_EQ(dialog.DoModal(), kIdOk);
    ASSERT_EQ(platform.ModalRuns().size(), 2u);
    EXPECT_EQ(platform.ModalRuns()[0].templateId, kNestedDialog);
    EXPECT_EQ(platform.ModalRuns()[1].templateId, kTestDialog);
    EXPECT_EQ(platform.UnfinishedDialogs(), 0);
}

}  // namespace
}  // namespace model_test
