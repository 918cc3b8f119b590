#pragma once
// The tests' hands and eyes on a dialog of the model, over its public interface: typing a
// string, dragging a trackbar's thumb, repainting, and reading the controls by id. The id forms
// throw std::invalid_argument for an unknown id or a control of another kind.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/dialog_model.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

// What one WM_PAINT drew, between its BeginPaint and EndPaint: an icon at a place, or nothing
// (the default painting).
struct PaintRecord {
    bool defaultPaint = false;
    int x = 0, y = 0;
    IconHandle icon = nullptr;
};

bool TypeText(DialogModel& dialog, std::string_view text);
bool DragThumb(DialogModel& dialog, int id, const std::vector<int>& positions);
// The system asks the window to repaint (WM_PAINT).
void Paint(DialogModel& dialog);
// What the dialog's WM_PAINTs drew while the headless platform ran it.
const std::vector<PaintRecord>& PaintLog(const DialogModel& dialog);

ButtonModel& Button(const DialogModel& dialog, int id);
EditModel& Edit(const DialogModel& dialog, int id);
ComboBoxModel& Combo(const DialogModel& dialog, int id);
TrackbarModel& Trackbar(const DialogModel& dialog, int id);

int Focus(const DialogModel& dialog);  // the focused control's id, 0 when none has the focus
std::string Text(const DialogModel& dialog, int id);
UINT Check(const DialogModel& dialog, int id);
bool Enabled(const DialogModel& dialog, int id);
int ComboSelection(const DialogModel& dialog, int id);
std::vector<std::string> ComboItems(const DialogModel& dialog, int id);
int TrackPos(const DialogModel& dialog, int id);
std::pair<int, int> TrackRange(const DialogModel& dialog, int id);
std::pair<int, int> Selection(const DialogModel& dialog, int id);
int TextLimit(const DialogModel& dialog, int id);  // EM_GETLIMITTEXT
int DefaultButtonId(DialogModel& dialog);          // the button Enter would press now

}  // namespace model
