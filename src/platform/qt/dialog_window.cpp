#include "platform/qt/dialog_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>
#include <limits>
#include <optional>

#include "platform/qt/ansi_text.h"
#include "platform/qt/group_frame.h"
#include "platform/qt/model_slider.h"

namespace qtfront {

using fw::model::ButtonModel;
using fw::model::ComboBoxModel;
using fw::model::ControlKind;
using fw::model::ControlModel;
using fw::model::EditModel;
using fw::model::Modifiers;
using fw::model::TrackbarModel;

namespace {

constexpr std::uint32_t kStaticTypeMask = 0x1Fu;
constexpr std::uint32_t kStaticCenter = 0x1u, kStaticRight = 0x2u;
constexpr std::uint32_t kEditRight = 0x2u;
constexpr std::uint32_t kExClientEdge = 0x200u;
// The icon a static control with SS_ICON shows takes the system's icon size, whatever the
// template says (SM_CXICON at 96 dpi).
constexpr int kIconExtent = 32;
// Paging while the mouse is held beside the trackbar's thumb, as the control's timer does.
constexpr int kTrackRepeatDelayMs = 400;
constexpr int kTrackRepeatMs = 100;

bool IsButtonKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton:
            return true;
        default:
            return false;
    }
}

// The keys the dialog layer knows by their virtual-key codes; characters go as WM_CHAR.
std::optional<UINT> NamedKey(int key) {
    namespace vk = fw::vk;
    switch (key) {
        case Qt::Key_Backspace:
            return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::Return;
        case Qt::Key_Escape:
            return vk::Escape;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return vk::Prior;
        case Qt::Key_PageDown:
            return vk::Next;
        case Qt::Key_End:
            return vk::End;
        case Qt::Key_Home:
            return vk::Home;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return vk::Insert;
        case Qt::Key_Delete:
            return vk::Delete;
        case Qt::Key_F1:
            return vk::F1;
        case Qt::Key_F4:
            return vk::F4;
        default:
            return std::nullopt;
    }
}

// The selection's fixed end: the one the caret is not at.
int SelectionAnchor(const EditModel& edit) {
    const auto [start, end] = edit.Selection();
    return edit.Caret() == start ? end : start;
}

bool IsWordChar(QChar ch) {
    return !ch.isSpace();
}

}  // namespace

DialogWindow::DialogWindow(fw::model::DialogModel& model, const QIcon& appIcon, QWidget* owner)
    : QDialog(owner), m_model(model), m_appIcon(appIcon) {
    const fw::DialogTemplate& dialogTemplate = model.Template();
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

    BuildWidgets();
    installEventFilter(this);
    Observe();
    RefreshAll();
    RefreshDialog();

    m_trackRepeat = new QTimer(this);
    QObject::connect(m_trackRepeat, &QTimer::timeout, this, [this] { RepeatTrackPress(); });
}

DialogWindow::~DialogWindow() {
    // The model outlives the window; it must not call back into it.
    m_model.SetObserver({});
    for (const Entry& entry : m_entries) entry.control->SetObserver({});
}

// ---- Building

void DialogWindow::BuildWidgets() {
    for (const auto& control : m_model.Controls()) {
        QWidget* widget = CreateWidget(*control);
        widget->setObjectName(QStringLiteral("control%1").arg(control->Id()));
        widget->setFocusPolicy(Qt::NoFocus);
        widget->installEventFilter(this);
        PlaceWidget(*control, *widget);
        m_byWidget.emplace(widget, m_entries.size());
        m_byControl.emplace(control.get(), m_entries.size());
        m_entries.push_back({control.get(), widget});
    }
    // The template's first control is on top of the z-order, as the dialog manager creates
    // them; Qt stacks later siblings on top, so restack from the last.
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) it->widget->raise();
}

