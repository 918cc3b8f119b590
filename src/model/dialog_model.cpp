#include "model/dialog_model.h"

#include <utility>

#include "framework/dialog.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {

// The character TranslateMessage makes of a key (US layout), or 0.
UINT CharOfKey(UINT key, Modifiers modifiers) {
    if (key == vk::Back) return modifiers.ctrl ? 0 : 0x08;
    if (key == vk::Space) return ' ';
    if (key >= 'A' && key <= 'Z') {
        if (modifiers.ctrl) return key - 'A' + 1;
        return modifiers.shift ? key : key + ('a' - 'A');
    }
    if (key >= '0' && key <= '9' && !modifiers.ctrl) {
        static constexpr char kShifted[] = ")!@#$%^&*(";
        return modifiers.shift ? static_cast<UINT>(kShifted[key - '0']) : key;
    }
    return 0;
}

// Restores the modifier state when a key press has been handled, also on nested presses.
class ModifierScope {
public:
    ModifierScope(Modifiers& held, Modifiers now) : m_held(held), m_before(held) { held = now; }
    ~ModifierScope() { m_held = m_before; }
    ModifierScope(const ModifierScope&) = delete;
    ModifierScope& operator=(const ModifierScope&) = delete;

private:
    Modifiers& m_held;
    Modifiers m_before;
};

}  // namespace

Rect DialogUnitsToPixels(const Rect& units) {
    return {units.left * kBaseUnitX / 4, units.top * kBaseUnitY / 8, units.right * kBaseUnitX / 4,
            units.bottom * kBaseUnitY / 8};
}

DialogModel::DialogModel(DialogHost& platform, const DialogTemplate& dialogTemplate,
                         CDialog* object, Handle owner)
    : ControlHost(dialogTemplate.caption, dialogTemplate.style),
      m_platform(platform),
      m_template(dialogTemplate),
      m_object(object),
      m_owner(owner) {
    bool defaultFound = false;
    for (const ItemTemplate& item : m_template.items) {
        m_controls.push_back(ControlModel::Create(item, *this));
        const ControlModel& control = *m_controls.back();
        // The template's default push button, else IDOK.
        if (!defaultFound && control.Kind() == ControlKind::PushButton &&
            (control.Style() & bs::TypeMask) == bs::DefPushButton) {
            m_defId = control.Id();
            defaultFound = true;
        }
    }
    if (HasSystemMenu()) {
        // What a modal frame without minimise and maximise boxes leaves of the system menu.
        m_systemMenu = {{mf::String, sc::Move, "&Move"},
                        {mf::Separator, 0, ""},
                        {mf::String, sc::Close, "&Close\tAlt+F4"}};
    }
    m_clientRect = DialogUnitsToPixels({0, 0, m_template.cx, m_template.cy});
    try {
        m_platform.Register(*this);
        for (const auto& control : m_controls) m_platform.Register(*control);
    } catch (...) {
        m_platform.Unregister(*this);
        for (const auto& control : m_controls) m_platform.Unregister(*control);
        throw;
    }
}

DialogModel::~DialogModel() {
    m_platform.Unregister(*this);
    for (const auto& control : m_controls) m_platform.Unregister(*control);
}

ControlModel* DialogModel::Control(int id) const {
    for (const auto& control : m_controls) {
        if (control->Id() == id) return control.get();
    }
    return nullptr;
}

// ---- Messages for the dialog window

LRESULT DialogModel::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_object != nullptr) {
        LRESULT result = 0;
        if (m_object->HandleMessage(message, wParam, lParam, &result)) return result;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT DialogModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case wm::SysCommand:
            switch (wParam & 0xFFF0u) {
                case sc::Close:
                    Send(wm::Close, 0, 0);
                    break;
                case sc::Minimize:
                    Minimize(true);
                    break;
                case sc::Restore:
                    Minimize(false);
                    break;
                default:
                    break;
            }
            return 0;
        case wm::Close: {
            ControlModel* cancel = Control(id::Cancel);
            if (cancel != nullptr && !cancel->IsEnabled()) return 0;
            Send(wm::Command, MakeWParam(id::Cancel, bn::Clicked),
                 cancel != nullptr ? PointerParam(cancel->GetHandle()) : 0);
            return 0;
        }
        case wm::SetIcon: {
            IconHandle& slot = wParam == icon::Big ? m_bigIcon : m_smallIcon;
            const IconHandle previous = std::exchange(slot, reinterpret_cast<IconHandle>(lParam));
            Changed();
            return reinterpret_cast<LRESULT>(previous);
        }
        case wm::SetText:
        case wm::GetText:
        case wm::GetTextLength:
            return TextMessage(message, wParam, lParam);
        case wm::Paint:
            // Nothing to draw here (the front ends draw the controls): the paint only validates.
            m_platform.EndPaint(GetHandle(), m_platform.BeginPaint(GetHandle()));
            return 0;
        case dm::GetDefId:
            return MakeLResult(m_defId, static_cast<int>(dm::HasDefId));
        case dm::SetDefId:
            m_defId = AsInt(wParam);
            UpdateDefaultFrames();
            return TRUE;
        default:
            // WM_INITDIALOG unhandled: FALSE, no default focus; the rest needs nothing.
            return 0;
    }
}

