// The Linux program: the dialog layer's model of the Windows controls, drawn with Qt.
#include <QApplication>

#include "app/customizer_app.h"
#include "framework/app.h"
#include "framework/platform.h"
#include "platform/qt/qt_platform.h"
#include "rcscript/resource_set.h"
#include "settings/record/services.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavrelCustomizer"));
    QApplication::setDesktopFileName(QStringLiteral("tavrel-customizer"));
    // The one dialog closing ends the program, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);

    // The dialogs come from the resource script compiled in; message boxes without a caption
    // show the program's name, as the executable's title.
    qt::QtPlatform platform(rcscript::ResourceSet::Program(), "TavrelCustomizer");
    framework::SetPlatform(&platform);
    settings::InstallServices(settings::PlatformServices());

    // The application object lives in the program's library; naming it here links it in, and
    // it is the one the framework will run.
    if (AfxGetApp() != &theApp) return 1;
    const int status = framework::RunApplication();
    framework::SetPlatform(nullptr);
    return status;
}
