#include "skin/skin_style.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFrame>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace quenlo::skin {
namespace {

QColor toColor(she::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Disabled parts fade halfway into the window face rather than turning grey, so they stay in the
// skin's colours.
QColor faded(QColor c, QColor face) {
    return QColor((c.red() + face.red()) / 2, (c.green() + face.green()) / 2, (c.blue() + face.blue()) / 2);
}

QLinearGradient gradientAcross(const QRectF& r, const she::Gradient& g, Qt::Orientation along, bool enabled,
                               QColor face) {
    QLinearGradient gradient = along == Qt::Vertical ? QLinearGradient(r.topLeft(), r.bottomLeft())
                                                     : QLinearGradient(r.topLeft(), r.topRight());
    QColor top = toColor(g.top), bottom = toColor(g.bottom);
    gradient.setColorAt(0, enabled ? top : faded(top, face));
    gradient.setColorAt(1, enabled ? bottom : faded(bottom, face));
    return gradient;
}

QPainterPath roundedRect(const QRectF& r, int radius) {
    QPainterPath path;
    const qreal limit = std::min(r.width(), r.height()) / 2;
    path.addRoundedRect(r, std::min<qreal>(radius, limit), std::min<qreal>(radius, limit));
    return path;
}

// A rectangle whose 1-pixel outline falls on whole pixels with antialiasing on.
QRectF outlineRect(const QRect& r) {
    return QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
}

}  // namespace

SkinStyle::SkinStyle(const she::Skin& skin) : QProxyStyle(QStyleFactory::create("Fusion")), skin_(skin) {
    setObjectName("quenlo-skin");
}

QPalette SkinStyle::standardPalette() const {
    QPalette p = baseStyle()->standardPalette();
    const QColor face = toColor(skin_.windowFace);
    const QColor button = toColor(skin_.buttonFace.bottom);
    const struct {
        QPalette::ColorRole role;
        QColor colour;
    } roles[] = {
        {QPalette::Window, face},
        {QPalette::WindowText, toColor(skin_.windowText)},
        {QPalette::Button, button},
        {QPalette::ButtonText, toColor(skin_.buttonText)},
        {QPalette::Light, toColor(skin_.light)},
        {QPalette::Midlight, toColor(skin_.buttonFace.top)},
        {QPalette::Mid, toColor(skin_.shadow)},
        {QPalette::Dark, toColor(skin_.buttonBorder)},
        {QPalette::Shadow, toColor(skin_.buttonBorder).darker(150)},
        {QPalette::Highlight, toColor(skin_.highlight)},
        {QPalette::HighlightedText, toColor(skin_.highlightedText)},
        {QPalette::AlternateBase, toColor(skin_.scrollGroove)},
        {QPalette::ToolTipBase, toColor(skin_.groupTitle.top)},
        {QPalette::ToolTipText, toColor(skin_.windowText)},
        {QPalette::Link, toColor(skin_.highlight)},
    };
    for (const auto& [role, colour] : roles) {
        p.setColor(QPalette::Active, role, colour);
        p.setColor(QPalette::Inactive, role, colour);
        p.setColor(QPalette::Disabled, role, colour);
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, faded(p.color(QPalette::Active, role), face));
    p.setColor(QPalette::Disabled, QPalette::Button, faded(button, face));
    return p;
}

void SkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // A scroll area's border shows whether the box has the focus, but the box repaints only its
    // text area when the focus comes and goes.
    if (qobject_cast<QAbstractScrollArea*>(widget)) widget->installEventFilter(this);
}

void SkinStyle::unpolish(QWidget* widget) {
    if (qobject_cast<QAbstractScrollArea*>(widget)) widget->removeEventFilter(this);
    QProxyStyle::unpolish(widget);
}

bool SkinStyle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) widget->update();
    }
    return QProxyStyle::eventFilter(watched, event);
}

