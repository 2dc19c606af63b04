#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"

// Seams for tests: dialogs that answer from a script, and what they showed.
namespace quenlo::ui::testing {

enum class DialogKind { Message, OpenFile, SaveFile };

// One dialog as it would have appeared. Texts are code page 936, as the caller gave them.
struct ShownDialog {
    DialogKind kind = DialogKind::Message;
    std::string title;
    std::string text;  // the message, or the file dialog's filter
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// From now on no message box or file dialog is shown; each takes the next scripted answer of its
// sort and is logged. Without a scripted answer a message box answers Ok (No when it asks yes or
// no) and a file dialog is cancelled. Starting again clears the script and the log.
void scriptDialogs();
void stopScriptingDialogs();

// Queues the answer of the next message box.
void setNextAnswer(MessageAnswer answer);
// Queues the file the next file dialog returns as if the user had typed it; nothing means
// cancelled.
void setNextFile(std::optional<std::filesystem::path> file);

const std::vector<ShownDialog>& shownDialogs();
void clearShownDialogs();
// Answers and files queued but not yet taken.
int unusedAnswers();

// The platform's filter list ("VCF文件(*.vcf)" ...) made from the system's filter text, as UTF-8.
std::vector<std::string> platformFilters(std::string_view filter);

}  // namespace quenlo::ui::testing