QWidget* DialogWindow::CreateWidget(ControlModel& control) {
    const std::uint32_t style = control.Style();
    switch (control.Kind()) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(this);
            // The model moves the default frame with the focus; Qt must not do it as well.
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox: {
            auto* box = new QCheckBox(this);
            box->setTristate(false);
            return box;
        }
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton: {
            auto* radio = new QRadioButton(this);
            // The model unchecks the group's other radios; Qt's own exclusivity would also
            // refuse to show a group with none checked.
            radio->setAutoExclusive(false);
            return radio;
        }
        case ControlKind::GroupBox: {
            // Transparent to the mouse, as on Windows: clicks go to what lies beneath it, or
            // to the dialog.
            return new GroupFrame(this);
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setFrame((style & fw::ws::Border) != 0 ||
                           (control.Item().exStyle & kExClientEdge) != 0);
            // The model holds the limit; the widget must never cut what it is given.
            edit->setMaxLength(std::numeric_limits<int>::max());
            edit->setDragEnabled(false);
            edit->setAcceptDrops(false);
            edit->setContextMenuPolicy(Qt::PreventContextMenu);
            return edit;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(this);
            combo->setEditable(false);
            combo->setContextMenuPolicy(Qt::PreventContextMenu);
            const int id = control.Id();
            // The popup is only a way of choosing: the choice goes to the model, which
            // decides the selection and notifies the dialog.
            QObject::connect(combo, &QComboBox::activated, this, [this, id](int index) {
                if (!m_model.Ended()) m_model.SelectComboItem(id, index);
                if (ControlModel* picked = m_model.Control(id)) Refresh(*picked);
                AfterInput();
            });
            return combo;
        }
        case ControlKind::Trackbar: {
            auto* slider = new ModelSlider(this);
            slider->setContextMenuPolicy(Qt::PreventContextMenu);
            return slider;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(false);
            const std::uint32_t type = style & kStaticTypeMask;
            Qt::Alignment align = Qt::AlignTop;
            align |= type == kStaticCenter  ? Qt::AlignHCenter
                     : type == kStaticRight ? Qt::AlignRight
                                            : Qt::AlignLeft;
            label->setAlignment(align);
            // Statics without SS_NOTIFY let the mouse through to the dialog.
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
            return label;
        }
        case ControlKind::Other:
            break;
    }
    auto* other = new QLabel(this);
    other->setTextFormat(Qt::PlainText);
    other->setAttribute(Qt::WA_TransparentForMouseEvents);
    return other;
}

void DialogWindow::PlaceWidget(const ControlModel& control, QWidget& widget) const {
    const fw::ItemTemplate& item = control.Item();
    QRect rect = MapDialogRect(m_units, item.x, item.y, item.cx, item.cy);
    // Grows a rectangle to `height` about its vertical centre.
    auto growHeight = [&rect](int height) {
        if (height <= rect.height()) return;
        const int extra = height - rect.height();
        rect.setTop(rect.top() - extra / 2);
        rect.setHeight(height);
    };
    switch (control.Kind()) {
        case ControlKind::Static:
            if ((control.Style() & kStaticTypeMask) == fw::ss::Icon) {
                rect.setSize(QSize(kIconExtent, kIconExtent));
            } else if (!control.Text().empty()) {
                // The face standing in for the template's may run a little wider: the text
                // keeps its place and is never clipped.
                const QFontMetrics metrics(m_font);
                const int width = metrics.horizontalAdvance(MnemonicText(
                                      control.Text(), (control.Style() & fw::ss::NoPrefix) != 0)) +
                                  1;
                if (width > rect.width()) rect.setWidth(width);
                growHeight(metrics.height());
            }
            break;
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton: {
            // Size the box with its text first: the template's size is for the Windows glyph.
            static_cast<QAbstractButton&>(widget).setText(MnemonicText(control.Text(), true));
            const QSize hint = widget.sizeHint();
            if (hint.width() > rect.width()) rect.setWidth(hint.width());
            growHeight(hint.height());
            break;
        }
        case ControlKind::ComboBox: {
            // The template's height is that of the dropped list; the closed box takes the
            // height the font needs. The list shows as many items as fit in the rest.
            auto& combo = static_cast<QComboBox&>(widget);
            const int closed = combo.sizeHint().height();
            const int dropped = rect.height() - closed;
            const int itemHeight = QFontMetrics(m_font).height() + 2;
            combo.setMaxVisibleItems(std::max(1, dropped / std::max(1, itemHeight)));
            rect.setHeight(closed);
            break;
        }
        default:
            break;
    }
    widget.setGeometry(rect);
}

