#include "platform/qt/dialog_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>

#include "framework/dialog_placement.h"
#include "platform/qt/accessible_names.h"
#include "platform/qt/ansi_text.h"
#include "platform/qt/control_view.h"
#include "platform/qt/edit_view.h"
#include "platform/qt/key_translator.h"
#include "platform/qt/view_factory.h"

namespace qt {

using model::ControlKind;
using model::ControlModel;

namespace {

framework::Rect ToRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

DialogWindow::DialogWindow(model::DialogModel& model, const QIcon& appIcon, QWidget* owner)
    : QDialog(owner), m_model(model), m_appIcon(appIcon), m_run(model) {
    const framework::DialogTemplate& dialogTemplate = model.Template();
    // A modal frame with a caption: no minimise or maximise box, a close box with the system
    // menu.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (model.HasSystemMenu()) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(false);
    // The model decides where the keyboard focus goes; Qt never moves it by itself.
    setFocusPolicy(Qt::NoFocus);

    m_font = DialogFont(dialogTemplate);
    setFont(m_font);
    m_units = MeasureBaseUnits(m_font);
    const QRect client = MapDialogRect(m_units, 0, 0, dialogTemplate.cx, dialogTemplate.cy);
    setFixedSize(client.size());
    m_model.SetClientRect({0, 0, client.width(), client.height()});

    BuildViews();
    installEventFilter(this);
    for (const auto& view : m_views) {
        view->Control().SetObserver([this](ControlModel& control) { Refresh(control); });
        view->Refresh();
    }
    m_model.SetObserver([this](model::DialogModel&) { RefreshDialog(); });
    RefreshDialog();
}

DialogWindow::~DialogWindow() {
    // The model outlives the window; it must not call back into it.
    m_model.SetObserver({});
    for (const auto& view : m_views) view->Control().SetObserver({});
}

void DialogWindow::BuildViews() {
    const ViewContext context{*this, m_model, m_appIcon, [this] { AfterInput(); }};
    for (const auto& control : m_model.Controls()) {
        std::unique_ptr<ControlView> view = CreateControlView(context, *control);
        QWidget& widget = view->Widget();
        widget.setObjectName(QStringLiteral("control%1").arg(control->Id()));
        widget.setFocusPolicy(Qt::NoFocus);
        widget.installEventFilter(this);
        widget.setAccessibleName(AccessibleName(m_model, *control));
        const framework::ItemTemplate& item = control->Item();
        view->Place(MapDialogRect(m_units, item.x, item.y, item.cx, item.cy));
        m_byWidget.emplace(&widget, view.get());
        m_byControl.emplace(control.get(), view.get());
        m_views.push_back(std::move(view));
    }
    // The template's first control is on top of the z-order, as the dialog manager creates
    // them; Qt stacks later siblings on top, so restack from the last.
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it) (*it)->Widget().raise();
}

// ---- Drawing the model

void DialogWindow::Refresh(ControlModel& control) {
    if (ControlView* view = ViewOf(&control)) view->Refresh();
}

void DialogWindow::RefreshDialog() {
    const QString caption = FromAnsi(static_cast<const model::WindowModel&>(m_model).Text());
    if (windowTitle() != caption) setWindowTitle(caption);
    // The icon is decoded once the dialog is on the screen: it is not worth a later start.
    if (m_painted && !m_hasIcon &&
        (m_model.Icon(false) != nullptr || m_model.Icon(true) != nullptr)) {
        setWindowIcon(m_appIcon);
        m_hasIcon = true;
    }
    m_run.ModelChanged();
    SyncFocus();
}

void DialogWindow::SyncFocus() {
    ControlModel* focus = m_model.FocusControl();
    const ControlView* view = ViewOf(focus);
    QWidget* target = view != nullptr ? &view->Widget() : this;
    if (QApplication::focusWidget() != target && focusWidget() != target) {
        target->setFocus(Qt::OtherFocusReason);
    }
    if (focus != m_shownFocus) {
        // Edits show their selection only while they have the focus.
        ControlModel* previous = std::exchange(m_shownFocus, focus);
        if (previous != nullptr) Refresh(*previous);
        if (focus != nullptr) Refresh(*focus);
    }
}

void DialogWindow::AfterInput() {
    // The model's end has reached the modal run through the observer.
    if (!m_model.Ended()) SyncFocus();
}

// ---- Running

void DialogWindow::CentreOnOwner() {
    // Where the dialog manager puts a dialog whose template leaves the place to the program.
    if (!framework::IsCentredOnOwner(m_model.Template().style)) return;
    QWidget* owner = parentWidget();
    const bool onOwner = owner != nullptr && owner->isVisible() && !owner->isMinimized();
    QScreen* screen = onOwner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const framework::DialogOrigin origin = framework::CentreDialog(
        width(), height(), ToRect(onOwner ? owner->frameGeometry() : area), ToRect(area));
    move(origin.x, origin.y);
}

void DialogWindow::Run(const std::function<void(DialogWindow&)>& whenShown) {
    CentreOnOwner();
    m_onShown = [this, whenShown] {
        if (m_shownDone) return;
        m_shownDone = true;
        if (whenShown) whenShown(*this);
        AfterInput();
    };
    show();
    activateWindow();
    SyncFocus();
    // Should the window never be painted (no display to expose it), go on regardless.
    QTimer::singleShot(2000, this, [this] {
        if (m_onShown) m_onShown();
    });
    m_run.Exec();
    m_closing = true;
    for (const auto& view : m_views) view->Stop();
    hide();
}

void DialogWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        // Once this paint has reached the screen.
        QTimer::singleShot(0, this, [this] {
            RefreshDialog();
            if (m_onShown) m_onShown();
        });
    }
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // The close box is the system menu's Close: the dialog decides (Cancel).
    event->ignore();
    if (!m_closing && !m_model.Ended()) m_model.CloseBox();
    AfterInput();
}

void DialogWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (m_closing || m_model.Ended()) return;
    if (event->type() == QEvent::WindowStateChange) {
        m_model.Minimize(isMinimized());
        AfterInput();
    } else if (event->type() == QEvent::ActivationChange) {
        // Another program taking the keyboard takes the focus from the dialog's control, as
        // on Windows; our own message boxes and dialogs are the model's business.
        if (!isActiveWindow() && QApplication::activeWindow() == nullptr && !m_appDeactivated) {
            m_appDeactivated = true;
            m_model.Deactivate();
        } else if (isActiveWindow()) {
            ReactivateFromApp();
        }
        AfterInput();
    }
}

void DialogWindow::ReactivateFromApp() {
    if (!m_appDeactivated) return;
    m_appDeactivated = false;
    m_model.Activate();
}

// ---- Passing input on

ControlView* DialogWindow::ViewOf(const QObject* widget) const {
    const auto it = m_byWidget.find(widget);
    return it == m_byWidget.end() ? nullptr : it->second;
}

ControlView* DialogWindow::ViewOf(const ControlModel* control) const {
    if (control == nullptr) return nullptr;
    const auto it = m_byControl.find(control);
    return it == m_byControl.end() ? nullptr : it->second;
}

QWidget* DialogWindow::Widget(int id) const {
    const ControlModel* control = m_model.Control(id);
    return control != nullptr ? Widget(*control) : nullptr;
}

QWidget* DialogWindow::Widget(const ControlModel& control) const {
    const ControlView* view = ViewOf(&control);
    return view != nullptr ? &view->Widget() : nullptr;
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    ControlView* view = ViewOf(watched);
    if (watched != this && view == nullptr) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Every key comes to us as a key press: no Qt shortcut or mnemonic acts on its own.
            event->accept();
            return true;
        case QEvent::KeyPress:
            HandleKey(*static_cast<QKeyEvent*>(event));
            return true;
        case QEvent::KeyRelease:
            return true;
        case QEvent::InputMethod:
            // Text composed by an input method arrives as characters, like typed ones.
            if (!m_model.Ended()) {
                TypeChars(TypedChars(static_cast<QInputMethodEvent*>(event)->commitString()));
            }
            AfterInput();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return HandleMouse(view, *static_cast<QMouseEvent*>(event));
        case QEvent::Wheel:
            HandleWheel(view, *static_cast<QWheelEvent*>(event));
            return true;
        case QEvent::ContextMenu:
            // Menus open on the right button's release and on the menu keys (see there).
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return QDialog::eventFilter(watched, event);
    }
}

