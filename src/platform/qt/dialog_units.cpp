#include "platform/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <array>
#include <cmath>

namespace qt {

namespace {
// Faces with the metrics of the template's font, best first. Liberation Sans and Arimo are
// metric twins of Arial, which is within a pixel of the Windows dialog font at 8 pt.
constexpr std::array<const char*, 6> kFallbackFaces = {
    "Microsoft Sans Serif", "Liberation Sans", "Arimo", "Arial", "Nimbus Sans", "DejaVu Sans"};
}  // namespace

QFont DialogFont(const framework::DialogTemplate& dialog) {
    QString family;
    const QString wanted = QString::fromStdString(dialog.fontName);
    if (!wanted.isEmpty() && QFontDatabase::hasFamily(wanted)) {
        family = wanted;
    } else {
        for (const char* face : kFallbackFaces) {
            if (QFontDatabase::hasFamily(QString::fromLatin1(face))) {
                family = QString::fromLatin1(face);
                break;
            }
        }
    }
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    // GDI asks for a whole number of pixels: 8 points at 96 dpi are 11 pixels, not 10.67. The
    // font's height, and with it the dialog, comes out as on Windows.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
    font.setPixelSize(MulDiv(dialog.fontPointSize > 0 ? dialog.fontPointSize : 8, dpi, 72));
    // Template weights are GDI weights (0 = default, 400 normal, 700 bold).
    if (dialog.fontWeight >= 600) font.setBold(true);
    font.setItalic(dialog.fontItalic);
    return font;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    BaseUnits units;
    // The dialog manager's rounding: (width / 26 + 1) / 2.
    units.x = (width / 26 + 1) / 2;
    // The cell height as GDI reports it (tmHeight): ascent and descent each rounded up to whole
    // pixels, as hinted TrueType metrics are. Qt rounds them to nearest, a pixel short of it.
    const QFontMetricsF exact(font);
    units.y = static_cast<int>(std::ceil(exact.ascent() - 0.01)) +
              static_cast<int>(std::ceil(exact.descent() - 0.01));
    if (units.x < 1) units.x = 1;
    if (units.y < 1) units.y = 1;
    return units;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect MapDialogRect(const BaseUnits& units, int x, int y, int cx, int cy) {
    return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
                 MulDiv(cy, units.y, 8));
}

}  // namespace qt