void DialogModel::Changed() {
    if (m_observer) m_observer(*this);
}

// ---- Focus

bool DialogModel::SetFocusTo(ControlModel* control, bool dialogManager) {
    if (control != nullptr && (!control->IsEnabled() || !IsEnabled() || m_inactive > 0)) {
        return false;
    }
    if (control == m_focus) {
        if (control != nullptr && dialogManager &&
            (control->Send(wm::GetDlgCode, 0, 0) & dlgc::HasSetSel) != 0) {
            control->Send(em::SetSel, 0, -1);
        }
        return true;
    }
    ControlModel* old = std::exchange(m_focus, control);
    if (old != nullptr) {
        old->Send(wm::KillFocus,
                  control != nullptr ? reinterpret_cast<WPARAM>(control->GetHandle()) : 0, 0);
    }
    // The old control's handler may have moved the focus on: that move has done the rest.
    if (m_focus != control) return true;
    UpdateDefaultFrames();
    if (control != nullptr) {
        control->Send(wm::SetFocus, old != nullptr ? reinterpret_cast<WPARAM>(old->GetHandle()) : 0,
                      0);
        if (dialogManager && m_focus == control &&
            (control->Send(wm::GetDlgCode, 0, 0) & dlgc::HasSetSel) != 0) {
            control->Send(em::SetSel, 0, -1);
        }
    }
    Changed();
    return true;
}

void DialogModel::UpdateDefaultFrames() {
    const bool onPushButton = m_focus != nullptr && m_focus->Kind() == ControlKind::PushButton;
    for (const auto& control : m_controls) {
        if (control->Kind() != ControlKind::PushButton) continue;
        const bool isDefault = onPushButton ? control.get() == m_focus : control->Id() == m_defId;
        const std::uint32_t style =
            (control->m_style & ~bs::TypeMask) | (isDefault ? bs::DefPushButton : bs::PushButton);
        if (style != control->m_style) {
            control->m_style = style;
            control->Changed();
        }
    }
}

void DialogModel::Deactivate() {
    if (m_inactive++ > 0) return;
    m_savedFocus = m_focus;
    if (ControlModel* old = std::exchange(m_focus, nullptr)) {
        old->Send(wm::KillFocus, 0, 0);
        Changed();
    }
}

void DialogModel::Activate() {
    if (m_inactive == 0) return;
    --m_inactive;
    if (m_inactive > 0) return;
    ControlModel* saved = std::exchange(m_savedFocus, nullptr);
    if (saved != nullptr && !m_ended) SetFocusTo(saved);
}

ControlModel* DialogModel::NextTabStop(const ControlModel* from, bool backward) const {
    const int count = static_cast<int>(m_controls.size());
    if (count == 0) return nullptr;
    int start = backward ? 0 : count - 1;  // from no control: the first (or the last)
    for (int i = 0; i < count; ++i) {
        if (m_controls[static_cast<std::size_t>(i)].get() == from) start = i;
    }
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (backward ? -step : step)) % count + count) % count;
        ControlModel* candidate = m_controls[static_cast<std::size_t>(index)].get();
        if (candidate->IsVisible() && candidate->IsEnabled() && candidate->IsTabStop()) {
            return candidate;
        }
    }
    return nullptr;
}

std::vector<ControlModel*> DialogModel::GroupMembers(const ControlModel& control) const {
    // A group runs from a WS_GROUP control to the next one, and on from the last control to
    // the first: the controls before the first WS_GROUP belong to the dialog's last group.
    const std::size_t count = m_controls.size();
    std::size_t at = 0;
    while (at < count && m_controls[at].get() != &control) ++at;
    if (at == count) return {};
    std::size_t first = at;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (at + count - step) % count;
        if (m_controls[index]->StartsGroup()) {
            first = index;
            break;
        }
        first = index;  // no WS_GROUP anywhere: one group of all, from the first control
    }
    std::vector<ControlModel*> members{m_controls[first].get()};
    for (std::size_t step = 1; step < count; ++step) {
        ControlModel* next = m_controls[(first + step) % count].get();
        if (next->StartsGroup()) break;
        members.push_back(next);
    }
    return members;
}

