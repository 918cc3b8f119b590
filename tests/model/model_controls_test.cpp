// The control rules of the model: edits, buttons, combo boxes and trackbars as the program
// drives them by message and the user drives them by keyboard and mouse.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/model_test_support.h"

namespace model_test {
namespace {

using namespace framework;
using model::Modifiers;

// ---- Edit

class EditModelTest : public ModelFixture {};

TEST_F(EditModelTest, LimitAppliesToTypingAndPasteButNotToSetText) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kEdit1, em::LimitText, 3);
        dlg.Click(kEdit1);
        events.clear();
        TypeText(dlg, "12345");
        EXPECT_EQ(Text(dlg, kEdit1), "123");
        EXPECT_EQ(std::count(events.begin(), events.end(), "command 101 1281"), 2);  // EN_MAXTEXT

        SendTo(dlg, kEdit1, wm::SetText, 0, Str("0123456789"));
        EXPECT_EQ(Text(dlg, kEdit1), "0123456789");
        EXPECT_EQ(SendTo(dlg, kEdit1, em::GetLimitText), 3);

        SendTo(dlg, kEdit1, wm::SetText, 0, Str(""));
        model::SetClipboardText("abcdef\r\nsecond line");
        dlg.ContextMenuCommand(kEdit1, wm::Paste);
        EXPECT_EQ(Text(dlg, kEdit1), "abc");
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, ReplaceSelIsCutToFitAndTypingReplacesTheSelection) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kEdit1, em::LimitText, 5);
        SendTo(dlg, kEdit1, wm::SetText, 0, Str("ab"));
        SendTo(dlg, kEdit1, em::SetSel, 2, 2);
        SendTo(dlg, kEdit1, em::ReplaceSel, TRUE, Str("123456"));
        EXPECT_EQ(Text(dlg, kEdit1), "ab123");

        // At the limit a typed character only goes in over a selection.
        dlg.Click(kEdit1);
        dlg.TypeChar('x');
        EXPECT_EQ(Text(dlg, kEdit1), "ab123");
        dlg.SelectText(kEdit1, 1, 3);
        dlg.TypeChar('x');
        EXPECT_EQ(Text(dlg, kEdit1), "ax23");
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{2, 2}));
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, BackspaceDeleteAndCaretKeys) {
    Run([&](DialogModel& dlg) {
        dlg.Click(kEdit1);
        TypeText(dlg, "hello");
        dlg.PressKey(vk::Back);
        EXPECT_EQ(Text(dlg, kEdit1), "hell");
        dlg.PressKey(vk::Home);
        dlg.PressKey(vk::Back);  // nothing before the caret
        dlg.PressKey(vk::Delete);
        EXPECT_EQ(Text(dlg, kEdit1), "ell");
        dlg.PressKey(vk::Right, {.shift = true});
        dlg.PressKey(vk::Right, {.shift = true});
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 2}));
        dlg.PressKey(vk::Back);
        EXPECT_EQ(Text(dlg, kEdit1), "l");
        dlg.PressKey(vk::End);
        dlg.PressKey(vk::Left, {.shift = true});
        dlg.PressKey(vk::Delete);
        EXPECT_EQ(Text(dlg, kEdit1), "");
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, ClipboardShortcutsAndSingleLevelUndo) {
    Run([&](DialogModel& dlg) {
        dlg.Click(kEdit1);
        TypeText(dlg, "abc");
        dlg.PressKey('A', {.ctrl = true});
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 3}));
        dlg.PressKey('C', {.ctrl = true});
        EXPECT_EQ(model::ClipboardText(), "abc");
        dlg.PressKey(vk::End);
        dlg.PressKey('V', {.ctrl = true});
        EXPECT_EQ(Text(dlg, kEdit1), "abcabc");
        dlg.PressKey('Z', {.ctrl = true});
        EXPECT_EQ(Text(dlg, kEdit1), "abc");
        dlg.PressKey('Z', {.ctrl = true});  // undo of the undo
        EXPECT_EQ(Text(dlg, kEdit1), "abcabc");
        dlg.PressKey('A', {.ctrl = true});
        dlg.PressKey('X', {.ctrl = true});
        EXPECT_EQ(Text(dlg, kEdit1), "");
        EXPECT_EQ(model::ClipboardText(), "abcabc");

        // A run of typing is one undo step; WM_SETTEXT forgets it.
        TypeText(dlg, "xyz");
        dlg.PressKey('Z', {.ctrl = true});
        EXPECT_EQ(Text(dlg, kEdit1), "");
        SendTo(dlg, kEdit1, wm::SetText, 0, Str("set"));
        EXPECT_FALSE(Edit(dlg, kEdit1).CanUndo());
        EXPECT_EQ(SendTo(dlg, kEdit1, wm::Undo), FALSE);
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, ReadOnlyEditRefusesTheUserButNotTheProgram) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kReadOnlyEdit, wm::SetText, 0, Str("1.1"));
        dlg.Click(kReadOnlyEdit);
        TypeText(dlg, "9");
        dlg.PressKey(vk::Back);
        model::SetClipboardText("x");
        dlg.ContextMenuCommand(kReadOnlyEdit, wm::Paste);
        EXPECT_EQ(Text(dlg, kReadOnlyEdit), "1.1");
        SendTo(dlg, kReadOnlyEdit, em::SetSel, 0, -1);
        dlg.PressKey('C', {.ctrl = true});
        EXPECT_EQ(model::ClipboardText(), "1.1");
        SendTo(dlg, kReadOnlyEdit, em::ReplaceSel, FALSE, Str("2"));
        EXPECT_EQ(Text(dlg, kReadOnlyEdit), "2");
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, ContextMenuEnablesWhatWouldDoSomething) {
    // Enabled states in menu order: Undo, Cut, Copy, Paste, Delete, Select All.
    const auto states = [](const model::EditModel& edit) {
        std::string shown;
        for (const model::EditMenuItem& item : edit.ContextMenu()) {
            if (item.command != 0) shown += item.enabled ? '1' : '0';
        }
        return shown;
    };
    Run([&](DialogModel& dlg) {
        auto& edit = Edit(dlg, kEdit1);
        std::vector<std::string> texts;
        for (const auto& item : edit.ContextMenu()) texts.emplace_back(item.text);
        EXPECT_EQ(texts, (std::vector<std::string>{"&Undo", "", "Cu&t", "&Copy", "&Paste",
                                                   "&Delete", "", "Select &All"}));
        model::SetClipboardText("");
        EXPECT_EQ(states(edit), "000000");  // empty text, empty clipboard
        dlg.Click(kEdit1);
        TypeText(dlg, "ab");
        EXPECT_EQ(states(edit), "100001");
        model::SetClipboardText("x");
        dlg.SelectText(kEdit1, 0, 1);
        EXPECT_EQ(states(edit), "111111");
        dlg.ContextMenuCommand(kEdit1, em::SetSel);  // Select All
        EXPECT_EQ(states(edit), "111110");
        // Read-only: only Copy and Select All.
        SendTo(dlg, kReadOnlyEdit, wm::SetText, 0, Str("1.1"));
        dlg.SelectText(kReadOnlyEdit, 0, 2);
        EXPECT_EQ(states(Edit(dlg, kReadOnlyEdit)), "001001");
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, DoubleClickWordIsTheRunOfNonBlanks) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kEdit1, wm::SetText, 0, Str("ab c\td  e"));
        const auto& edit = Edit(dlg, kEdit1);
        EXPECT_EQ(edit.WordAt(1), (std::pair{0, 2}));
        EXPECT_EQ(edit.WordAt(2), (std::pair{0, 2}));  // just after a word
        EXPECT_EQ(edit.WordAt(4), (std::pair{3, 4}));  // a tab ends it
        EXPECT_EQ(edit.WordAt(7), (std::pair{7, 7}));  // between two blanks
        EXPECT_EQ(edit.WordAt(99), (std::pair{8, 9}));
        EXPECT_EQ(edit.WordAt(-3), (std::pair{0, 2}));
        dlg.Click(kIdOk);
    });
}

