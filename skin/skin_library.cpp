// The skin library's one entry point. Everything else in this library is hidden from the loader.
#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>
#include <fstream>
#include <iterator>
#include <string>

#include "skin/attach_codes.h"
#include "skin/she_format.h"
#include "skin/skin_style.h"

namespace {

using quenlo::skin::AttachCode;

// Until the event loop has started, Qt gives a new application style and palette only to widgets
// made afterwards, and the window is usually built by the time the skin is attached. So every
// widget is handed both here; once the loop runs this repeats what Qt did, which does no harm.
void reachExistingWidgets(QStyle* style) {
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (widget->windowType() == Qt::Desktop) continue;
        // Widgets with a style of their own, or under a style sheet, keep what they have.
        if (widget->testAttribute(Qt::WA_WState_Polished) && widget->style() == style) {
            style->polish(widget);
            QEvent changed(QEvent::StyleChange);
            QCoreApplication::sendEvent(widget, &changed);
        }
        // A window passes the palette on to its children.
        if (widget->isWindow()) {
            QEvent changed(QEvent::ApplicationPaletteChange);
            QCoreApplication::sendEvent(widget, &changed);
        }
        widget->update();
    }
}

AttachCode attach(const char* skinPath) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return AttachCode::noApplication;
    if (!skinPath) return AttachCode::unreadableFile;
    std::ifstream in(skinPath, std::ios::binary);
    if (!in) return AttachCode::unreadableFile;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return AttachCode::unreadableFile;

    quenlo::she::ReadResult read = quenlo::she::readSkin(bytes);
    if (!read.skin) return static_cast<AttachCode>(read.problem);

    auto* style = new quenlo::skin::SkinStyle(*read.skin);
    const QPalette palette = style->standardPalette();
    QApplication::setStyle(style);  // the application owns the style from here on
    QApplication::setPalette(palette);
    reachExistingWidgets(style);
    return AttachCode::attached;
}

}  // namespace

// The password is there for the call's shape: our skin files are not locked, so it is not used.
extern "C" __attribute__((visibility("default"))) int SkinH_AttachEx(const char* skinPath,
                                                                     const char* password) {
    (void)password;
    try {
        return static_cast<int>(attach(skinPath));
    } catch (...) {
        // Nothing may unwind across the C boundary into the caller.
        return static_cast<int>(AttachCode::failed);
    }
}
