#pragma once
// A group box drawn the way the Windows button class draws BS_GROUPBOX: the frame's top edge
// runs through the middle of the caption's first line and the caption interrupts it near the
// left corner, so the template's coordinates inside the box keep their room. (QGroupBox puts
// the caption above the frame and would push the frame onto the controls beneath.) The frame
// itself comes from the Qt style. It is transparent to the mouse, like its Windows original. A
// QGroupBox underneath, so that a screen reader hears a grouping; it paints itself.
#include <QGroupBox>
#include <QString>

namespace qt {

class GroupFrame : public QGroupBox {
public:
    explicit GroupFrame(QWidget* parent);

    void SetTitle(const QString& title);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
};

}  // namespace qt