TEST_F(EditModelTest, TextAndSelectionMessages) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kEdit1, wm::SetText, 0, Str("hello"));
        EXPECT_EQ(SendTo(dlg, kEdit1, wm::GetTextLength), 5);
        char buffer[4] = {'?', '?', '?', '?'};
        EXPECT_EQ(SendTo(dlg, kEdit1, wm::GetText, 3, Str(buffer)), 2);
        EXPECT_STREQ(buffer, "he");
        EXPECT_EQ(SendTo(dlg, kEdit1, wm::GetText, 0, Str(buffer)), 0);  // buffer untouched
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 0}));            // SetText: caret at 0

        SendTo(dlg, kEdit1, em::SetSel, 0, -1);
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{0, 5}));
        SendTo(dlg, kEdit1, em::SetSel, 4, 1);
        std::uint32_t start = 0, end = 0;
        const LRESULT packed = SendTo(dlg, kEdit1, em::GetSel, reinterpret_cast<WPARAM>(&start),
                                      reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 1u);
        EXPECT_EQ(end, 4u);
        EXPECT_EQ(packed, 1 | (4 << 16));
        SendTo(dlg, kEdit1, em::SetSel, static_cast<WPARAM>(-1), 0);  // deselect, caret stays
        EXPECT_EQ(Selection(dlg, kEdit1), (std::pair{1, 1}));
        dlg.Click(kIdOk);
    });
}