void SkinStyle::drawButtonFace(const QStyleOption* option, QPainter* painter) const {
    const bool enabled = option->state & State_Enabled;
    const bool pressed = option->state & (State_Sunken | State_On);
    const bool hover = enabled && (option->state & State_MouseOver);
    const QColor face = toColor(skin_.windowFace);
    const QRectF r = outlineRect(option->rect);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const she::Gradient& g = pressed ? skin_.buttonFacePressed
                             : hover ? skin_.buttonFaceHover
                                     : skin_.buttonFace;
    const QPainterPath outline = roundedRect(r, skin_.buttonRadius);
    painter->fillPath(outline, gradientAcross(r, g, Qt::Vertical, enabled, face));
    if (!pressed) {
        // A lit inner edge along the top gives the face its raised look.
        QColor light = toColor(skin_.light);
        light.setAlpha(enabled ? 200 : 100);
        painter->setPen(QPen(light, 1));
        painter->drawPath(roundedRect(r.adjusted(1, 1, -1, -1), std::max(0, skin_.buttonRadius - 1)));
    }
    QColor border =
        toColor(hover || (option->state & State_HasFocus) ? skin_.buttonBorderHover : skin_.buttonBorder);
    painter->setPen(QPen(enabled ? border : faded(border, face), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(outline);
    painter->restore();
}

void SkinStyle::drawBoxBorder(const QStyleOption* option, QPainter* painter, bool showFocus) const {
    const bool focus = showFocus && (option->state & State_HasFocus) && (option->state & State_Enabled);
    QColor border = toColor(focus ? skin_.editBorderFocus : skin_.editBorder);
    if (!(option->state & State_Enabled)) border = faded(border, toColor(skin_.windowFace));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(border);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    switch (element) {
        case PE_PanelButtonCommand:
        case PE_PanelButtonBevel:
            drawButtonFace(option, painter);
            return;
        case PE_PanelButtonTool:
            if (option->state & (State_Raised | State_Sunken | State_On | State_MouseOver)) {
                drawButtonFace(option, painter);
                return;
            }
            break;
        case PE_FrameFocusRect: {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, false);
            painter->setPen(QPen(toColor(skin_.focusMark), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
            return;
        }
        case PE_FrameGroupBox: {
            const QRectF r = outlineRect(option->rect);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setBrush(Qt::NoBrush);
            // An etched line: the frame colour with a lit line just inside it.
            QColor light = toColor(skin_.light);
            light.setAlpha(180);
            painter->setPen(QPen(light, 1));
            painter->drawPath(roundedRect(r.adjusted(1, 1, -1, -1), std::max(0, skin_.groupRadius - 1)));
            painter->setPen(QPen(toColor(skin_.groupFrame), 1));
            painter->drawPath(roundedRect(r, skin_.groupRadius));
            painter->restore();
            return;
        }
        case PE_PanelLineEdit:
            if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
                painter->fillRect(option->rect, option->palette.brush(QPalette::Base));
                if (frame->lineWidth > 0) proxy()->drawPrimitive(PE_FrameLineEdit, option, painter, widget);
                return;
            }
            break;
        case PE_FrameLineEdit:
            drawBoxBorder(option, painter, true);
            return;
        case PE_Frame:
            drawBoxBorder(option, painter, qobject_cast<const QAbstractScrollArea*>(widget) != nullptr);
            return;
        case PE_PanelScrollAreaCorner:
            painter->fillRect(option->rect, toColor(skin_.scrollGroove));
            return;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    // Text boxes framed with a plain line of their own still get the skin's border, as long as the
    // line is one pixel: anything thicker is a deliberate look of the window's.
    if (element == CE_ShapedFrame && qobject_cast<const QAbstractScrollArea*>(widget)) {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        if (frame && frame->lineWidth == 1 && frame->midLineWidth == 0 &&
            (frame->frameShape == QFrame::Box || frame->frameShape == QFrame::Panel ||
             frame->frameShape == QFrame::StyledPanel || frame->frameShape == QFrame::WinPanel)) {
            drawBoxBorder(option, painter, true);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    switch (control) {
        case CC_GroupBox:
            drawGroupBox(option, painter, widget);
            return;
        case CC_ScrollBar:
            drawScrollBar(option, painter, widget);
            return;
        default:
            QProxyStyle::drawComplexControl(control, option, painter, widget);
    }
}

void SkinStyle::drawGroupBox(const QStyleOptionComplex* option, QPainter* painter,
                             const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    // Check boxes in titles are left to the plain style: the window has none.
    if (!box || (box->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(CC_GroupBox, option, painter, widget);
        return;
    }
    const QRect frameRect = proxy()->subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget);
    const QRect label = proxy()->subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
    const bool titled = (box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty();
    const bool enabled = box->state & State_Enabled;
    // A titled box becomes a panel with a head: the frame takes the caption in, and a band in the
    // skin's title gradient lies behind it. The caption itself keeps its place and its colour.
    const QRect panel = (titled ? frameRect.united(label) : frameRect).intersected(box->rect);
    if (titled) {
        const QRect head(panel.left(), panel.top(), panel.width(), label.bottom() - panel.top() + 3);
        const QRectF r = outlineRect(panel);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setClipPath(roundedRect(r, skin_.groupRadius));
        painter->fillRect(head, gradientAcross(QRectF(head), skin_.groupTitle, Qt::Vertical, enabled,
                                               toColor(skin_.windowFace)));
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(toColor(skin_.groupFrame));
        painter->drawLine(head.bottomLeft(), head.bottomRight());
        painter->restore();
    }
    if (box->subControls & SC_GroupBoxFrame) {
        QStyleOptionFrame frame;
        frame.QStyleOption::operator=(*box);
        frame.features = box->features;
        frame.lineWidth = box->lineWidth;
        frame.midLineWidth = box->midLineWidth;
        frame.rect = panel;
        proxy()->drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
    }
    if (titled) {
        // Clear of the frame's rounded corner.
        const int indent = std::max(0, 5 - (label.left() - panel.left()));
        int alignment = int(box->textAlignment) | Qt::TextShowMnemonic;
        if (!proxy()->styleHint(SH_UnderlineShortcut, option, widget)) alignment |= Qt::TextHideMnemonic;
        painter->save();
        painter->setClipRect(panel.adjusted(1, 1, -1, -1));
        proxy()->drawItemText(painter, label.translated(indent, 1), alignment, box->palette, enabled,
                              box->text, QPalette::WindowText);
        painter->restore();
    }
}

void SkinStyle::drawScrollBar(const QStyleOptionComplex* option, QPainter* painter,
                              const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!bar) {
        QProxyStyle::drawComplexControl(CC_ScrollBar, option, painter, widget);
        return;
    }
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const bool enabled = (bar->state & State_Enabled) && bar->maximum > bar->minimum;
    const QColor face = toColor(skin_.windowFace);
    const Qt::Orientation across = horizontal ? Qt::Vertical : Qt::Horizontal;
    auto rectOf = [&](SubControl part) { return proxy()->subControlRect(CC_ScrollBar, bar, part, widget); };
    auto active = [&](SubControl part) { return (bar->activeSubControls & part) != 0; };

    painter->save();
    painter->fillRect(bar->rect, toColor(skin_.scrollGroove));
    painter->setRenderHint(QPainter::Antialiasing);

    // The two arrow buttons: a small raised face with a triangle pointing the way the view moves.
    const struct {
        SubControl part;
        int direction;  // -1 towards the start, +1 towards the end
    } buttons[] = {{SC_ScrollBarSubLine, -1}, {SC_ScrollBarAddLine, +1}};
    for (const auto& [part, direction] : buttons) {
        if (!(bar->subControls & part)) continue;
        const QRect button = rectOf(part);
        if (button.isEmpty()) continue;
        const bool pressed = active(part) && (bar->state & State_Sunken);
        const bool hover = enabled && active(part) && (bar->state & State_MouseOver);
        const QRectF r = outlineRect(button.adjusted(1, 1, -1, -1));
        const she::Gradient& g = pressed ? skin_.buttonFacePressed
                                 : hover ? skin_.buttonFaceHover
                                         : skin_.scrollButton;
        const QPainterPath path = roundedRect(r, skin_.scrollHandleRadius);
        painter->fillPath(path, gradientAcross(r, g, across, enabled, face));
        painter->setPen(QPen(
            enabled ? toColor(skin_.scrollHandleBorder) : faded(toColor(skin_.scrollHandleBorder), face), 1));
        painter->drawPath(path);

        const QPointF c = QRectF(button).center();
        const qreal s = std::max<qreal>(2.0, std::min(button.width(), button.height()) / 5.0);
        QPolygonF arrow;
        if (horizontal)
            arrow << QPointF(c.x() + direction * s, c.y()) << QPointF(c.x() - direction * s, c.y() - 1.6 * s)
                  << QPointF(c.x() - direction * s, c.y() + 1.6 * s);
        else
            arrow << QPointF(c.x(), c.y() + direction * s) << QPointF(c.x() - 1.6 * s, c.y() - direction * s)
                  << QPointF(c.x() + 1.6 * s, c.y() - direction * s);
        painter->setPen(Qt::NoPen);
        painter->setBrush(enabled ? toColor(skin_.scrollArrow) : faded(toColor(skin_.scrollArrow), face));
        painter->drawPolygon(arrow);
        painter->setBrush(Qt::NoBrush);
    }

    if ((bar->subControls & SC_ScrollBarSlider) && enabled) {
        const int inset = std::max(0, skin_.scrollHandleInset);
        QRect slider = rectOf(SC_ScrollBarSlider);
        slider = horizontal ? slider.adjusted(1, inset, -1, -inset) : slider.adjusted(inset, 1, -inset, -1);
        if (!slider.isEmpty()) {
            const bool hot = active(SC_ScrollBarSlider) && (bar->state & (State_MouseOver | State_Sunken));
            const QRectF r = outlineRect(slider);
            const QPainterPath path = roundedRect(r, skin_.scrollHandleRadius);
            painter->fillPath(path, gradientAcross(r, hot ? skin_.scrollHandleHover : skin_.scrollHandle,
                                                   across, true, face));
            painter->setPen(QPen(toColor(skin_.scrollHandleBorder), 1));
            painter->drawPath(path);
            // Three grip lines across the middle, when the handle is long enough to carry them.
            const QPointF c = r.center();
            const qreal along = horizontal ? r.width() : r.height();
            if (along > 16) {
                painter->setPen(QPen(toColor(skin_.scrollHandleBorder), 1));
                for (int i = -1; i <= 1; ++i) {
                    const qreal offset = i * 3.0;
                    const qreal half = (horizontal ? r.height() : r.width()) / 2 - 3;
                    if (horizontal)
                        painter->drawLine(QPointF(c.x() + offset, c.y() - half),
                                          QPointF(c.x() + offset, c.y() + half));
                    else
                        painter->drawLine(QPointF(c.x() - half, c.y() + offset),
                                          QPointF(c.x() + half, c.y() + offset));
                }
            }
        }
    }
    painter->restore();
}

}  // namespace quenlo::skin
