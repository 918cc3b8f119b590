#pragma once
// Names for screen readers of the controls that have no text of their own (an edit, a list, a
// trackbar, a box without text): the label on the control's row in the dialog template, as a
// sighted user reads the row, unless the dialog names the control itself
// (CDialog::GetAccessibleName).
#include <QString>

#include "framework/dialog_template.h"

class QWidget;

namespace model {

using namespace framework;  // written in the dialog layer's names
class ControlModel;
class DialogModel;
}  // namespace model

namespace qt {

// The text of the static on `item`'s row nearest to it (an icon is no label), without its
// mnemonic marker; empty when the row has none.
QString RowLabel(const framework::DialogTemplate& dialog, const framework::ItemTemplate& item);

// Names `widget`, the view of `control`, after its row where the view found no text of its own
// to name it by.
void NameAfterRow(QWidget& widget, const model::DialogModel& dialog,
                  const model::ControlModel& control);

}  // namespace qt
