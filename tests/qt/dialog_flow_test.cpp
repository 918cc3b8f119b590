// The program from start to the written files: opening, OK, Cancel, Reset Defaults, the race
// check's message box and the About box, on the real widgets.
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTextEdit>
#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "program_fixture.h"
#include "settings/record/services.h"
#include "support/case_names.h"

namespace qt_tests {
namespace {

using qt::DialogWindow;

class DialogFlowTest : public ProgramTest {};

TEST_F(DialogFlowTest, OpensWithTheFilesValuesAndTheSliderFocused) {
    RunProgram([](DialogWindow& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Tavrel Customizer 4.0 for SFC-EAW"));
        EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "the dialog's frame is fixed";
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_FALSE(w.windowIcon().isNull());

        auto* slider = qobject_cast<QSlider*>(W(w, IDC_DIFFICULTY_SLIDER));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->value(), 10);
        EXPECT_EQ(slider->minimum(), -50);
        EXPECT_EQ(slider->maximum(), 200);
        EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("1.1"));
        EXPECT_TRUE(qobject_cast<QLineEdit*>(W(w, IDC_DIFFICULTY_VALUE))->isReadOnly());

        auto* ai = qobject_cast<QComboBox*>(W(w, IDC_AI_LEVEL));
        ASSERT_NE(ai, nullptr);
        ASSERT_EQ(ai->count(), 3);
        EXPECT_EQ(ai->itemText(0), QStringLiteral("Captain"));
        EXPECT_EQ(ai->currentText(), QStringLiteral("Commodore"));
        auto* mode = qobject_cast<QComboBox*>(W(w, IDC_RACE_MODE));
        ASSERT_NE(mode, nullptr);
        ASSERT_EQ(mode->count(), 2);
        EXPECT_EQ(mode->itemText(0), QStringLiteral("Mixed"));  // sorted
        EXPECT_EQ(mode->currentText(), QStringLiteral("Single"));

        EXPECT_TRUE(Checked(w, IDC_RACE_FEDERATION));
        EXPECT_TRUE(Checked(w, IDC_RACE_KLINGON));
        EXPECT_FALSE(Checked(w, IDC_RACE_GORN));
        EXPECT_TRUE(Checked(w, IDC_ERA_MIDDLE));
        EXPECT_FALSE(Checked(w, IDC_ERA_LATE));
        EXPECT_TRUE(Checked(w, IDC_FORCE_ERA));
        EXPECT_TRUE(Checked(w, IDC_USE_CARRIER));
        EXPECT_EQ(EditText(w, IDC_ODDS_FRIGATE), QStringLiteral("80"));
        EXPECT_EQ(EditText(w, IDC_MONSTER_ODDS), QStringLiteral("10"));
        EXPECT_FALSE(W(w, IDC_MONSTER_ODDS)->isEnabled()) << "Single mode";

        auto* ok = qobject_cast<QPushButton*>(W(w, IDOK));
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        EXPECT_FALSE(qobject_cast<QPushButton*>(W(w, IDCANCEL))->isDefault());
        EXPECT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER));
        Key(w, Qt::Key_Escape);
    });
    EXPECT_EQ(m_result, IDCANCEL);
    ExpectGame(ProgramKeys());
}

