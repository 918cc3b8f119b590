#include "framework/dialog_placement.h"

#include <algorithm>

#include "framework/dialog_template.h"

namespace framework {

namespace {}

bool IsCentredOnOwner(std::uint32_t style) {
    return (style & ws::Child) == 0 && (style & (ds::Center | ds::CenterMouse | ds::AbsAlign)) == 0;
}

DialogOrigin CentreDialog(int width, int height, const Rect& around, const Rect& workArea) {
    // In 64 bits: rectangles near the ends of the int range must not overflow.
    const long long cx = (static_cast<long long>(around.left) + around.right) / 2 - width / 2;
    const long long cy = (static_cast<long long>(around.top) + around.bottom) / 2 - height / 2;
    const long long x = std::max(std::min(cx, static_cast<long long>(workArea.right) - width),
                                 static_cast<long long>(workArea.left));
    const long long y = std::max(std::min(cy, static_cast<long long>(workArea.bottom) - height),
                                 static_cast<long long>(workArea.top));
    return {static_cast<int>(x), static_cast<int>(y)};
}

}  // namespace framework
