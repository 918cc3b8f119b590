#include "platform/qt/qt_platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/ansi_text.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/program_as_started.h"
#include "platform/qt/text_box.h"

namespace qt {

namespace {

QMessageBox::StandardButtons ButtonsOf(UINT type) {
    switch (type & framework::mb::TypeMask) {
        case framework::mb::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case framework::mb::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case framework::mb::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case framework::mb::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case framework::mb::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

int IdOf(QMessageBox::StandardButton button, UINT type) {
    switch (button) {
        case QMessageBox::Cancel:
            return framework::id::Cancel;
        case QMessageBox::Abort:
            return framework::id::Abort;
        case QMessageBox::Retry:
            return framework::id::Retry;
        case QMessageBox::Ignore:
            return framework::id::Ignore;
        case QMessageBox::Yes:
            return framework::id::Yes;
        case QMessageBox::No:
            return framework::id::No;
        case QMessageBox::Ok:
            return framework::id::Ok;
        default:
            // Closed without a button: what Escape gives for that set.
            return (type & framework::mb::TypeMask) == 0 ? framework::id::Ok
                                                         : framework::id::Cancel;
    }
}

// Reached by the keys the box's buttons leave alone.
class CopyWholeBox final : public QObject {
public:
    explicit CopyWholeBox(QMessageBox& box) : m_box(box) { box.installEventFilter(this); }
    ~CopyWholeBox() override { m_box.removeEventFilter(this); }
    CopyWholeBox(const CopyWholeBox&) = delete;
    CopyWholeBox& operator=(const CopyWholeBox&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_box && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(MessageBoxCopyText(m_box));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMessageBox& m_box;
};

}  // namespace

QString MessageBoxCopyText(const QMessageBox& box) {
    const QString rule = QStringLiteral("---------------------------\n");
    QString buttons;
    for (QAbstractButton* button : box.buttons()) {
        buttons += button->text().remove(QLatin1Char('&')) + QStringLiteral("   ");
    }
    return rule + box.windowTitle() + QLatin1Char('\n') + rule + box.text() + QLatin1Char('\n') +
           rule + buttons + QLatin1Char('\n') + rule;
}

QtPlatform::QtPlatform(const framework::DialogResources& resources, std::string executableTitle)
    : model::ModelPlatform(resources, std::move(executableTitle)) {}

QtPlatform::~QtPlatform() = default;

DialogWindow* QtPlatform::WindowOf(const model::DialogModel* dialog) const {
    for (DialogWindow* window : m_windows) {
        if (&window->Model() == dialog) return window;
    }
    return nullptr;
}

QWidget* QtPlatform::OwnerWindow(framework::Handle owner) const {
    if (DialogWindow* window = WindowOf(DialogOf(owner))) return window;
    // An owner without a window of its own yet (a box raised during WM_INITDIALOG) stands in
    // front of whatever runs beneath it.
    return m_windows.empty() ? nullptr : m_windows.back();
}

INT_PTR QtPlatform::RunModalLoop(model::DialogModel& dialog) {
    DialogWindow window(dialog, AppIcon(), OwnerWindow(dialog.Owner()));
    m_windows.push_back(&window);
    struct Pop {
        std::vector<DialogWindow*>& windows;
        ~Pop() { windows.pop_back(); }
    } pop{m_windows};
    window.Run([this](DialogWindow& shown) { DialogShown(shown); });
    return dialog.Result();
}

void QtPlatform::DialogShown(DialogWindow&) {}

void QtPlatform::MessageBoxShown(QMessageBox&) {}

void QtPlatform::TextBoxShown(TextBox&) {}

int QtPlatform::RunMessageBox(const model::MessageBoxRequest& request) {
    QWidget* owner = request.ownerDialog != nullptr ? WindowOf(request.ownerDialog) : nullptr;
    if (owner == nullptr) owner = OwnerWindow(request.owner);
    // Paths make long text, which a message box would let grow past the screen's edge.
    if (request.utf8Text && (request.type & framework::mb::TypeMask) == framework::mb::Ok) {
        return RunTextBox(owner, request);
    }
    QMessageBox box(owner);
    // MB_OK without MB_ICON*: no icon, no sound, one button.
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(FromAnsi(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(request.utf8Text ? QString::fromStdString(request.text) : FromAnsi(request.text));
    box.setStandardButtons(ButtonsOf(request.type));
    // Ctrl+C copies the whole box as Windows' message boxes do, to paste it elsewhere.
    CopyWholeBox copy(box);
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, &box, [this, &box] { MessageBoxShown(box); });
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return IdOf(clicked != nullptr ? box.standardButton(clicked) : QMessageBox::NoButton,
                request.type);
}

int QtPlatform::RunTextBox(QWidget* owner, const model::MessageBoxRequest& request) {
    TextBox box(owner, FromAnsi(request.caption), QString::fromStdString(request.text));
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, &box, [this, &box] { TextBoxShown(box); });
    box.exec();
    return framework::id::Ok;  // its one button, or Escape, which stands for it
}

const QIcon& QtPlatform::AppIcon() const {
    if (m_appIcon.isNull()) {
        // The Windows icon's own 16 and 32 pixel images, then the larger renderings.
        m_appIcon.addFile(QStringLiteral(":/icons/TavrelCustomizer.ico"));
        for (const int size : {48, 64, 128, 256}) {
            m_appIcon.addFile(
                QStringLiteral(":/icons/icons/hicolor/%1x%1/apps/tavrel-customizer.png").arg(size),
                QSize(size, size));
        }
    }
    return m_appIcon;
}

std::string QtPlatform::ProgramAsStarted() {
    return qt::ProgramAsStarted();
}

std::string QtPlatform::ClipboardText() const {
    if (QGuiApplication::instance() == nullptr) return ModelPlatform::ClipboardText();
    return ToAnsi(QGuiApplication::clipboard()->text());
}

void QtPlatform::SetClipboardText(std::string text) {
    if (QGuiApplication::instance() != nullptr) {
        QGuiApplication::clipboard()->setText(FromAnsi(text));
    }
    ModelPlatform::SetClipboardText(std::move(text));
}

}  // namespace qt
