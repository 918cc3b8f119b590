#include "platform/qt/combo_view.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QMouseEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "platform/qt/ansi_text.h"
#include "platform/qt/dialog_window.h"

namespace qtfront {

namespace {

// The closed list with the focus shows its selection highlighted inside a dotted focus
// rectangle, as the Windows drop-down list draws it; the style's focus frame is left out.
class ComboBox : public QComboBox {
public:
    explicit ComboBox(QWidget* parent);

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
};

// Qt's own combo box interface names a closed list by its selection on Linux, leaving the
// label to a relation; the Windows list is named by its label, which is its accessible name
// here. The selection is its value, the dropped-down list its one child.
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return Combo().currentText();
        return QAccessibleWidget::text(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo().view()->isVisible();
        state.collapsed = !state.expanded;
        return state;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo().view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == Combo().view() ? 0 : -1;
    }
    // Showing the list only draws it: the pick goes to the model, as with the mouse.
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction()) {
            Combo().showPopup();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

private:
    QComboBox& Combo() const { return *static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) return nullptr;
    auto* combo = dynamic_cast<ComboBox*>(object);
    return combo != nullptr ? new ComboAccessible(combo) : nullptr;
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    // Before any interface of a list of ours is asked for.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(ComboAccessibleFactory);
        return true;
    }();
    static_cast<void>(factoryInstalled);
}

}  // namespace

ComboView::ComboView(DialogWindow& window, fw::model::ControlModel& control)
    : ControlView(window, control, new ComboBox(&window)) {
    auto& combo = static_cast<QComboBox&>(Widget());
    combo.setEditable(false);
    combo.setContextMenuPolicy(Qt::PreventContextMenu);
    const int id = control.Id();
    // The popup is only a way of choosing: the choice goes to the model, which decides the
    // selection and notifies the dialog.
    QObject::connect(&combo, &QComboBox::activated, &window, [this, id](int index) {
        fw::model::DialogModel& model = Model();
        if (!model.Ended()) model.SelectComboItem(id, index);
        Refresh();
        Window().AfterInput();
    });
}

void ComboView::Place(QRect rect) {
    // The template's height is that of the dropped list; the closed box takes the height the
    // font needs. The list shows as many items as fit in the rest.
    auto& combo = static_cast<QComboBox&>(Widget());
    const int closed = combo.sizeHint().height();
    const int dropped = rect.height() - closed;
    const int itemHeight = QFontMetrics(Window().font()).height() + 2;
    combo.setMaxVisibleItems(std::max(1, dropped / std::max(1, itemHeight)));
    rect.setHeight(closed);
    combo.setGeometry(rect);
}

bool ComboView::Mouse(QMouseEvent& mouse) {
    const bool press =
        mouse.type() == QEvent::MouseButtonPress || mouse.type() == QEvent::MouseButtonDblClick;
    fw::model::DialogModel& model = Model();
    fw::model::ControlModel& control = Control();
    if (!press || model.Ended() || !control.IsEnabled()) return true;
    // The press gives the list the focus; then the combo box drops its list down itself,
    // knowing to ignore this press's release.
    model.Click(control.Id());
    Window().AfterInput();
    return model.Ended() || !control.HasFocus();
}

void ComboView::DropDown() {
    static_cast<QComboBox&>(Widget()).showPopup();
}

void ComboView::RefreshKind() {
    auto& model = static_cast<fw::model::ComboBoxModel&>(Control());
    auto& combo = static_cast<QComboBox&>(Widget());
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

}  // namespace qtfront
