#pragma once
// A drop-down list: the model's items, selection and dropped state. A press gives it the focus
// and drops the list through the model; a click on an item of the dropped list picks it through
// the model, which selects, closes the list and notifies the dialog. Keys go to the model.
#include "platform/qt/control_view.h"

class QListWidget;

namespace qt {

class ComboView : public ControlView {
public:
    ComboView(const ViewContext& context, model::ControlModel& control);
    void Place(QRect rect) override;
    bool Mouse(QMouseEvent& mouse) override;
    void Stop() override;

protected:
    void RefreshKind() override;

private:
    // Focuses the list and drops it, through the model.
    void DropDown();
    void ShowList(QListWidget& list);
};

}  // namespace qt
