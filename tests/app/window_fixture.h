#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/ui/ui.h"

namespace quenlo::app::testing {

// One toolkit for the whole test program, made before the first test and ended after the last.
class ApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "quenlo_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<ui::Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<ui::Application> app_;
};

inline ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The widget of the control named `name`; fails the test when there is none.
inline QWidget* widgetNamed(MainWindow& window, const char* name) {
    auto* widget = window.window().widget()->findChild<QWidget*>(QString::fromUtf8(name));
    if (!widget) ADD_FAILURE() << "no control named " << name;
    return widget;
}

}  // namespace quenlo::app::testing
