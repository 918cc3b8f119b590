#include "platform/qt/combo_view.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <functional>

#include "platform/qt/ansi_text.h"

namespace qt {

namespace {

// The closed list with the focus shows its selection highlighted inside a dotted focus
// rectangle, as the Windows drop-down list draws it; the style's focus frame is left out.
// The dropped list: a plain framed list below the field, as Windows draws it. It never has
// the keyboard (the keys stay with the field, for the model) and a click does not select in
// it: the item under the released button goes to `onPick`.
class DroppedList : public QListWidget {
public:
    explicit DroppedList(QWidget* parent) : QListWidget(parent) {
        setObjectName(QStringLiteral("droppedList"));
        setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setUniformItemSizes(true);
    }
    std::function<void(int)> onPick;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        const QModelIndex index = indexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index.isValid() && onPick) onPick(index.row());
    }
};

class ComboBox : public QComboBox {
public:
    explicit ComboBox(QWidget* parent);
    DroppedList& List() const { return *m_list; }
    std::function<void()> dropDown;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.state &= ~QStyle::State_HasFocus;
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.setPen(palette().color(QPalette::Text));
        if (hasFocus() && !option.currentText.isEmpty()) {
            const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, this);
            const QColor text = palette().color(QPalette::HighlightedText);
            painter.fillRect(field, palette().brush(QPalette::Highlight));
            DrawFocusRect(painter, field, text);
            painter.setPen(text);
            for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText}) {
                option.palette.setColor(role, text);
            }
        }
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }

private:
    DroppedList* m_list;  // a window of its own, owned as a child
};

// Qt's own combo box interface names a closed list by its selection on Linux, leaving the
// label to a relation; the Windows list is named by its label, which is its accessible name
// here. The selection is its value, the dropped-down list its one child.
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(ComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return Combo().currentText();
        return QAccessibleWidget::text(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo().List().isVisible();
        state.collapsed = !state.expanded;
        return state;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(&Combo().List()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == &Combo().List() ? 0 : -1;
    }
    // A screen reader's "show menu" drops the list through the model, as a press does.
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() && Combo().dropDown) {
            Combo().dropDown();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

private:
    ComboBox& Combo() const { return *static_cast<ComboBox*>(widget()); }
};

QAccessibleInterface* ComboAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) return nullptr;
    auto* combo = dynamic_cast<ComboBox*>(object);
    return combo != nullptr ? new ComboAccessible(combo) : nullptr;
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent), m_list(new DroppedList(this)) {
    // Before any interface of a list of ours is asked for.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(ComboAccessibleFactory);
        return true;
    }();
    static_cast<void>(factoryInstalled);
}

}  // namespace

ComboView::ComboView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, new ComboBox(&context.surface)) {
    auto& combo = static_cast<QComboBox&>(Widget());
    combo.setEditable(false);
    combo.setContextMenuPolicy(Qt::PreventContextMenu);
    const int id = control.Id();
    // The click is only a way of choosing: the choice goes to the model, which selects,
    // closes the list and notifies the dialog.
    static_cast<ComboBox&>(combo).dropDown = [this] { DropDown(); };
    static_cast<ComboBox&>(combo).List().onPick = [this, id](int index) {
        model::DialogModel& model = Model();
        if (!model.Ended()) model.SelectComboItem(id, index);
        Refresh();
        AfterInput();
    };
}

void ComboView::Place(QRect rect) {
    // The template's height is that of the dropped list; the closed box takes the height the
    // font needs. The list shows as many items as fit in the rest.
    auto& combo = static_cast<QComboBox&>(Widget());
    const int closed = combo.sizeHint().height();
    const int dropped = rect.height() - closed;
    const int itemHeight = QFontMetrics(Surface().font()).height() + 2;
    combo.setMaxVisibleItems(std::max(1, dropped / std::max(1, itemHeight)));
    rect.setHeight(closed);
    combo.setGeometry(rect);
}

bool ComboView::Mouse(QMouseEvent& mouse) {
    // QComboBox never sees the button: its own popup would choose by Qt's rules.
    const bool press =
        mouse.type() == QEvent::MouseButtonPress || mouse.type() == QEvent::MouseButtonDblClick;
    model::DialogModel& model = Model();
    auto& control = static_cast<model::ComboBoxModel&>(Control());
    if (!press || model.Ended() || !control.IsEnabled()) return true;
    // A press on the field drops the list, or closes it when it is down, cancelling.
    if (control.IsDropped()) {
        control.Send(framework::cb::ShowDropDown, FALSE, 0);
        return true;
    }
    DropDown();
    return true;
}

void ComboView::DropDown() {
    model::DialogModel& model = Model();
    model::ControlModel& control = Control();
    if (model.Ended() || !control.IsEnabled()) return;
    model.Click(control.Id());
    if (!model.Ended() && control.HasFocus()) control.Send(framework::cb::ShowDropDown, TRUE, 0);
    AfterInput();
}

void ComboView::Stop() {
    static_cast<ComboBox&>(Widget()).List().hide();
}

void ComboView::RefreshKind() {
    auto& model = static_cast<model::ComboBoxModel&>(Control());
    auto& combo = static_cast<QComboBox&>(Widget());
    const std::vector<std::string>& items = model.Items();
    bool same = combo.count() == static_cast<int>(items.size());
    for (int i = 0; same && i < combo.count(); ++i) {
        same = combo.itemText(i) == FromAnsi(items[static_cast<std::size_t>(i)]);
    }
    DroppedList& list = static_cast<ComboBox&>(combo).List();
    if (!same) {
        combo.clear();
        list.clear();
        for (const std::string& item : items) {
            combo.addItem(FromAnsi(item));
            list.addItem(FromAnsi(item));
        }
    }
    if (combo.currentIndex() != model.Selection()) combo.setCurrentIndex(model.Selection());
    if (list.currentRow() != model.Selection()) list.setCurrentRow(model.Selection());
    const bool dropped = model.IsDropped() && combo.isVisible() && Surface().isVisible();
    if (dropped) ShowList(list);
    if (!dropped && list.isVisible()) list.hide();
}

void ComboView::ShowList(QListWidget& list) {
    // Below the field, as wide, as many lines as the template's height holds.
    const auto& combo = static_cast<const QComboBox&>(Widget());
    // A window of its own: the dialog's font does not reach it by itself.
    if (list.font() != combo.font()) list.setFont(combo.font());
    const int rows = std::clamp(list.count(), 1, combo.maxVisibleItems());
    const int line = list.count() > 0 ? list.sizeHintForRow(0) : combo.fontMetrics().height();
    const int frame = 2 * list.frameWidth();
    list.setGeometry(QRect(combo.mapToGlobal(QPoint(0, combo.height())),
                           QSize(combo.width(), rows * line + frame)));
    if (list.currentRow() >= 0) list.scrollToItem(list.currentItem());
    if (!list.isVisible()) list.show();
}

}  // namespace qt