// ---- Buttons

class ButtonModelTest : public ModelFixture {};

TEST_F(ButtonModelTest, SetCheckCapsTwoStateBoxesAndIgnoresPushButtons) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kCheck, bm::SetCheck, 2);
        EXPECT_EQ(SendTo(dlg, kCheck, bm::GetCheck), 1);
        SendTo(dlg, kCheck, bm::SetCheck, 5);
        EXPECT_EQ(Check(dlg, kCheck), 1u);
        SendTo(dlg, kIdOk, bm::SetCheck, 1);
        EXPECT_EQ(Check(dlg, kIdOk), 0u);
        dlg.Click(kIdOk);
    });
}

TEST_F(ButtonModelTest, RadioTabStopFollowsItsCheck) {
    Run([&](DialogModel& dlg) {
        ASSERT_FALSE(dlg.Control(kRadio2)->IsTabStop());
        // As CheckRadioButton does: every button of the range gets BM_SETCHECK.
        SendTo(dlg, kRadio1, bm::SetCheck, 0);
        SendTo(dlg, kRadio2, bm::SetCheck, 1);
        SendTo(dlg, kRadio3, bm::SetCheck, 0);
        EXPECT_TRUE(dlg.Control(kRadio2)->IsTabStop());
        EXPECT_FALSE(dlg.Control(kRadio1)->IsTabStop());
        // BM_SETCHECK alone leaves the others checked.
        SendTo(dlg, kRadio3, bm::SetCheck, 1);
        EXPECT_EQ(Check(dlg, kRadio2), 1u);
        // A click checks one and unchecks the rest, tab stops following.
        dlg.Click(kRadio1);
        EXPECT_EQ(Check(dlg, kRadio1), 1u);
        EXPECT_EQ(Check(dlg, kRadio2), 0u);
        EXPECT_EQ(Check(dlg, kRadio3), 0u);
        EXPECT_TRUE(dlg.Control(kRadio1)->IsTabStop());
        EXPECT_FALSE(dlg.Control(kRadio3)->IsTabStop());
        dlg.Click(kIdOk);
    });
}

TEST_F(ButtonModelTest, SpaceTogglesAFocusedCheckBoxAndArrowsWalkTheRadioGroup) {
    Run([&](DialogModel& dlg) {
        dlg.Click(kCheck);
        EXPECT_EQ(Check(dlg, kCheck), 1u);
        events.clear();
        dlg.PressKey(vk::Space);
        EXPECT_EQ(Check(dlg, kCheck), 0u);
        EXPECT_EQ(events, (Events{"command 201 0"}));

        dlg.Click(kRadio1);
        dlg.PressKey(vk::Down);
        EXPECT_EQ(Focus(dlg), kRadio2);
        EXPECT_EQ(Check(dlg, kRadio2), 1u);
        EXPECT_EQ(Check(dlg, kRadio1), 0u);
        dlg.PressKey(vk::Up);
        dlg.PressKey(vk::Up);  // the group box heads the group and takes the focus too
        EXPECT_EQ(Focus(dlg), -1);
        EXPECT_EQ(Check(dlg, kRadio1), 1u);
        dlg.PressKey(vk::Up);  // wraps within the group
        EXPECT_EQ(Focus(dlg), kRadio3);
        EXPECT_EQ(Check(dlg, kRadio3), 1u);
        dlg.Click(kIdOk);
    });
}

