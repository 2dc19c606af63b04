#include "app/main_window.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
    quenlo::ui::Application application(argc, argv);
    quenlo::app::MainWindow window(quenlo::app::MainWindow::programExtras());
    window.open();
    return application.run();
}
