// Makes the view for a control's kind: the one place that knows every kind of view.
#pragma once

#include <memory>

#include "platform/qt/control_view.h"

namespace qt {

std::unique_ptr<ControlView> CreateControlView(const ViewContext& context,
                                               model::ControlModel& control);

}  // namespace qt