// ---- Combo boxes

class ComboModelTest : public ModelFixture {};

TEST_F(ComboModelTest, SortedListOrdersLikeTheSystem) {
    Run([&](DialogModel& dlg) {
        for (const char* text : {"Single", "Mixed"}) {
            SendTo(dlg, kSortedCombo, cb::AddString, 0, Str(text));
        }
        EXPECT_EQ(ComboItems(dlg, kSortedCombo), (std::vector<std::string>{"Mixed", "Single"}));
        SendTo(dlg, kSortedCombo, cb::ResetContent);
        for (const char* text : {"normal", "Hard", "9", "banana", "_x", "Apple", "10", "Easy",
                                 "Harder", "cherry", "Banana", "apple"}) {
            SendTo(dlg, kSortedCombo, cb::AddString, 0, Str(text));
        }
        // A string equal but for case goes before the one already there.
        EXPECT_EQ(ComboItems(dlg, kSortedCombo),
                  (std::vector<std::string>{"_x", "10", "9", "apple", "Apple", "Banana", "banana",
                                            "cherry", "Easy", "Hard", "Harder", "normal"}));
        // The unsorted list keeps the order of adding.
        EXPECT_EQ(SendTo(dlg, kPlainCombo, cb::AddString, 0, Str("Captain")), 0);
        EXPECT_EQ(SendTo(dlg, kPlainCombo, cb::AddString, 0, Str("Admiral")), 1);
        dlg.Click(kIdOk);
    });
}

TEST_F(ComboModelTest, SelectStringMatchesPrefixesFromTheTop) {
    Run([&](DialogModel& dlg) {
        for (const char* text : {"Easy", "Hard", "Harder"}) {
            SendTo(dlg, kSortedCombo, cb::AddString, 0, Str(text));
        }
        const auto minusOne = static_cast<WPARAM>(-1);
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, minusOne, Str("har")), 1);
        EXPECT_EQ(Text(dlg, kSortedCombo), "Hard");
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, minusOne, Str("HARDE")), 2);
        // No match and the empty text leave the selection alone.
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, minusOne, Str("x")), cb::Err);
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, minusOne, Str("")), cb::Err);
        EXPECT_EQ(ComboSelection(dlg, kSortedCombo), 2);
        // From a start index the search begins after it and wraps.
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, 1, Str("h")), 2);
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SelectString, 2, Str("h")), 1);
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::FindStringExact, minusOne, Str("hard")), 1);
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::FindStringExact, minusOne, Str("har")), cb::Err);

        char buffer[16] = {};
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::GetLBText, 2, Str(buffer)), 6);
        EXPECT_STREQ(buffer, "Harder");
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::GetLBTextLen, 3), cb::Err);
        // A drop list keeps no text of its own.
        EXPECT_EQ(SendTo(dlg, kSortedCombo, wm::SetText, 0, Str("Easy")), cb::Err);
        EXPECT_EQ(Text(dlg, kSortedCombo), "Hard");
        EXPECT_EQ(SendTo(dlg, kSortedCombo, cb::SetCurSel, 3), cb::Err);
        EXPECT_EQ(ComboSelection(dlg, kSortedCombo), -1);
        EXPECT_EQ(Text(dlg, kSortedCombo), "");
        dlg.Click(kIdOk);
    });
}

