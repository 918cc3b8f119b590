#include "framework/app.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_appName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return FALSE;
}

bool CWinApp::OnCmdMsg(UINT id) {
    if (id == framework::ID_HELP) {
        OnHelp();
        return true;
    }
    return false;
}

void CWinApp::OnHelp() {}

std::string CWinApp::GetAppName() const {
    return m_appName != nullptr ? std::string(m_appName)
                                : framework::GetPlatform().ExecutableTitle();
}

CWinApp* AfxGetApp() {
    return g_app;
}

std::string AfxGetAppName() {
    return g_app != nullptr ? g_app->GetAppName() : framework::GetPlatform().ExecutableTitle();
}

namespace framework {

int RunApplication() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr) app->InitInstance();
    // InitInstance returns FALSE once its dialog has closed: there is no message loop of our own
    // and no exit status of the program's own.
    return 0;
}

}  // namespace framework
