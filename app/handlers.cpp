// What the window does: one handler per bound event, all bound in bindEvents().
#include <random>
#include <string>

#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "formats/entries.h"
#include "net/notice_banner.h"
#include "platform/file_io.h"
#include "platform/shell.h"
#include "skin/attach_skin.h"

namespace quenlo::app {
namespace {

// The maker's home page, which "访问官网" opens.
constexpr const char* kHomePage = "https://www.quenlo.example/";

}  // namespace

void MainWindow::bindEvents() {
    window_.onCloseRequest([this] { return onCloseRequested(); });

    按钮_生成VCF->onClick([this] { onGenerateVcfClicked(); });
    按钮_导出VCF->onClick([this] { onExportVcfClicked(); });
    按钮_号码去重复->onClick([this] { onRemoveDuplicateNumbersClicked(); });
    按钮_使用随机姓名->onClick([this] { onUseRandomNamesClicked(); });
    按钮_清空所有->onClick([this] { onClearAllClicked(); });
    按钮_清空手机号->onClick([this] { onClearNumbersClicked(); });
    按钮_清空姓名->onClick([this] { onClearNamesClicked(); });
    按钮_访问官网->onClick([this] { onVisitWebsiteClicked(); });
    按钮_安全退出->onClick([this] { onSafeExitClicked(); });
    按钮_CSV转VCF->onClick([this] { onCsvToVcfClicked(); });
    按钮_VCF转CSV->onClick([this] { onVcfToCsvClicked(); });
    按钮_查看CSV标准格式->onClick([this] { onShowCsvFormatClicked(); });

    编辑框_手机号->onTextChanged([this] { onNumbersChanged(); });
    时钟_公告检测->onTick([this] { onNoticeTimerTick(); });
    透明标签_公告->onLeftButtonPress([this](int x, int y, int keys) { return onNoticePressed(x, y, keys); });
    分组框2->onLeftButtonPress([this](int x, int y, int keys) { return onNumberGroupPressed(x, y, keys); });
}

// Raised once, after every control exists and before the window is first shown: the skin is in
// force before the window appears, and the notice is fetched once the window exists.
void MainWindow::onCreated() {
    if (extras_.skin) skin::attachSkin();
    if (!extras_.noticeUrl) return;
    noticeBanner_ = std::make_unique<net::NoticeBanner>(
        net::NoticeBanner::Callbacks{
            .setLabelText = [this](const std::string& text) { 透明标签_公告->setText(text); },
            .setTimerPeriod = [this](int milliseconds) { 时钟_公告检测->setPeriod(milliseconds); },
            .postToUiThread = [](std::function<void()> work) { ui::runOnUiThread(std::move(work)); },
            .showMessage =
                [this](const std::string& title, const std::string& text) {
                    window_.showMessage(title, text, ui::MessageIcon::Information, ui::MessageButtons::Ok);
                },
            .openAddress = {},
        },
        *extras_.noticeUrl);
    noticeBanner_->start();
}

// Nothing is kept that closing could lose: every text lives in the boxes and is the user's to save.
bool MainWindow::onCloseRequested() {
    return true;
}

void MainWindow::onGenerateVcfClicked() {
    const Generation generation = generateVcfCode(编辑框_姓名->text(), 编辑框_手机号->text());
    if (generation.refusal) {
        tell(window_, *generation.refusal);
        return;
    }
    编辑框_vcf代码区->setText(generation.vcfCode);
    tell(window_, Message::VcfCodeGenerated);
}

// A box of blank lines holds no record either, and saving it would only make a file phones refuse.
void MainWindow::onExportVcfClicked() {
    const std::string vcfCode = 编辑框_vcf代码区->text();
    if (countEntries(vcfCode) == 0) {
        tell(window_, Message::GenerateVcfCodeFirst);
        return;
    }
    const auto file = 通用对话框1->ask(ui::FileDialogMode::Save, vcfFilter());
    if (!file) return;
    tell(window_, file_io::writeFileAtomically(*file, vcfCode) ? Message::Saved : Message::SaveFailed);
}

void MainWindow::onRemoveDuplicateNumbersClicked() {
    const std::string numberText = 编辑框_手机号->text();
    if (countEntries(numberText) == 0) {
        tell(window_, Message::EnterNumbersFirst);
        return;
    }
    const WithoutRepeats result = removeRepeatedNumbers(编辑框_姓名->text(), numberText);
    if (result.nameText) 编辑框_姓名->setText(*result.nameText);
    编辑框_手机号->setText(result.numberText);
    tell(window_, Message::RepeatsRemoved);
}

void MainWindow::onUseRandomNamesClicked() {
    const std::size_t numbers = countEntries(编辑框_手机号->text());
    if (numbers == 0) {
        tell(window_, Message::EnterNumbersFirst);
        return;
    }
    if (tell(window_, Message::ReplaceNamesQuestion) != ui::MessageAnswer::Yes) return;
    编辑框_姓名->setText(joinEntries(randomNames(numbers, std::random_device{}())));
}

void MainWindow::onClearAllClicked() {
    编辑框_姓名->setText("");
    编辑框_手机号->setText("");
    编辑框_vcf代码区->setText("");
}

void MainWindow::onClearNumbersClicked() {
    编辑框_手机号->setText("");
}

void MainWindow::onClearNamesClicked() {
    编辑框_姓名->setText("");
}

void MainWindow::onVisitWebsiteClicked() {
    shell::open(kHomePage);
}

// The same request the close box sends, so closing always takes one path.
void MainWindow::onSafeExitClicked() {
    window_.requestClose();
}

// A full recount on every change: with 100,000 numbers it is a few milliseconds (window_bench), well
// within a key press, and it cannot drift from what generation will use.
void MainWindow::onNumbersChanged() {
    编辑框_号码数量->setText(std::to_string(countEntries(编辑框_手机号->text())));
}

void MainWindow::onNoticeTimerTick() {
    if (noticeBanner_) noticeBanner_->checkNotice();
}
bool MainWindow::onNoticePressed(int, int, int) {
    if (noticeBanner_) noticeBanner_->onNoticePressed();
    return true;
}

// A press on the number group itself has no work to do.
bool MainWindow::onNumberGroupPressed(int, int, int) {
    return true;
}

}  // namespace quenlo::app
