#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"

namespace quenlo::net {
class NoticeBanner;
}

namespace quenlo::app {

// What the created handler sets going besides the window itself. The program turns both on; a
// window made by a test stays plain and offline unless the test asks.
struct MainWindowExtras {
    bool skin = false;
    // Where the notice banner fetches its document; nothing leaves the banner idle.
    std::optional<std::string> noticeUrl;
};

// The program's one window. Its controls are members named as the control table names them.
class MainWindow {
  public:
    using Extras = MainWindowExtras;
    // The program's own extras: the skin and the maker's notice server.
    static Extras programExtras();

    // Builds the window and every control, hidden, and binds the events.
    explicit MainWindow(Extras extras = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Raises created, then shows the window with the focus in 编辑框_姓名.
    void open();

    ui::Window& window() { return window_; }

    // The controls, in stacking order: among controls that share a parent an earlier one lies on top.
    ui::Timer* 时钟_公告检测 = nullptr;
    ui::PictureButton* 按钮_访问官网 = nullptr;
    ui::PictureButton* 按钮_查看CSV标准格式 = nullptr;
    ui::Label* 标签1 = nullptr;
    ui::EditBox* 编辑框_号码数量 = nullptr;
    ui::PictureButton* 按钮_安全退出 = nullptr;
    ui::PictureButton* 按钮_号码去重复 = nullptr;
    ui::PictureButton* 按钮_使用随机姓名 = nullptr;
    ui::PictureButton* 按钮_CSV转VCF = nullptr;
    ui::PictureButton* 按钮_VCF转CSV = nullptr;
    ui::GroupBox* 分组框5 = nullptr;
    ui::PictureButton* 按钮_清空所有 = nullptr;
    ui::PictureButton* 按钮_生成VCF = nullptr;
    ui::PictureButton* 按钮_导出VCF = nullptr;
    ui::GroupBox* 分组框3 = nullptr;
    ui::FileDialog* 通用对话框1 = nullptr;
    ui::PictureButton* 按钮_清空手机号 = nullptr;
    ui::PictureButton* 按钮_清空姓名 = nullptr;
    ui::EditBox* 编辑框_vcf代码区 = nullptr;
    ui::GroupBox* 分组框4 = nullptr;
    ui::GroupBox* 分组框6 = nullptr;
    ui::Label* 透明标签_公告 = nullptr;
    ui::GroupBox* 分组框2 = nullptr;
    ui::EditBox* 编辑框_手机号 = nullptr;
    ui::EditBox* 编辑框_姓名 = nullptr;
    ui::GroupBox* 分组框1 = nullptr;

    // Event handlers (handlers.cpp), bound in bindEvents().
    void onCreated();
    bool onCloseRequested();
    void onGenerateVcfClicked();
    void onExportVcfClicked();
    void onRemoveDuplicateNumbersClicked();
    void onUseRandomNamesClicked();
    void onClearAllClicked();
    void onClearNumbersClicked();
    void onClearNamesClicked();
    void onVisitWebsiteClicked();
    void onSafeExitClicked();
    void onCsvToVcfClicked();
    void onVcfToCsvClicked();
    void onShowCsvFormatClicked();
    void onNumbersChanged();
    void onNoticeTimerTick();
    bool onNoticePressed(int x, int y, int keyState);
    bool onNumberGroupPressed(int x, int y, int keyState);

  private:
    void buildControls();
    void applyLook();
    void applyPictures();
    void bindEvents();

    ui::Window window_;
    Extras extras_;
    // Last, so that a fetch still running is cancelled before the controls it reports to go.
    std::unique_ptr<net::NoticeBanner> noticeBanner_;
};

}  // namespace quenlo::app
