// Entry point of the Windows program: common controls, DPI awareness, the platform, then the
// application object's InitInstance.
// Framework headers first, then <windows.h>, then what builds on it.
// clang-format off
#include "framework/app.h"
#include "framework/platform.h"
#include "platform/win32/win32_platform.h"
#include "rcscript/resource_set.h"
#include "settings/record/services.h"

#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace {

// Per-monitor awareness (v2) lets dialogs scale their fonts and layout when moved between
// monitors. The manifest asks for it already; the call covers systems that read the manifest's
// older setting only, and is looked up at run time because it exists from Windows 10 1703 on.
void DeclarePerMonitorDpiAwareness() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (user32 == nullptr) return;
    const FARPROC proc = ::GetProcAddress(user32, "SetProcessDpiAwarenessContext");
    if (proc == nullptr) return;
    // Through void(*)(), the generic function pointer type, to the real signature.
    const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void (*)()>(proc));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the pseudo-handle -4. Failure (awareness
    // already set by the manifest) changes nothing.
    setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    DeclarePerMonitorDpiAwareness();

    // The trackbar lives in comctl32; the standard controls register themselves.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    // The dialogs' combo-box data and the strings come from the resource script compiled in.
    win32::Win32Platform platform(instance, rcscript::ResourceSet::Program());
    framework::SetPlatform(&platform);
    settings::InstallServices(settings::PlatformServices());
    const int status = framework::RunApplication();
    framework::SetPlatform(nullptr);
    return status;
}
