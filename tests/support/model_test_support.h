#pragma once
// A small hand-built dialog for the control-model tests, a CDialog that logs what reaches it,
// and a control subclass that logs (and may filter) what reaches a control.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "support/headless_platform.h"

namespace model_test {

using model::DialogModel;
inline constexpr int kIdOk = framework::id::Ok, kIdCancel = framework::id::Cancel;

inline constexpr UINT kTestDialog = 500, kNestedDialog = 501;
// Controls of the test dialog, in template (Tab) order.
inline constexpr int kEdit1 = 101, kEdit2 = 102, kReadOnlyEdit = 103;
inline constexpr int kCheck = 201, kDisabledCheck = 202, kNoTabCheck = 203;
inline constexpr int kRadio1 = 301, kRadio2 = 302, kRadio3 = 303;
inline constexpr int kSortedCombo = 401, kPlainCombo = 402;
inline constexpr int kSlider = 501;
inline constexpr int kOtherButton = 601;

inline framework::ItemTemplate Item(int id, std::string_view cls, std::string text,
                                    std::uint32_t style) {
    framework::ItemTemplate item;
    item.id = id;
    item.className = std::string(cls);
    item.text = std::move(text);
    item.x = 10;
    item.y = 10;
    item.cx = 40;
    item.cy = 14;
    item.style = framework::ws::Child | framework::ws::Visible | style;
    return item;
}

// A drop-down list whose list drops to three items.
inline framework::ItemTemplate DropList(int id, std::uint32_t style) {
    framework::ItemTemplate item =
        Item(id, framework::kComboBoxClass, "",
             framework::cbs::DropDownList | framework::ws::TabStop | style);
    item.cy = 40;
    return item;
}

inline framework::DialogTemplate TestTemplate() {
    using namespace framework;
    DialogTemplate t;
    t.id = kTestDialog;
    t.caption = "Test";
    t.cx = 200;
    t.cy = 100;
    t.style = ws::Popup | ws::Visible | ws::Caption | ws::SysMenu | ds::ModalFrame;
    t.items = {
        Item(kEdit1, kEditClass, "", ws::TabStop | ws::Border | es::AutoHScroll),
        Item(kEdit2, kEditClass, "", ws::TabStop | ws::Border),
        Item(-1, kStaticClass, "Label", ws::Group),
        Item(kCheck, kButtonClass, "Check", bs::AutoCheckBox | ws::TabStop),
        Item(kDisabledCheck, kButtonClass, "Off", bs::AutoCheckBox | ws::TabStop | ws::Disabled),
        Item(-1, kButtonClass, "Era", bs::GroupBox | ws::Group),
        Item(kRadio1, kButtonClass, "Early", bs::AutoRadioButton),
        Item(kRadio2, kButtonClass, "Middle", bs::AutoRadioButton),
        Item(kRadio3, kButtonClass, "Late", bs::AutoRadioButton),
        Item(-1, kStaticClass, "Use:", ws::Group),
        DropList(kSortedCombo, cbs::Sort),
        DropList(kPlainCombo, 0),
        Item(kSlider, kTrackbarClass, "Slider1", tbs::NoTicks | ws::TabStop),
        Item(kReadOnlyEdit, kEditClass, "", es::ReadOnly | ws::TabStop),
        Item(kIdCancel, kButtonClass, "Cancel", bs::PushButton | ws::TabStop),
        Item(kOtherButton, kButtonClass, "Other", bs::PushButton | ws::TabStop),
        Item(kIdOk, kButtonClass, "OK", bs::DefPushButton | ws::TabStop),
        Item(kNoTabCheck, kButtonClass, "No tab", bs::AutoCheckBox),
    };
    return t;
}

inline framework::DialogTemplate NestedTemplate() {
    using namespace framework;
    DialogTemplate t;
    t.id = kNestedDialog;
    t.caption = "Nested";
    t.style = ws::Popup | ws::Caption | ws::SysMenu | ds::ModalFrame;
    t.items = {Item(kIdOk, kButtonClass, "OK", bs::DefPushButton | ws::TabStop | ws::Group)};
    return t;
}

using Events = std::vector<std::string>;

// A child of `wnd` by id, as a dialog's own code would set it.
inline void SetItemText(const CWnd& wnd, int id, const std::string& text) {
    wnd.SendDlgItemMessage(id, framework::wm::SetText, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline void EnableItem(const CWnd& wnd, int id, bool enable) {
    if (framework::Handle item = wnd.GetDlgItem(id))
        framework::GetPlatform().EnableWindow(item, enable);
}

// Logs the dialog messages the tests look at.
class TestDialog : public CDialog {
public:
    TestDialog(Events& events, UINT id = kTestDialog) : CDialog(id), m_events(events) {}

    std::function<void(TestDialog&)> onInit;
    BOOL initResult = TRUE;
    // Handles WM_PAINT by drawing this icon while minimised.
    framework::IconHandle icon = nullptr;

    BOOL OnInitDialog() override {
        if (onInit) onInit(*this);
        return initResult;
    }

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        const auto low = framework::LowWord(wParam);
        const auto high = framework::HighWord(wParam);
        switch (message) {
            case framework::wm::Command:
                m_events.push_back("command " + std::to_string(static_cast<int>(low)) + " " +
                                   std::to_string(high));
                break;
            case framework::wm::HScroll:
                m_events.push_back("hscroll " + std::to_string(low) + " " +
                                   std::to_string(static_cast<std::int16_t>(high)));
                break;
            case framework::wm::Notify: {
                const auto* header = reinterpret_cast<const framework::NMHDR*>(lParam);
                m_events.push_back("notify " + std::to_string(header->idFrom) + " " +
                                   std::to_string(static_cast<int>(header->code)));
                break;
            }
            case framework::wm::SysCommand:
                m_events.push_back("syscommand " + std::to_string(wParam));
                break;
            case framework::wm::Paint:
                if (icon != nullptr && IsIconic()) {
                    framework::Platform& platform = framework::GetPlatform();
                    framework::PaintHandle paint = platform.BeginPaint(m_hWnd);
                    platform.DrawIcon(paint, 3, 4, icon);
                    platform.EndPaint(m_hWnd, paint);
                    return true;
                }
                break;
            default:
                break;
        }
        return CDialog::OnWndMsg(message, wParam, lParam, result);
    }

private:
    Events& m_events;
};

inline LRESULT SendTo(DialogModel& dlg, int id, UINT message, WPARAM wParam = 0,
                      LPARAM lParam = 0) {
    return dlg.Control(id)->Send(message, wParam, lParam);
}
inline LPARAM Str(const char* text) {
    return reinterpret_cast<LPARAM>(text);
}

// A control subclass: logs characters and focus changes; may drop characters.
class SpyControl : public CWnd {
public:
    SpyControl(Events& events, std::string name) : m_events(events), m_name(std::move(name)) {}
    std::function<bool(UINT ch)> dropChar;

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
        if (message == framework::wm::Char) {
            m_events.push_back(m_name + ":char " + std::to_string(wParam));
            return dropChar && dropChar(static_cast<UINT>(wParam));
        }
        if (message == framework::wm::KillFocus) m_events.push_back(m_name + ":killfocus");
        if (message == framework::wm::SetFocus) m_events.push_back(m_name + ":setfocus");
        if (message == framework::wm::Paste) m_events.push_back(m_name + ":paste");
        return false;
    }

private:
    Events& m_events;
    std::string m_name;
};

// The test dialog on a headless platform; Run() plays `user` as the dialog's user.
class ModelFixture : public ::testing::Test {
protected:
    model::HandBuiltResources resources{{TestTemplate(), NestedTemplate()}};
    model::HeadlessPlatform platform{resources, ""};
    model::ScopedPlatform use{platform};
    Events events;
    TestDialog dialog{events};

    INT_PTR Run(model::HeadlessPlatform::Script user) {
        platform.OnModal(std::move(user));
        return dialog.DoModal();
    }
};

}  // namespace model_test
