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

class Win32Platform final : public framework::Platform {
public:
    // `instance` is the module that holds the dialog templates and icons; `resources` give the
    // dialogs' combo-box data and the strings, and must outlive the platform.
    Win32Platform(HINSTANCE instance, const framework::DialogResources& resources);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    INT_PTR RunModalDialog(CDialog& dialog, UINT templateId, framework::Handle owner) override;
    void EndDialog(framework::Handle dialog, INT_PTR result) override;

    framework::Handle GetDlgItem(framework::Handle dialog, int id) override;
    int GetDlgCtrlID(framework::Handle window) override;
    framework::Handle GetParent(framework::Handle window) override;

    LRESULT Send(framework::Handle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Subclass(framework::Handle control, CWnd& wnd) override;
    LRESULT CallDefault(framework::Handle control, UINT message, WPARAM wParam,
                        LPARAM lParam) override;

    bool EnableWindow(framework::Handle window, bool enable) override;
    bool IsWindowEnabled(framework::Handle window) override;
    framework::Handle SetFocus(framework::Handle window) override;
    framework::Handle GetFocus() override;
    bool IsIconic(framework::Handle window) override;
    framework::Rect GetClientRect(framework::Handle window) override;

    int ShowMessageBox(framework::Handle owner, std::string_view text, std::string_view caption,
                       UINT type) override;
    // With MB_OK, a box that fits the screen and whose text can be selected (text_box.h).
    int ShowPathMessageBox(framework::Handle owner, std::string_view text, std::string_view caption,
                           UINT type) override;

    bool HasSystemMenu(framework::Handle window) override;
    void AppendSystemMenuItem(framework::Handle window, UINT flags, UINT id,
                              std::string_view text) override;

    framework::IconHandle LoadAppIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    framework::PaintHandle BeginPaint(framework::Handle window) override;
    void EndPaint(framework::Handle window, framework::PaintHandle paint) override;
    void DrawIcon(framework::PaintHandle paint, int x, int y, framework::IconHandle icon) override;

    std::string ExecutableTitle() override;
    std::string ProgramAsStarted() override;
    char32_t NextPathCharacter(std::string_view text, std::size_t& at) override;
    const framework::DialogResources& Resources() const override { return m_resources; }

private:
    // The dialog procedure of every dialog this platform runs.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    struct SubclassState;
    struct PaintState;

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    PaintState* FindPaint(framework::PaintHandle paint);

    HINSTANCE m_instance;
    const framework::DialogResources& m_resources;
    std::unordered_map<HWND, std::unique_ptr<SubclassState>> m_subclasses;
    std::vector<std::unique_ptr<PaintState>> m_paints;
};

}  // namespace win32
