// The three commands of the conversion group: CSV to VCF code, a .vcf file to a CSV file, and the
// sample CSV file.
#include <filesystem>
#include <string>
#include <system_error>

#include "app/main_window.h"
#include "app/messages.h"
#include "formats/csv.h"
#include "platform/file_io.h"
#include "platform/shell.h"

namespace quenlo::app {

// The VCF code goes into the code box, where export saves it. A file without any contact is a
// failure too, so the box is never emptied by a file that was not what the user meant.
void MainWindow::onCsvToVcfClicked() {
    const auto source = 通用对话框1->ask(ui::FileDialogMode::Open, csvFilter());
    if (!source) return;
    const auto csv = file_io::readFile(*source);
    const Conversion conversion = csv ? convertCsvToVcf(*csv) : Conversion{};
    if (!conversion.succeeded()) {
        tell(window_, Message::ConversionFailed);
        return;
    }
    编辑框_vcf代码区->setText(conversion.text);
    tell(window_, Message::ConversionSucceeded);
}

// A source without any record fails before the save dialog, so the user is never asked where to
// put nothing.
void MainWindow::onVcfToCsvClicked() {
    const auto source = 通用对话框1->ask(ui::FileDialogMode::Open, vcfFilter());
    if (!source) return;
    const auto vcf = file_io::readFile(*source);
    const Conversion conversion = vcf ? convertVcfToCsv(*vcf) : Conversion{};
    if (!conversion.succeeded()) {
        tell(window_, Message::ConversionFailed);
        return;
    }
    const auto target = 通用对话框1->ask(ui::FileDialogMode::Save, csvFilter());
    if (!target) return;
    tell(window_, file_io::writeFileAtomically(*target, conversion.text) ? Message::ConversionSucceeded
                                                                         : Message::ConversionFailed);
}

// The sample goes to the user's own folder in the temporary folder: always writable for them,
// nothing of theirs is overwritten there, and no one else can plant a file of that name.
void MainWindow::onShowCsvFormatClicked() {
    const std::optional<std::filesystem::path> folder = file_io::privateTemporaryFolder();
    if (!folder || !writeSampleCsvFile(*folder)) {
        tell(window_, Message::SaveFailed);
        return;
    }
    shell::open(sampleCsvFilePath(*folder).string());
}

}  // namespace quenlo::app
