#include "platform/qt/view_factory.h"

#include <QLabel>

#include "platform/qt/ansi_text.h"
#include "platform/qt/check_box_view.h"
#include "platform/qt/combo_view.h"
#include "platform/qt/control_view.h"
#include "platform/qt/edit_view.h"
#include "platform/qt/push_button_view.h"
#include "platform/qt/static_view.h"
#include "platform/qt/trackbar_view.h"

namespace qt {

using model::ControlKind;

namespace {

// A class the model does not know: its text, and nothing else.
class OtherView : public ControlView {
public:
    OtherView(const ViewContext& context, model::ControlModel& control)
        : ControlView(context, control, new QLabel(&context.surface)) {
        auto& label = static_cast<QLabel&>(Widget());
        label.setTextFormat(Qt::PlainText);
        label.setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void RefreshKind() override {
        static_cast<QLabel&>(Widget()).setText(FromAnsi(Control().Text()));
    }
};

}  // namespace

std::unique_ptr<ControlView> CreateControlView(const ViewContext& context,
                                               model::ControlModel& control) {
    switch (control.Kind()) {
        case ControlKind::PushButton:
            return std::make_unique<PushButtonView>(context, control);
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton:
            return std::make_unique<CheckBoxView>(context, control);
        case ControlKind::Edit:
            return std::make_unique<EditView>(context, control);
        case ControlKind::ComboBox:
            return std::make_unique<ComboView>(context, control);
        case ControlKind::Trackbar:
            return std::make_unique<TrackbarView>(context, control);
        case ControlKind::Static:
        case ControlKind::GroupBox:
            return std::make_unique<StaticView>(context, control);
        case ControlKind::Other:
            break;
    }
    return std::make_unique<OtherView>(context, control);
}

}  // namespace qt