void DialogWindow::Observe() {
    for (const Entry& entry : m_entries) {
        entry.control->SetObserver([this](ControlModel& control) { Refresh(control); });
    }
    m_model.SetObserver([this](fw::model::DialogModel&) { RefreshDialog(); });
}

// ---- Drawing the model

void DialogWindow::RefreshAll() {
    for (const Entry& entry : m_entries) Refresh(*entry.control);
}

void DialogWindow::Refresh(ControlModel& control) {
    const Entry* entry = EntryOf(&control);
    if (entry == nullptr) return;
    QWidget& widget = *entry->widget;
    const QSignalBlocker blocker(&widget);
    widget.setEnabled(control.IsEnabled());
    widget.setVisible(control.IsVisible());
    switch (control.Kind()) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton:
            RefreshButton(control, widget);
            break;
        case ControlKind::GroupBox:
            static_cast<GroupFrame&>(widget).SetTitle(MnemonicText(control.Text(), true));
            break;
        case ControlKind::Edit:
            RefreshEdit(control, static_cast<QLineEdit&>(widget));
            break;
        case ControlKind::ComboBox:
            RefreshCombo(control, static_cast<QComboBox&>(widget));
            break;
        case ControlKind::Trackbar:
            RefreshSlider(control, static_cast<ModelSlider&>(widget));
            break;
        case ControlKind::Static: {
            auto& label = static_cast<QLabel&>(widget);
            if ((control.Style() & kStaticTypeMask) == fw::ss::Icon) {
                const QIcon& icon = m_appIcon;
                label.setPixmap(icon.pixmap(QSize(kIconExtent, kIconExtent), devicePixelRatioF()));
            } else {
                // SS_NOPREFIX shows every ampersand; otherwise "&&" is one and "&x" marks x.
                label.setText(
                    MnemonicText(control.Text(), (control.Style() & fw::ss::NoPrefix) != 0));
            }
            break;
        }
        case ControlKind::Other:
            static_cast<QLabel&>(widget).setText(FromAnsi(control.Text()));
            break;
    }
}

void DialogWindow::RefreshButton(ControlModel& control, QWidget& widget) {
    auto& model = static_cast<ButtonModel&>(control);
    auto& button = static_cast<QAbstractButton&>(widget);
    const QString text = MnemonicText(control.Text(), true);
    if (button.text() != text) button.setText(text);
    if (control.Kind() == ControlKind::PushButton) {
        static_cast<QPushButton&>(widget).setDefault(model.IsDefault());
    } else {
        button.setCheckable(true);
        button.setChecked(model.Check() != fw::bst::Unchecked);
    }
    const bool mouseHeld = m_pressed == &widget && m_pressedInside;
    button.setDown(model.IsPushed() || mouseHeld);
}

