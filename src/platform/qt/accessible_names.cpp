#include "platform/qt/accessible_names.h"

#include <QWidget>
#include <cstdlib>
#include <string>

#include "framework/dialog.h"
#include "model/dialog_model.h"
#include "platform/qt/ansi_text.h"

namespace qt {

QString RowLabel(const framework::DialogTemplate& dialog, const framework::ItemTemplate& item) {
    const framework::ItemTemplate* label = nullptr;
    for (const framework::ItemTemplate& other : dialog.items) {
        if (other.y != item.y || other.className != framework::kStaticClass || other.text.empty() ||
            (other.style & framework::ss::TypeMask) == framework::ss::Icon)
            continue;
        if (label == nullptr || std::abs(other.x - item.x) < std::abs(label->x - item.x))
            label = &other;
    }
    if (label == nullptr) return {};
    // SS_NOPREFIX: the ampersands are text.
    return (label->style & framework::ss::NoPrefix) != 0 ? FromAnsi(label->text)
                                                         : MnemonicText(label->text, false);
}

void NameAfterRow(QWidget& widget, const model::DialogModel& dialog,
                  const model::ControlModel& control) {
    const CDialog* object = dialog.Object();
    const std::string given = object != nullptr ? object->GetAccessibleName(control.Id()) : "";
    // The view names a control by its own text; the row only where it fell back on the
    // dialog's name.
    if (widget.accessibleName() != FromAnsi(given)) return;
    const QString label = RowLabel(dialog.Template(), control.Item());
    QString name = given.empty() ? label : FromAnsi(given);
    name.replace(FromAnsi(CDialog::kRowLabel), label);
    widget.setAccessibleName(name);
}

}  // namespace qt
