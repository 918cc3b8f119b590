#include "model/model_platform.h"

#include <algorithm>
#include <utility>

#include "framework/dialog.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

ModelPlatform::ModelPlatform(const DialogResources& resources, std::string executableTitle)
    : m_resources(&resources), m_executableTitle(std::move(executableTitle)) {}

ModelPlatform::~ModelPlatform() = default;

// ---- Registry

void ModelPlatform::Register(WindowModel& window) {
    m_windows[window.GetHandle()] = &window;
}

void ModelPlatform::Unregister(WindowModel& window) {
    m_windows.erase(window.GetHandle());
}

WindowModel* ModelPlatform::FindWindowModel(Handle window) const {
    const auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : found->second;
}

DialogModel* ModelPlatform::FindDialog(Handle window) const {
    return dynamic_cast<DialogModel*>(FindWindowModel(window));
}

ControlModel* ModelPlatform::FindControl(Handle window) const {
    return dynamic_cast<ControlModel*>(FindWindowModel(window));
}

DialogModel* ModelPlatform::DialogOf(Handle window) const {
    if (ControlModel* control = FindControl(window)) {
        return dynamic_cast<DialogModel*>(&control->Dialog());
    }
    return FindDialog(window);
}

DialogModel* ModelPlatform::ActiveDialog() const {
    return m_modalStack.empty() ? nullptr : m_modalStack.back();
}

// ---- Modal dialogs

INT_PTR ModelPlatform::RunModalDialog(CDialog& dialog, UINT templateId, Handle owner) {
    const DialogTemplate* found = m_resources->FindDialog(templateId);
    if (found == nullptr) return -1;

    DialogModel* ownerDialog = DialogOf(owner);
    auto model = std::make_unique<DialogModel>(*this, *found, &dialog, owner);
    // The owner takes no input while the dialog runs, and gets its focus back afterwards.
    bool reenableOwner = false;
    if (ownerDialog != nullptr) {
        ownerDialog->Deactivate();
        reenableOwner = !ownerDialog->EnableDialog(false);
    }
    m_modalStack.push_back(model.get());
    auto finish = [&] {
        m_modalStack.erase(std::find(m_modalStack.begin(), m_modalStack.end(), model.get()));
        model.reset();
        if (ownerDialog != nullptr) {
            if (reenableOwner) ownerDialog->EnableDialog(true);
            ownerDialog->Activate();
        }
    };
    try {
        dialog.m_hWnd = model->GetHandle();
        ControlModel* first = model->NextTabStop(nullptr, false);
        const LRESULT focusDefault = model->Send(
            wm::InitDialog, first != nullptr ? reinterpret_cast<WPARAM>(first->GetHandle()) : 0, 0);
        if (focusDefault != FALSE && !model->Ended()) {
            // The handler may have changed what can take the focus.
            model->SetFocusTo(model->NextTabStop(nullptr, false), true);
        }
        if (!model->Ended()) RunModalLoop(*model);
        // Going away takes the focus from the dialog's control.
        model->Deactivate();
    } catch (...) {
        finish();
        throw;
    }
    const INT_PTR result = model->Result();
    finish();
    return result;
}

void ModelPlatform::EndDialog(Handle dialog, INT_PTR result) {
    if (DialogModel* model = FindDialog(dialog)) model->End(result);
}

int ModelPlatform::ShowMessageBox(Handle owner, std::string_view text, std::string_view caption,
                                  UINT type) {
    return RunBox(MessageBoxRequest{owner, DialogOf(owner), std::string(text), std::string(caption),
                                    type, false});
}

int ModelPlatform::ShowPathMessageBox(Handle owner, std::string_view text, std::string_view caption,
                                      UINT type) {
    return RunBox(MessageBoxRequest{owner, DialogOf(owner), std::string(text), std::string(caption),
                                    type, true});
}

