#pragma once
// A push button: drawn down while the mouse is held on it, clicked when released over it; the
// model moves the default frame with the focus.
#include "platform/qt/control_view.h"

namespace qt {

// The left button on a button (push, check or radio): drawn down while the mouse is held over
// it, a click by the model when released there.
class ButtonPress {
public:
    void Mouse(ControlView& view, model::DialogModel& model, QMouseEvent& mouse);
    bool ShowsDown() const { return m_held && m_inside; }

private:
    bool m_held = false;
    bool m_inside = false;
};

class PushButtonView : public ControlView {
public:
    PushButtonView(const ViewContext& context, model::ControlModel& control);
    bool Mouse(QMouseEvent& mouse) override;

protected:
    void RefreshKind() override;

private:
    ButtonPress m_press;
};

}  // namespace qt
