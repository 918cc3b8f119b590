#pragma once
// A check box or radio button: its box and text, checked as the model says, clicked when the
// mouse is released over it.
#include "platform/qt/push_button_view.h"

namespace qt {

class CheckBoxView : public ControlView {
public:
    CheckBoxView(const ViewContext& context, model::ControlModel& control);
    void Place(QRect rect) override;
    bool Mouse(QMouseEvent& mouse) override;

protected:
    void RefreshKind() override;

private:
    ButtonPress m_press;
};

}  // namespace qt
