#pragma once
// Static text (or the application's icon) and group frames: they show their text and let the
// mouse through to what lies beneath them, as their Windows originals do.
#include "platform/qt/control_view.h"

namespace qt {

class StaticView : public ControlView {
public:
    StaticView(const ViewContext& context, model::ControlModel& control);
    void Place(QRect rect) override;

protected:
    void RefreshKind() override;

private:
    bool IsIcon() const;
};

}  // namespace qt
