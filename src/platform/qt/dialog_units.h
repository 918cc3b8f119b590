#pragma once
// Dialog units to pixels, as the Windows dialog manager converts them: the template's font gives
// the base units (average width of the 52 letters, rounded; the font's height), and every
// coordinate is scaled with rounding (MulDiv). Pixels here are Qt's device-independent pixels, so
// the window keeps the template's proportions at any screen scaling.
#include <QFont>
#include <QRect>

#include "framework/dialog_template.h"

namespace qt {

struct BaseUnits {
    int x = 6;
    int y = 13;
};

// The template's face when it is installed, else the nearest sans-serif face present, at the
// template's size and weight.
QFont DialogFont(const framework::DialogTemplate& dialog);

BaseUnits MeasureBaseUnits(const QFont& font);

// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);

QRect MapDialogRect(const BaseUnits& units, int x, int y, int cx, int cy);

}  // namespace qt
