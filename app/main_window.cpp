#include "app/main_window.h"

#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

#include "app/carried_files.h"
#include "app/pictures.h"
#include "net/notice_banner.h"
#include "platform/codepage.h"

namespace quenlo::app {
namespace {

using ui::Kind;

// Source texts are UTF-8; the window takes code page 936.
std::string gbk(std::string_view utf8) {
    return codepage::utf8ToGbk(utf8);
}

const char kTitle[] = "Quenlo通讯录批量导入工具  技术支持：support@quenlo.example";
const char kNoticeCaption[] = "公告区-点击查看详情   本软件永久免费，请从官网下载最新版本";

constexpr ui::Rgb kRed{255, 0, 0};
constexpr ui::Rgb kNoticeBlue{0, 136, 255};

struct ControlRow {
    const char* name;
    Kind kind;
    const char* parent;  // "" for the window itself
    ui::Rect rect;
    const char* caption;
    void (*bind)(MainWindow&, ui::Control&);
};

template <auto member>
void bindMember(MainWindow& window, ui::Control& control) {
    using Type = std::remove_pointer_t<std::remove_reference_t<decltype(window.*member)>>;
    window.*member = &dynamic_cast<Type&>(control);
}

// clang-format off
#define CONTROL(member, kind, parent, x, y, w, h, caption) \
    ControlRow{#member, Kind::kind, parent, {x, y, w, h}, caption, &bindMember<&MainWindow::member>}

// In stacking order: among controls with the same parent, an earlier row lies above a later one.
// The Tab order is the focusable controls read from the last row to the first.
const ControlRow kControls[] = {
    //      name                     kind              parent     x    y    w    h    caption
    CONTROL(时钟_公告检测,           Timer,            "",        0,   0,   0,   0,   ""),
    CONTROL(按钮_访问官网,           PictureButton,    "分组框3", 10,  176, 115, 24,  "访问官网"),
    CONTROL(按钮_查看CSV标准格式,    PictureButton,    "分组框5", 10,  86,  115, 24,  "看CSV标准格式"),
    CONTROL(标签1,                   Label,            "分组框5", 8,   152, 115, 24,  "当前号码数量"),
    CONTROL(编辑框_号码数量,         EditBox,          "分组框5", 8,   181, 115, 24,  "0"),
    CONTROL(按钮_安全退出,           PictureButton,    "",        424, 520, 115, 24,  "安全退出"),
    CONTROL(按钮_号码去重复,         PictureButton,    "分组框2", 128, 450, 105, 24,  "号码去重复"),
    CONTROL(按钮_使用随机姓名,       PictureButton,    "分组框3", 10,  97,  115, 24,  "使用随机姓名"),
    CONTROL(按钮_CSV转VCF,           PictureButton,    "分组框5", 10,  19,  115, 24,  "CSV转VCF"),
    CONTROL(按钮_VCF转CSV,           PictureButton,    "分组框5", 10,  53,  115, 24,  "VCF转CSV"),
    CONTROL(分组框5,                 GroupBox,         "",        414, 288, 136, 216, "转换操作"),
    CONTROL(按钮_清空所有,           PictureButton,    "分组框3", 10,  135, 115, 24,  "清空所有"),
    CONTROL(按钮_生成VCF,            PictureButton,    "分组框3", 10,  21,  115, 24,  "生成VCF代码"),
    CONTROL(按钮_导出VCF,            PictureButton,    "分组框3", 10,  59,  115, 24,  "导出VCF通讯录"),
    CONTROL(分组框3,                 GroupBox,         "",        413, 69,  136, 211, "生成操作[3]"),
    CONTROL(通用对话框1,             FileDialog,       "",        0,   0,   0,   0,   ""),
    CONTROL(按钮_清空手机号,         PictureButton,    "分组框2", 6,   450, 123, 24,  "清空手机号"),
    CONTROL(按钮_清空姓名,           PictureButton,    "分组框1", 6,   450, 148, 24,  "清空姓名"),
    CONTROL(编辑框_vcf代码区,        MultiLineEditBox, "分组框4", 8,   17,  424, 455, ""),
    CONTROL(分组框4,                 GroupBox,         "",        552, 69,  440, 480, "VCF代码显示区"),
    CONTROL(分组框6,                 GroupBox,         "",        7,   12,  987, 54,  kNoticeCaption),
    CONTROL(透明标签_公告,           TransparentLabel, "分组框6", 3,   14,  976, 33,  ""),
    CONTROL(分组框2,                 GroupBox,         "",        170, 69,  240, 480, "手机号-一行一个手机号"),
    CONTROL(编辑框_手机号,           MultiLineEditBox, "分组框2", 6,   18,  227, 429, ""),
    CONTROL(编辑框_姓名,             MultiLineEditBox, "分组框1", 6,   18,  148, 429, ""),
    CONTROL(分组框1,                 GroupBox,         "",        7,   69,  160, 480, "姓名-一行一个姓名"),
};
// clang-format on

#undef CONTROL

}  // namespace

MainWindow::MainWindow(Extras extras) : extras_(std::move(extras)) {
    window_.setTitle(gbk(kTitle));
    buildControls();
    window_.setFixedOuterSize(1000, 580);
    applyLook();
    applyPictures();
    bindEvents();
}

MainWindow::~MainWindow() = default;

MainWindow::Extras MainWindow::programExtras() {
    return Extras{.skin = true, .noticeUrl = net::noticeUrl()};
}

void MainWindow::open() {
    onCreated();
    window_.show();
}

void MainWindow::buildControls() {
    std::vector<ui::ControlSpec> specs;
    for (const ControlRow& row : kControls)
        specs.push_back({row.name, row.kind, row.parent, row.rect, gbk(row.caption)});
    window_.build(specs);
    for (const ControlRow& row : kControls)
        row.bind(*this, window_.control(row.name));
}

void MainWindow::applyLook() {
    for (ui::GroupBox* box : {分组框1, 分组框2, 分组框3, 分组框4, 分组框5, 分组框6})
        box->setTextColor(kRed);

    标签1->setTextColor(kRed);

    编辑框_号码数量->setTextColor(kRed);
    编辑框_号码数量->setAlignment(ui::Align::Center);

    透明标签_公告->setFont(ui::Font::Notice);
    透明标签_公告->setTextColor(kNoticeBlue);
    透明标签_公告->setHandCursor();
}

void MainWindow::applyPictures() {
    const struct {
        const char* file;
        std::vector<ui::PictureButton*> buttons;
    } pictures[] = {
        {"csv_sheet.png", {按钮_查看CSV标准格式, 按钮_VCF转CSV}},
        {"exit.png", {按钮_安全退出}},
        {"dedupe.png", {按钮_号码去重复}},
        {"dice.png", {按钮_使用随机姓名}},
        {"csv_to_card.png", {按钮_CSV转VCF}},
        {"eraser.png", {按钮_清空所有, 按钮_清空手机号, 按钮_清空姓名}},
        {"wand.png", {按钮_生成VCF}},
        {"floppy.png", {按钮_导出VCF}},
        // 按钮_访问官网 has none.
    };
    for (const auto& picture : pictures) {
        const ui::Image image = decodePicture(picture.file, carriedFile(picture.file), std::cerr);
        for (ui::PictureButton* button : picture.buttons)
            button->setPicture(image);
    }
    window_.setIcon(decodePicture("icon.ico", carriedFile("icon.ico"), std::cerr));
}

}  // namespace quenlo::app
