#include "framework/platform.h"

#include <stdexcept>

namespace framework {

namespace {
Platform* g_platform = nullptr;
}

Platform& GetPlatform() {
    if (g_platform == nullptr) throw std::logic_error("no windowing platform has been set");
    return *g_platform;
}

void SetPlatform(Platform* platform) {
    g_platform = platform;
}

}  // namespace framework
