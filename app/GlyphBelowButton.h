#pragma once
// A push button that shows its caption with its glyph centred below it.

#include <QPushButton>

class TGlyphBelowButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
