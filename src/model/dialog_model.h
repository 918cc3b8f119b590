#pragma once
// One dialog window of the model: its controls in template order, the focus, the default push
// button, the end state, the system menu and icons, and the dialog manager's handling of the
// user's input (IsDialogMessage / DefDlgProc as the program relies on them):
//  - Tab / Shift+Tab visit the visible, enabled WS_TABSTOP controls in template order,
//    wrapping; tabbing into an edit selects all its text (a plain SetFocus does not).
//  - Enter sends WM_COMMAND(BN_CLICKED) for the focused push button, or else for the default
//    button (IDOK unless a template button is BS_DEFPUSHBUTTON or DM_SETDEFID changed it;
//    nothing when that button is disabled). The focus does not move.
//  - Escape sends WM_COMMAND(IDCANCEL); the close box, Alt+F4 and SC_CLOSE go through
//    WM_SYSCOMMAND and WM_CLOSE to the same command (not when a Cancel button is disabled).
//  - Arrow keys on a control that does not want them (check boxes, push buttons, statics)
//    move the focus to the next (Right, Down) or previous (Left, Up) visible, enabled control
//    of its WS_GROUP group, wrapping. A group runs from one WS_GROUP control to the next, and
//    the controls before the first WS_GROUP continue the dialog's last group. Statics and
//    group boxes are not skipped: they take the focus like any control (so Tab then goes on
//    from there). A radio button reached that way takes the focus and, an auto radio button,
//    is clicked unless already checked; any other control gets the focus as Tab gives it
//    (an edit's text selected). This is Wine's GetNextDlgGroupItem; Windows is documented
//    the same, unverified for the controls before the first WS_GROUP.
//  - A dropped list asks for Enter and Escape itself (see ComboBoxModel).
//  - F1 sends WM_COMMAND(ID_HELP).
//  - A focused push button is the default button; when the focus leaves the push buttons the
//    dialog's default button gets its default frame back.
//  - Other keys go to the focused control as WM_KEYDOWN, WM_CHAR (US layout; Ctrl+letter
//    gives its control code) and WM_KEYUP, through its subclass.
//  - While a modal child (message box, nested dialog) is up or the dialog is minimised, its
//    focused control loses the focus (WM_KILLFOCUS) and gets it back afterwards; when the
//    dialog goes away its focused control loses the focus for good.
// Messages for the dialog window go to the owning CDialog's HandleMessage; what it leaves
// unhandled gets the default processing here.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/dialog_template.h"
#include "framework/win_types.h"
#include "model/control_model.h"

class CDialog;

namespace model {

using namespace framework;  // written in the dialog layer's names

// What a dialog needs of the platform it runs on (ModelPlatform): the registry of live windows,
// the clipboard, and painting (the default WM_PAINT begins and ends a paint, as DefWindowProc
// does).
class DialogHost {
public:
    virtual ~DialogHost() = default;
    virtual void Register(WindowModel& window) = 0;
    virtual void Unregister(WindowModel& window) = 0;
    virtual std::string ClipboardText() const = 0;
    virtual void SetClipboardText(std::string text) = 0;
    virtual PaintHandle BeginPaint(Handle window) = 0;
    virtual void EndPaint(Handle window, PaintHandle paint) = 0;
};

struct MenuItem {
    UINT flags = mf::String;
    UINT id = 0;
    std::string text;
};

// Dialog units to pixels for the templates' font (kBaseUnitX/Y in control_model.h).
Rect DialogUnitsToPixels(const Rect& units);

class DialogModel : public ControlHost {
public:
    // `object` receives the dialog window's messages (may be null: default processing only);
    // `owner` is the owning window's handle, or null.
    DialogModel(DialogHost& platform, const DialogTemplate& dialogTemplate, CDialog* object,
                Handle owner);
    ~DialogModel() override;

    CDialog* Object() const { return m_object; }
    Handle Owner() const { return m_owner; }
    const DialogTemplate& Template() const { return m_template; }
    const std::vector<std::unique_ptr<ControlModel>>& Controls() const { return m_controls; }
    // The first control with this id, or null.
    ControlModel* Control(int id) const;
    // The control with this id if it takes a mouse click now, else null.
    ControlModel* ClickTarget(int id) const;