void DialogWindow::RefreshEdit(ControlModel& control, QLineEdit& edit) {
    auto& model = static_cast<EditModel&>(control);
    const QString text = FromAnsi(model.Text());
    if (edit.text() != text) edit.setText(text);
    if (edit.isReadOnly() != model.IsReadOnly()) {
        edit.setReadOnly(model.IsReadOnly());
        // A read-only edit is drawn on the dialog's face colour, as Windows draws it.
        QPalette palette = edit.palette();
        palette.setBrush(QPalette::Base, model.IsReadOnly()
                                             ? this->palette().brush(QPalette::Window)
                                             : this->palette().brush(QPalette::Base));
        edit.setPalette(palette);
    }
    const std::uint32_t align = control.Style() & (fw::es::Center | kEditRight);
    const Qt::Alignment horizontal = (align & fw::es::Center) != 0 ? Qt::AlignHCenter
                                     : (align & kEditRight) != 0   ? Qt::AlignRight
                                                                   : Qt::AlignLeft;
    if (edit.alignment() != (horizontal | Qt::AlignVCenter)) {
        edit.setAlignment(horizontal | Qt::AlignVCenter);
    }
    // An edit without the focus hides its selection (no ES_NOHIDESEL) but keeps it.
    const auto [start, end] = model.Selection();
    if (control.HasFocus() && start != end) {
        const int anchor = SelectionAnchor(model);
        edit.setSelection(anchor, model.Caret() - anchor);
    } else {
        edit.deselect();
        edit.setCursorPosition(model.Caret());
    }
}

void DialogWindow::RefreshCombo(ControlModel& control, QComboBox& combo) {
    auto& model = static_cast<ComboBoxModel&>(control);
    const std::vector<std::string>& items = model.Items();
    bool same = combo.count() == static_cast<int>(items.size());
    for (int i = 0; same && i < combo.count(); ++i) {
        same = combo.itemText(i) == FromAnsi(items[static_cast<std::size_t>(i)]);
    }
    if (!same) {
        combo.clear();
        for (const std::string& item : items) combo.addItem(FromAnsi(item));
    }
    if (combo.currentIndex() != model.Selection()) combo.setCurrentIndex(model.Selection());
}

void DialogWindow::RefreshSlider(ControlModel& control, ModelSlider& slider) {
    auto& model = static_cast<TrackbarModel&>(control);
    // QSlider keeps minimum <= maximum; an inverted range shows as an empty one.
    slider.setRange(model.RangeMin(), std::max(model.RangeMin(), model.RangeMax()));
    slider.setSingleStep(model.LineSize());
    slider.setPageStep(model.PageSize());
    slider.setValue(model.Pos());
    slider.setSliderDown(m_thumbDragging && m_pressed == &slider);
}

void DialogWindow::RefreshDialog() {
    const QString caption = FromAnsi(static_cast<const fw::model::WindowModel&>(m_model).Text());
    if (windowTitle() != caption) setWindowTitle(caption);
    // The icon is decoded once the dialog is on the screen: it is not worth a later start.
    if (m_painted && !m_hasIcon &&
        (m_model.Icon(false) != nullptr || m_model.Icon(true) != nullptr)) {
        setWindowIcon(m_appIcon);
        m_hasIcon = true;
    }
    if (m_model.Ended() && m_loop != nullptr) m_loop->quit();
    SyncFocus();
}

void DialogWindow::SyncFocus() {
    ControlModel* focus = m_model.FocusControl();
    const Entry* entry = EntryOf(focus);
    QWidget* target = entry != nullptr ? entry->widget : this;
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
    if (m_model.Ended()) {
        if (m_loop != nullptr) m_loop->quit();
        return;
    }
    SyncFocus();
}

// ---- Running

void DialogWindow::Run(const std::function<void(DialogWindow&)>& whenShown) {
    // Centred on the owner's window, or on the screen's work area, and kept inside it - where
    // the dialog manager puts a dialog whose template has no position.
    QScreen* screen = parentWidget() != nullptr && parentWidget()->isVisible()
                          ? parentWidget()->screen()
                          : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        const QRect around = parentWidget() != nullptr && parentWidget()->isVisible()
                                 ? parentWidget()->frameGeometry()
                                 : area;
        QPoint topLeft = around.center() - QPoint(width() / 2, height() / 2);
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
        topLeft.setY(
            std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
        move(topLeft);
    }

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
    if (!m_model.Ended()) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        m_loop = nullptr;
    }
    m_closing = true;
    m_trackRepeat->stop();
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

