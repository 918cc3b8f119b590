#pragma once
// The Qt front end's platform with a script playing the user: `onShown` runs in each dialog
// window once it is up and drawn, `onBox` in each message box and `onTextBox` in each text box
// once it is up.
#include <QMessageBox>
#include <functional>

#include "platform/qt/dialog_window.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/text_box.h"

namespace qt_tests {

class ScriptedQtPlatform : public qt::QtPlatform {
public:
    using qt::QtPlatform::QtPlatform;

    std::function<void(qt::DialogWindow&)> onShown;
    std::function<void(QMessageBox&)> onBox;
    std::function<void(qt::TextBox&)> onTextBox;

protected:
    void DialogShown(qt::DialogWindow& window) override {
        if (onShown) onShown(window);
    }
    void MessageBoxShown(QMessageBox& box) override {
        if (onBox) onBox(box);
    }
    void TextBoxShown(qt::TextBox& box) override {
        if (onTextBox) onTextBox(box);
    }
};

}  // namespace qt_tests