int ModelPlatform::RunBox(const MessageBoxRequest& request) {
    DialogModel* ownerDialog = request.ownerDialog;
    bool reenableOwner = false;
    if (ownerDialog != nullptr) {
        ownerDialog->Deactivate();
        reenableOwner = !ownerDialog->EnableDialog(false);
    }
    auto restore = [&] {
        if (ownerDialog == nullptr) return;
        if (reenableOwner) ownerDialog->EnableDialog(true);
        ownerDialog->Activate();
    };
    int answer = 0;
    try {
        answer = RunMessageBox(request);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return answer;
}

// ---- Windows

Handle ModelPlatform::GetDlgItem(Handle dialog, int id) {
    DialogModel* model = FindDialog(dialog);
    ControlModel* control = model != nullptr ? model->Control(id) : nullptr;
    return control != nullptr ? control->GetHandle() : nullptr;
}

int ModelPlatform::GetDlgCtrlID(Handle window) {
    ControlModel* control = FindControl(window);
    return control != nullptr ? control->Id() : 0;
}

Handle ModelPlatform::GetParent(Handle window) {
    if (ControlModel* control = FindControl(window)) return control->Dialog().GetHandle();
    if (DialogModel* dialog = FindDialog(window)) return dialog->Owner();
    return nullptr;
}

LRESULT ModelPlatform::Send(Handle window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowModel* model = FindWindowModel(window);
    return model != nullptr ? model->Send(message, wParam, lParam) : 0;
}

void ModelPlatform::Subclass(Handle control, CWnd& wnd) {
    if (ControlModel* model = FindControl(control)) model->Subclass(wnd);
}

LRESULT ModelPlatform::CallDefault(Handle control, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowModel* model = FindWindowModel(control);
    return model != nullptr ? model->DefWindowProc(message, wParam, lParam) : 0;
}

bool ModelPlatform::EnableWindow(Handle window, bool enable) {
    if (ControlModel* control = FindControl(window)) {
        return control->Dialog().EnableControl(*control, enable);
    }
    if (DialogModel* dialog = FindDialog(window)) return dialog->EnableDialog(enable);
    return false;
}

bool ModelPlatform::IsWindowEnabled(Handle window) {
    WindowModel* model = FindWindowModel(window);
    return model != nullptr && model->IsEnabled();
}

Handle ModelPlatform::SetFocus(Handle window) {
    const Handle previous = GetFocus();
    if (window == nullptr) {
        if (DialogModel* active = ActiveDialog()) active->SetFocusTo(nullptr);
        return previous;
    }
    if (ControlModel* control = FindControl(window)) {
        return control->Dialog().SetFocusTo(control) ? previous : nullptr;
    }
    if (DialogModel* dialog = FindDialog(window)) {
        dialog->SetFocusTo(nullptr);
        return previous;
    }
    return nullptr;
}

Handle ModelPlatform::GetFocus() {
    DialogModel* active = ActiveDialog();
    ControlModel* focus = active != nullptr ? active->FocusControl() : nullptr;
    return focus != nullptr ? focus->GetHandle() : nullptr;
}

bool ModelPlatform::IsIconic(Handle window) {
    DialogModel* dialog = FindDialog(window);
    return dialog != nullptr && dialog->IsMinimized();
}

Rect ModelPlatform::GetClientRect(Handle window) {
    if (DialogModel* dialog = FindDialog(window)) return dialog->ClientRect();
    if (ControlModel* control = FindControl(window)) {
        const Rect units = control->DialogUnitRect();
        return DialogUnitsToPixels({0, 0, units.right - units.left, units.bottom - units.top});
    }
    return {};
}

bool ModelPlatform::HasSystemMenu(Handle window) {
    DialogModel* dialog = FindDialog(window);
    return dialog != nullptr && dialog->HasSystemMenu();
}

void ModelPlatform::AppendSystemMenuItem(Handle window, UINT flags, UINT id,
                                         std::string_view text) {
    if (DialogModel* dialog = FindDialog(window)) dialog->AppendSystemMenuItem(flags, id, text);
}

// ---- Icons and painting

IconHandle ModelPlatform::LoadAppIcon(UINT resourceId) {
    if (auto found = m_icons.find(resourceId); found != m_icons.end()) {
        return reinterpret_cast<IconHandle>(found->second.get());
    }
    if (m_resources->IconFile(resourceId).empty()) return nullptr;  // no such icon resource
    auto& icon = m_icons[resourceId];
    icon = std::make_unique<IconModel>(IconModel{resourceId});
    return reinterpret_cast<IconHandle>(icon.get());
}

int ModelPlatform::GetSystemMetrics(int index) {
    return index == sm::CxIcon || index == sm::CyIcon ? 32 : 0;
}

PaintHandle ModelPlatform::BeginPaint(Handle window) {
    DialogModel* dialog = FindDialog(window);
    return dialog != nullptr ? reinterpret_cast<PaintHandle>(window) : nullptr;
}

void ModelPlatform::EndPaint(Handle, PaintHandle) {}

// A minimised window's icon is the window manager's to show on the front ends.
void ModelPlatform::DrawIcon(PaintHandle, int, int, IconHandle) {}

}  // namespace model