const DialogWindow::Entry* DialogWindow::EntryOf(const QObject* object) const {
    const auto it = m_byWidget.find(object);
    return it == m_byWidget.end() ? nullptr : &m_entries[it->second];
}

const DialogWindow::Entry* DialogWindow::EntryOf(const ControlModel* control) const {
    if (control == nullptr) return nullptr;
    const auto it = m_byControl.find(control);
    return it == m_byControl.end() ? nullptr : &m_entries[it->second];
}

QWidget* DialogWindow::Widget(int id) const {
    const Entry* entry = EntryOf(m_model.Control(id));
    return entry != nullptr ? entry->widget : nullptr;
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    const Entry* entry = EntryOf(watched);
    if (watched != this && entry == nullptr) return QDialog::eventFilter(watched, event);
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
        case QEvent::InputMethod: {
            // Text composed by an input method arrives as characters, like typed ones.
            const auto& input = *static_cast<QInputMethodEvent*>(event);
            if (!m_model.Ended()) {
                for (const char ch : ToAnsi(input.commitString())) {
                    const auto byte = static_cast<unsigned char>(ch);
                    if (byte >= 0x20 && byte != 0x7F) m_model.TypeChar(ch);
                }
            }
            AfterInput();
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return HandleMouse(entry, *static_cast<QMouseEvent*>(event));
        case QEvent::Wheel:
            HandleWheel(entry, *static_cast<QWheelEvent*>(event));
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
    const Qt::KeyboardModifiers held = key.modifiers();
    Modifiers modifiers;
    modifiers.shift = (held & Qt::ShiftModifier) != 0;
    modifiers.ctrl = (held & Qt::ControlModifier) != 0;
    modifiers.alt = (held & Qt::AltModifier) != 0;
    const int code = key.key();
    if (code == Qt::Key_Backtab) modifiers.shift = true;

    // Menus: the menu key and Shift+F10 open the focused control's, Alt+Space the window's.
    if (code == Qt::Key_Menu ||
        (code == Qt::Key_F10 && modifiers.shift && !modifiers.ctrl && !modifiers.alt)) {
        KeyboardContextMenu();
        return;
    }
    if (code == Qt::Key_Space && modifiers.alt && !modifiers.ctrl) {
        ShowDialogMenu(mapToGlobal(QPoint(0, 0)));
        return;
    }
    // F4 and Alt+Up/Down drop a focused list down, which only draws it: the pick goes to the
    // model.
    if (ControlModel* focus = m_model.FocusControl();
        focus != nullptr && focus->Kind() == ControlKind::ComboBox &&
        ((code == Qt::Key_F4 && !modifiers.alt) ||
         (modifiers.alt && (code == Qt::Key_Down || code == Qt::Key_Up)))) {
        if (const Entry* entry = EntryOf(focus)) {
            static_cast<QComboBox*>(entry->widget)->showPopup();
        }
        return;
    }
    if (m_model.Ended()) return;

    if (const std::optional<UINT> named = NamedKey(code)) {
        // Moving with the keyboard turns the focus cues on, as WM_CHANGEUISTATE does: Qt's
        // styles then draw the focus frame on buttons and lists too.
        if (*named == fw::vk::Tab || (*named >= fw::vk::Left && *named <= fw::vk::Down)) {
            setAttribute(Qt::WA_KeyboardFocusChange, true);
        }
        m_model.PressKey(*named, modifiers);
    } else if (code >= Qt::Key_A && code <= Qt::Key_Z && (modifiers.ctrl || modifiers.alt) &&
               !(modifiers.ctrl && modifiers.alt)) {
        // Ctrl+letter: the model makes the control character (copy, paste, cut, undo, select
        // all) as TranslateMessage would; Alt+letter is a mnemonic.
        m_model.PressKey(static_cast<UINT>(code), modifiers);
    } else if (modifiers.ctrl != modifiers.alt) {
        // Ctrl or Alt with anything else types nothing (Ctrl+Alt is AltGr).
    } else {
        for (const char ch : ToAnsi(key.text())) {
            const auto byte = static_cast<unsigned char>(ch);
            if (byte >= 0x20 && byte != 0x7F) m_model.TypeChar(ch);
        }
    }
    AfterInput();
}

void DialogWindow::KeyboardContextMenu() {
    ControlModel* focus = m_model.FocusControl();
    const Entry* entry = EntryOf(focus);
    if (entry != nullptr && focus->Kind() == ControlKind::Edit) {
        auto* edit = static_cast<QLineEdit*>(entry->widget);
        ShowEditMenu(focus->Id(), edit->mapToGlobal(edit->rect().bottomLeft()));
        return;
    }
    const QWidget* at = entry != nullptr ? entry->widget : this;
    ShowDialogMenu(at->mapToGlobal(at->rect().center()));
}

bool DialogWindow::HandleMouse(const Entry* entry, QMouseEvent& mouse) {
    const bool press =
        mouse.type() == QEvent::MouseButtonPress || mouse.type() == QEvent::MouseButtonDblClick;
    if (press) ReactivateFromApp();
    if (mouse.button() == Qt::RightButton) {
        // WM_CONTEXTMENU follows the right button's release; a control without a menu of its
        // own passes it to the dialog.
        if (mouse.type() == QEvent::MouseButtonRelease) {
            const QPoint global = mouse.globalPosition().toPoint();
            if (entry != nullptr && entry->control->Kind() == ControlKind::Edit &&
                entry->control->IsEnabled()) {
                ShowEditMenu(entry->control->Id(), global);
            } else {
                ShowDialogMenu(global);
            }
        }
        return true;
    }
    if (entry == nullptr) return true;  // the dialog's own face takes no clicks
    if (mouse.type() != QEvent::MouseMove && mouse.button() != Qt::LeftButton) return true;
    ControlModel& control = *entry->control;
    QWidget& widget = *entry->widget;
    switch (control.Kind()) {
        case ControlKind::Edit:
            HandleEditMouse(control, static_cast<QLineEdit&>(widget), mouse);
            break;
        case ControlKind::Trackbar:
            HandleSliderMouse(control, static_cast<ModelSlider&>(widget), mouse);
            break;
        case ControlKind::ComboBox:
            // The press gives the list the focus; then the combo box drops its list down
            // itself, knowing to ignore this press's release. Only the pick reaches the model.
            if (press && FocusCombo(control)) return false;
            break;
        default:
            if (IsButtonKind(control.Kind())) HandleButtonMouse(control, widget, mouse);
            break;
    }
    AfterInput();
    return true;
}

void DialogWindow::HandleButtonMouse(ControlModel& control, QWidget& widget, QMouseEvent& mouse) {
    const bool inside = widget.rect().contains(mouse.position().toPoint());
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A double click is two clicks to a button.
            if (!control.IsEnabled() || m_model.Ended()) return;
            m_pressed = &widget;
            m_pressedInside = true;
            Refresh(control);
            break;
        case QEvent::MouseMove:
            if (m_pressed != &widget || inside == m_pressedInside) return;
            m_pressedInside = inside;
            Refresh(control);
            break;
        case QEvent::MouseButtonRelease: {
            if (m_pressed != &widget) return;
            m_pressed = nullptr;
            m_pressedInside = false;
            Refresh(control);
            // Released over the button: a click (focus, check, BN_CLICKED) by the model.
            if (inside) m_model.Click(control.Id());
            break;
        }
        default:
            break;
    }
}

