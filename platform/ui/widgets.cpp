#include "platform/ui/widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <limits>

namespace quenlo::ui::detail {

QColor faceColor(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

GroupBoxWidget::GroupBoxWidget(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void GroupBoxWidget::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void GroupBoxWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const int frameTop = fm.height() / 2;
    const QColor face = faceColor(this);

    // The frame comes from the style, so a skin can draw it.
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, frameTop, width(), height() - frameTop);
    frame.lineWidth = 1;
    style()->drawPrimitive(QStyle::PE_FrameGroupBox, &frame, &p, this);

    if (caption_.isEmpty()) return;
    constexpr int kCaptionLeft = 8;
    constexpr int kPad = 2;
    const int textWidth = std::min(fm.horizontalAdvance(caption_), width() - 2 * kCaptionLeft);
    const QRect textRect(kCaptionLeft, 0, textWidth, fm.height());
    p.fillRect(textRect.adjusted(-kPad, 0, kPad, 0), face);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
}

LineEditWidget::LineEditWidget(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setTextMargins(1, 1, 1, 1);
    // A single-line box has no length limit either; Qt's default would cut at 32,767 characters.
    setMaxLength(std::numeric_limits<int>::max());
}

void LineEditWidget::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter p(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &p, this);
}

void PlainTextBoxWidget::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Replaces a selection, and is one step for undo.
    QTextCursor cursor = textCursor();
    cursor.insertText(source->text());
    setTextCursor(cursor);
}

PictureButtonWidget::PictureButtonWidget(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButtonWidget::setPicture(const QPixmap& picture) {
    picture_ = picture;
    if (picture.isNull()) {
        disabledPicture_ = QPixmap();
    } else {
        QStyleOption option;
        option.initFrom(this);
        disabledPicture_ = style()->generatedIconPixmap(QIcon::Disabled, picture, &option);
    }
    update();
}

QRect PictureButtonWidget::pictureRect() const {
    if (picture_.isNull()) return {};
    const QSize size = picture_.deviceIndependentSize().toSize();
    return {kPictureLeft, (height() - size.height()) / 2, size.width(), size.height()};
}

QRect PictureButtonWidget::captionRect() const {
    const int left = picture_.isNull() ? 0 : pictureRect().right() + 1;
    return QRect(left, 0, width() - left, height()).adjusted(2, 2, -2, -2);
}

bool PictureButtonWidget::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::HoverEnter:
        case QEvent::HoverLeave:
            update();
            break;
        default:
            break;
    }
    return QAbstractButton::event(event);
}

void PictureButtonWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool pressed = isDown();
    const QRect r = rect();
    const QColor light(255, 255, 255);
    const QColor dark = faceColor(this).darker(150);

    // The face and edges come from the style, so a skin can draw them.
    QStyleOptionButton face;
    face.initFrom(this);
    face.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &face, &p, this);

    const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
    if (!picture_.isNull())
        p.drawPixmap(pictureRect().translated(shift), isEnabled() ? picture_ : disabledPicture_);

    const QRect textRect = captionRect().translated(shift);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(textRect, flags, text());
    } else {
        p.setPen(light);
        p.drawText(textRect.translated(1, 1), flags, text());
        p.setPen(dark);
        p.drawText(textRect, flags, text());
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

ClassicStyle::ClassicStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

void ClassicStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                 const QWidget* widget) const {
    const QColor face = option->palette.color(QPalette::Window);
    const QColor light(255, 255, 255);
    const QColor dark = face.darker(150);
    const QRect r = option->rect;
    switch (element) {
        case PE_PanelButtonCommand: {
            const bool pressed = option->state & State_Sunken;
            const bool lit = pressed || (option->state & State_MouseOver);
            p->fillRect(r, lit && (option->state & State_Enabled) ? face.lighter(106) : face);
            // The 3-D edge: two lines on each side, light above and left, dark below and right;
            // the other way round while pressed.
            const QColor midlight = face.lighter(104);
            const QColor shadow(105, 105, 105);
            auto edge = [p](const QRect& rc, const QColor& topLeft, const QColor& bottomRight) {
                p->setPen(topLeft);
                p->drawLine(rc.topLeft(), rc.topRight());
                p->drawLine(rc.topLeft(), rc.bottomLeft());
                p->setPen(bottomRight);
                p->drawLine(rc.bottomLeft(), rc.bottomRight());
                p->drawLine(rc.topRight(), rc.bottomRight());
            };
            if (pressed) {
                edge(r, shadow, light);
                edge(r.adjusted(1, 1, -1, -1), dark, midlight);
            } else {
                edge(r, light, shadow);
                edge(r.adjusted(1, 1, -1, -1), midlight, dark);
            }
            return;
        }
        case PE_FrameGroupBox: {
            // An etched frame: a dark line with a light one just inside it.
            const QRect box = r.adjusted(0, 0, -1, -1);
            p->setPen(dark);
            p->drawRect(box.adjusted(0, 0, -1, -1));
            p->setPen(light);
            p->drawRect(box.adjusted(1, 1, 0, 0));
            return;
        }
        case PE_FrameLineEdit:
            p->setPen(QColor(100, 100, 100));
            p->drawRect(r.adjusted(0, 0, -1, -1));
            return;
        case PE_FrameFocusRect:
            p->setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
            p->drawRect(r.adjusted(0, 0, -1, -1));
            return;
        default:
            QProxyStyle::drawPrimitive(element, option, p, widget);
    }
}

FrameWidget::FrameWidget() {
    // A fixed frame: title, system menu, minimize and close, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void FrameWidget::fitToFrame() {
    if (outerSize.isEmpty()) return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const int frameWidth = frame.width() - client.width();
    const int frameHeight = frame.height() - client.height();
    // Only a change of frame calls for a new fit: the user may move the window where they like.
    if (QSize(frameWidth, frameHeight) == fittedFrame_) return;
    fittedFrame_ = QSize(frameWidth, frameHeight);

    // A window manager with a tall title bar could leave too little room; the controls win, as
    // every one of them has to stay fully visible.
    constexpr int kSpare = 2;
    const QRect used = childrenRect();
    const QSize wanted(std::max(outerSize.width() - frameWidth, used.right() + 1 + kSpare),
                       std::max(outerSize.height() - frameHeight, used.bottom() + 1 + kSpare));

    // Centred on the whole screen, task bar and panels included. Place and size go in one step
    // before the size is fixed: a separate resize and move can reach the platform in the wrong order.
    QRect placed(pos(), wanted);
    if (QScreen* s = screen()) {
        const QRect whole = s->geometry();
        const QPoint corner(whole.x() + (whole.width() - outerSize.width()) / 2,
                            whole.y() + (whole.height() - outerSize.height()) / 2);
        placed.moveTopLeft(corner + (client.topLeft() - frame.topLeft()));
    }
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setGeometry(placed);
    setFixedSize(wanted);
}

void FrameWidget::closeEvent(QCloseEvent* event) {
    if (!closingWithoutAsking && closeRequested && !closeRequested()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool FrameWidget::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            // The frame's size is known only once the window manager has framed the window.
            if (isVisible()) fitToFrame();
            break;
        default:
            break;
    }
    return handled;
}

}  // namespace quenlo::ui::detail
