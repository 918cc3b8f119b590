#pragma once
// QSlider with the geometry questions the front end asks when it turns a mouse position into a
// trackbar position. The slider never moves by itself: the model moves it.
#include <QSlider>

namespace qtfront {

class ModelSlider : public QSlider {
public:
    explicit ModelSlider(QWidget* parent);

    // The thumb's rectangle in widget coordinates.
    QRect HandleRect() const;
    // The position whose thumb centre lies nearest to widget x coordinate `x`.
    int ValueAt(int x) const;
    // The x coordinate of the thumb's centre.
    int HandleCentre() const { return HandleRect().center().x(); }
};

}  // namespace qtfront