void DialogWindow::HandleEditMouse(ControlModel& control, QLineEdit& edit, QMouseEvent& mouse) {
    const int id = control.Id();
    const int position = edit.cursorPositionAt(mouse.position().toPoint());
    auto& model = static_cast<EditModel&>(control);
    switch (mouse.type()) {
        case QEvent::MouseButtonPress: {
            const bool extend = (mouse.modifiers() & Qt::ShiftModifier) != 0 && control.HasFocus();
            m_editAnchor = extend ? SelectionAnchor(model) : position;
            m_editSelecting = m_model.SelectText(id, m_editAnchor, position);
            break;
        }
        case QEvent::MouseButtonDblClick: {
            // A double click selects the word under the mouse.
            const QString text = edit.text();
            int start = std::clamp(position, 0, static_cast<int>(text.size()));
            int end = start;
            while (start > 0 && IsWordChar(text.at(start - 1))) --start;
            while (end < text.size() && IsWordChar(text.at(end))) ++end;
            m_model.SelectText(id, start, end);
            m_editSelecting = false;
            break;
        }
        case QEvent::MouseMove:
            if (m_editSelecting && (mouse.buttons() & Qt::LeftButton) != 0 &&
                position != model.Caret()) {
                m_model.SelectText(id, m_editAnchor, position);
            }
            break;
        case QEvent::MouseButtonRelease:
            m_editSelecting = false;
            break;
        default:
            break;
    }
}

