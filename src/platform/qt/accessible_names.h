#pragma once
// The names screen readers announce for the controls, made here and nowhere else. A button,
// static or group box is named by its own text. A control with no text of its own to be named
// by (an edit, a list, a trackbar, a box without text) takes the name its dialog gives it
// (CDialog::GetAccessibleName), else the label on its row in the dialog template, as a sighted
// user reads the row.
#include <QString>

#include "model/control_model.h"
#include "model/dialog_model.h"

namespace qt {

// The accessible name of `control`, a control of `dialog`.
QString AccessibleName(const model::DialogModel& dialog, const model::ControlModel& control);

}  // namespace qt
