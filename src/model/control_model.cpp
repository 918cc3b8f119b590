#include "model/control_model.h"

#include <algorithm>
#include <cctype>

#include "base/ascii_case.h"
#include "framework/wnd.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {

ControlKind ButtonKind(std::uint32_t style) {
    switch (style & bs::TypeMask) {
        case bs::CheckBox:
        case bs::ThreeState:  // the third state is not modelled
            return ControlKind::CheckBox;
        case bs::AutoCheckBox:
        case bs::AutoThreeState:
            return ControlKind::AutoCheckBox;
        case bs::RadioButton:
            return ControlKind::RadioButton;
        case bs::AutoRadioButton:
            return ControlKind::AutoRadioButton;
        case bs::GroupBox:
            return ControlKind::GroupBox;
        default:
            return ControlKind::PushButton;
    }
}

}  // namespace

// ---- WindowModel

Handle WindowModel::GetHandle() const {
    return reinterpret_cast<Handle>(const_cast<WindowModel*>(this));
}

bool WindowModel::SetEnabledState(bool enable) {
    const bool wasEnabled = IsEnabled();
    if (enable) {
        m_style &= ~ws::Disabled;
    } else {
        m_style |= ws::Disabled;
    }
    return wasEnabled != enable;
}

LRESULT WindowModel::TextMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case wm::SetText:
            m_text = std::string(TextParam(lParam));
            Changed();
            return TRUE;
        case wm::GetText:
            return CopyText(m_text, wParam, lParam);
        default:
            return Length(m_text);
    }
}

// ---- ControlModel

std::unique_ptr<ControlModel> ControlModel::Create(const ItemTemplate& item, ControlHost& dialog) {
    const std::string_view name = item.className;
    if (base::EqualsNoCase(name, kButtonClass)) {
        return std::make_unique<ButtonModel>(item, ButtonKind(item.style), dialog);
    }
    if (base::EqualsNoCase(name, kEditClass)) return std::make_unique<EditModel>(item, dialog);
    if (base::EqualsNoCase(name, kComboBoxClass))
        return std::make_unique<ComboBoxModel>(item, dialog);
    if (base::EqualsNoCase(name, kTrackbarClass))
        return std::make_unique<TrackbarModel>(item, dialog);
    const ControlKind kind =
        base::EqualsNoCase(name, kStaticClass) ? ControlKind::Static : ControlKind::Other;
    return std::unique_ptr<ControlModel>(new ControlModel(item, kind, dialog));
}

ControlModel::ControlModel(const ItemTemplate& item, ControlKind kind, ControlHost& dialog)
    : WindowModel(item.text, item.style), m_item(item), m_kind(kind), m_dialog(dialog) {}

Rect ControlModel::DialogUnitRect() const {
    return {m_item.x, m_item.y, m_item.x + m_item.cx, m_item.y + m_item.cy};
}

bool ControlModel::TakesFocus() const {
    return m_kind != ControlKind::Static && m_kind != ControlKind::GroupBox &&
           m_kind != ControlKind::Other;
}

bool ControlModel::HasFocus() const {
    return m_dialog.FocusControl() == this;
}

LRESULT ControlModel::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_subclass != nullptr) return m_subclass->WindowProc(message, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

LRESULT ControlModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case wm::SetText:
        case wm::GetText:
        case wm::GetTextLength:
            return TextMessage(message, wParam, lParam);
        case wm::SetFocus:
        case wm::KillFocus:
        case wm::Enable:
            Changed();
            return 0;
        case wm::GetDlgCode:
            return TakesFocus() ? 0 : dlgc::Static;
        default:
            return 0;
    }
}

void ControlModel::Changed() {
    if (m_observer) m_observer(*this);
}

void ControlModel::NotifyParent(UINT code) {
    const auto id = static_cast<UINT>(m_item.id) & 0xFFFFu;
    m_dialog.Send(wm::Command, MakeWParam(id, code), PointerParam(GetHandle()));
}

// ---- ButtonModel

ButtonModel::ButtonModel(const ItemTemplate& item, ControlKind kind, ControlHost& dialog)
    : ControlModel(item, kind, dialog) {}

bool ButtonModel::IsDefault() const {
    return Kind() == ControlKind::PushButton && (Style() & bs::TypeMask) == bs::DefPushButton;
}

LRESULT ButtonModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const ControlKind kind = Kind();
    const bool twoState = kind != ControlKind::PushButton && kind != ControlKind::GroupBox;
    const bool radio = kind == ControlKind::RadioButton || kind == ControlKind::AutoRadioButton;
    switch (message) {
        case bm::GetCheck:
            return static_cast<LRESULT>(m_check);
        case bm::SetCheck: {
            if (!twoState) return 0;
            m_check = wParam > bst::Checked ? bst::Checked : static_cast<UINT>(wParam);
            if (radio) {
                // The checked radio button is its group's tab stop.
                if (m_check != bst::Unchecked) {
                    m_style |= ws::TabStop;
                } else {
                    m_style &= ~ws::TabStop;
                }
            }
            Changed();
            return 0;
        }
        case bm::Click:
            if (!IsEnabled() || kind == ControlKind::GroupBox) return 0;
            Send(wm::LButtonDown, 0, 0);
            Send(wm::LButtonUp, 0, 0);
            return 0;
        case wm::LButtonDown:
            if (kind == ControlKind::GroupBox) return 0;
            Dialog().SetFocusTo(this);
            m_pushed = true;
            Changed();
            return 0;
        case wm::LButtonUp:
            if (m_pushed) Clicked();
            return 0;
        case wm::KeyDown:
            if (wParam == vk::Space && kind != ControlKind::GroupBox) {
                m_pushed = true;
                Changed();
            }
            return 0;
        case wm::KeyUp:
            if (wParam == vk::Space && m_pushed) Clicked();
            return 0;
        case wm::KillFocus:
            m_pushed = false;
            return ControlModel::DefWindowProc(message, wParam, lParam);
        case wm::GetDlgCode:
            if (kind == ControlKind::GroupBox) return dlgc::Static;
            if (kind == ControlKind::PushButton) {
                return dlgc::Button | (IsDefault() ? dlgc::DefPushButton : dlgc::UndefPushButton);
            }
            return radio ? (dlgc::Button | dlgc::RadioButton) : dlgc::Button;
        default:
            return ControlModel::DefWindowProc(message, wParam, lParam);
    }
}

void ButtonModel::Clicked() {
    m_pushed = false;
    Changed();
    if (Kind() == ControlKind::AutoCheckBox) {
        Send(bm::SetCheck, m_check == bst::Unchecked ? bst::Checked : bst::Unchecked, 0);
    } else if (Kind() == ControlKind::AutoRadioButton) {
        Send(bm::SetCheck, bst::Checked, 0);
        // The other auto radio buttons of the group that could take input are unchecked.
        for (ControlModel* other : Dialog().GroupMembers(*this)) {
            if (other != this && other->Kind() == ControlKind::AutoRadioButton &&
                other->IsEnabled() && other->IsVisible()) {
                other->Send(bm::SetCheck, bst::Unchecked, 0);
            }
        }
    }
    NotifyParent(bn::Clicked);
}

}  // namespace model
