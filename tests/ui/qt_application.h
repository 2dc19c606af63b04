#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/ui.h"

namespace quenlo::ui::testing {

// One toolkit for the whole test program, made before the first test and ended after the last.
class ApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "quenlo_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<Application> app_;
};

inline ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace quenlo::ui::testing
