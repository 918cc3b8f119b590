#pragma once
// What the dialog layer needs of a windowing system. On Windows this is user32 itself; on every
// other platform it is our model of the Windows controls (model/), drawn by a front end or kept
// in memory by the headless platform the tests use.
#include <cstddef>
#include <string>
#include <string_view>

#include "framework/dialog_resources.h"
#include "framework/win_types.h"

class CDialog;
class CWnd;

namespace framework {

class Platform {
public:
    virtual ~Platform() = default;

    // Creates the dialog from its template, owned by `owner`, and runs its modal loop. Every
    // message for the dialog window goes to dialog.HandleMessage, starting with WM_INITDIALOG
    // (the dialog's m_hWnd is set before it arrives). Returns the code given to EndDialog, or -1
    // when the dialog cannot be created.
    virtual INT_PTR RunModalDialog(CDialog& dialog, UINT templateId, Handle owner) = 0;
    // Ends the modal loop of that dialog once the current message has been handled.
    virtual void EndDialog(Handle dialog, INT_PTR result) = 0;

    virtual Handle GetDlgItem(Handle dialog, int id) = 0;
    virtual int GetDlgCtrlID(Handle window) = 0;
    virtual Handle GetParent(Handle window) = 0;

    // Sends a message to a window; a subclassed control sees it in its CWnd first.
    virtual LRESULT Send(Handle window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // From now on every message to `control` reaches wnd.WindowProc before the control's own
    // processing; wnd.Default() hands it on with CallDefault.
    virtual void Subclass(Handle control, CWnd& wnd) = 0;
    virtual LRESULT CallDefault(Handle control, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    virtual bool EnableWindow(Handle window, bool enable) = 0;  // returns "was disabled"
    virtual bool IsWindowEnabled(Handle window) = 0;
    virtual Handle SetFocus(Handle window) = 0;
    virtual Handle GetFocus() = 0;
    virtual bool IsIconic(Handle window) = 0;
    virtual Rect GetClientRect(Handle window) = 0;

    // A message box owned by `owner`; `type` is an MB_ value (the program only uses MB_OK).
    virtual int ShowMessageBox(Handle owner, std::string_view text, std::string_view caption,
                               UINT type) = 0;
    // As ShowMessageBox, for text holding paths as the file system spells them: UTF-8 on POSIX
    // systems, the ANSI code page on Windows (where this is ShowMessageBox itself).
    virtual int ShowPathMessageBox(Handle owner, std::string_view text, std::string_view caption,
                                   UINT type) {
        return ShowMessageBox(owner, text, caption, type);
    }

    // The window's system menu: false when it has none. Items are appended at its end.
    virtual bool HasSystemMenu(Handle window) = 0;
    virtual void AppendSystemMenuItem(Handle window, UINT flags, UINT id,
                                      std::string_view text) = 0;

    virtual IconHandle LoadAppIcon(UINT resourceId) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual PaintHandle BeginPaint(Handle window) = 0;
    virtual void EndPaint(Handle window, PaintHandle paint) = 0;
    virtual void DrawIcon(PaintHandle paint, int x, int y, IconHandle icon) = 0;

    // The executable's file name without its extension: the application's name.
    virtual std::string ExecutableTitle() = 0;
    // How a player starts this program again from a shell: the name a shell found it by, when
    // it was started that way, else the executable's full path. F1's command lines use it.
    virtual std::string ProgramAsStarted() = 0;
#ifdef _WIN32
    // The character of `text` (a path in the ANSI code page) that starts at `at`, as Unicode;
    // `at` moves past it. PowerShell reads some of them as quotes.
    virtual char32_t NextPathCharacter(std::string_view text, std::size_t& at) = 0;
#endif

    // The resources the dialogs are made from: templates, their combo-box data, strings.
    virtual const DialogResources& Resources() const = 0;
};

// The platform the program runs on; set once by the front end's entry point (or a test).
Platform& GetPlatform();
void SetPlatform(Platform* platform);

}  // namespace framework