    // ---- The user's actions. Each returns false and does nothing when the dialog takes no
    // input (ended, disabled by a modal child, minimised) or the target cannot take it.
    bool PressKey(UINT vk, Modifiers modifiers = {});
    // WM_CHAR to the focused control; '\t', '\r' and '\x1b' are pressed as their keys.
    bool TypeChar(char ch);
    // Mouse click on a control: it takes the focus first (where it can), then acts.
    bool Click(int id);
    bool SelectComboItem(int id, int index);
    bool ClickTrack(int id, int position);  // on the track; the thumb's own place drags it
    // Mouse selection in an edit: focus, then EM_SETSEL.
    bool SelectText(int id, int start, int end);
    // An edit's context menu: wm::Paste, Cut, Copy, Undo or Clear sent to the control, or
    // em::SetSel for Select All. Nothing filters them as typed characters are filtered.
    bool ContextMenuCommand(int id, UINT wmMessage);
    bool SystemMenuCommand(UINT id);
    bool CloseBox();
    // Minimising and restoring the window; both repaint it.
    void Minimize(bool minimized);

    void SetClipboardText(std::string text) override;
    std::string ClipboardText() const override;

    // ---- Inspection.
    ControlModel* FocusControl() const override { return m_focus; }
    bool Ended() const override { return m_ended; }
    INT_PTR Result() const { return m_result; }
    bool IsMinimized() const { return m_minimized; }
    bool AcceptsInput() const override;
    bool HasSystemMenu() const { return (Style() & ws::SysMenu) != 0; }
    const std::vector<MenuItem>& SystemMenu() const { return m_systemMenu; }
    IconHandle Icon(bool big) const { return big ? m_bigIcon : m_smallIcon; }
    Rect ClientRect() const { return m_clientRect; }
    void SetClientRect(const Rect& rect) { m_clientRect = rect; }

    // ---- Used by the platform and the controls.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    // DefDlgProc: what a message gets when the CDialog leaves it unhandled.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // SetFocus on a control of this dialog (null: the dialog itself). `dialogManager` is the
    // dialog manager's own focus move (Tab, initial focus), which selects an edit's text.
    // Returns false when the control cannot take the focus (disabled).
    bool SetFocusTo(ControlModel* control, bool dialogManager = false) override;
    // The first tab stop (or the last one, backwards), as GetNextDlgTabItem from no control.
    ControlModel* NextTabStop(const ControlModel* from, bool backward) const;
    ControlModel* NextGroupItem(const ControlModel* from, bool backward) const;
    // The modifier keys held during the current PressKey, for the controls' key handling.
    Modifiers KeyModifiers() const override { return m_modifiers; }
    void End(INT_PTR result);
    void AppendSystemMenuItem(UINT flags, UINT id, std::string_view text);
    // The window loses the keyboard focus to another (a modal child) and gets it back; nests.
    void Deactivate();
    void Activate();
    // The controls of `control`'s WS_GROUP group, from its first control on (wrapping).
    std::vector<ControlModel*> GroupMembers(const ControlModel& control) const override;
    // EnableWindow on one of the controls: takes the focus away from it when disabling.
    bool EnableControl(ControlModel& control, bool enable) override;
    bool EnableDialog(bool enable);

    void SetObserver(std::function<void(DialogModel&)> observer) {
        m_observer = std::move(observer);
    }

protected:
    void Changed() override;

private:
    bool KeyToDialogManager(UINT vk, Modifiers modifiers);
    void UpdateDefaultFrames();

    DialogHost& m_platform;
    DialogTemplate m_template;
    CDialog* m_object;
    Handle m_owner;
    std::vector<std::unique_ptr<ControlModel>> m_controls;
    ControlModel* m_focus = nullptr;
    ControlModel* m_savedFocus = nullptr;
    int m_inactive = 0;
    int m_defId = id::Ok;
    bool m_ended = false;
    INT_PTR m_result = 0;
    bool m_minimized = false;
    Modifiers m_modifiers;
    std::vector<MenuItem> m_systemMenu;
    IconHandle m_bigIcon = nullptr, m_smallIcon = nullptr;
    Rect m_clientRect;
    std::function<void(DialogModel&)> m_observer;
};

}  // namespace model
