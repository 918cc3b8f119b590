#include "support/dialog_driver.h"

#include <stdexcept>

#include "support/headless_platform.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {
ControlModel& Existing(const DialogModel& dialog, int id) {
    ControlModel* control = dialog.Control(id);
    if (control == nullptr) {
        throw std::invalid_argument("the dialog has no such control: " + std::to_string(id));
    }
    return *control;
}

template <class T>
T& Typed(const DialogModel& dialog, int id, ControlKind kind) {
    ControlModel& control = Existing(dialog, id);
    auto* typed = dynamic_cast<T*>(&control);
    if (typed == nullptr || (kind != ControlKind::Other && control.Kind() != kind)) {
        throw std::invalid_argument("the control " + std::to_string(id) + " is of another kind");
    }
    return *typed;
}
}  // namespace

bool TypeText(DialogModel& dialog, std::string_view text) {
    for (char ch : text) {
        if (!dialog.TypeChar(ch)) return false;
    }
    return true;
}

bool DragThumb(DialogModel& dialog, int id, const std::vector<int>& positions) {
    auto* trackbar = dynamic_cast<TrackbarModel*>(dialog.ClickTarget(id));
    if (trackbar == nullptr || !trackbar->UserPressThumb()) return false;
    for (int position : positions) trackbar->UserDragTo(position);
    trackbar->UserRelease();
    return true;
}

void Paint(DialogModel& dialog) {
    dialog.Send(wm::Paint, 0, 0);
}

const std::vector<PaintRecord>& PaintLog(const DialogModel& dialog) {
    auto* platform = dynamic_cast<HeadlessPlatform*>(&GetPlatform());
    if (platform == nullptr) throw std::logic_error("no headless platform is installed");
    return platform->PaintLog(dialog);
}

ButtonModel& Button(const DialogModel& dialog, int id) {
    return Typed<ButtonModel>(dialog, id, ControlKind::Other);
}
EditModel& Edit(const DialogModel& dialog, int id) {
    return Typed<EditModel>(dialog, id, ControlKind::Edit);
}
ComboBoxModel& Combo(const DialogModel& dialog, int id) {
    return Typed<ComboBoxModel>(dialog, id, ControlKind::ComboBox);
}
TrackbarModel& Trackbar(const DialogModel& dialog, int id) {
    return Typed<TrackbarModel>(dialog, id, ControlKind::Trackbar);
}

int Focus(const DialogModel& dialog) {
    const ControlModel* focus = dialog.FocusControl();
    return focus != nullptr ? focus->Id() : 0;
}
std::string Text(const DialogModel& dialog, int id) {
    return Existing(dialog, id).Text();
}
UINT Check(const DialogModel& dialog, int id) {
    return Button(dialog, id).Check();
}
bool Enabled(const DialogModel& dialog, int id) {
    return Existing(dialog, id).IsEnabled();
}
int ComboSelection(const DialogModel& dialog, int id) {
    return Combo(dialog, id).Selection();
}
std::vector<std::string> ComboItems(const DialogModel& dialog, int id) {
    return Combo(dialog, id).Items();
}
int TrackPos(const DialogModel& dialog, int id) {
    return Trackbar(dialog, id).Pos();
}
std::pair<int, int> TrackRange(const DialogModel& dialog, int id) {
    return {Trackbar(dialog, id).RangeMin(), Trackbar(dialog, id).RangeMax()};
}
std::pair<int, int> Selection(const DialogModel& dialog, int id) {
    return Edit(dialog, id).Selection();
}
int TextLimit(const DialogModel& dialog, int id) {
    return static_cast<int>(Edit(dialog, id).Send(em::GetLimitText, 0, 0));
}
int DefaultButtonId(DialogModel& dialog) {
    const ControlModel* focus = dialog.FocusControl();
    if (focus != nullptr && focus->Kind() == ControlKind::PushButton) return focus->Id();
    return static_cast<int>(static_cast<UINT>(dialog.DefWindowProc(dm::GetDefId, 0, 0)) & 0xFFFFu);
}

}  // namespace model
