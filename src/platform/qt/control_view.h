#pragma once
// One control of the model on the screen. Each kind of control has its view: it creates the Qt
// widget that draws it, places it from the template, shows the model's state on it and turns
// the left mouse button into the model's user actions. The window around them keeps the modal
// loop, the keys and the menus.
#include <QRect>
#include <functional>
#include <memory>

#include "model/control_model.h"
#include "model/dialog_model.h"

class QColor;
class QIcon;
class QMouseEvent;
class QPainter;
class QWidget;

namespace qt {

// What a view needs of the window that holds it. The window holds the views, so they know it
// only through this.
struct ViewContext {
    QWidget& surface;  // the widgets' parent; its font, palette and visibility
    model::DialogModel& model;
    const QIcon& appIcon;
    std::function<void()> afterInput;  // DialogWindow::AfterInput: after each user action
};

class ControlView {
public:
    virtual ~ControlView() = default;
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    model::ControlModel& Control() const { return m_control; }
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
    ControlView(const ViewContext& context, model::ControlModel& control, QWidget* widget);
    virtual void RefreshKind() = 0;

    QWidget& Surface() const { return m_context.surface; }
    model::DialogModel& Model() const { return m_context.model; }
    const QIcon& AppIcon() const { return m_context.appIcon; }
    void AfterInput() const { m_context.afterInput(); }

private:
    ViewContext m_context;
    model::ControlModel& m_control;
    QWidget* m_widget;  // owned by the window, as Qt children are
};

// DrawFocusRect: every other pixel of the rectangle's outline. Windows inverts those pixels,
// which on the dialog's face shows them dark; here they take `color`.
void DrawFocusRect(QPainter& painter, const QRect& rect, const QColor& color);

}  // namespace qt