TEST_F(ComboModelTest, PickingAnItemTakesTheFocusThenNotifies) {
    SpyControl edit(events, "edit");
    dialog.onInit = [&](TestDialog& d) { edit.SubclassDlgItem(kEdit1, &d); };
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kPlainCombo, cb::AddString, 0, Str("Captain"));
        SendTo(dlg, kPlainCombo, cb::AddString, 0, Str("Commodore"));
        dlg.Click(kEdit1);
        events.clear();
        EXPECT_TRUE(dlg.SelectComboItem(kPlainCombo, 1));
        EXPECT_EQ(events,
                  (Events{"edit:killfocus", "command 101 512", "command 402 3", "command 402 7",
                          "command 402 1", "command 402 9", "command 402 8"}));
        EXPECT_EQ(Text(dlg, kPlainCombo), "Commodore");
        EXPECT_FALSE(dlg.SelectComboItem(kPlainCombo, 2));
        // From a list dropped already, the pick only selects and closes it.
        dlg.PressKey(vk::F4);
        events.clear();
        EXPECT_TRUE(dlg.SelectComboItem(kPlainCombo, 0));
        EXPECT_EQ(events, (Events{"command 402 1", "command 402 9", "command 402 8"}));
        EXPECT_FALSE(Combo(dlg, kPlainCombo).IsDropped());
        dlg.PressKey(vk::Down);
        // Keys move the selection of the focused list.
        events.clear();
        dlg.PressKey(vk::Up);
        dlg.PressKey(vk::Up);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), 0);
        EXPECT_EQ(events, (Events{"command 402 1"}));
        dlg.Click(kIdOk);
    });
}

TEST_F(ComboModelTest, ClosedListKeysMoveTheSelection) {
    Run([&](DialogModel& dlg) {
        for (const char* text : {"Captain", "Commodore", "Admiral", "Cadet", "Ensign", "Major"}) {
            SendTo(dlg, kPlainCombo, cb::AddString, 0, Str(text));
        }
        dlg.SelectComboItem(kPlainCombo, 0);
        events.clear();
        // Right and Left are Down and Up; nothing moves past the ends.
        dlg.PressKey(vk::Right);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), 1);
        dlg.PressKey(vk::Left);
        dlg.PressKey(vk::Left);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), 0);
        EXPECT_EQ(events, (Events{"command 402 1", "command 402 1"}));
        // A page is the items the dropped list shows (three here), less one.
        const int page = 3;
        dlg.PressKey(vk::Next);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), page - 1);
        dlg.PressKey(vk::Next);
        dlg.PressKey(vk::Next);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), 5);
        dlg.PressKey(vk::Prior);
        EXPECT_EQ(ComboSelection(dlg, kPlainCombo), 5 - page + 1);
        dlg.PressKey(vk::Home);
        EXPECT_EQ(Text(dlg, kPlainCombo), "Captain");
        dlg.PressKey(vk::End);
        EXPECT_EQ(Text(dlg, kPlainCombo), "Major");
        // A letter selects the next item starting with it, wrapping.
        dlg.PressKey('C');
        EXPECT_EQ(Text(dlg, kPlainCombo), "Captain");
        dlg.PressKey('C');
        dlg.PressKey('C');
        EXPECT_EQ(Text(dlg, kPlainCombo), "Cadet");
        dlg.PressKey('X');
        EXPECT_EQ(Text(dlg, kPlainCombo), "Cadet");
        EXPECT_FALSE(Combo(dlg, kPlainCombo).IsDropped());
        dlg.Click(kIdOk);
    });
}

TEST_F(ComboModelTest, DroppedListTakesTheKeysAndEnterOrEscapeCloseIt) {
    Run([&](DialogModel& dlg) {
        for (const char* text : {"Captain", "Commodore", "Admiral"}) {
            SendTo(dlg, kPlainCombo, cb::AddString, 0, Str(text));
        }
        dlg.SelectComboItem(kPlainCombo, 0);
        auto& combo = Combo(dlg, kPlainCombo);
        events.clear();
        dlg.PressKey(vk::F4);
        EXPECT_TRUE(combo.IsDropped());
        dlg.PressKey(vk::Down);
        dlg.PressKey('A');
        EXPECT_EQ(Text(dlg, kPlainCombo), "Admiral");
        // Enter closes the list; the dialog's default button is not pressed.
        dlg.PressKey(vk::Return);
        EXPECT_FALSE(combo.IsDropped());
        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(events, (Events{"command 402 7", "command 402 1", "command 402 1",
                                  "command 402 9", "command 402 8"}));

        events.clear();
        dlg.PressKey(vk::Down, Modifiers{false, false, true});
        EXPECT_TRUE(combo.IsDropped());
        dlg.PressKey(vk::Home);
        // Escape closes it, keeping the selection, and does not cancel the dialog.
        dlg.PressKey(vk::Escape);
        EXPECT_FALSE(combo.IsDropped());
        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(Text(dlg, kPlainCombo), "Captain");
        EXPECT_EQ(events,
                  (Events{"command 402 7", "command 402 1", "command 402 10", "command 402 8"}));
        // Alt+Up and F4 close it too; Tab closes it on the way to the next control.
        dlg.PressKey(vk::Up, Modifiers{false, false, true});
        EXPECT_TRUE(combo.IsDropped());
        dlg.PressKey(vk::Up, Modifiers{false, false, true});
        EXPECT_FALSE(combo.IsDropped());
        dlg.PressKey(vk::F4);
        dlg.PressKey(vk::Tab);
        EXPECT_FALSE(combo.IsDropped());
        EXPECT_EQ(Focus(dlg), kSlider);
        // With the list closed, Enter is the dialog's again.
        dlg.PressKey(vk::Return);
        EXPECT_TRUE(dlg.Ended());
    });
}

