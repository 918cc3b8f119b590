#pragma once
// One modal dialog of the model, drawn with Qt widgets. The window holds one view per control
// of the DialogModel (control_view.h), which draws the control and takes its mouse; the window
// places and refreshes the views, shows the dialog's caption, icon and focus, keeps the mouse
// for a dropped list, and hands every key (translated in key_translator.h), character, wheel
// notch and menu command to the model's user actions. Its modal loop is a ModalRun. No widget
// changes its own state.
#include <QDialog>
#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/dialog_model.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/key_translator.h"
#include "platform/qt/modal_run.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace qt {

class ControlView;

class DialogWindow : public QDialog {
public:
    // `appIcon` is the application's icon (for the window and icon statics); it must outlive
    // the window.
    DialogWindow(model::DialogModel& model, const QIcon& appIcon, QWidget* owner);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    model::DialogModel& Model() const { return m_model; }
    const QIcon& AppIcon() const { return m_appIcon; }
    // The widget of the first control with this id (as GetDlgItem finds it), or null.
    QWidget* Widget(int id) const;
    QWidget* Widget(const model::ControlModel& control) const;

    // Shows the window centred on its owner (or the screen) and runs its event loop until the
    // model says the dialog has ended. `whenShown` runs once the window has been painted.
    void Run(const std::function<void(DialogWindow&)>& whenShown);

    // After every input: the model may have ended the dialog or moved the focus.
    void AfterInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildViews();
    void Refresh(model::ControlModel& control);
    void RefreshDialog();
    void SyncFocus();
    void CentreOnOwner();

    void HandleKey(const QKeyEvent& key);
    void TypeChars(const std::string& chars);
    bool HandleMouse(ControlView* view, QMouseEvent& mouse);
    void HandleWheel(const ControlView* view, QWheelEvent& wheel);
    void KeyboardContextMenu();
    // The menu a right click on the dialog's background opens: the items the dialog appended to
    // its system menu (window managers here give no system menu to extend).
    void ShowDialogMenu(const QPoint& globalPos);
    // Another program had the keyboard; the window has it again.
    void ReactivateFromApp();

    ControlView* ViewOf(const QObject* widget) const;
    ControlView* ViewOf(const model::ControlModel* control) const;

    model::DialogModel& m_model;
    const QIcon& m_appIcon;
    QFont m_font;
    BaseUnits m_units;
    std::vector<std::unique_ptr<ControlView>> m_views;
    std::unordered_map<const QObject*, ControlView*> m_byWidget;
    std::unordered_map<const model::ControlModel*, ControlView*> m_byControl;

    WheelNotches m_wheel;
    bool m_appDeactivated = false;  // another program has the keyboard
    model::ControlModel* m_shownFocus = nullptr;
    bool m_hasIcon = false;
    bool m_painted = false;
    bool m_shownDone = false;
    bool m_closing = false;
    std::function<void()> m_onShown;
    ModalRun m_run;
};

}  // namespace qt
