#pragma once
// The dialog layer's platform on Windows: user32 and comctl32 themselves. Dialogs come from the
// executable's resources; every dialog message goes to CDialog::HandleMessage through one dialog
// procedure, and subclassed controls reach their CWnd through one window procedure.
//
// Framework headers come before <windows.h>: win_types.h spells BOOL, UINT and the handle-sized
// integers exactly as <windows.h> does, and defines TRUE/FALSE only where it has not.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// clang-format off
#include "framework/platform.h"

#include <windows.h>
// clang-format on

namespace win32 {

// The application's name from the executable's full path: the file name without its folder and
// without its extension ("C:\Games\TavrelCustomizer.exe" -> "TavrelCustomizer"). A name that is
// nothing but an extension (".exe") is kept whole, so that the name never comes out empty.
std::string TitleFromModulePath(std::string_view path);

class Win32Platform final : public fw::Platform {
public:
    // `instance` is the module that holds the dialog templates and icons; `resources` give the
    // dialogs' combo-box data and the strings, and must outlive the platform.
    Win32Platform(HINSTANCE instance, const fw::DialogResources& resources);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    INT_PTR RunModalDialog(CDialog& dialog, UINT templateId, fw::Handle owner) override;
    void EndDialog(fw::Handle dialog, INT_PTR result) override;

    fw::Handle GetDlgItem(fw::Handle dialog, int id) override;
    int GetDlgCtrlID(fw::Handle window) override;
    fw::Handle GetParent(fw::Handle window) override;

    LRESULT Send(fw::Handle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Subclass(fw::Handle control, CWnd& wnd) override;
    LRESULT CallDefault(fw::Handle control, UINT message, WPARAM wParam, LPARAM lParam) override;

    bool EnableWindow(fw::Handle window, bool enable) override;
    bool IsWindowEnabled(fw::Handle window) override;
    fw::Handle SetFocus(fw::Handle window) override;
    fw::Handle GetFocus() override;
    bool IsIconic(fw::Handle window) override;
    fw::Rect GetClientRect(fw::Handle window) override;

    int ShowMessageBox(fw::Handle owner, std::string_view text, std::string_view caption,
                       UINT type) override;

    bool HasSystemMenu(fw::Handle window) override;
    void AppendSystemMenuItem(fw::Handle window, UINT flags, UINT id,
                              std::string_view text) override;

    fw::IconHandle LoadAppIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    fw::PaintHandle BeginPaint(fw::Handle window) override;
    void EndPaint(fw::Handle window, fw::PaintHandle paint) override;
    void DrawIcon(fw::PaintHandle paint, int x, int y, fw::IconHandle icon) override;

    std::string ExecutableTitle() override;
    const fw::DialogResources& Resources() const override { return m_resources; }

private:
    // The dialog procedure of every dialog this platform runs.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    struct SubclassState;
    struct PaintState;

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    PaintState* FindPaint(fw::PaintHandle paint);

    HINSTANCE m_instance;
    const fw::DialogResources& m_resources;
    std::unordered_map<HWND, std::unique_ptr<SubclassState>> m_subclasses;
    std::vector<std::unique_ptr<PaintState>> m_paints;
};

}  // namespace win32
