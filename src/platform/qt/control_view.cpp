#include "platform/qt/control_view.h"

#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>

#include "framework/dialog.h"
#include "platform/qt/ansi_text.h"
#include "platform/qt/check_box_view.h"
#include "platform/qt/combo_view.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/edit_view.h"
#include "platform/qt/push_button_view.h"
#include "platform/qt/static_view.h"
#include "platform/qt/trackbar_view.h"

namespace qtfront {

using fw::model::ControlKind;

namespace {

// What a screen reader announces: a button, static or group box by its own text, without the
// mnemonic's ampersand ("&&" is one); anything else (and a button without text) by the name its
// dialog gives it.
QString AccessibleName(const fw::model::DialogModel& dialog,
                       const fw::model::ControlModel& control) {
    switch (control.Kind()) {
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::Trackbar:
        case ControlKind::Other:
            break;
        default:
            if (!control.Text().empty()) {
                // SS_NOPREFIX: the ampersands are text.
                const bool literal = control.Kind() == ControlKind::Static &&
                                     (control.Style() & fw::ss::NoPrefix) != 0;
                return MnemonicText(control.Text(), literal);
            }
            break;
    }
    const CDialog* object = dialog.Object();
    return object != nullptr ? FromAnsi(object->GetAccessibleName(control.Id())) : QString();
}

}  // namespace

ControlView::ControlView(DialogWindow& window, fw::model::ControlModel& control, QWidget* widget)
    : m_window(window), m_control(control), m_widget(widget) {
    widget->setAccessibleName(AccessibleName(window.Model(), control));
}

fw::model::DialogModel& ControlView::Model() const {
    return m_window.Model();
}

void ControlView::Place(QRect rect) {
    m_widget->setGeometry(rect);
}

void ControlView::Refresh() {
    // What the model shows is no user's doing: no widget signal reacts to it.
    const QSignalBlocker blocker(m_widget);
    m_widget->setEnabled(m_control.IsEnabled());
    m_widget->setVisible(m_control.IsVisible());
    RefreshKind();
}

bool ControlView::Mouse(QMouseEvent&) {
    return true;
}

namespace {

// A class the model does not know: its text, and nothing else.
class OtherView : public ControlView {
public:
    OtherView(DialogWindow& window, fw::model::ControlModel& control)
        : ControlView(window, control, new QLabel(&window)) {
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

std::unique_ptr<ControlView> CreateControlView(DialogWindow& window,
                                               fw::model::ControlModel& control) {
    switch (control.Kind()) {
        case ControlKind::PushButton:
            return std::make_unique<PushButtonView>(window, control);
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton:
            return std::make_unique<CheckBoxView>(window, control);
        case ControlKind::Edit:
            return std::make_unique<EditView>(window, control);
        case ControlKind::ComboBox:
            return std::make_unique<ComboView>(window, control);
        case ControlKind::Trackbar:
            return std::make_unique<TrackbarView>(window, control);
        case ControlKind::Static:
        case ControlKind::GroupBox:
            return std::make_unique<StaticView>(window, control);
        case ControlKind::Other:
            break;
    }
    return std::make_unique<OtherView>(window, control);
}

void DrawFocusRect(QPainter& painter, const QRect& rect, const QColor& color) {
    if (rect.width() < 1 || rect.height() < 1) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Every other pixel along each edge, starting at the corner.
    const int left = rect.left(), right = rect.right(), top = rect.top(), bottom = rect.bottom();
    QList<QPoint> dots;
    for (int x = left; x <= right; x += 2) dots << QPoint(x, top) << QPoint(x, bottom);
    for (int y = top; y <= bottom; y += 2) dots << QPoint(left, y) << QPoint(right, y);
    painter.setPen(QPen(color, 0));
    painter.drawPoints(dots.constData(), static_cast<int>(dots.size()));
    painter.restore();
}

}  // namespace qtfront