void DialogWindow::HandleKey(const QKeyEvent& key) {
    ReactivateFromApp();
    const KeyInput input = TranslateKey(key.key(), key.modifiers(), key.text());
    switch (input.action) {
        case KeyInput::Action::ControlMenu:
            KeyboardContextMenu();
            return;
        case KeyInput::Action::WindowMenu:
            ShowDialogMenu(mapToGlobal(QPoint(0, 0)));
            return;
        default:
            break;
    }
    if (m_model.Ended()) return;
    if (input.action == KeyInput::Action::PressKey) {
        // Qt's styles then draw the focus frame on buttons and lists too.
        if (input.showFocusCues) setAttribute(Qt::WA_KeyboardFocusChange, true);
        m_model.PressKey(input.vk, input.modifiers);
    } else if (input.action == KeyInput::Action::TypeChars) {
        TypeChars(input.chars);
    }
    AfterInput();
}

void DialogWindow::TypeChars(const std::string& chars) {
    for (const char ch : chars) m_model.TypeChar(ch);
}

void DialogWindow::KeyboardContextMenu() {
    ControlModel* focus = m_model.FocusControl();
    ControlView* view = ViewOf(focus);
    if (view != nullptr && focus->Kind() == ControlKind::Edit) {
        const QWidget& edit = view->Widget();
        static_cast<EditView*>(view)->ShowMenu(edit.mapToGlobal(edit.rect().bottomLeft()));
        return;
    }
    const QWidget* at = view != nullptr ? &view->Widget() : this;
    ShowDialogMenu(at->mapToGlobal(at->rect().center()));
}

bool DialogWindow::HandleMouse(ControlView* view, QMouseEvent& mouse) {
    if (mouse.type() == QEvent::MouseButtonPress || mouse.type() == QEvent::MouseButtonDblClick) {
        ReactivateFromApp();
    }
    if (mouse.button() == Qt::RightButton) {
        // WM_CONTEXTMENU follows the right button's release; a control without a menu of its
        // own passes it to the dialog.
        if (mouse.type() == QEvent::MouseButtonRelease) {
            const QPoint global = mouse.globalPosition().toPoint();
            if (view != nullptr && view->Control().Kind() == ControlKind::Edit &&
                view->Control().IsEnabled()) {
                static_cast<EditView*>(view)->ShowMenu(global);
            } else {
                ShowDialogMenu(global);
            }
        }
        return true;
    }
    // The dropped list has the mouse: a press anywhere else in the dialog only closes it.
    auto* dropped = dynamic_cast<model::ComboBoxModel*>(m_model.FocusControl());
    if (dropped != nullptr && dropped->IsDropped() && mouse.type() != QEvent::MouseMove &&
        (view == nullptr || &view->Control() != dropped)) {
        if (mouse.type() != QEvent::MouseButtonRelease) {
            dropped->Send(framework::cb::ShowDropDown, FALSE, 0);
            AfterInput();
        }
        return true;
    }
    if (view == nullptr) return true;  // the dialog's own face takes no clicks
    if (mouse.type() != QEvent::MouseMove && mouse.button() != Qt::LeftButton) return true;
    if (!view->Mouse(mouse)) return false;
    AfterInput();
    return true;
}

void DialogWindow::HandleWheel(const ControlView* view, QWheelEvent& wheel) {
    // The wheel turns the focused list or trackbar one line per notch, as their Up and Down
    // keys do (the controls send themselves those keys).
    ControlModel* focus = m_model.FocusControl();
    if (view == nullptr || &view->Control() != focus || m_model.Ended()) return;
    if (focus->Kind() != ControlKind::ComboBox && focus->Kind() != ControlKind::Trackbar) return;
    const int notches = m_wheel.Turn(wheel.angleDelta().y());
    for (int i = 0; i < std::abs(notches) && !m_model.Ended(); ++i) {
        m_model.PressKey(notches > 0 ? framework::vk::Up : framework::vk::Down);
    }
    AfterInput();
}

void DialogWindow::ShowDialogMenu(const QPoint& globalPos) {
    if (m_model.Ended() || !m_model.HasSystemMenu()) return;
    QMenu menu(this);
    bool separator = false;
    for (const model::MenuItem& item : m_model.SystemMenu()) {
        if ((item.flags & framework::mf::Separator) != 0) {
            separator = !menu.isEmpty();
            continue;
        }
        // Moving the window belongs to the window manager.
        if ((item.id & 0xFFF0u) == framework::sc::Move) continue;
        if (separator) menu.addSeparator();
        separator = false;
        QAction* action = menu.addAction(FromAnsi(item.text));
        action->setData(item.id);
    }
    if (menu.isEmpty()) return;
    QAction* chosen = menu.exec(globalPos);
    if (chosen == nullptr || m_model.Ended()) return;
    m_model.SystemMenuCommand(chosen->data().toUInt());
    AfterInput();
}

}  // namespace qt
