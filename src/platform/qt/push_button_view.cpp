#include "platform/qt/push_button_view.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "platform/qt/ansi_text.h"

namespace qt {

namespace {

// Windows draws a push button's focus as a dotted rectangle 3 pixels inside its edge, within
// the 3D frame; the style's own focus frame is left out.
constexpr int kFocusInset = 3;

class PushButton : public QPushButton {
public:
    explicit PushButton(QWidget* parent) : QPushButton(parent) {
        // The model moves the default frame with the focus; Qt must not do it as well.
        setAutoDefault(false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.state &= ~QStyle::State_HasFocus;
        painter.drawControl(QStyle::CE_PushButton, option);
        if (hasFocus()) {
            DrawFocusRect(painter,
                          rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset),
                          palette().color(QPalette::ButtonText));
        }
    }
};

}  // namespace

void ButtonPress::Mouse(ControlView& view, model::DialogModel& model, QMouseEvent& mouse) {
    const model::ControlModel& control = view.Control();
    const bool inside = view.Widget().rect().contains(mouse.position().toPoint());
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A double click is two clicks to a button.
            if (!control.IsEnabled() || model.Ended()) return;
            m_held = true;
            m_inside = true;
            view.Refresh();
            break;
        case QEvent::MouseMove:
            if (!m_held || inside == m_inside) return;
            m_inside = inside;
            view.Refresh();
            break;
        case QEvent::MouseButtonRelease:
            if (!m_held) return;
            m_held = false;
            m_inside = false;
            view.Refresh();
            // Released over the button: a click (focus, check, BN_CLICKED) by the model.
            if (inside) model.Click(control.Id());
            break;
        default:
            break;
    }
}

PushButtonView::PushButtonView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, new PushButton(&context.surface)) {}

bool PushButtonView::Mouse(QMouseEvent& mouse) {
    m_press.Mouse(*this, Model(), mouse);
    return true;
}

void PushButtonView::RefreshKind() {
    auto& model = static_cast<model::ButtonModel&>(Control());
    auto& button = static_cast<PushButton&>(Widget());
    const QString text = MnemonicText(model.Text(), true);
    if (button.text() != text) button.setText(text);
    button.setDefault(model.IsDefault());
    button.setDown(model.IsPushed() || m_press.ShowsDown());
}

}  // namespace qt
