#include "platform/ui/ui.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <exception>
#include <memory>

#include "platform/codepage.h"
#include "platform/ui/text.h"
#include "platform/ui/widgets.h"

namespace quenlo::ui {
namespace {

using detail::FrameWidget;
using detail::GroupBoxWidget;
using detail::PictureButtonWidget;

QFont fontFor(Font font) {
    QFont f;
    // The face the window was drawn for first; where it is missing, a CJK sans-serif face of the
    // same kind that Debian installs.
    f.setFamilies({QString::fromUtf8("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(font == Font::Notice ? 19 : 12);
    f.setWeight(font == Font::Notice ? QFont::Bold : QFont::Normal);
    return f;
}

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Presses on a control go to its handler first; a handler that answers false swallows them.
class PressFilter : public QObject {
  public:
    PressFilter(QObject* parent, std::shared_ptr<PressHandler> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress || !*handler_) return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const Qt::KeyboardModifiers mods = mouse->modifiers();
        const int keys = (mods & Qt::ControlModifier ? kKeyCtrl : 0) |
                         (mods & Qt::ShiftModifier ? kKeyShift : 0) | (mods & Qt::AltModifier ? kKeyAlt : 0);
        const QPoint at = mouse->position().toPoint();
        return !(*handler_)(at.x(), at.y(), keys);
    }

  private:
    std::shared_ptr<PressHandler> handler_;
};

// Esc anywhere in the window asks it to close; no control keeps Esc for itself.
class EscapeFilter : public QObject {
  public:
    explicit EscapeFilter(QWidget* window) : QObject(window), window_(window) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const auto type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape) return false;
        if (type == QEvent::ShortcutOverride) {
            // Claim the key so that no shortcut takes it before the key press arrives.
            event->accept();
            return true;
        }
        // Posted rather than called: the handler may show a dialog, and the control that got the key
        // should be left alone before that.
        QMetaObject::invokeMethod(
            window_, [w = window_] { w->close(); }, Qt::QueuedConnection);
        return true;
    }

  private:
    QWidget* window_;
};

QWidget* createWidget(Kind kind, QWidget* parent) {
    switch (kind) {
        case Kind::GroupBox:
            return new GroupBoxWidget(parent);
        case Kind::EditBox:
            return new detail::LineEditWidget(parent);
        case Kind::MultiLineEditBox: {
            auto* edit = new detail::PlainTextBoxWidget(parent);
            edit->setFrameStyle(QFrame::Box | QFrame::Plain);
            edit->setLineWidth(1);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setWordWrapMode(QTextOption::NoWrap);
            edit->setTabChangesFocus(true);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setUndoRedoEnabled(true);
            edit->document()->setDocumentMargin(2);
            QPalette pal = edit->palette();
            pal.setColor(QPalette::WindowText, QColor(100, 100, 100));  // the border line
            edit->setPalette(pal);
            return edit;
        }
        case Kind::Label:
        case Kind::TransparentLabel: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(false);
            if (kind == Kind::Label) {
                label->setAlignment(Qt::AlignCenter);
                label->setAutoFillBackground(true);
                label->setBackgroundRole(QPalette::Window);
            } else {
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                label->setAutoFillBackground(false);
                label->setAttribute(Qt::WA_TranslucentBackground);
            }
            return label;
        }
        case Kind::PictureButton:
            return new PictureButtonWidget(parent);
        case Kind::Timer:
        case Kind::FileDialog:
            break;
    }
    return nullptr;
}

// A box text this long takes Qt a noticeable time to lay into a document (about two seconds for
// 100,000 generated records), so it is built on a worker thread instead of the window's.
constexpr std::size_t kBackgroundFillBytes = 512 * 1024;

// While a box fills in the background the window keeps painting but takes no input: no second
// command can start on a half-filled window, and nothing typed lands in the text being replaced.
// Other windows (a message box the notice raised, say) stay usable.
class InputBlocker : public QObject {
  public:
    explicit InputBlocker(QWidget* window) : window_(window) {
        QCoreApplication::instance()->installEventFilter(this);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~InputBlocker() override {
        QGuiApplication::restoreOverrideCursor();
        QCoreApplication::instance()->removeEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!isInput(event)) return false;
        auto* widget = qobject_cast<QWidget*>(target);
        return widget && widget->window() == window_;
    }

  private:
    static bool isInput(QEvent* event) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::InputMethod:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
                return true;
            case QEvent::Close:
                // The close box; a close from code still goes through.
                return event->spontaneous();
            default:
                return false;
        }
    }

    QWidget* window_;
};

// What a box's document carries besides its text, taken on the window's thread.
struct DocumentLook {
    QFont font;
    qreal margin = 0;
    QTextOption option;
    bool undo = true;

