#pragma once

#include <QProxyStyle>

#include "skin/she_format.h"

namespace quenlo::skin {

// Draws the controls in the look a skin file describes. Geometry (sizes, margins, where each part
// of a control lies) stays that of the plain style underneath, so skinning moves nothing; only the
// painting and the palette change.
class SkinStyle : public QProxyStyle {
  public:
    explicit SkinStyle(const she::Skin& skin);

    QPalette standardPalette() const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void drawButtonFace(const QStyleOption* option, QPainter* painter) const;
    void drawGroupBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawScrollBar(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawBoxBorder(const QStyleOption* option, QPainter* painter, bool showFocus) const;

    she::Skin skin_;
};

}  // namespace quenlo::skin
