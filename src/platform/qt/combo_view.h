#pragma once
// A drop-down list: the model's items and selection. A press gives it the focus and drops the
// list down; the pick goes to the model, which selects and notifies the dialog.
#include "platform/qt/control_view.h"

namespace qtfront {

class ComboView : public ControlView {
public:
    ComboView(DialogWindow& window, fw::model::ControlModel& control);
    void Place(QRect rect) override;
    bool Mouse(QMouseEvent& mouse) override;
    // F4 and Alt+Up/Down: the list drops down (only drawn; the pick goes to the model).
    void DropDown();

protected:
    void RefreshKind() override;
};

}  // namespace qtfront
