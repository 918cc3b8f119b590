#include "platform/qt/trackbar_view.h"

#include <QMouseEvent>
#include <QTimer>

#include "platform/qt/model_slider.h"

namespace qt {

using model::TrackbarModel;

TrackbarView::TrackbarView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, new ModelSlider(&context.surface)),
      m_repeat(new QTimer(&Widget())) {
    Widget().setContextMenuPolicy(Qt::PreventContextMenu);
    QObject::connect(m_repeat, &QTimer::timeout, &Widget(), [this] { RepeatPage(); });
}

TrackbarModel& TrackbarView::Trackbar() const {
    return static_cast<TrackbarModel&>(Control());
}

bool TrackbarView::Mouse(QMouseEvent& mouse) {
    auto& slider = static_cast<ModelSlider&>(Widget());
    TrackbarModel& model = Trackbar();
    const QPoint point = mouse.position().toPoint();
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (m_dragging || m_paging) break;
            const int value = slider.ValueAt(point.x());
            if (slider.HandleRect().contains(point) || value == model.Pos()) {
                // On the thumb: it follows the mouse from where it was grabbed.
                m_grabOffset = point.x() - slider.HandleCentre();
                m_dragging = model.UserPressThumb();
            } else if (model.UserPressTrack(value)) {
                m_paging = true;
                m_pagePoint = point.x();
                m_repeat->start(TrackbarModel::kPageRepeatDelayMs);
            }
            Refresh();
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging) {
                model.UserDragTo(slider.ValueAt(point.x() - m_grabOffset));
            } else if (m_paging) {
                m_pagePoint = point.x();
            }
            break;
        case QEvent::MouseButtonRelease:
            if (!m_dragging && !m_paging) break;
            m_dragging = false;
            m_paging = false;
            m_repeat->stop();
            model.UserRelease();
            Refresh();
            break;
        default:
            break;
    }
    return true;
}

void TrackbarView::RepeatPage() {
    m_repeat->setInterval(TrackbarModel::kPageRepeatMs);
    if (!m_paging || Model().Ended()) {
        m_repeat->stop();
        return;
    }
    auto& slider = static_cast<ModelSlider&>(Widget());
    // The mouse over the thumb counts as the thumb's own position, where paging stops.
    const QRect thumb = slider.HandleRect();
    const bool onThumb = m_pagePoint >= thumb.left() && m_pagePoint <= thumb.right();
    Trackbar().UserHoldTrack(onThumb ? Trackbar().Pos() : slider.ValueAt(m_pagePoint));
    AfterInput();
}

void TrackbarView::Stop() {
    m_repeat->stop();
}

void TrackbarView::RefreshKind() {
    TrackbarModel& model = Trackbar();
    auto& slider = static_cast<ModelSlider&>(Widget());
    // QSlider keeps minimum <= maximum; an inverted range shows as an empty one.
    slider.setRange(model.RangeMin(), std::max(model.RangeMin(), model.RangeMax()));
    slider.setSingleStep(model.LineSize());
    slider.setPageStep(model.PageSize());
    slider.setValue(model.Pos());
    slider.setSliderDown(m_dragging);
}

}  // namespace qt
