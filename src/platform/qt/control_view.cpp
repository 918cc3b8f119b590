#include "platform/qt/control_view.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QWidget>

namespace qt {

ControlView::ControlView(const ViewContext& context, model::ControlModel& control, QWidget* widget)
    : m_context(context), m_control(control), m_widget(widget) {}

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

}  // namespace qt