TEST_F(DialogFlowTest, ResetDefaultsThenEnterWritesTheDefaults) {
    GameKeys loaded = ProgramKeys();
    loaded.type = "1";  // opens in Mixed mode
    loaded.hull = "24";
    loaded.hullpercentA = "0";
    WriteGame(loaded);
    RunProgram([](DialogWindow& w) {
        Click(w, IDC_RESET_DEFAULTS);
        EXPECT_EQ(qobject_cast<QSlider*>(W(w, IDC_DIFFICULTY_SLIDER))->value(), 70);
        EXPECT_EQ(EditText(w, IDC_DIFFICULTY_VALUE), QStringLiteral("1.7"));
        EXPECT_EQ(qobject_cast<QComboBox*>(W(w, IDC_AI_LEVEL))->currentText(),
                  QStringLiteral("Admiral"));
        EXPECT_EQ(qobject_cast<QComboBox*>(W(w, IDC_RACE_MODE))->currentText(),
                  QStringLiteral("Single"));
        EXPECT_EQ(EditText(w, IDC_ODDS_FRIGATE), QStringLiteral("80"));
        EXPECT_EQ(EditText(w, IDC_MONSTER_ODDS), QStringLiteral("10"));
        EXPECT_FALSE(W(w, IDC_MONSTER_ODDS)->isEnabled());
        EXPECT_TRUE(Checked(w, IDC_ERA_LATE));
        EXPECT_FALSE(Checked(w, IDC_FORCE_ERA));
        // The button keeps the focus: Enter presses it again, not OK.
        ASSERT_TRUE(HasFocus(w, IDC_RESET_DEFAULTS));
        EXPECT_TRUE(qobject_cast<QPushButton*>(W(w, IDC_RESET_DEFAULTS))->isDefault());
        EXPECT_FALSE(qobject_cast<QPushButton*>(W(w, IDOK))->isDefault());
        // On a check box the focus gives OK its default frame back, so Enter presses OK.
        Click(w, IDC_RACE_PIRATES);
        Click(w, IDC_RACE_PIRATES);
        EXPECT_TRUE(qobject_cast<QPushButton*>(W(w, IDOK))->isDefault());
        Key(w, Qt::Key_Return);
    });
    EXPECT_EQ(m_result, IDOK);
    GameKeys saved = ProgramKeys();
    saved.multiplier = "1.70";
    saved.rrace = "255";
    saved.srace = "32";
    saved.era = "2";
    saved.modSupport = "-25";
    saved.uiType = "2";
    ExpectGame(saved);
}

enum class CancelBy { Button, Escape, CloseBox };

const char* CancelByName(CancelBy way) {
    switch (way) {
        case CancelBy::Button:
            return "Button";
        case CancelBy::Escape:
            return "Escape";
        case CancelBy::CloseBox:
            return "CloseBox";
    }
    return "Unknown";
}

class CancelTest : public DialogFlowTest, public ::testing::WithParamInterface<CancelBy> {};

TEST_P(CancelTest, WritesNothing) {
    const CancelBy by = GetParam();
    RunProgram([by](DialogWindow& w) {
        Key(w, Qt::Key_End);
        Click(w, IDC_RACE_GORN);
        Click(w, IDC_RESET_DEFAULTS);
        switch (by) {
            case CancelBy::Button:
                Click(w, IDCANCEL);
                break;
            case CancelBy::Escape:
                Key(w, Qt::Key_Escape);
                break;
            case CancelBy::CloseBox:
                w.close();
                break;
        }
    });
    EXPECT_EQ(m_result, IDCANCEL);
    ExpectGame(ProgramKeys());
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelTest,
                         ::testing::Values(CancelBy::Button, CancelBy::Escape, CancelBy::CloseBox),
                         test_support::NameBy(CancelByName));

TEST_F(DialogFlowTest, NoRaceShowsTheMessageAndStaysOpen) {
    m_onBox = [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.buttons().size(), 1);
        EXPECT_NE(box.parentWidget(), nullptr) << "owned by the dialog";
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    };
    RunProgram([this](DialogWindow& w) {
        Click(w, IDC_RACE_FEDERATION);
        Click(w, IDC_RACE_KLINGON);
        Click(w, IDOK);
        ASSERT_FALSE(w.Model().Ended());
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].caption, "No race selected!");
        EXPECT_EQ(m_boxes[0].text, "You must select at least one race to continue.");
        Click(w, IDCANCEL);
    });
    EXPECT_EQ(m_result, IDCANCEL);
    // The dialog checks for a race before it writes anything.
    ExpectGame(ProgramKeys());
}

TEST_F(DialogFlowTest, AboutBoxFromTheBackgroundMenu) {
    QStringList items;
    RunProgram(
        [&items](DialogWindow& w) {
            // The dialog's own face, between the Races and Era groups.
            const QPoint face = W(w, IDC_ERA_EARLY)->geometry().topLeft() - QPoint(8, 30);
            RightClickMenu(&w, face, QStringLiteral("&About TavrelCustomizer..."), &items);
            Key(w, Qt::Key_Escape);
        },
        [](DialogWindow& about) {
            EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tavrel Customizer for EAW"));
            EXPECT_NE(about.parentWidget(), nullptr) << "owned by the main dialog";
            QStringList texts;
            bool icon = false;
            for (QLabel* label : about.findChildren<QLabel*>()) {
                if (!label->text().isEmpty()) texts << label->text();
                if (!label->pixmap().isNull()) icon = true;
                // A screen reader hears each text, and nothing for the icon.
                const QString name =
                    QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
                EXPECT_EQ(name.toStdString(), label->text().toStdString());
            }
            EXPECT_TRUE(texts.contains(QStringLiteral("Tavrel Customizer 4.0 for EAW")));
            EXPECT_TRUE(icon);
            Click(about, IDOK);
        });
    EXPECT_EQ(m_aboutRuns, 1);
    EXPECT_EQ(items, (QStringList{QStringLiteral("&Close\tAlt+F4"), QStringLiteral("-"),
                                  QStringLiteral("&About TavrelCustomizer...")}));
    ExpectGame(ProgramKeys());
}