    explicit DocumentLook(const QTextDocument& doc)
        : font(doc.defaultFont()),
          margin(doc.documentMargin()),
          option(doc.defaultTextOption()),
          undo(doc.isUndoRedoEnabled()) {}
};

// A document with the box's look holding `gbk`, made on the calling thread and handed to `owner`'s
// thread. Every block's layout is made here too: the box would otherwise create 600,000 of them on
// the window's thread as it takes the document.
std::unique_ptr<QTextDocument> makeDocument(const DocumentLook& look, std::string_view gbk, QThread* owner) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);  // setting a text is not a step to undo
    doc->setDefaultFont(look.font);
    doc->setDocumentMargin(look.margin);
    doc->setDefaultTextOption(look.option);
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc.get()));
    doc->setPlainText(text::toBoxText(gbk));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        block.layout();
    doc->setUndoRedoEnabled(look.undo);
    doc->moveToThread(owner);
    return doc;
}

// Runs `worker` to its end while the window keeps painting but takes no input.
void waitWithoutInput(QWidget* window, QThread& worker) {
    InputBlocker blocker(window);
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker.start();
    loop.exec();
    // The loop also ends when the application quits; the worker is waited for either way.
    worker.wait();
}

// Replaces the box's text as setPlainText would, with the slow parts on worker threads while the
// window keeps painting. Returns once the new text is in the box.
void fillInBackground(QPlainTextEdit* edit, std::string_view gbk) {
    std::unique_ptr<QTextDocument> built;
    std::exception_ptr failure;
    QThread* const windowThread = edit->thread();
    const DocumentLook look(*edit->document());
    std::unique_ptr<QThread> builder(QThread::create([&] {
        try {
            built = makeDocument(look, gbk, windowThread);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    const QPointer<QPlainTextEdit> box(edit);
    waitWithoutInput(edit->window(), *builder);
    if (!box) return;
    if (failure) std::rethrow_exception(failure);

    // The box's first document belongs to its text control, which deletes the document it replaces
    // when it owns it; the new one goes to the same owner. A long text being replaced is taken out
    // of its hands and deleted on a worker thread instead.
    QTextDocument* previous = edit->document();
    QObject* owner = previous->parent();
    const bool previousIsLong = previous->characterCount() >= static_cast<int>(kBackgroundFillBytes);
    if (previousIsLong) previous->setParent(nullptr);
    QTextDocument* doc = built.release();
    edit->setDocument(doc);
    doc->setParent(owner);
    if (!previousIsLong) return;
    std::unique_ptr<QThread> disposer(QThread::create([previous] { delete previous; }));
    previous->moveToThread(disposer.get());
    waitWithoutInput(edit->window(), *disposer);
}

// Black on white, with the selection shown only while the box has the focus.
void paintAsEditBox(QWidget* edit) {
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    edit->setPalette(pal);
}

}  // namespace

// ---- Application

Application::Application(int& argc, char** argv) {
    new QApplication(argc, argv);
    // The window speaks Chinese, and so do the toolkit's own texts (the file dialog, the boxes'
    // menus) when their translation is installed.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    QApplication::setStyle(new detail::ClassicStyle);
    QApplication::setQuitOnLastWindowClosed(true);
}

Application::~Application() {
    delete QApplication::instance();
}

int Application::run() {
    return QApplication::exec();
}

void runOnUiThread(std::function<void()> work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !work) return;
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

// ---- Controls

Control::~Control() = default;

VisibleControl::VisibleControl(std::string name, Kind kind, QWidget* widget)
    : Control(std::move(name), kind), widget_(widget) {
    widget_->setObjectName(QString::fromStdString(this->name()));
}

VisibleControl::~VisibleControl() = default;

std::string VisibleControl::text() const {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget_))
        return text::fromBoxText(edit->document()->toRawText());
    if (auto* edit = qobject_cast<QLineEdit*>(widget_)) return text::fromQString(edit->text());
    if (auto* label = qobject_cast<QLabel*>(widget_)) return text::fromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget_)) return text::fromQString(button->text());
    if (auto* box = dynamic_cast<GroupBoxWidget*>(widget_)) return text::fromQString(box->caption());
    return {};
}

void VisibleControl::setText(std::string_view gbk) {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget_)) {
        edit->setPlainText(text::toBoxText(gbk));
    } else if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
        line->setText(text::toQString(gbk));
    } else if (auto* label = qobject_cast<QLabel*>(widget_)) {
        label->setText(text::toQString(gbk));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
        button->setText(text::toQString(gbk));
    } else if (auto* box = dynamic_cast<GroupBoxWidget*>(widget_)) {
        box->setCaption(text::toQString(gbk));
    }
}

