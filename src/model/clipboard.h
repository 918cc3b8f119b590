#pragma once
// The system's clipboard as the edit controls cut, copy and paste with it: text in the dialog
// layer's code page. One for the process, as on Windows: the front end puts its own in place,
// as it sets the dialog layer's platform.
#include <string>

namespace model {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(std::string text) = 0;
};

// The clipboard in place; null until a front end (or a test) puts one there, and then an edit
// has nothing to paste and copies nowhere.
Clipboard* GetClipboard();
void SetClipboard(Clipboard* clipboard);

}  // namespace model
