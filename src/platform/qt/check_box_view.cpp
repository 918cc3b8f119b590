#include "platform/qt/check_box_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "platform/qt/ansi_text.h"

namespace qt {

using model::ControlKind;

namespace {

bool IsRadio(ControlKind kind) {
    return kind == ControlKind::RadioButton || kind == ControlKind::AutoRadioButton;
}

// Draws the box and text without the style's focus frame and adds the Windows one: a dotted
// rectangle around the text, one pixel wider on either side, or around the box when there is
// no text.
template <class Base, QStyle::ControlElement kElement, QStyle::SubElement kContents,
          QStyle::SubElement kIndicator>
class FocusButton : public Base {
public:
    explicit FocusButton(QWidget* parent) : Base(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        this->initStyleOption(&option);
        option.state &= ~QStyle::State_HasFocus;
        painter.drawControl(kElement, option);
        if (!this->hasFocus()) return;
        QStyle& style = *this->style();
        QRect mark;
        if (this->text().isEmpty()) {
            mark = style.subElementRect(kIndicator, &option, this);
        } else {
            mark = style.itemTextRect(this->fontMetrics(),
                                      style.subElementRect(kContents, &option, this),
                                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                                      this->isEnabled(), this->text());
        }
        DrawFocusRect(painter, mark.adjusted(-1, 0, 1, 0) & this->rect(),
                      this->palette().color(QPalette::WindowText));
    }
};

using CheckBox = FocusButton<QCheckBox, QStyle::CE_CheckBox, QStyle::SE_CheckBoxContents,
                             QStyle::SE_CheckBoxIndicator>;
using RadioButton = FocusButton<QRadioButton, QStyle::CE_RadioButton,
                                QStyle::SE_RadioButtonContents, QStyle::SE_RadioButtonIndicator>;

QAbstractButton* CreateButton(QWidget* parent, ControlKind kind) {
    if (!IsRadio(kind)) {
        auto* box = new CheckBox(parent);
        box->setTristate(false);
        return box;
    }
    auto* radio = new RadioButton(parent);
    // The model unchecks the group's other radios. A radio alone in a group that is not
    // exclusive is never unchecked by Qt (whose own exclusivity would also refuse to show a
    // group with none checked), yet stays auto-exclusive: a screen reader hears a radio button.
    radio->setAutoExclusive(true);
    auto* group = new QButtonGroup(radio);
    group->setExclusive(false);
    group->addButton(radio);
    return radio;
}

}  // namespace

CheckBoxView::CheckBoxView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, CreateButton(&context.surface, control.Kind())) {
    static_cast<QAbstractButton&>(Widget()).setCheckable(true);
}

void CheckBoxView::Place(QRect rect) {
    // Sized with its text first: the template's size is for the Windows glyph. Taller boxes
    // grow about their vertical centre.
    QWidget& widget = Widget();
    static_cast<QAbstractButton&>(widget).setText(MnemonicText(Control().Text(), true));
    const QSize hint = widget.sizeHint();
    if (hint.width() > rect.width()) rect.setWidth(hint.width());
    if (hint.height() > rect.height()) {
        const int extra = hint.height() - rect.height();
        rect.setTop(rect.top() - extra / 2);
        rect.setHeight(hint.height());
    }
    widget.setGeometry(rect);
}

bool CheckBoxView::Mouse(QMouseEvent& mouse) {
    m_press.Mouse(*this, Model(), mouse);
    return true;
}

void CheckBoxView::RefreshKind() {
    auto& model = static_cast<model::ButtonModel&>(Control());
    auto& button = static_cast<QAbstractButton&>(Widget());
    const QString text = MnemonicText(model.Text(), true);
    if (button.text() != text) button.setText(text);
    button.setChecked(model.Check() != framework::bst::Unchecked);
    button.setDown(model.IsPushed() || m_press.ShowsDown());
}

}  // namespace qt
