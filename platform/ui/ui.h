#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/image.h"

class QWidget;

// The window controls the program needs, on Qt Widgets, and nothing more.
//
// Texts going in and out (captions, box texts, titles, messages, filters) are code page 936 bytes;
// line ends in box texts are CR LF. Control names are identifiers, kept as UTF-8. Everything here
// runs on the thread that created the Application, except runOnUiThread.
namespace quenlo::ui {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The key state a mouse press delivers is the sum of these.
inline constexpr int kKeyCtrl = 1;
inline constexpr int kKeyShift = 2;
inline constexpr int kKeyAlt = 4;

// Gets x and y relative to the control and the key state. Returning false stops any further
// handling of the press; true lets it go on.
using PressHandler = std::function<bool(int x, int y, int keyState)>;

enum class Kind {
    GroupBox,          // frame with a caption at its top-left; holds other controls
    EditBox,           // single-line text entry
    MultiLineEditBox,  // multi-line text entry, no word wrap, both scroll bars
    Label,             // one line of text over the face colour
    TransparentLabel,  // one line of text with the parent showing through
    PictureButton,     // push button with an optional 16 x 16 picture left of its caption
    Timer,             // not visible; ticks once per period
    FileDialog,        // not visible; asks for a file to open or save
};

enum class Font {
    Standard,  // "微软雅黑", 12 px character height
    Notice,    // "微软雅黑", 19 px character height, bold
};

enum class Align { Left, Center };

// Starts and ends the toolkit. One per process; create it before any window.
class Application {
  public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until the last window has closed; returns the exit status.
    int run();
};

// Posts `work` to run on the window's thread, from any thread. Work posted after the
// Application is gone is dropped.
void runOnUiThread(std::function<void()> work);

class Control {
  public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    Kind kind() const { return kind_; }

  protected:
    Control(std::string name, Kind kind) : name_(std::move(name)), kind_(kind) {}

  private:
    std::string name_;
    Kind kind_;
};

// A control that is drawn in the window.
class VisibleControl : public Control {
  public:
    ~VisibleControl() override;

    // The caption, or a box's text.
    std::string text() const;
    virtual void setText(std::string_view gbk);

    bool isEnabled() const;
    void setEnabled(bool enabled);
    bool isVisible() const;
    void setVisible(bool visible);
    bool hasFocus() const;
    void setFocus();
    // Relative to the parent control (or the window's client area).
    Rect geometry() const;

    void setFont(Font font);
    void setTextColor(Rgb color);
    void setAlignment(Align horizontal);
    // The hand (link) pointer over the control.
    void setHandCursor();

    // A left-button press on the control itself (the window binds it on a label and a group box).
    void onLeftButtonPress(PressHandler handler);

    // The toolkit's widget, for tests that drive the window by hand; the window's code never needs it.
    QWidget* widget() const { return widget_; }

    // Controls are made by Window::build.
    VisibleControl(std::string name, Kind kind, QWidget* widget);

  private:
    QWidget* widget_;  // owned by its parent widget
    std::shared_ptr<PressHandler> press_;
};

class GroupBox : public VisibleControl {
  public:
    using VisibleControl::VisibleControl;
};

class Label : public VisibleControl {
  public:
    using VisibleControl::VisibleControl;
};

class EditBox : public VisibleControl {
  public:
    using VisibleControl::VisibleControl;

    // Raises text changed exactly once, after the new text is in place. Linear in the text's size.
    // A long text for a multi-line box is laid out on a worker thread: until it is in place the
    // window keeps painting, takes no input and runs its timers and posted work.
    void setText(std::string_view gbk) override;
    // Raised after every change of the text, typed, pasted or set by setText.
    void onTextChanged(std::function<void()> handler);

  private:
    friend class Window;
    void textChanged();
    std::function<void()> changed_;
    bool settingText_ = false;
};

class PictureButton : public VisibleControl {
  public:
    using VisibleControl::VisibleControl;

    // A null image takes the picture away.
    void setPicture(const Image& picture);
    bool hasPicture() const;
    void onClick(std::function<void()> handler);
    // Clicks it as the user would, raising the click if the button is enabled.
    void click();
};

class Timer : public Control {
  public:
    explicit Timer(std::string name);
    ~Timer() override;

    // A period above 0 milliseconds starts the timer, restarting it if it runs; 0 or below stops it.
    void setPeriod(int milliseconds);
    int period() const { return period_; }
    void onTick(std::function<void()> handler);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int period_ = 0;
};

enum class FileDialogMode { Open, Save };

class Window;

class FileDialog : public Control {
  public:
    FileDialog(std::string name, Window& owner);

    // Asks for a file. `filter` is written "description|pattern|description|pattern..." with
    // patterns joined by ';' ("VCF文件(*.vcf)|*.vcf"). In save mode a name typed without an
    // extension gets the first pattern's extension. Nothing when the user cancelled.
    std::optional<std::filesystem::path> ask(FileDialogMode mode, std::string_view filter,
                                             std::string_view title = {});

  private:
    Window& owner_;
};

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// A row of a window's control table.
struct ControlSpec {
    std::string name;
    Kind kind;
    std::string parent;   // a group box's name, or empty for the window itself
    Rect rect;            // relative to the parent
    std::string caption;  // code page 936
};

// The fixed-frame top-level window and the controls in it.
class Window {
  public:
    Window();
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setTitle(std::string_view gbk);
    std::string title() const;
    // Used as both the large and the small icon.
    void setIcon(const Image& icon);

    // Fixes the outer size (frame included) and centres the window on the whole screen. Once the
    // platform's frame is known the client area is adjusted to keep the outer size, though never
    // below what the controls need.
    void setFixedOuterSize(int width, int height);

    // Creates the controls of `table`. Controls with the same parent are stacked in table order,
    // the first on top; the Tab order runs through the table from the last row to the first.
    void build(std::span<const ControlSpec> table);

    // The control of that name and kind; throws std::logic_error when there is none.
    Control& control(std::string_view name) const;
    template <class T>
    T& control(std::string_view name) const {
        auto* typed = dynamic_cast<T*>(&control(name));
        if (!typed) throw std::logic_error("control " + std::string(name) + " is of another kind");
        return *typed;
    }

    // Raised on every request to close: close box, system menu, Esc. False keeps the window open.
    void onCloseRequest(std::function<bool()> handler);
    // Sends the same request the close box sends.
    void requestClose();
    // Closes without asking. The program ends when its last window has closed.
    void close();

    // Shows the window in its normal state and puts the focus on the first control of the Tab order.
    void show();
    bool isOpen() const;

    // A modal message box over this window.
    MessageAnswer showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                              MessageButtons buttons);

    // The toolkit's window, for tests: its children carry the control names as object names.
    QWidget* widget() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quenlo::ui