// ---- Trackbar

class TrackbarModelTest : public ModelFixture {};

TEST_F(TrackbarModelTest, PageSizeFollowsTheRangeUntilSet) {
    Run([&](DialogModel& dlg) {
        auto& slider = Trackbar(dlg, kSlider);
        EXPECT_EQ(slider.PageSize(), 20);
        SendTo(dlg, kSlider, tbm::SetRangeMax, FALSE, 65);
        EXPECT_EQ(slider.PageSize(), 13);
        SendTo(dlg, kSlider, tbm::SetRangeMin, FALSE, 10);
        EXPECT_EQ(slider.PageSize(), 11);
        EXPECT_EQ(SendTo(dlg, kSlider, tbm::SetPageSize, 0, 10), 11);
        SendTo(dlg, kSlider, tbm::SetRangeMin, FALSE, -50);
        SendTo(dlg, kSlider, tbm::SetRangeMax, FALSE, 200);
        EXPECT_EQ(SendTo(dlg, kSlider, tbm::GetPageSize), 10);
        SendTo(dlg, kSlider, tbm::SetPageSize, 0, -1);
        EXPECT_EQ(slider.PageSize(), 50);
        EXPECT_EQ(SendTo(dlg, kSlider, tbm::SetLineSize, 0, 2), 1);
        dlg.Click(kIdOk);
    });
}

TEST_F(TrackbarModelTest, PositionStaysWithinTheRange) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, -1);
        EXPECT_EQ(TrackPos(dlg, kSlider), 0);
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 1000);
        EXPECT_EQ(SendTo(dlg, kSlider, tbm::GetPos), 100);
        SendTo(dlg, kSlider, tbm::SetRange, FALSE, (50 << 16) | 20);
        EXPECT_EQ(TrackRange(dlg, kSlider), (std::pair{20, 50}));
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 30);
        SendTo(dlg, kSlider, tbm::SetRangeMax, FALSE, 25);
        EXPECT_EQ(TrackPos(dlg, kSlider), 25);
        SendTo(dlg, kSlider, tbm::SetRangeMax, FALSE, 50);
        SendTo(dlg, kSlider, tbm::SetRangeMin, FALSE, 70);
        EXPECT_EQ(TrackPos(dlg, kSlider), 70);
        dlg.Click(kIdOk);
    });
}

TEST_F(TrackbarModelTest, KeysStepNotifyAndEndTrackEvenAtTheLimits) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kSlider, tbm::SetRangeMin, FALSE, -50);
        SendTo(dlg, kSlider, tbm::SetRangeMax, FALSE, 200);
        SendTo(dlg, kSlider, tbm::SetPageSize, 0, 10);
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 195);
        dlg.Click(kSlider);
        events.clear();
        dlg.PressKey(vk::Right);
        EXPECT_EQ(TrackPos(dlg, kSlider), 196);
        dlg.PressKey(vk::Next);
        EXPECT_EQ(TrackPos(dlg, kSlider), 200);
        dlg.PressKey(vk::Down);  // already at the maximum: the code still comes
        EXPECT_EQ(events, (Events{"hscroll 1 0", "hscroll 8 0", "hscroll 3 0", "hscroll 8 0",
                                  "hscroll 1 0", "hscroll 8 0"}));
        events.clear();
        dlg.PressKey(vk::Up);
        dlg.PressKey(vk::Prior);
        EXPECT_EQ(TrackPos(dlg, kSlider), 189);
        dlg.PressKey(vk::Home);
        EXPECT_EQ(TrackPos(dlg, kSlider), -50);
        dlg.PressKey(vk::Left);
        EXPECT_EQ(TrackPos(dlg, kSlider), -50);
        dlg.PressKey(vk::End);
        EXPECT_EQ(TrackPos(dlg, kSlider), 200);
        EXPECT_EQ(events, (Events{"hscroll 0 0", "hscroll 8 0", "hscroll 2 0", "hscroll 8 0",
                                  "hscroll 6 0", "hscroll 8 0", "hscroll 0 0", "hscroll 8 0",
                                  "hscroll 7 0", "hscroll 8 0"}));
        dlg.Click(kIdOk);
    });
}

