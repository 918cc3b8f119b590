#pragma once
// What the dialog layer reads of the program's resources: dialog templates, the combo-box data
// that fills them, strings and icon files. The platform hands it out (Platform::Resources());
// the front end that makes the platform decides where it comes from.
#include <string>
#include <vector>

#include "framework/dialog_template.h"

namespace framework {

class DialogResources {
public:
    virtual ~DialogResources() = default;

    // The template of dialog `id`, or nullptr.
    virtual const DialogTemplate* FindDialog(unsigned id) const = 0;
    // The add-string requests for the combo boxes of dialog `dialogId`, in order.
    virtual std::vector<DialogInitEntry> DialogInit(unsigned dialogId) const = 0;
    // The string `id`, or "" when there is none.
    virtual std::string String(unsigned id) const = 0;
    // The file of icon `id`, relative to the resource folder, or "" when there is none.
    virtual std::string IconFile(unsigned id) const = 0;

protected:
    DialogResources() = default;
    DialogResources(const DialogResources&) = default;
    DialogResources(DialogResources&&) = default;
    DialogResources& operator=(const DialogResources&) = default;
    DialogResources& operator=(DialogResources&&) = default;
};

}  // namespace framework
