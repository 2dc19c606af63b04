#pragma once

// The widgets behind the layer's controls. Internal to platform/ui.

#include <QAbstractButton>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QWidget>

#include <functional>

namespace quenlo::ui::detail {

// The face colour of 3-D controls, as the style gives it.
QColor faceColor(const QWidget* widget);

// The plain look: the window's own 3-D buttons, etched group frames and line borders, drawn
// where widgets ask the style for them, so that a skin that replaces the style replaces them too.
class ClassicStyle : public QProxyStyle {
  public:
    ClassicStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

// A frame with its caption at the top-left, over the face colour.
class GroupBoxWidget : public QWidget {
  public:
    explicit GroupBoxWidget(QWidget* parent);
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString caption_;
};

// A single-line box with a 1-pixel line border.
class LineEditWidget : public QLineEdit {
  public:
    explicit LineEditWidget(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A multi-line box whose paste of plain text goes in as one insertion at the cursor. Qt's own
// paste first builds the text into a document of its own and then copies that in, which doubles
// the time a long list takes.
class PlainTextBoxWidget : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void insertFromMimeData(const QMimeData* source) override;
};

// A raised push button with an optional picture 3 px from its left edge and the caption centred,
// word-wrapped if need be, in the rest.
class PictureButtonWidget : public QAbstractButton {
  public:
    static constexpr int kPictureLeft = 3;

    explicit PictureButtonWidget(QWidget* parent);
    void setPicture(const QPixmap& picture);
    bool hasPicture() const { return !picture_.isNull(); }

    // Where the picture and the caption are drawn, in the button's coordinates, unpressed.
    QRect pictureRect() const;
    QRect captionRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QPixmap picture_;
    QPixmap disabledPicture_;
};

// The top-level window: asks before it closes and keeps its outer size once the frame is known.
class FrameWidget : public QWidget {
  public:
    FrameWidget();
    std::function<bool()> closeRequested;
    bool closingWithoutAsking = false;
    QSize outerSize;

    // Sets the client size from the outer size and the frame, and centres the frame on the screen.
    void fitToFrame();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QSize fittedFrame_{-1, -1};
};

}  // namespace quenlo::ui::detail