ControlModel* DialogModel::NextGroupItem(const ControlModel* from, bool backward) const {
    if (from == nullptr) return nullptr;
    const std::vector<ControlModel*> group = GroupMembers(*from);
    const int count = static_cast<int>(group.size());
    int start = 0;
    for (int i = 0; i < count; ++i) {
        if (group[static_cast<std::size_t>(i)] == from) start = i;
    }
    // Any visible, enabled window of the group qualifies, statics and group boxes too: the
    // dialog manager gives them the focus as well.
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (backward ? -step : step)) % count + count) % count;
        ControlModel* candidate = group[static_cast<std::size_t>(index)];
        if (candidate->IsVisible() && candidate->IsEnabled()) return candidate;
    }
    return nullptr;
}

bool DialogModel::EnableControl(ControlModel& control, bool enable) {
    const bool wasDisabled = !control.IsEnabled();
    if (!control.SetEnabledState(enable)) return wasDisabled;
    // A disabled window cannot keep the focus.
    if (!enable && m_focus == &control) SetFocusTo(nullptr);
    control.Send(wm::Enable, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

bool DialogModel::EnableDialog(bool enable) {
    const bool wasDisabled = !IsEnabled();
    if (!SetEnabledState(enable)) return wasDisabled;
    if (!enable && m_focus != nullptr) SetFocusTo(nullptr);
    Send(wm::Enable, enable ? TRUE : FALSE, 0);
    Changed();
    return wasDisabled;
}

// ---- State

void DialogModel::End(INT_PTR result) {
    m_ended = true;
    m_result = result;
    Changed();
}

void DialogModel::AppendSystemMenuItem(UINT flags, UINT id, std::string_view text) {
    if (!HasSystemMenu()) return;
    m_systemMenu.push_back({flags, id, std::string(text)});
    Changed();
}

void DialogModel::SetClipboardText(std::string text) {
    m_platform.SetClipboardText(std::move(text));
}

std::string DialogModel::ClipboardText() const {
    return m_platform.ClipboardText();
}

bool DialogModel::AcceptsInput() const {
    return !m_ended && IsEnabled() && !m_minimized;
}

// ---- The user's actions

bool DialogModel::PressKey(UINT key, Modifiers modifiers) {
    if (!AcceptsInput()) return false;
    ModifierScope held(m_modifiers, modifiers);
    if (modifiers.alt) {
        // Alt+F4 closes; other Alt keys reach the focused control as WM_SYSKEYDOWN (Alt+Down
        // drops a list). Mnemonics are not modelled.
        if (key == vk::F4) {
            if (!HasSystemMenu()) return false;
            Send(wm::SysCommand, sc::Close, 0);
            return true;
        }
        if (m_focus == nullptr) return false;
        m_focus->Send(wm::SysKeyDown, key, kf::AltDown | 1);
        return true;
    }
    if (KeyToDialogManager(key, modifiers)) return true;
    ControlModel* target = m_focus;
    if (target == nullptr) return true;  // the dialog window itself ignores the key
    target->Send(wm::KeyDown, key, 1);
    if (const UINT ch = CharOfKey(key, modifiers); ch != 0 && !m_ended) {
        target->Send(wm::Char, ch, 1);
    }
    if (m_focus != nullptr && !m_ended) m_focus->Send(wm::KeyUp, key, 1);
    return true;
}

bool DialogModel::KeyToDialogManager(UINT key, Modifiers modifiers) {
    const LRESULT code = m_focus != nullptr ? m_focus->Send(wm::GetDlgCode, key, 0) : 0;
    switch (key) {
        case vk::F1:
            Send(wm::Command, MakeWParam(ID_HELP, 0), 0);
            return true;
        case vk::Tab:
            if ((code & (dlgc::WantTab | dlgc::WantAllKeys)) != 0 || modifiers.ctrl) return false;
            if (ControlModel* next = NextTabStop(m_focus, modifiers.shift)) SetFocusTo(next, true);
            return true;
        case vk::Return: {
            if ((code & dlgc::WantAllKeys) != 0) return false;
            if (m_focus != nullptr && (code & dlgc::DefPushButton) != 0) {
                const auto id = static_cast<UINT>(m_focus->Id());
                Send(wm::Command, MakeWParam(id, bn::Clicked), PointerParam(m_focus->GetHandle()));
                return true;
            }
            ControlModel* button = Control(m_defId);
            if (button != nullptr && !button->IsEnabled()) return true;
            Send(wm::Command, MakeWParam(static_cast<UINT>(m_defId), bn::Clicked),
                 button != nullptr ? PointerParam(button->GetHandle()) : 0);
            return true;
        }
        case vk::Escape: {
            if ((code & dlgc::WantAllKeys) != 0) return false;
            ControlModel* cancel = Control(id::Cancel);
            Send(wm::Command, MakeWParam(id::Cancel, bn::Clicked),
                 cancel != nullptr ? PointerParam(cancel->GetHandle()) : 0);
            return true;
        }
        case vk::Left:
        case vk::Right:
        case vk::Up:
        case vk::Down: {
            if (m_focus == nullptr) return true;
            if ((code & (dlgc::WantArrows | dlgc::WantAllKeys)) != 0) return false;
            ControlModel* next = NextGroupItem(m_focus, key == vk::Left || key == vk::Up);
            if (next == nullptr || next == m_focus) return true;
            if (next->Send(wm::GetDlgCode, key, 0) == (dlgc::Button | dlgc::RadioButton)) {
                SetFocusTo(next);
                if (next->Kind() == ControlKind::AutoRadioButton &&
                    next->Send(bm::GetCheck, 0, 0) != bst::Checked) {
                    next->Send(bm::Click, 0, 0);
                }
            } else {
                SetFocusTo(next, true);
            }
            return true;
        }
        default:
            return false;
    }
}

bool DialogModel::TypeChar(char ch) {
    if (!AcceptsInput()) return false;
    switch (ch) {
        case '\t':
            return PressKey(vk::Tab);
        case '\r':
        case '\n':
            return PressKey(vk::Return);
        case '\x1b':
            return PressKey(vk::Escape);
        default:
            break;
    }
    if (m_focus != nullptr) m_focus->Send(wm::Char, static_cast<unsigned char>(ch), 1);
    return true;
}

ControlModel* DialogModel::ClickTarget(int id) const {
    if (!AcceptsInput()) return nullptr;
    ControlModel* control = Control(id);
    if (control == nullptr || !control->IsEnabled() || !control->IsVisible()) return nullptr;
    return control;
}

bool DialogModel::Click(int id) {
    ControlModel* control = ClickTarget(id);
    if (control == nullptr) return false;
    if (auto* trackbar = dynamic_cast<TrackbarModel*>(control))
        return ClickTrack(id, trackbar->Pos());
    control->Send(wm::LButtonDown, 0, 0);
    if (!m_ended) control->Send(wm::LButtonUp, 0, 0);
    return true;
}

bool DialogModel::SelectComboItem(int id, int index) {
    auto* combo = dynamic_cast<ComboBoxModel*>(ClickTarget(id));
    return combo != nullptr && combo->UserPick(index);
}

bool DialogModel::ClickTrack(int id, int position) {
    auto* trackbar = dynamic_cast<TrackbarModel*>(ClickTarget(id));
    if (trackbar == nullptr || !trackbar->UserPressTrack(position)) return false;
    trackbar->UserRelease();
    return true;
}

bool DialogModel::SelectText(int id, int start, int end) {
    ControlModel* edit = ClickTarget(id);
    if (edit == nullptr || edit->Kind() != ControlKind::Edit) return false;
    edit->Send(wm::LButtonDown, 0, 0);
    edit->Send(em::SetSel, static_cast<WPARAM>(static_cast<std::intptr_t>(start)), end);
    return true;
}

bool DialogModel::ContextMenuCommand(int id, UINT wmMessage) {
    ControlModel* edit = ClickTarget(id);
    if (edit == nullptr || edit->Kind() != ControlKind::Edit) return false;
    switch (wmMessage) {
        case wm::Undo:
        case wm::Cut:
        case wm::Copy:
        case wm::Paste:
        case wm::Clear:
        case em::SetSel:  // "Select All"
            break;
        default:
            return false;
    }
    // The edit takes the focus to show its menu.
    SetFocusTo(edit);
    edit->Send(wmMessage, 0, wmMessage == em::SetSel ? -1 : 0);
    return true;
}

bool DialogModel::SystemMenuCommand(UINT id) {
    if (m_ended || !IsEnabled() || !HasSystemMenu()) return false;
    Send(wm::SysCommand, id, 0);
    return true;
}

bool DialogModel::CloseBox() {
    return SystemMenuCommand(sc::Close);
}

void DialogModel::Minimize(bool minimized) {
    if (minimized == m_minimized) return;
    m_minimized = minimized;
    if (minimized) {
        Deactivate();
    } else {
        Activate();
    }
    Changed();
    Send(wm::Paint, 0, 0);
}

}  // namespace model
