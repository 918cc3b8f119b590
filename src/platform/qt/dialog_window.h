#pragma once
// One modal dialog of the model, drawn with Qt widgets. The window owns one widget per control
// of the DialogModel, placed from the template in dialog units. It shows what the model holds
// (text, check state, selection, caret, position, enabled state, focus, default button) and
// hands every key, character, click, drag, wheel turn and menu command to the model's user
// actions; no widget changes its own state.
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/dialog_model.h"
#include "platform/qt/dialog_units.h"

class QComboBox;
class QEventLoop;
class QTimer;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;
class QWheelEvent;

namespace qtfront {

class ModelSlider;

class DialogWindow : public QDialog {
public:
    // `appIcon` is the application's icon (for the window and icon statics); it must outlive
    // the window.
    DialogWindow(fw::model::DialogModel& model, const QIcon& appIcon, QWidget* owner);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    fw::model::DialogModel& Model() const { return m_model; }
    // The widget of the first control with this id (as GetDlgItem finds it), or null.
    QWidget* Widget(int id) const;
    const BaseUnits& Units() const { return m_units; }

    // Shows the window centred on its owner (or the screen) and runs its event loop until the
    // model says the dialog has ended. `whenShown` runs once the window has been painted.
    void Run(const std::function<void(DialogWindow&)>& whenShown);

    // The menu a right click on the dialog's background opens: the items the dialog appended to
    // its system menu (window managers here give no system menu to extend). Exposed for tests.
    void ShowDialogMenu(const QPoint& globalPos);
    void ShowEditMenu(int id, const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Entry {
        fw::model::ControlModel* control = nullptr;
        QWidget* widget = nullptr;
    };

    void BuildWidgets();
    QWidget* CreateWidget(fw::model::ControlModel& control);
    void PlaceWidget(const fw::model::ControlModel& control, QWidget& widget) const;
    void Observe();

    // Drawing the model.
    void Refresh(fw::model::ControlModel& control);
    void RefreshButton(fw::model::ControlModel& control, QWidget& widget);
    void RefreshEdit(fw::model::ControlModel& control, QLineEdit& edit);
    void RefreshCombo(fw::model::ControlModel& control, QComboBox& combo);
    void RefreshSlider(fw::model::ControlModel& control, ModelSlider& slider);
    void RefreshAll();
    void RefreshDialog();
    void SyncFocus();
    // After every input: the model may have ended the dialog.
    void AfterInput();

    // Passing input on.
    bool Accepting() const;
    void HandleKey(const QKeyEvent& key);
    bool HandleMouse(const Entry* entry, QMouseEvent& mouse);
    void HandleEditMouse(fw::model::ControlModel& control, QLineEdit& edit, QMouseEvent& mouse);
    void HandleSliderMouse(fw::model::ControlModel& control, ModelSlider& slider,
                           QMouseEvent& mouse);
    void HandleButtonMouse(fw::model::ControlModel& control, QWidget& widget, QMouseEvent& mouse);
    void HandleWheel(const Entry* entry, QWheelEvent& wheel);
    void RepeatTrackPress();
    void KeyboardContextMenu();
    // A press on a drop-down list: true when the list has the focus and may drop down.
    bool FocusCombo(fw::model::ControlModel& control);
    // Another program had the keyboard; the window has it again.
    void ReactivateFromApp();

    const Entry* EntryOf(const QObject* object) const;
    const Entry* EntryOf(const fw::model::ControlModel* control) const;

    fw::model::DialogModel& m_model;
    const QIcon& m_appIcon;
    QFont m_font;
    BaseUnits m_units;
    std::vector<Entry> m_entries;
    std::unordered_map<const QObject*, std::size_t> m_byWidget;
    std::unordered_map<const fw::model::ControlModel*, std::size_t> m_byControl;

    // Mouse state between press and release.
    QPointer<QWidget> m_pressed;   // the control held down
    bool m_pressedInside = false;  // the mouse is over the button held down
    bool m_editSelecting = false;  // dragging a selection in an edit
    int m_editAnchor = 0;
    bool m_thumbDragging = false;  // dragging the trackbar's thumb
    bool m_trackPressed = false;   // pressing the trackbar beside the thumb
    bool m_trackTowardMax = false;
    int m_trackPoint = 0;
    int m_thumbGrabOffset = 0;
    QTimer* m_trackRepeat = nullptr;
    int m_wheelRemainder = 0;
    bool m_appDeactivated = false;  // another program has the keyboard

    fw::model::ControlModel* m_shownFocus = nullptr;
    bool m_hasIcon = false;
    bool m_painted = false;
    bool m_shownDone = false;
    bool m_closing = false;
    std::function<void()> m_onShown;
    QEventLoop* m_loop = nullptr;
};

}  // namespace qtfront