bool VisibleControl::isEnabled() const {
    return widget_->isEnabled();
}
void VisibleControl::setEnabled(bool enabled) {
    widget_->setEnabled(enabled);
}
bool VisibleControl::isVisible() const {
    return !widget_->isHidden();
}
void VisibleControl::setVisible(bool visible) {
    widget_->setVisible(visible);
}
bool VisibleControl::hasFocus() const {
    return widget_->hasFocus();
}
void VisibleControl::setFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

Rect VisibleControl::geometry() const {
    const QRect g = widget_->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void VisibleControl::setFont(Font font) {
    widget_->setFont(fontFor(font));
}

void VisibleControl::setTextColor(Rgb color) {
    QPalette pal = widget_->palette();
    const QColor c = toQColor(color);
    if (qobject_cast<QLineEdit*>(widget_) || qobject_cast<QPlainTextEdit*>(widget_)) {
        pal.setColor(QPalette::Text, c);
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText, c);
    } else if (qobject_cast<QAbstractButton*>(widget_)) {
        pal.setColor(QPalette::ButtonText, c);
    } else {
        pal.setColor(QPalette::WindowText, c);
    }
    widget_->setPalette(pal);
}

void VisibleControl::setAlignment(Align horizontal) {
    const Qt::Alignment h = horizontal == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    if (auto* line = qobject_cast<QLineEdit*>(widget_)) line->setAlignment(h | Qt::AlignVCenter);
    if (auto* label = qobject_cast<QLabel*>(widget_)) label->setAlignment(h | Qt::AlignVCenter);
}

void VisibleControl::setHandCursor() {
    widget_->setCursor(Qt::PointingHandCursor);
}

void VisibleControl::onLeftButtonPress(PressHandler handler) {
    if (!press_) {
        press_ = std::make_shared<PressHandler>();
        widget_->installEventFilter(new PressFilter(widget_, press_));
    }
    *press_ = std::move(handler);
}

void EditBox::setText(std::string_view gbk) {
    // The widget reports the change on its own as it goes; the one event callers get is raised here,
    // with the whole new text in place.
    struct Setting {
        bool& flag;
        explicit Setting(bool& f) : flag(f) { flag = true; }
        ~Setting() { flag = false; }
    };
    {
        Setting setting(settingText_);
        auto* plain = qobject_cast<QPlainTextEdit*>(widget());
        if (plain && gbk.size() >= kBackgroundFillBytes)
            fillInBackground(plain, gbk);
        else
            VisibleControl::setText(gbk);
    }
    textChanged();
}

void EditBox::onTextChanged(std::function<void()> handler) {
    changed_ = std::move(handler);
}

void EditBox::textChanged() {
    if (changed_) changed_();
}

void PictureButton::setPicture(const Image& picture) {
    auto* button = static_cast<PictureButtonWidget*>(widget());
    if (picture.isNull()) {
        button->setPicture(QPixmap());
        return;
    }
    const QImage image(picture.rgba.data(), picture.width, picture.height, picture.width * 4,
                       QImage::Format_RGBA8888);
    button->setPicture(QPixmap::fromImage(image.copy()));
}

bool PictureButton::hasPicture() const {
    return static_cast<PictureButtonWidget*>(widget())->hasPicture();
}

void PictureButton::onClick(std::function<void()> handler) {
    auto* button = static_cast<PictureButtonWidget*>(widget());
    QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(button, &QAbstractButton::clicked, button, [h = std::move(handler)] {
        if (h) h();
    });
}

void PictureButton::click() {
    static_cast<PictureButtonWidget*>(widget())->click();
}

// ---- Timer

struct Timer::Impl {
    QTimer timer;
    std::function<void()> tick;
};

Timer::Timer(std::string name) : Control(std::move(name), Kind::Timer), impl_(std::make_unique<Impl>()) {
    impl_->timer.setObjectName(QString::fromStdString(this->name()));
    QObject::connect(&impl_->timer, &QTimer::timeout, [impl = impl_.get()] {
        if (impl->tick) impl->tick();
    });
}

Timer::~Timer() = default;

void Timer::setPeriod(int milliseconds) {
    period_ = std::max(milliseconds, 0);
    if (milliseconds > 0)
        impl_->timer.start(milliseconds);
    else
        impl_->timer.stop();
}

void Timer::onTick(std::function<void()> handler) {
    impl_->tick = std::move(handler);
}

// ---- Window

struct Window::Impl {
    // Control handles outlive the widgets, which are destroyed first with the frame, so that no
    // signal sent while a widget dies reaches a handle already gone.
    std::vector<std::unique_ptr<Control>> controls;
    std::unique_ptr<FrameWidget> frame;
    std::vector<QWidget*> tabOrder;
    EscapeFilter* escape = nullptr;

