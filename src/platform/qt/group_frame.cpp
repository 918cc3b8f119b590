#include "platform/qt/group_frame.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QStyle>

namespace qt {

namespace {
// Where the Windows group box puts its caption: 8 pixels in from the frame's left edge, with
// the frame cleared for 2 pixels either side of the text (pixels at 96 dpi).
constexpr int kCaptionIndent = 8;
constexpr int kCaptionGap = 2;
}  // namespace

GroupFrame::GroupFrame(QWidget* parent) : QGroupBox(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GroupFrame::SetTitle(const QString& title) {
    if (title == m_title) return;
    m_title = title;
    update();
}

void GroupFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // EDGE_ETCHED: a sunken line with a light one beside it. (The styles' own group box frames
    // leave room for a caption above them.)
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2 - 1, 0, 0), palette(), true, 1,
                   0);
    if (m_title.isEmpty()) return;

    const QRect text(kCaptionIndent, 0,
                     metrics.horizontalAdvance(QString(m_title).remove(QLatin1Char('&'))) + 1,
                     metrics.height());
    painter.fillRect(text.adjusted(-kCaptionGap, 0, kCaptionGap, 0),
                     palette().brush(backgroundRole()));
    style()->drawItemText(&painter, text.adjusted(0, 0, metrics.height(), 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                          isEnabled(), m_title, QPalette::WindowText);
}

}  // namespace qt
