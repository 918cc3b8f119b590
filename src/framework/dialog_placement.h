#pragma once
// Where a new modal dialog goes when its template leaves the place to the program: centred on
// its owner, as both front ends place it.
#include <cstdint>

#include "framework/win_types.h"

namespace framework {

// Whether a dialog with these template styles is centred once initialised: a pop-up whose
// template has neither DS_CENTER, DS_CENTERMOUSE nor DS_ABSALIGN.
bool IsCentredOnOwner(std::uint32_t style);

struct DialogOrigin {
    int x = 0, y = 0;
};

// The top-left corner of a `width` x `height` window centred on `around` (the owner's window
// rectangle, or the work area when the owner is missing, hidden or minimised), then moved back
// inside `workArea` wherever it sticks out; a window larger than the area keeps its top-left
// corner in it.
DialogOrigin CentreDialog(int width, int height, const Rect& around, const Rect& workArea);

}  // namespace framework
