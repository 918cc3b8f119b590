#pragma once
// One control of the model on the screen. Each kind of control has its view: it creates the Qt
// widget that draws it, places it from the template, shows the model's state on it and turns
// the left mouse button into the model's user actions. The window around them keeps the modal
// loop, the keys and the menus.
#include <QRect>
#include <memory>

#include "model/control_model.h"

class QColor;
class QMouseEvent;
class QPainter;
class QWidget;

namespace qtfront {

class DialogWindow;

class ControlView {
public:
    virtual ~ControlView() = default;
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    fw::model::ControlModel& Control() const { return m_control; }
    QWidget& Widget() const { return *m_widget; }

    // Puts the widget on `rect`, the template's rectangle in pixels; a kind whose Qt widget
    // needs other room adjusts it.
    virtual void Place(QRect rect);
    // Shows the model's state: enabled, visible, then what the kind shows.
    void Refresh();
    // A left-button press, double click, release, or a move, on the widget. False leaves the
    // event to the widget itself.
    virtual bool Mouse(QMouseEvent& mouse);
    // The window goes away while the mouse may still be held.
    virtual void Stop() {}

protected:
    ControlView(DialogWindow& window, fw::model::ControlModel& control, QWidget* widget);
    virtual void RefreshKind() = 0;

    DialogWindow& Window() const { return m_window; }
    fw::model::DialogModel& Model() const;

private:
    DialogWindow& m_window;
    fw::model::ControlModel& m_control;
    QWidget* m_widget;  // owned by the window, as Qt children are
};

// The view for the control's kind.
std::unique_ptr<ControlView> CreateControlView(DialogWindow& window,
                                               fw::model::ControlModel& control);

// DrawFocusRect: every other pixel of the rectangle's outline. Windows inverts those pixels,
// which on the dialog's face shows them dark; here they take `color`.
void DrawFocusRect(QPainter& painter, const QRect& rect, const QColor& color);

}  // namespace qtfront
