// Pictures of the Linux program's dialogs for the documentation: the program's own library on
// the Qt platform, with the main dialog and then the About box saved as PNG files once drawn.
//   TAVREL_GAME_DIR=<game> tc_qt_screenshots MAIN.png [ABOUT.png]
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

#include "app/customizer_app.h"
#include "framework/app.h"
#include "framework/platform.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/qt_platform.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "scripted_qt_platform.h"

namespace {

bool Save(qt::DialogWindow& window, const QString& path) {
    if (window.grab().save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: tc_qt_screenshots MAIN.png [ABOUT.png]\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavrelCustomizer"));
    QApplication::setDesktopFileName(QStringLiteral("tavrel-customizer"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString mainShot = QString::fromLocal8Bit(argv[1]);
    const QString aboutShot = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    qt_tests::ScriptedQtPlatform platform(rcscript::ResourceSet::Program(), "TavrelCustomizer");
    framework::SetPlatform(&platform);
    bool saved = true;
    // Nobody is there to answer a message box (a game folder that cannot be found, say).
    platform.onBox = [](QMessageBox& box) {
        if (QPushButton* button = box.defaultButton()) {
            button->click();
        } else {
            box.done(QMessageBox::Ok);
        }
    };
    platform.onShown = [&](qt::DialogWindow& window) {
        model::DialogModel& model = window.Model();
        if (model.Template().id == IDD_ABOUTBOX) {
            saved = Save(window, aboutShot) && saved;
        } else {
            saved = Save(window, mainShot) && saved;
            if (!aboutShot.isEmpty()) model.SystemMenuCommand(IDM_ABOUTBOX);
        }
        model.CloseBox();  // Cancel: nothing is written
    };
    if (AfxGetApp() != &theApp) return 1;
    const int status = framework::RunApplication();
    framework::SetPlatform(nullptr);
    return saved ? status : 1;
}
