#include "platform/qt/text_box.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

namespace qt {

namespace {

// QMessageBox's measures: the text's indent where there is no icon, and the widest the box
// gets before its text wraps (half the screen at most).
constexpr int kIndent = 15;
constexpr int kWrapWidth = 500;
// However small the screen, this many lines of text stay in view.
constexpr int kMinimumLines = 3;

}  // namespace

TextBox::TextBox(QWidget* owner, const QString& caption, const QString& text)
    : QDialog(owner), m_text(new QTextEdit(this)), m_ok(nullptr) {
    setWindowTitle(caption);

    m_text->setPlainText(text);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setTabChangesFocus(true);
    m_text->setFrameShape(QFrame::NoFrame);
    // On the box's own face, as a message box's text is.
    m_text->viewport()->setBackgroundRole(QPalette::Window);
    m_text->document()->setDocumentMargin(0);
    // A long path has no blank to wrap at.
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    buttons->setCenterButtons(
        style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, this) != 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addItem(new QSpacerItem(kIndent, 1, QSizePolicy::Fixed, QSizePolicy::Fixed), 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    for (QObject* watched : {static_cast<QObject*>(m_text), static_cast<QObject*>(m_ok),
                             static_cast<QObject*>(this)}) {
        watched->installEventFilter(this);
    }
    FitToScreen();
    m_ok->setFocus();
}

QString TextBox::Text() const {
    return m_text->toPlainText();
}

QString TextBox::CopyText() const {
    const QTextCursor cursor = m_text->textCursor();
    return cursor.hasSelection() ? cursor.selection().toPlainText() : Text();
}

bool TextBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(CopyText());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TextBox::FitToScreen() {
    const QWidget* onScreen = parentWidget() != nullptr ? parentWidget()->window() : this;
    const QRect area = onScreen->screen()->availableGeometry();
    // Measured on a document of its own, laid out as the view's: the view lays its own out
    // again whenever it is resized.
    QTextDocument measure;
    measure.setDefaultFont(m_text->document()->defaultFont());
    measure.setDefaultTextOption(m_text->document()->defaultTextOption());
    measure.setDocumentMargin(m_text->document()->documentMargin());
    measure.setPlainText(Text());
    // A message box wraps its text where the whole box would grow past the limit.
    auto* grid = static_cast<QGridLayout*>(layout());
    const QMargins margins = grid->contentsMargins();
    const int besideText = margins.left() + margins.right() + kIndent + grid->horizontalSpacing();
    const int limit = std::min(area.width() / 2, kWrapWidth) - besideText;
    const int natural = static_cast<int>(std::ceil(measure.idealWidth()));
    const int width = std::max(1, std::min(natural, limit));
    measure.setTextWidth(width);
    const int textHeight = static_cast<int>(std::ceil(measure.size().height()));

    // What the box needs besides its text; the window manager's frame is known only once the
    // box is shown, so twice a title bar's height stands in for it.
    m_text->setFixedSize(width, 0);
    grid->invalidate();
    const int chrome = grid->totalSizeHint().height() +
                       2 * style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int lineHeight = QFontMetrics(measure.defaultFont()).lineSpacing();
    const int room = std::max(area.height() - chrome, kMinimumLines * lineHeight);
    if (textHeight <= room) {
        m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_text->setFixedSize(width, textHeight);
        return;
    }
    // The bar goes beside the text, which keeps its width.
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFixedSize(width + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_text),
                         room);
}

}  // namespace qt