TEST_F(TrackbarModelTest, ClickOnTheTrackPagesTowardTheClick) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kSlider, tbm::SetPageSize, 0, 10);
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 95);
        events.clear();
        EXPECT_TRUE(dlg.ClickTrack(kSlider, 100));
        EXPECT_EQ(TrackPos(dlg, kSlider), 100);
        EXPECT_EQ(Focus(dlg), kSlider);
        EXPECT_TRUE(dlg.ClickTrack(kSlider, 0));
        EXPECT_EQ(TrackPos(dlg, kSlider), 90);
        // The edit that had the focus loses it first.
        EXPECT_EQ(events, (Events{"command 101 512", "hscroll 3 0", "hscroll 8 0", "notify 501 -16",
                                  "hscroll 2 0", "hscroll 8 0", "notify 501 -16"}));
        dlg.Click(kIdOk);
    });
}

TEST_F(TrackbarModelTest, HeldPressPagesOnOneWayUntilTheThumbReachesTheMouse) {
    Run([&](DialogModel& dlg) {
        auto& slider = Trackbar(dlg, kSlider);
        SendTo(dlg, kSlider, tbm::SetPageSize, 0, 10);
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 80);
        EXPECT_FALSE(slider.UserHoldTrack(0)) << "no press held";
        ASSERT_TRUE(slider.UserPressTrack(45));
        EXPECT_EQ(slider.Pos(), 70);
        EXPECT_TRUE(slider.UserHoldTrack(45));
        EXPECT_TRUE(slider.UserHoldTrack(45));
        EXPECT_EQ(slider.Pos(), 50);
        EXPECT_TRUE(slider.UserHoldTrack(45));
        EXPECT_EQ(slider.Pos(), 40);
        // The thumb has passed the mouse: paging stops and never turns back.
        EXPECT_FALSE(slider.UserHoldTrack(45));
        EXPECT_FALSE(slider.UserHoldTrack(90));
        EXPECT_EQ(slider.Pos(), 40);
        events.clear();
        EXPECT_TRUE(slider.UserHoldTrack(0));  // the mouse moved on along the track
        EXPECT_EQ(events, (Events{"hscroll 2 0"}));
        EXPECT_TRUE(slider.UserRelease());
        EXPECT_FALSE(slider.UserHoldTrack(0));
        EXPECT_EQ(slider.Pos(), 30);
        dlg.Click(kIdOk);
    });
}

TEST_F(TrackbarModelTest, DragTracksClampedPositionsThenReleases) {
    Run([&](DialogModel& dlg) {
        SendTo(dlg, kSlider, tbm::SetRangeMin, FALSE, -50);
        SendTo(dlg, kSlider, tbm::SetPos, TRUE, 10);
        GetPlatform().SetFocus(dlg.Control(kSlider)->GetHandle());
        events.clear();
        EXPECT_TRUE(DragThumb(dlg, kSlider, {5, -41, -60, -70}));
        EXPECT_EQ(TrackPos(dlg, kSlider), -50);
        EXPECT_EQ(events, (Events{"hscroll 5 5", "hscroll 5 -41", "hscroll 5 -50", "hscroll 4 -50",
                                  "hscroll 8 0", "notify 501 -16"}));
        // A disabled trackbar takes no mouse.
        platform.EnableWindow(dlg.Control(kSlider)->GetHandle(), false);
        EXPECT_FALSE(DragThumb(dlg, kSlider, {0}));
        EXPECT_FALSE(dlg.ClickTrack(kSlider, 100));
        dlg.Click(kIdOk);
    });
}

}  // namespace
}  // namespace model_test
