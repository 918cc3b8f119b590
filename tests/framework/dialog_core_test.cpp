// CDialog's modal runs: control objects attached during one run are free for the next one,
// however the run ended.
#include <stdexcept>

#include "support/model_test_support.h"

namespace model_test {
namespace {

class ModalRunTest : public ModelFixture {
protected:
    SpyControl spy{events, "edit"};

    // Attaches the spy in OnInitDialog, as a dialog subclassing one of its controls would.
    void AttachSpyOnInit() {
        dialog.onInit = [this](TestDialog& dlg) { EXPECT_TRUE(spy.SubclassDlgItem(kEdit1, &dlg)); };
    }
    void TypeIntoEdit() {
        platform.OnModal([](DialogModel& dlg) {
            dlg.SetFocusTo(dlg.Control(kEdit1));
            dlg.TypeChar('7');
            dlg.Click(kIdOk);
        });
    }
    int CharsSeen() const {
        int count = 0;
        for (const auto& event : events) count += event == "edit:char 55" ? 1 : 0;
        return count;
    }
};

TEST_F(ModalRunTest, ASubclassedControlIsSubclassedAgainInTheNextRun) {
    AttachSpyOnInit();
    for (int run = 1; run <= 2; ++run) {
        TypeIntoEdit();
        EXPECT_EQ(dialog.DoModal(), kIdOk);
        EXPECT_EQ(spy.m_hWnd, nullptr);
        EXPECT_EQ(CharsSeen(), run);
    }
}

TEST_F(ModalRunTest, ARunEndingInAnExceptionStillDetachesItsControls) {
    AttachSpyOnInit();
    platform.OnModal([](DialogModel&) { throw std::runtime_error("user script failed"); });
    EXPECT_THROW(dialog.DoModal(), std::runtime_error);
    EXPECT_EQ(spy.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    TypeIntoEdit();
    EXPECT_EQ(dialog.DoModal(), kIdOk);
    EXPECT_EQ(CharsSeen(), 1);
}

}  // namespace
}  // namespace model_test
