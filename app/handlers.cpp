// What the window does: one handler per bound event, all bound in bindEvents().
#include "app/main_window.h"

namespace quenlo::app {

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

// Raised once, after every control exists and before the window is first shown.
void MainWindow::onCreated() {}

bool MainWindow::onCloseRequested() {
    return true;
}

void MainWindow::onGenerateVcfClicked() {}
void MainWindow::onExportVcfClicked() {}
void MainWindow::onRemoveDuplicateNumbersClicked() {}
void MainWindow::onUseRandomNamesClicked() {}
void MainWindow::onClearAllClicked() {}
void MainWindow::onClearNumbersClicked() {}
void MainWindow::onClearNamesClicked() {}
void MainWindow::onVisitWebsiteClicked() {}
void MainWindow::onSafeExitClicked() {}
void MainWindow::onCsvToVcfClicked() {}
void MainWindow::onVcfToCsvClicked() {}
void MainWindow::onShowCsvFormatClicked() {}
void MainWindow::onNumbersChanged() {}
void MainWindow::onNoticeTimerTick() {}
bool MainWindow::onNoticePressed(int, int, int) {
    return true;
}

// A press on the number group itself has no work to do.
bool MainWindow::onNumberGroupPressed(int, int, int) {
    return true;
}

}  // namespace quenlo::app
