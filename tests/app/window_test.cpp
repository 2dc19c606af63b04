#include <gtest/gtest.h>

#include <QPoint>
#include <QRect>
#include <QWidget>

#include "app/window_fixture.h"

namespace quenlo::app {
namespace {

using testing::widgetNamed;

struct Placement {
    const char* name;
    int x, y, width, height;  // in the window's client area
};

// Every visual control where it stands in the window.
const Placement kPlacements[] = {
    {"按钮_访问官网", 423, 245, 115, 24},
    {"按钮_查看CSV标准格式", 424, 374, 115, 24},
    {"标签1", 422, 440, 115, 24},
    {"编辑框_号码数量", 422, 469, 115, 24},
    {"按钮_安全退出", 424, 520, 115, 24},
    {"按钮_号码去重复", 298, 519, 105, 24},
    {"按钮_使用随机姓名", 423, 166, 115, 24},
    {"按钮_CSV转VCF", 424, 307, 115, 24},
    {"按钮_VCF转CSV", 424, 341, 115, 24},
    {"分组框5", 414, 288, 136, 216},
    {"按钮_清空所有", 423, 204, 115, 24},
    {"按钮_生成VCF", 423, 90, 115, 24},
    {"按钮_导出VCF", 423, 128, 115, 24},
    {"分组框3", 413, 69, 136, 211},
    {"按钮_清空手机号", 176, 519, 123, 24},
    {"按钮_清空姓名", 13, 519, 148, 24},
    {"编辑框_vcf代码区", 560, 86, 424, 455},
    {"分组框4", 552, 69, 440, 480},
    {"分组框6", 7, 12, 987, 54},
    {"透明标签_公告", 10, 26, 976, 33},
    {"分组框2", 170, 69, 240, 480},
    {"编辑框_手机号", 176, 87, 227, 429},
    {"编辑框_姓名", 13, 87, 148, 429},
    {"分组框1", 7, 69, 160, 480},
};

TEST(MainWindowLayout, EveryControlStandsWhereTheTableSaysAndIsVisibleInTheWindow) {
    MainWindow window;
    QWidget* top = window.window().widget();
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.name);
        QWidget* w = widgetNamed(window, p.name);
        ASSERT_NE(w, nullptr);
        const QRect inWindow(w->mapTo(top, QPoint(0, 0)), w->size());
        EXPECT_EQ(inWindow, QRect(p.x, p.y, p.width, p.height));
        EXPECT_TRUE(top->rect().contains(inWindow));
        EXPECT_FALSE(w->isHidden());
        EXPECT_TRUE(w->isEnabled());
    }
}

}  // namespace
}  // namespace quenlo::app
