#pragma once

#include <string>
#include <vector>

// Opens a web address in the user's browser, or a file in the program the desktop associates with
// it, the way a double click would. The target is a native string (UTF-8 path or URL).
namespace quenlo::shell {

// Starts the desktop's opener for `target` without waiting for it. False when it cannot be started.
bool open(const std::string& target);

namespace testing {
// While recording, open() starts nothing and only notes its targets, so tests never start a browser.
void startRecording();
void stopRecording();
std::vector<std::string> recordedTargets();
}  // namespace testing

}  // namespace quenlo::shell
