#pragma once
// A check box or radio button: its box and text, checked as the model says, clicked when the
// mouse is released over it.
#include "platform/qt/push_button_view.h"

namespace qtfront {

class CheckBoxView : public ControlView {
public:
    CheckBoxView(const ViewContext& context, fw::model::ControlModel& control);
    void Place(QRect rect) override;
    bool Mouse(QMouseEvent& mouse) override;

protected:
    void RefreshKind() override;

private:
    ButtonPress m_press;
};

}  // namespace qtfront
