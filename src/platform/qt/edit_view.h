#pragma once
// A single-line edit: the model's text, caret and selection (shown only while it has the
// focus), the mouse's selections and its context menu.
#include "platform/qt/control_view.h"

class QPoint;

namespace qt {

class EditView : public ControlView {
public:
    EditView(const ViewContext& context, model::ControlModel& control);
    bool Mouse(QMouseEvent& mouse) override;
    // Opens the edit's context menu at `globalPos` and gives the chosen command to the model.
    void ShowMenu(const QPoint& globalPos);

protected:
    void RefreshKind() override;

private:
    model::EditModel& Edit() const;

    bool m_selecting = false;  // dragging a selection
    int m_anchor = 0;
};

}  // namespace qt
