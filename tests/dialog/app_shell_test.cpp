// The application around the main dialog: the run itself, the About box from the system menu,
// F1's box, and the icon of the minimised window.
#include <string>

#include "app/customizer_app.h"
#include "dialog_scenario.h"
#include "support/scripted_profile_files.h"

namespace dialog_test {
namespace {

using AppRunTest = DialogScenarioTest;

TEST_F(AppRunTest, RunsTheMainDialogOnceAndReturns) {
    WriteGame(GameKeys{});
    for (const int button : {IDOK, IDCANCEL}) {
        m_platform.OnModal([&](DialogModel& dlg) {
            EXPECT_EQ(dlg.Template().id, static_cast<unsigned>(IDD_MAIN));
            ASSERT_EQ(AfxGetApp(), &theApp);
            ASSERT_NE(theApp.m_pMainWnd, nullptr);
            EXPECT_EQ(theApp.m_pMainWnd->m_hWnd, dlg.GetHandle());
            dlg.PressKey(framework::vk::End);
            dlg.Click(button);
        });
        EXPECT_EQ(framework::RunApplication(), 0);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    }
    ASSERT_EQ(m_platform.ModalRuns().size(), 2u);
    EXPECT_EQ(m_platform.ModalRuns()[0].result, IDOK);
    EXPECT_EQ(m_platform.ModalRuns()[1].result, IDCANCEL);
    EXPECT_EQ(m_platform.ModalRuns()[1].templateId, static_cast<unsigned>(IDD_MAIN));
    GameKeys expected;
    expected.multiplier = "3.00";  // from the OK run only
    ExpectGame(expected);
}

class AboutTest : public DialogScenarioTest {
protected:
    // Queues the About box's part: it is owned by the main dialog, which waits disabled.
    void ExpectAbout() {
        m_platform.OnModal([this](DialogModel& about) {
            EXPECT_EQ(about.Template().id, static_cast<unsigned>(IDD_ABOUTBOX));
            EXPECT_EQ(about.Owner(), m_main);
            const model::DialogModel* main = m_platform.FindDialog(m_main);
            ASSERT_NE(main, nullptr);
            EXPECT_FALSE(main->AcceptsInput());
            about.Click(IDOK);
        });
    }
    int AboutRuns() const {
        int runs = 0;
        for (const auto& run : m_platform.ModalRuns()) {
            if (run.templateId == IDD_ABOUTBOX) ++runs;
        }
        return runs;
    }
    framework::Handle m_main = nullptr;
};

TEST_F(AboutTest, SystemMenuItemOpensAFreshBoxEachTime) {
    WriteGame(GameKeys{});
    m_platform.OnModal([this](DialogModel& dlg) {
        m_main = dlg.GetHandle();
        ExpectAbout();
        ExpectAbout();
        EXPECT_TRUE(dlg.SystemMenuCommand(IDM_ABOUTBOX));
        EXPECT_TRUE(dlg.SystemMenuCommand(IDM_ABOUTBOX));
        EXPECT_EQ(AboutRuns(), 2);
        EXPECT_TRUE(dlg.AcceptsInput());
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(framework::RunApplication(), 0);
}

TEST_F(AboutTest, CommandIdsDifferingInTheLowFourBitsOpenIt) {
    WriteGame(GameKeys{});
    m_platform.OnModal([this](DialogModel& dlg) {
        m_main = dlg.GetHandle();
        for (UINT id = 0x10; id <= 0x1F; ++id) {
            ExpectAbout();
            m_platform.Send(m_main, framework::wm::SysCommand, id, 0);
            EXPECT_EQ(AboutRuns(), static_cast<int>(id - 0x0F)) << id;
        }
        // Every other command gets the default processing.
        for (UINT id : {0x00u, 0x0Fu, 0x20u, 0x110u, static_cast<UINT>(framework::sc::Move),
                        static_cast<UINT>(framework::sc::Size)}) {
            m_platform.Send(m_main, framework::wm::SysCommand, id, 0);
            EXPECT_FALSE(dlg.Ended()) << id;
        }
        EXPECT_EQ(AboutRuns(), 16);
        EXPECT_TRUE(dlg.SystemMenuCommand(framework::sc::Close));
        EXPECT_TRUE(dlg.Ended());
    });
    EXPECT_EQ(framework::RunApplication(), 0);
    EXPECT_EQ(m_platform.ModalRuns().back().result, IDCANCEL);
}

TEST_F(AboutTest, F1TellsWhereTheSettingsAreAndOpensNoSecondBox) {
    WriteGame(GameKeys{});
    // sfc.ini has a VirtualStore copy, scripts.ini only could have one.
    auto script = std::make_shared<test_support::ProfileFilesScript>();
    script->virtualized = m_root.string();
    script->store = (m_root / "store").string();
    m_game.UseFiles(std::make_unique<test_support::ScriptedProfileFiles>(script));
    const std::string sfcCopy = (std::filesystem::path(script->store) / "sfc.ini").string();
    std::filesystem::create_directories(script->store);
    WriteBytes(sfcCopy, "[UI]\r\n");
    m_platform.OnModal([this](DialogModel& dlg) {
        m_main = dlg.GetHandle();
        // Windows' message box hands F1 on to its owner: that opens no second box.
        m_platform.WhileMessageBoxUp([this](const model::MessageBoxRecord&) {
            m_platform.Send(m_main, framework::wm::Command, framework::ID_HELP, 0);
        });
        EXPECT_TRUE(dlg.PressKey(framework::vk::F1));
        m_platform.WhileMessageBoxUp(nullptr);
        // Nor does F1 inside the About box.
        m_platform.OnModal([](DialogModel& about) {
            about.PressKey(framework::vk::F1);
            about.Click(IDOK);
        });
        EXPECT_TRUE(dlg.SystemMenuCommand(IDM_ABOUTBOX));
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(framework::RunApplication(), 0);
    m_game.UseFiles(nullptr);
    ASSERT_EQ(m_platform.MessageBoxes().size(), 1u);
    const model::MessageBoxRecord& box = m_platform.MessageBoxes()[0];
    EXPECT_EQ(box.caption, "TavrelCustomizer");
    EXPECT_EQ(box.type, static_cast<UINT>(framework::mb::Ok));
    EXPECT_TRUE(box.utf8Text);
    EXPECT_NE(box.text.find("Game folder: " + m_root.string()), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(ScriptsIni().string() + "\n  the game reads this file"),
              std::string::npos)
        << box.text;
    EXPECT_NE(box.text.find(sfcCopy + "\n  your VirtualStore copy, which the game reads"),
              std::string::npos)
        << box.text;
    EXPECT_EQ(AboutRuns(), 1);
    EXPECT_EQ(m_platform.UnfinishedDialogs(), 0);
}

using IconTest = DialogScenarioTest;

TEST_F(IconTest, MinimisedWindowDrawsTheIconCentred) {
    WriteGame(GameKeys{});
    RunDialog([&](DialogModel& dlg) {
        const int cx = m_platform.GetSystemMetrics(framework::sm::CxIcon);
        const int cy = m_platform.GetSystemMetrics(framework::sm::CyIcon);
        Paint(dlg);
        ASSERT_FALSE(PaintLog(dlg).empty());
        EXPECT_TRUE(PaintLog(dlg).back().defaultPaint);

        dlg.Minimize(true);
        struct Case {
            int width, height, x, y;
        };
        // x = (width - cx + 1) / 2, truncating toward zero.
        for (const Case& c : {Case{cx + 9, cy + 1, 5, 1}, Case{cx - 2, cy - 4, 0, -1},
                              Case{cx, cy, 0, 0}, Case{cx - 4, cy + 37, -1, 19}}) {
            dlg.SetClientRect({10, 20, 10 + c.width, 20 + c.height});
            Paint(dlg);
            ASSERT_FALSE(PaintLog(dlg).empty());
            const model::PaintRecord& painted = PaintLog(dlg).back();
            EXPECT_FALSE(painted.defaultPaint);
            EXPECT_EQ(painted.x, c.x) << c.width;
            EXPECT_EQ(painted.y, c.y) << c.height;
            EXPECT_EQ(painted.icon, dlg.Icon(true));
        }
        dlg.Minimize(false);
        dlg.Click(IDCANCEL);
    });
}

TEST_F(IconTest, DragImageIsTheApplicationIcon) {
    WriteGame(GameKeys{});
    RunDialog([&](DialogModel& dlg) {
        const LRESULT icon = m_platform.Send(dlg.GetHandle(), framework::wm::QueryDragIcon, 0, 0);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(reinterpret_cast<framework::IconHandle>(icon), dlg.Icon(true));
        dlg.Click(IDCANCEL);
    });
}

}  // namespace
}  // namespace dialog_test
