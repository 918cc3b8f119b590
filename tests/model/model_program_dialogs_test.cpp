// The model over the program's own templates: what the main dialog's and the About box's
// templates mean for keyboard and lists once the model builds them.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/dialog.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "support/headless_platform.h"

namespace {

using model::DialogModel;

class ProgramDialogsTest : public ::testing::Test {
protected:
    model::HeadlessPlatform platform{rcscript::ResourceSet::Program(), "TavrelCustomizer"};
    model::ScopedPlatform use{platform};
};

TEST_F(ProgramDialogsTest, MainDialogTabOrderAndLists) {
    CDialog dialog(IDD_MAIN);
    platform.OnModal([](DialogModel& dlg) {
        EXPECT_EQ(Focus(dlg), IDC_DIFFICULTY_SLIDER);  // the first tab stop
        // Filled by the template's initialisation data; the race-mode list is sorted.
        EXPECT_EQ(ComboItems(dlg, IDC_RACE_MODE), (std::vector<std::string>{"Mixed", "Single"}));
        EXPECT_EQ(ComboItems(dlg, IDC_AI_LEVEL),
                  (std::vector<std::string>{"Captain", "Commodore", "Admiral"}));
        dlg.Click(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);

    platform.OnModal([](DialogModel& dlg) {
        std::vector<int> visited;
        for (int i = 0; i < 40 && Focus(dlg) != IDOK; ++i) {
            dlg.PressKey(framework::vk::Tab);
            visited.push_back(Focus(dlg));
        }
        ASSERT_EQ(Focus(dlg), IDOK);
        for (int era : {IDC_ERA_EARLY, IDC_ERA_MIDDLE, IDC_ERA_LATE}) {
            EXPECT_EQ(std::count(visited.begin(), visited.end(), era), 0);
        }
        dlg.PressKey(framework::vk::Tab);
        EXPECT_EQ(Focus(dlg), IDC_USE_DREADNOUGHT);
        dlg.PressKey(framework::vk::Tab);
        EXPECT_EQ(Focus(dlg), IDC_RACE_MODE);
        dlg.PressKey(framework::vk::Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(platform.UnfinishedDialogs(), 0);
}

TEST_F(ProgramDialogsTest, AboutBoxFocusesOkAndItsIconLoads) {
    CDialog about(IDD_ABOUTBOX);
    platform.OnModal([](DialogModel& dlg) {
        EXPECT_EQ(Focus(dlg), IDOK);
        EXPECT_EQ(dlg.Controls().front()->Kind(), model::ControlKind::Static);
        EXPECT_TRUE(dlg.HasSystemMenu());
        dlg.PressKey(framework::vk::Return);
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    const framework::IconHandle icon = platform.LoadAppIcon(IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(platform.Resources().IconFile(platform.IconResource(icon)).empty());
    EXPECT_EQ(platform.LoadAppIcon(4321), nullptr);
}

}  // namespace
