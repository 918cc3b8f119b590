#pragma once
// framework::Platform over the control model: every window is a DialogModel or ControlModel, and a
// handle is the model object's address. Handles are looked up in a registry of live windows,
// so a stale or foreign handle is refused (Send returns 0) instead of being followed.
//
// RunModalDialog follows DialogBox: the owner is disabled (its focused control loses the
// focus), the dialog is created from its template, WM_INITDIALOG goes to the CDialog, and a
// TRUE result puts the focus on the first tab stop as the dialog manager does (an edit's text
// selected); FALSE leaves the focus where the handler put it. Then RunModalLoop runs the
// dialog until it ends; the owner is enabled again and gets its focus back.
//
// Front ends derive from this class: RunModalLoop shows the dialog and feeds the user's input
// to the DialogModel; RunMessageBox shows a message box.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/dialog_resources.h"
#include "framework/platform.h"
#include "model/control_model.h"
#include "model/dialog_model.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

struct MessageBoxRequest {
    Handle owner = nullptr;
    DialogModel* ownerDialog = nullptr;  // the dialog the owner belongs to, if any
    std::string text;
    std::string caption;
    UINT type = mb::Ok;
    bool utf8Text = false;  // the text is UTF-8 (ShowPathMessageBox), not ANSI
};

// What LoadAppIcon hands out: one object per icon resource, whose address is the handle.
struct IconModel {
    UINT resourceId = 0;
};

class ModelPlatform : public Platform, public DialogHost {
public:
    // Templates, combo-box data, strings and icons come from `resources`, which must outlive
    // the platform; `executableTitle` is the application's name (ExecutableTitle()).
    ModelPlatform(const DialogResources& resources, std::string executableTitle);
    ~ModelPlatform() override;

    // ---- framework::Platform
    INT_PTR RunModalDialog(CDialog& dialog, UINT templateId, Handle owner) override;
    void EndDialog(Handle dialog, INT_PTR result) override;
    Handle GetDlgItem(Handle dialog, int id) override;
    int GetDlgCtrlID(Handle window) override;
    Handle GetParent(Handle window) override;
    LRESULT Send(Handle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Subclass(Handle control, CWnd& wnd) override;
    LRESULT CallDefault(Handle control, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool EnableWindow(Handle window, bool enable) override;
    bool IsWindowEnabled(Handle window) override;
    Handle SetFocus(Handle window) override;
    Handle GetFocus() override;
    bool IsIconic(Handle window) override;
    Rect GetClientRect(Handle window) override;
    // Disables the owner's dialog while RunMessageBox runs, as a modal box does.
    int ShowMessageBox(Handle owner, std::string_view text, std::string_view caption,
                       UINT type) override;
    int ShowPathMessageBox(Handle owner, std::string_view text, std::string_view caption,
                           UINT type) override;
    bool HasSystemMenu(Handle window) override;
    void AppendSystemMenuItem(Handle window, UINT flags, UINT id, std::string_view text) override;
    IconHandle LoadAppIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    PaintHandle BeginPaint(Handle window) override;
    void EndPaint(Handle window, PaintHandle paint) override;
    void DrawIcon(PaintHandle paint, int x, int y, IconHandle icon) override;
    std::string ExecutableTitle() override { return m_executableTitle; }
    const DialogResources& Resources() const override { return *m_resources; }

    // ---- The model
    WindowModel* FindWindowModel(Handle window) const;
    DialogModel* FindDialog(Handle window) const;
    ControlModel* FindControl(Handle window) const;
    // The dialog of a window: itself, or a control's dialog.
    DialogModel* DialogOf(Handle window) const;
    // The innermost modal dialog running, or null.
    DialogModel* ActiveDialog() const;

    // The clipboard the edits cut, copy and paste with; a front end may put the system's
    // clipboard behind it.
    std::string ClipboardText() const override { return m_clipboard; }
    void SetClipboardText(std::string text) override { m_clipboard = std::move(text); }

    // Windows register themselves while they exist.
    void Register(WindowModel& window) override;
    void Unregister(WindowModel& window) override;

protected:
    // Runs the dialog until it has ended (dialog.Ended()); returns dialog.Result().
    virtual INT_PTR RunModalLoop(DialogModel& dialog) = 0;
    // Shows the box and returns the button chosen (IDOK for MB_OK).
    virtual int RunMessageBox(const MessageBoxRequest& request) = 0;

private:
    int RunBox(const MessageBoxRequest& request);

    const DialogResources* m_resources;
    std::string m_executableTitle;
    std::unordered_map<Handle, WindowModel*> m_windows;
    std::vector<DialogModel*> m_modalStack;
    std::map<UINT, std::unique_ptr<IconModel>> m_icons;
    std::string m_clipboard;
};

}  // namespace model
