#pragma once
// The Linux front end: the model of the Windows controls, drawn with Qt widgets. Each modal
// dialog becomes a DialogWindow; message boxes are QMessageBoxes, and the box for text with
// paths in it (F1's) is a TextBox, which fits any screen. Everything the controls do
// is decided by the model - this class only shows windows and runs their event loops.
#include <QIcon>
#include <QString>
#include <string>
#include <vector>

#include "model/model_platform.h"
#include "rcscript/resource_set.h"

class QMessageBox;
class QWidget;

namespace qt {

class DialogWindow;
class TextBox;

// What Ctrl+C puts on the clipboard in a message box, laid out as Windows does: the title, the
// text and the buttons, each between lines of dashes.
QString MessageBoxCopyText(const QMessageBox& box);

class QtPlatform : public model::ModelPlatform {
public:
    // The program's resources and name unless others are given; `resources` must outlive the
    // platform.
    explicit QtPlatform(
        const framework::DialogResources& resources = rcscript::ResourceSet::Program(),
        std::string executableTitle = "TavrelCustomizer");
    ~QtPlatform() override;

    // The window that shows this dialog model, or null.
    DialogWindow* WindowOf(const model::DialogModel* dialog) const;

    // The application's icon in every size there is (window icons, the About box).
    const QIcon& AppIcon() const;

    // The system clipboard stands behind the model's: what the edits copy reaches other
    // programs, and what they paste comes from them.
    std::string ProgramAsStarted() override;
    std::string ClipboardText() const override;
    void SetClipboardText(std::string text) override;

protected:
    INT_PTR RunModalLoop(model::DialogModel& dialog) override;
    int RunMessageBox(const model::MessageBoxRequest& request) override;

    // Tests and the screenshots play the user from here, once a dialog's window is up and drawn.
    virtual void DialogShown(DialogWindow& window);
    // Tests and the screenshots answer a message box from here, once it is up.
    virtual void MessageBoxShown(QMessageBox& box);
    // And a text box (F1's) from here, once it is up.
    virtual void TextBoxShown(TextBox& box);

private:
    QWidget* OwnerWindow(framework::Handle owner) const;
    int RunTextBox(QWidget* owner, const model::MessageBoxRequest& request);

    std::vector<DialogWindow*> m_windows;
    mutable QIcon m_appIcon;
};

}  // namespace qt
