#pragma once
// A horizontal trackbar: the model's range and position. The mouse drags the thumb, or pages
// toward a press beside it - on and on while the button is held, as the model's timer rule
// says.
#include "platform/qt/control_view.h"

class QTimer;

namespace qt {

class TrackbarView : public ControlView {
public:
    TrackbarView(const ViewContext& context, model::ControlModel& control);
    bool Mouse(QMouseEvent& mouse) override;
    void Stop() override;

protected:
    void RefreshKind() override;

private:
    model::TrackbarModel& Trackbar() const;
    void RepeatPage();

    bool m_dragging = false;  // the thumb follows the mouse
    bool m_paging = false;    // held down beside the thumb
    int m_pagePoint = 0;      // where the mouse is while paging
    int m_grabOffset = 0;     // from the thumb's centre to where it was grabbed
    QTimer* m_repeat;
};

}  // namespace qt
