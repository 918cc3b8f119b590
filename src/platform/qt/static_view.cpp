#include "platform/qt/static_view.h"

#include <QLabel>

#include "platform/qt/ansi_text.h"
#include "platform/qt/group_frame.h"

namespace qt {

using model::ControlKind;

namespace {

// The icon a static control with SS_ICON shows takes the system's icon size, whatever the
// template says (SM_CXICON at 96 dpi).
constexpr int kIconExtent = 32;

QWidget* CreateWidget(QWidget& window, const model::ControlModel& control) {
    // Group frames are transparent to the mouse by themselves.
    if (control.Kind() == ControlKind::GroupBox) return new GroupFrame(&window);
    auto* label = new QLabel(&window);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    const std::uint32_t type = control.Style() & framework::ss::TypeMask;
    Qt::Alignment align = Qt::AlignTop;
    align |= type == framework::ss::Center  ? Qt::AlignHCenter
             : type == framework::ss::Right ? Qt::AlignRight
                                            : Qt::AlignLeft;
    label->setAlignment(align);
    // Statics without SS_NOTIFY let the mouse through to the dialog.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

StaticView::StaticView(const ViewContext& context, model::ControlModel& control)
    : ControlView(context, control, CreateWidget(context.surface, control)) {}

bool StaticView::IsIcon() const {
    return Control().Kind() == ControlKind::Static &&
           (Control().Style() & framework::ss::TypeMask) == framework::ss::Icon;
}

void StaticView::Place(QRect rect) {
    if (IsIcon()) {
        rect.setSize(QSize(kIconExtent, kIconExtent));
    } else if (Control().Kind() == ControlKind::Static && !Control().Text().empty()) {
        // The face standing in for the template's may run a little wider: the text keeps its
        // place and is never clipped.
        const model::ControlModel& control = Control();
        const QFontMetrics metrics(Surface().font());
        const int width = metrics.horizontalAdvance(MnemonicText(
                              control.Text(), (control.Style() & framework::ss::NoPrefix) != 0)) +
                          1;
        if (width > rect.width()) rect.setWidth(width);
        if (metrics.height() > rect.height()) {
            const int extra = metrics.height() - rect.height();
            rect.setTop(rect.top() - extra / 2);
            rect.setHeight(metrics.height());
        }
    }
    Widget().setGeometry(rect);
}

void StaticView::RefreshKind() {
    const model::ControlModel& control = Control();
    if (control.Kind() == ControlKind::GroupBox) {
        static_cast<GroupFrame&>(Widget()).SetTitle(MnemonicText(control.Text(), true));
        return;
    }
    auto& label = static_cast<QLabel&>(Widget());
    if (IsIcon()) {
        const QIcon& icon = AppIcon();
        label.setPixmap(
            icon.pixmap(QSize(kIconExtent, kIconExtent), Surface().devicePixelRatioF()));
    } else {
        // SS_NOPREFIX shows every ampersand; otherwise "&&" is one and "&x" marks x.
        label.setText(
            MnemonicText(control.Text(), (control.Style() & framework::ss::NoPrefix) != 0));
    }
}

}  // namespace qt
