#include "platform/qt/edit_view.h"

#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <limits>

#include "platform/qt/ansi_text.h"

namespace qt {

using model::EditModel;

namespace {

// QLineEdit hides its cursor when read-only; the Windows edit shows its caret there too, the
// focus mark of an edit without a selection.
class LineEdit : public QLineEdit {
public:
    explicit LineEdit(QWidget* parent) : QLineEdit(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QLineEdit::paintEvent(event);
        if (!isReadOnly() || !hasFocus() || hasSelectedText()) return;
        QPainter painter(this);
        const QRect caret = cursorRect();
        const int x = caret.center().x();
        painter.setPen(QPen(palette().color(QPalette::Text), 0));
        painter.drawLine(x, caret.top(), x, caret.bottom());
    }
};

// The selection's fixed end: the one the caret is not at.
int SelectionAnchor(const EditModel& edit) {
    const auto [start, end] = edit.Selection();
    return edit.Caret() == start ? end : start;
}

}  // namespace

EditView::EditView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, new LineEdit(&context.surface)) {
    auto& edit = static_cast<QLineEdit&>(Widget());
    edit.setFrame((control.Style() & framework::ws::Border) != 0 ||
                  (control.Item().exStyle & framework::ws::ExClientEdge) != 0);
    // The model holds the limit; the widget must never cut what it is given.
    edit.setMaxLength(std::numeric_limits<int>::max());
    edit.setDragEnabled(false);
    edit.setAcceptDrops(false);
    edit.setContextMenuPolicy(Qt::PreventContextMenu);
}

EditModel& EditView::Edit() const {
    return static_cast<EditModel&>(Control());
}

bool EditView::Mouse(QMouseEvent& mouse) {
    auto& edit = static_cast<QLineEdit&>(Widget());
    const int id = Control().Id();
    const int position = edit.cursorPositionAt(mouse.position().toPoint());
    model::DialogModel& model = Model();
    switch (mouse.type()) {
        case QEvent::MouseButtonPress: {
            const bool extend =
                (mouse.modifiers() & Qt::ShiftModifier) != 0 && Control().HasFocus();
            m_anchor = extend ? SelectionAnchor(Edit()) : position;
            m_selecting = model.SelectText(id, m_anchor, position);
            break;
        }
        case QEvent::MouseButtonDblClick: {
            const auto [start, end] = Edit().WordAt(position);
            model.SelectText(id, start, end);
            m_selecting = false;
            break;
        }
        case QEvent::MouseMove:
            if (m_selecting && (mouse.buttons() & Qt::LeftButton) != 0 &&
                position != Edit().Caret()) {
                model.SelectText(id, m_anchor, position);
            }
            break;
        case QEvent::MouseButtonRelease:
            m_selecting = false;
            break;
        default:
            break;
    }
    return true;
}

void EditView::ShowMenu(const QPoint& globalPos) {
    model::DialogModel& model = Model();
    const int id = Control().Id();
    if (model.Ended()) return;
    // The edit takes the focus to show its menu; its selection stays.
    if (!Control().HasFocus()) {
        model.SelectText(id, SelectionAnchor(Edit()), Edit().Caret());
        AfterInput();
        if (model.Ended()) return;
    }
    QMenu menu(&Surface());
    for (const model::EditMenuItem& item : Edit().ContextMenu()) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(FromAnsi(item.text));
        action->setEnabled(item.enabled);
        action->setData(item.command);
    }
    QAction* chosen = menu.exec(globalPos);
    if (chosen == nullptr || model.Ended()) return;
    model.ContextMenuCommand(id, chosen->data().toUInt());
    AfterInput();
}

void EditView::RefreshKind() {
    EditModel& model = Edit();
    auto& edit = static_cast<QLineEdit&>(Widget());
    const QString text = FromAnsi(model.Text());
    if (edit.text() != text) edit.setText(text);
    if (edit.isReadOnly() != model.IsReadOnly()) {
        edit.setReadOnly(model.IsReadOnly());
        // A read-only edit is drawn on the dialog's face colour, as Windows draws it.
        QPalette palette = edit.palette();
        palette.setBrush(QPalette::Base, model.IsReadOnly()
                                             ? Surface().palette().brush(QPalette::Window)
                                             : Surface().palette().brush(QPalette::Base));
        edit.setPalette(palette);
    }
    const std::uint32_t style = model.Style();
    const Qt::Alignment horizontal = (style & framework::es::Center) != 0  ? Qt::AlignHCenter
                                     : (style & framework::es::Right) != 0 ? Qt::AlignRight
                                                                           : Qt::AlignLeft;
    if (edit.alignment() != (horizontal | Qt::AlignVCenter)) {
        edit.setAlignment(horizontal | Qt::AlignVCenter);
    }
    // An edit without the focus hides its selection (no ES_NOHIDESEL) but keeps it.
    const auto [start, end] = model.Selection();
    if (model.HasFocus() && start != end) {
        const int anchor = SelectionAnchor(model);
        edit.setSelection(anchor, model.Caret() - anchor);
    } else {
        edit.deselect();
        edit.setCursorPosition(model.Caret());
    }
}

}  // namespace qt
