#include "platform/qt/accessible_names.h"

#include <cstdlib>
#include <string>

#include "framework/dialog.h"
#include "platform/qt/ansi_text.h"

namespace qt {

namespace {

bool IsIcon(const framework::ItemTemplate& item) {
    return item.className == framework::kStaticClass &&
           (item.style & framework::ss::TypeMask) == framework::ss::Icon;
}

// The text of the static on `item`'s row nearest to it (an icon is no label), without its
// mnemonic marker; empty when the row has none.
QString RowLabel(const framework::DialogTemplate& dialog, const framework::ItemTemplate& item) {
    const framework::ItemTemplate* label = nullptr;
    for (const framework::ItemTemplate& other : dialog.items) {
        if (other.y != item.y || other.className != framework::kStaticClass || other.text.empty() ||
            IsIcon(other))
            continue;
        if (label == nullptr || std::abs(other.x - item.x) < std::abs(label->x - item.x))
            label = &other;
    }
    if (label == nullptr) return {};
    // SS_NOPREFIX: the ampersands are text.
    return (label->style & framework::ss::NoPrefix) != 0 ? FromAnsi(label->text)
                                                         : MnemonicText(label->text, false);
}

bool NamedByItsText(model::ControlKind kind) {
    switch (kind) {
        case model::ControlKind::Edit:
        case model::ControlKind::ComboBox:
        case model::ControlKind::Trackbar:
        case model::ControlKind::Other:
            return false;
        default:
            return true;
    }
}

}  // namespace

QString AccessibleName(const model::DialogModel& dialog, const model::ControlModel& control) {
    // An icon's text is its resource id, nothing a listener could use: an image without a name.
    if (IsIcon(control.Item())) return {};
    if (NamedByItsText(control.Kind()) && !control.Text().empty()) {
        // Without the mnemonic's ampersand ("&&" is one); SS_NOPREFIX: the ampersands are text.
        const bool literal = control.Kind() == model::ControlKind::Static &&
                             (control.Style() & framework::ss::NoPrefix) != 0;
        return MnemonicText(control.Text(), literal);
    }
    const CDialog* object = dialog.Object();
    const std::string given = object != nullptr ? object->GetAccessibleName(control.Id()) : "";
    const QString label = RowLabel(dialog.Template(), control.Item());
    QString name = given.empty() ? label : FromAnsi(given);
    name.replace(FromAnsi(CDialog::kRowLabel), label);
    return name;
}

}  // namespace qt