// F1's box: OK has the focus; Ctrl+C copies the whole text, or what the keys selected.
TEST_F(DialogFlowTest, F1ShowsWhereTheSettingsAreAndCtrlCCopiesTheText) {
    // A folder name outside Windows-1252: the box shows it as the file system spells it.
    const std::filesystem::path game = m_root / std::filesystem::path(u8"Spiel \u65e5\u672c");
    std::filesystem::create_directories(game / "Assets" / "Scripts");
    m_locator->folder = game.string();
    QString all;
    QString word;
    m_onTextBox = [&](qt::TextBox& box) {
        EXPECT_EQ(box.focusWidget(), box.OkButton());
        // Where the text fits, the box is the size a message box with that text would be.
        QMessageBox alike(QMessageBox::NoIcon, box.windowTitle(), box.Text(), QMessageBox::Ok);
        alike.show();
        EXPECT_NEAR(box.width(), alike.width(), 16);
        EXPECT_NEAR(box.height(), alike.height(), 16);
        alike.hide();
        QTest::keyClick(box.OkButton(), Qt::Key_F1);
        QTest::keyClick(box.OkButton(), Qt::Key_C, Qt::ControlModifier);
        all = QGuiApplication::clipboard()->text();
        QTest::keyClick(box.OkButton(), Qt::Key_Tab);
        ASSERT_EQ(box.focusWidget(), box.TextView());
        QTest::keyClick(box.TextView(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(box.TextView(), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(box.TextView(), Qt::Key_C, Qt::ControlModifier);
        word = QGuiApplication::clipboard()->text();
        QTest::keyClick(box.TextView(), Qt::Key_Return);
        EXPECT_FALSE(box.isVisible()) << "Enter is OK's, as in a message box";
    };
    RunProgram([](DialogWindow& w) {
        Key(w, Qt::Key_F1);
        EXPECT_TRUE(HasFocus(w, IDC_DIFFICULTY_SLIDER)) << "back in the dialog";
        Click(w, IDCANCEL);
    });
    EXPECT_EQ(m_aboutRuns, 0);
    ASSERT_EQ(m_boxes.size(), 1u) << "F1 inside the box opens no second one";
    EXPECT_EQ(m_boxes[0].caption, "TavrelCustomizer");
    const std::string scripts = (game / "Assets" / "Scripts" / "scripts.ini").string();
    EXPECT_NE(m_boxes[0].text.find("\n" + scripts + "\n"), std::string::npos) << m_boxes[0].text;
    EXPECT_NE(m_boxes[0].text.find("\n" + (game / "sfc.ini").string()), std::string::npos);
    EXPECT_EQ(all.toStdString(), m_boxes[0].text);
    EXPECT_EQ(word, QStringLiteral("Game "));
}

// Another installation's folder and the command that edits it, as F1 finds them through the
// locator: the edited folder under another spelling, and a folder without the game's files,
// are no other installations.
class Installations : public settings::locate::GameFolderLocator {
public:
    Installations(std::string edited, std::vector<std::string> others)
        : m_edited(std::move(edited)), m_others(std::move(others)) {}

    std::optional<std::string> Find(settings::locate::LookupAccount* account) override {
        if (account != nullptr) {
            *account = {};
            account->found = true;
            account->gameFolder = m_edited;
            account->how.through = settings::locate::FoundThrough::kVariable;
            account->how.variable = "TAVREL_GAME_DIR";
        }
        return m_edited;
    }
    settings::locate::FoundFolders FindAll(std::chrono::steady_clock::time_point) override {
        settings::locate::FoundHow how;
        how.through = settings::locate::FoundThrough::kWinePrefix;
        how.launcher = "Steam";
        how.prefix = "/r";
        settings::locate::FoundFolders all;
        all.found.push_back({m_edited + "/.", "Wine", how});
        all.found.push_back({m_edited + "/Assets", "Steam", how});
        for (const std::string& other : m_others) all.found.push_back({other, "Steam", how});
        return all;
    }

private:
    std::string m_edited;
    std::vector<std::string> m_others;
};

TEST_F(DialogFlowTest, F1NamesAnotherInstallationAndTheCommandToEditIt) {
    const std::filesystem::path other = m_root / "other copy";
    std::filesystem::create_directories(other / "Assets" / "Scripts");
    settings::InstallServices(
        {std::make_unique<Installations>(m_root.string(), std::vector<std::string>{other.string()}),
         nullptr});
    RunProgram([](DialogWindow& w) {
        Key(w, Qt::Key_F1);
        Click(w, IDCANCEL);
    });
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].text.find("Game folder: " + m_root.string() +
                                   "\nFound through: the environment variable TAVREL_GAME_DIR\n"
                                   "\nThe settings are read from and written to:\n"),
              std::string::npos)
        << m_boxes[0].text;
    EXPECT_NE(m_boxes[0].text.find("\nOther installations of the game, not edited here. "),
              std::string::npos);
    EXPECT_NE(m_boxes[0].text.find("\n\n" + other.string() +
                                   " (Steam; prefix /r; native view)\nTAVREL_GAME_DIR='" +
                                   other.string() + "' "),
              std::string::npos)
        << m_boxes[0].text;
}

// Seventeen installations with 400-character paths: the box stays on the screen with OK on
// it, and what Ctrl+C copies names each of them with its command.
TEST_F(DialogFlowTest, F1BoxWithManyLongInstallationsFitsTheScreen) {
    std::vector<std::string> others;
    for (int i = 0; i < 17; ++i) {
        std::filesystem::path folder = m_root / ("copy " + std::to_string(i));
        while (folder.string().size() < 400) folder /= std::string(60, static_cast<char>('a' + i));
        std::filesystem::create_directories(folder / "Assets" / "Scripts");
        others.push_back(folder.string());
    }
    settings::InstallServices({std::make_unique<Installations>(m_root.string(), others), nullptr});
    // Under X, a screen of a set size (the test's run under Xvfb names it).
    const QByteArray size = qgetenv("TC_SCREEN_SIZE");
    QString copied;
    m_onTextBox = [&](qt::TextBox& box) {
        const QRect area = box.screen()->availableGeometry();
        if (!size.isEmpty()) {
            EXPECT_EQ(QStringLiteral("%1x%2").arg(area.width()).arg(area.height()),
                      QString::fromLatin1(size));
        }
        EXPECT_TRUE(area.contains(box.frameGeometry())) << "box outside the screen";
        const QRect ok(box.OkButton()->mapToGlobal(QPoint(0, 0)), box.OkButton()->size());
        EXPECT_TRUE(box.OkButton()->isVisible() && area.contains(ok)) << "OK off the screen";
        EXPECT_TRUE(box.TextView()->verticalScrollBar()->isVisible());
        QTest::keyClick(box.OkButton(), Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
    };
    RunProgram([](DialogWindow& w) {
        Key(w, Qt::Key_F1);
        Click(w, IDCANCEL);
    });
    for (const std::string& other : others) {
        EXPECT_TRUE(copied.contains(QString::fromStdString("\n" + other + " (Steam")));
        EXPECT_TRUE(copied.contains(QString::fromStdString("\nTAVREL_GAME_DIR='" + other + "' ")));
    }
}

TEST_F(DialogFlowTest, MissingGameFolderReportsAndKeepsTheDialogOpen) {
    struct Failing : settings::locate::GameFolderLocator {
        std::optional<std::string> Find(settings::locate::LookupAccount*) override {
            return std::nullopt;
        }
    };
    settings::InstallServices({std::make_unique<Failing>(), nullptr});
    RunProgram([this](DialogWindow& w) {
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].caption, "TavrelCustomizer");
        EXPECT_EQ(m_boxes[0].text.rfind("Error reading from scripts.ini; code ", 0), 0u);
        Key(w, Qt::Key_Escape);
    });
    EXPECT_EQ(m_mainRuns, 1);
    ExpectGame(ProgramKeys());
}

}  // namespace
}  // namespace qt_tests
