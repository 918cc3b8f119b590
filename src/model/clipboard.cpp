#include "model/clipboard.h"

namespace model {

namespace {
Clipboard* g_clipboard = nullptr;
}  // namespace

Clipboard* GetClipboard() {
    return g_clipboard;
}

void SetClipboard(Clipboard* clipboard) {
    g_clipboard = clipboard;
}

}  // namespace model