void DialogWindow::HandleSliderMouse(ControlModel& control, ModelSlider& slider,
                                     QMouseEvent& mouse) {
    auto& model = static_cast<TrackbarModel&>(control);
    const QPoint point = mouse.position().toPoint();
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (m_thumbDragging || m_trackPressed) return;
            const int value = slider.ValueAt(point.x());
            if (slider.HandleRect().contains(point) || value == model.Pos()) {
                // On the thumb: it follows the mouse from where it was grabbed.
                m_thumbGrabOffset = point.x() - slider.HandleCentre();
                if (model.UserPressThumb()) {
                    m_thumbDragging = true;
                    m_pressed = &slider;
                }
            } else if (model.UserPressTrack(value)) {
                // Beside it: one page toward the mouse, then more while the button is held.
                m_trackPressed = true;
                m_trackTowardMax = value > model.Pos();
                m_trackPoint = point.x();
                m_pressed = &slider;
                m_trackRepeat->start(kTrackRepeatDelayMs);
            }
            Refresh(control);
            break;
        }
        case QEvent::MouseMove:
            if (m_thumbDragging) {
                model.UserDragTo(slider.ValueAt(point.x() - m_thumbGrabOffset));
            } else if (m_trackPressed) {
                m_trackPoint = point.x();
            }
            break;
        case QEvent::MouseButtonRelease:
            if (!m_thumbDragging && !m_trackPressed) return;
            m_thumbDragging = false;
            m_trackPressed = false;
            m_pressed = nullptr;
            m_trackRepeat->stop();
            model.UserRelease();
            Refresh(control);
            break;
        default:
            break;
    }
}

void DialogWindow::RepeatTrackPress() {
    m_trackRepeat->setInterval(kTrackRepeatMs);
    if (!m_trackPressed || m_model.Ended()) {
        m_trackRepeat->stop();
        return;
    }
    ControlModel* control = nullptr;
    for (const Entry& entry : m_entries) {
        if (entry.widget == m_pressed) control = entry.control;
    }
    if (control == nullptr || control->Kind() != ControlKind::Trackbar) return;
    auto& model = static_cast<TrackbarModel&>(*control);
    auto* slider = static_cast<ModelSlider*>(m_pressed.data());
    const QRect thumb = slider->HandleRect();
    // Paging stops once the thumb has reached the mouse.
    if (m_trackPoint >= thumb.left() && m_trackPoint <= thumb.right()) return;
    const int value = slider->ValueAt(m_trackPoint);
    const bool beyond = m_trackTowardMax ? value > model.Pos() : value < model.Pos();
    if (beyond) model.UserPressTrack(value);
    AfterInput();
}

