#include "platform/qt/run_modes.h"

#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/qt/dialog_window.h"
#include "platform/qt/qt_platform.h"
#include "resource.h"

namespace qtfront {

namespace {

QString EnvPath(const char* name) {
    return qEnvironmentVariable(name);
}

std::string Decimal(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

std::string Decimal(long long value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void Save(DialogWindow& window, const QString& path) {
    if (!window.grab().save(path, "PNG")) {
        std::fputs(("cannot write " + path.toStdString() + "\n").c_str(), stderr);
    }
}

}  // namespace

double MillisecondsSinceProcessStart() {
    // Field 22 of /proc/self/stat: the start time in clock ticks after boot. The command
    // name (field 2) may hold blanks and parentheses, so count from the last ')'.
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray content = stat.readAll();
    const qsizetype close = content.lastIndexOf(')');
    if (close < 0) return -1;
    const QList<QByteArray> fields = content.mid(close + 2).split(' ');
    constexpr qsizetype kStartTimeField = 22 - 3;
    if (fields.size() <= kStartTimeField) return -1;
    const QByteArray& field = fields[kStartTimeField];
    unsigned long long ticks = 0;
    if (std::from_chars(field.constData(), field.constData() + field.size(), ticks).ec !=
        std::errc()) {
        return -1;
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const double started =
        static_cast<double>(ticks) * 1000.0 / static_cast<double>(ticksPerSecond);
    const double current =
        static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
    return current - started;
}

bool InstallRunModes(QtPlatform& platform, std::chrono::steady_clock::time_point mainEntry) {
    const bool probe = qEnvironmentVariable("TAVREL_STARTUP_PROBE") == QLatin1String("1");
    const QString mainShot = EnvPath("TAVREL_SCREENSHOT");
    const QString aboutShot = EnvPath("TAVREL_SCREENSHOT_ABOUT");
    if (!probe && mainShot.isEmpty()) return false;

    // Nobody is there to answer a message box (a game folder that cannot be found, say).
    platform.SetMessageBoxHook([](QMessageBox& box) {
        if (QAbstractButton* button = box.defaultButton()) {
            button->click();
        } else {
            box.done(QMessageBox::Ok);
        }
    });

    if (probe) {
        platform.SetShownHook([mainEntry](DialogWindow& window) {
            const auto sinceMain = std::chrono::duration<double, std::milli>(
                std::chrono::steady_clock::now() - mainEntry);
            timespec wall{};
            clock_gettime(CLOCK_REALTIME, &wall);
            const long long wallNs =
                static_cast<long long>(wall.tv_sec) * 1000000000LL + wall.tv_nsec;
            const std::string line = "startup_ms=" + Decimal(MillisecondsSinceProcessStart()) +
                                     " main_ms=" + Decimal(sinceMain.count()) +
                                     " realtime_ns=" + Decimal(wallNs) + "\n";
            std::fputs(line.c_str(), stdout);
            std::fflush(stdout);
            window.Model().CloseBox();  // Cancel: nothing is written
        });
        return true;
    }

    platform.SetShownHook([mainShot, aboutShot](DialogWindow& window) {
        fw::model::DialogModel& model = window.Model();
        if (model.Template().id == IDD_ABOUTBOX) {
            if (!aboutShot.isEmpty()) Save(window, aboutShot);
            model.CloseBox();
            return;
        }
        Save(window, mainShot);
        if (!aboutShot.isEmpty()) model.SystemMenuCommand(IDM_ABOUTBOX);
        model.CloseBox();
    });
    return true;
}

}  // namespace qtfront
