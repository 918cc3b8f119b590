#pragma once
// QSlider with the geometry questions the front end asks when it turns a mouse position into a
// trackbar position. The slider never moves by itself: the model moves it.
#include <QSlider>

namespace qt {

class ModelSlider : public QSlider {
public:
    explicit ModelSlider(QWidget* parent);

    // The thumb's rectangle in widget coordinates.
    QRect HandleRect() const;
    // The position whose thumb centre lies nearest to widget x coordinate `x`.
    int ValueAt(int x) const;
    // The x coordinate of the thumb's centre.
    int HandleCentre() const { return HandleRect().center().x(); }

protected:
    // With the focus, the whole control is framed by a dotted focus rectangle, as the Windows
    // trackbar draws it; the style's own focus frame is left out.
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qt