bool DialogWindow::FocusCombo(ControlModel& control) {
    if (m_model.Ended() || !control.IsEnabled()) return false;
    m_model.Click(control.Id());
    AfterInput();
    return !m_model.Ended() && control.HasFocus();
}

void DialogWindow::HandleWheel(const Entry* entry, QWheelEvent& wheel) {
    // The wheel turns the focused list or trackbar one line per notch, as their Up and Down
    // keys do (the controls send themselves those keys).
    ControlModel* focus = m_model.FocusControl();
    if (entry == nullptr || entry->control != focus || m_model.Ended()) return;
    if (focus->Kind() != ControlKind::ComboBox && focus->Kind() != ControlKind::Trackbar) return;
    m_wheelRemainder += wheel.angleDelta().y();
    constexpr int kNotch = 120;
    while (std::abs(m_wheelRemainder) >= kNotch && !m_model.Ended()) {
        const bool up = m_wheelRemainder > 0;
        m_wheelRemainder += up ? -kNotch : kNotch;
        m_model.PressKey(up ? fw::vk::Up : fw::vk::Down);
    }
    AfterInput();
}

void DialogWindow::ShowEditMenu(int id, const QPoint& globalPos) {
    ControlModel* control = m_model.Control(id);
    if (control == nullptr || control->Kind() != ControlKind::Edit || m_model.Ended()) return;
    auto& edit = static_cast<EditModel&>(*control);
    // The edit takes the focus to show its menu; its selection stays.
    if (!control->HasFocus()) {
        const int anchor = SelectionAnchor(edit);
        m_model.SelectText(id, anchor, edit.Caret());
        AfterInput();
        if (m_model.Ended()) return;
    }
    const auto [start, end] = edit.Selection();
    const bool selected = start != end;
    const bool writable = !edit.IsReadOnly();
    const int length = static_cast<int>(edit.Text().size());

    QMenu menu(this);
    QAction* undo = menu.addAction(QStringLiteral("&Undo"));
    undo->setEnabled(writable && edit.CanUndo());
    menu.addSeparator();
    QAction* cut = menu.addAction(QStringLiteral("Cu&t"));
    cut->setEnabled(selected && writable);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    copy->setEnabled(selected);
    QAction* paste = menu.addAction(QStringLiteral("&Paste"));
    paste->setEnabled(writable && !m_model.ClipboardText().empty());
    QAction* clear = menu.addAction(QStringLiteral("&Delete"));
    clear->setEnabled(selected && writable);
    menu.addSeparator();
    QAction* selectAll = menu.addAction(QStringLiteral("Select &All"));
    selectAll->setEnabled(length > 0 && !(start == 0 && end == length));

    QAction* chosen = menu.exec(globalPos);
    if (chosen == nullptr || m_model.Ended()) return;
    if (chosen == selectAll) {
        m_model.SelectText(id, 0, length);
    } else {
        const UINT message = chosen == undo    ? fw::wm::Undo
                             : chosen == cut   ? fw::wm::Cut
                             : chosen == copy  ? fw::wm::Copy
                             : chosen == paste ? fw::wm::Paste
                                               : fw::wm::Clear;
        m_model.ContextMenuCommand(id, message);
    }
    AfterInput();
}

void DialogWindow::ShowDialogMenu(const QPoint& globalPos) {
    if (m_model.Ended() || !m_model.HasSystemMenu()) return;
    QMenu menu(this);
    bool separator = false;
    for (const fw::model::MenuItem& item : m_model.SystemMenu()) {
        if ((item.flags & fw::mf::Separator) != 0) {
            separator = !menu.isEmpty();
            continue;
        }
        // Moving the window belongs to the window manager.
        if ((item.id & 0xFFF0u) == fw::sc::Move) continue;
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

}  // namespace qtfront