    void watchEscape(QWidget* w) { w->installEventFilter(escape); }
};

Window::Window() : impl_(std::make_unique<Impl>()) {
    impl_->frame = std::make_unique<FrameWidget>();
    impl_->frame->setFont(fontFor(Font::Standard));
    impl_->escape = new EscapeFilter(impl_->frame.get());
    impl_->watchEscape(impl_->frame.get());
}

Window::~Window() {
    impl_->frame.reset();
    impl_->controls.clear();
}

void Window::setTitle(std::string_view gbk) {
    impl_->frame->setWindowTitle(text::toQString(gbk));
}
std::string Window::title() const {
    return text::fromQString(impl_->frame->windowTitle());
}

void Window::setIcon(const Image& icon) {
    if (icon.isNull()) return;
    const QImage image(icon.rgba.data(), icon.width, icon.height, icon.width * 4, QImage::Format_RGBA8888);
    impl_->frame->setWindowIcon(QIcon(QPixmap::fromImage(image.copy())));
}

void Window::setFixedOuterSize(int width, int height) {
    impl_->frame->outerSize = QSize(width, height);
    impl_->frame->fitToFrame();
}

void Window::build(std::span<const ControlSpec> table) {
    QWidget* client = impl_->frame.get();
    std::vector<QWidget*> widgets(table.size(), nullptr);

    // First every control, then the parents: a group box may come later in the table than the
    // controls it holds.
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ControlSpec& row = table[i];
        std::unique_ptr<Control> control;
        switch (row.kind) {
            case Kind::Timer:
                control = std::make_unique<Timer>(row.name);
                break;
            case Kind::FileDialog:
                control = std::make_unique<FileDialog>(row.name, *this);
                break;
            default: {
                QWidget* w = createWidget(row.kind, client);
                widgets[i] = w;
                if (row.kind == Kind::EditBox || row.kind == Kind::MultiLineEditBox) paintAsEditBox(w);
                switch (row.kind) {
                    case Kind::GroupBox:
                        control.reset(new GroupBox(row.name, row.kind, w));
                        break;
                    case Kind::EditBox:
                    case Kind::MultiLineEditBox: {
                        auto* box = new EditBox(row.name, row.kind, w);
                        control.reset(box);
                        auto raise = [box] {
                            if (!box->settingText_) box->textChanged();
                        };
                        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
                            QObject::connect(plain, &QPlainTextEdit::textChanged, plain, raise);
                        else
                            QObject::connect(static_cast<QLineEdit*>(w), &QLineEdit::textChanged, w, raise);
                        break;
                    }
                    case Kind::PictureButton:
                        control.reset(new PictureButton(row.name, row.kind, w));
                        break;
                    default:
                        control.reset(new Label(row.name, row.kind, w));
                        break;
                }
                static_cast<VisibleControl*>(control.get())->setText(row.caption);
                impl_->watchEscape(w);
            }
        }
        impl_->controls.push_back(std::move(control));
    }

    // Raising from the last row to the first leaves the first row on top.
    for (std::size_t i = table.size(); i-- > 0;) {
        QWidget* w = widgets[i];
        if (!w) continue;
        const ControlSpec& row = table[i];
        if (!row.parent.empty()) {
            auto& parent = control<GroupBox>(row.parent);
            w->setParent(parent.widget());
            w->show();
        }
        w->setGeometry(row.rect.x, row.rect.y, row.rect.width, row.rect.height);
        w->raise();
        if (w->focusPolicy() & Qt::TabFocus) impl_->tabOrder.push_back(w);
    }
    for (std::size_t i = 1; i < impl_->tabOrder.size(); ++i)
        QWidget::setTabOrder(impl_->tabOrder[i - 1], impl_->tabOrder[i]);
    impl_->frame->fitToFrame();
}

Control& Window::control(std::string_view name) const {
    for (const auto& c : impl_->controls)
        if (c->name() == name) return *c;
    throw std::logic_error("no control named " + std::string(name));
}

void Window::onCloseRequest(std::function<bool()> handler) {
    impl_->frame->closeRequested = std::move(handler);
}

void Window::requestClose() {
    impl_->frame->close();
}

void Window::close() {
    impl_->frame->closingWithoutAsking = true;
    impl_->frame->close();
    impl_->frame->closingWithoutAsking = false;
}

void Window::show() {
    impl_->frame->showNormal();
    impl_->frame->activateWindow();
    if (!impl_->tabOrder.empty()) impl_->tabOrder.front()->setFocus(Qt::OtherFocusReason);
}

bool Window::isOpen() const {
    return impl_->frame->isVisible();
}

QWidget* Window::widget() const {
    return impl_->frame.get();
}

}  // namespace quenlo::ui
