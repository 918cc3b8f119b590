#pragma once
// The box for long text with paths in it (F1's). Where the text fits it is laid out as the
// other message boxes are; taller text scrolls inside a box that fits the screen's work area,
// with OK on screen. The text can be selected with the mouse and the keyboard, and Ctrl+C
// copies the selection, or all of the text when nothing is selected.
#include <QDialog>
#include <QString>

class QPushButton;
class QTextEdit;

namespace qt {

class TextBox final : public QDialog {
public:
    TextBox(QWidget* owner, const QString& caption, const QString& text);

    QString Text() const;
    QPushButton* OkButton() const { return m_ok; }
    QTextEdit* TextView() const { return m_text; }
    // What Ctrl+C puts on the clipboard.
    QString CopyText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sizes the text to its screen: wrapped as a message box wraps it, at most as tall as the
    // work area leaves room for.
    void FitToScreen();

    QTextEdit* m_text;
    QPushButton* m_ok;
};

}  // namespace qt
