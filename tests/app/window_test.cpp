#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <sstream>

#include "app/carried_files.h"
#include "app/pictures.h"
#include "app/window_fixture.h"
#include "platform/codepage.h"

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

TEST(MainWindowLayout, TheOverlappingButtonsShareAColumnWithDeduplicationOnTop) {
    MainWindow window;
    QWidget* group = widgetNamed(window, "分组框2");
    EXPECT_EQ(group->childAt(128, 460), widgetNamed(window, "按钮_号码去重复"));
    EXPECT_EQ(group->childAt(127, 460), widgetNamed(window, "按钮_清空手机号"));
    EXPECT_EQ(group->childAt(129, 460), widgetNamed(window, "按钮_号码去重复"));
}

TEST(MainWindowLayout, TheWindowIsFixedCentredAndTitled) {
    MainWindow window;
    window.window().show();
    QWidget* top = window.window().widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));

    EXPECT_TRUE(top->windowTitle().startsWith(QString::fromUtf8("Quenlo通讯录批量导入工具")));
    EXPECT_GT(top->windowTitle().size(), QString::fromUtf8("Quenlo通讯录批量导入工具").size());
    EXPECT_EQ(top->frameGeometry().size(), QSize(1000, 580));
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
    // The left edge is checked on a real display by the smoke test: the offscreen platform nudges a
    // window wider than its screen, as this one is.
    const QRect screen = top->screen()->geometry();
    EXPECT_EQ(top->frameGeometry().top(), screen.y() + (screen.height() - 580) / 2);

    const Qt::WindowFlags flags = top->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(top->windowIcon().isNull());
    EXPECT_EQ(top->windowIcon().availableSizes(), QList<QSize>{QSize(256, 256)});
}

TEST(MainWindowLayout, StartingTextsAndTimer) {
    MainWindow window;
    EXPECT_EQ(window.编辑框_号码数量->text(), "0");
    EXPECT_EQ(window.编辑框_姓名->text(), "");
    EXPECT_EQ(window.透明标签_公告->text(), "");
    EXPECT_EQ(window.时钟_公告检测->period(), 0);
    EXPECT_EQ(window.按钮_查看CSV标准格式->text(), codepage::utf8ToGbk("看CSV标准格式"));
    const std::string caption = codepage::gbkToUtf8(window.分组框6->text());
    EXPECT_EQ(caption.rfind("公告区-点击查看详情   ", 0), 0u) << caption;
    EXPECT_GT(caption.size(), std::string("公告区-点击查看详情   ").size());
}

QColor textColor(QWidget* w, QPalette::ColorRole role) {
    return w->palette().color(role);
}

TEST(MainWindowLook, FontsAndColoursOfRepresentativeControls) {
    MainWindow window;

    // Where the first face is missing, the CJK face Debian installs stands in.
    for (const char* name : {"编辑框_姓名", "按钮_生成VCF", "分组框1", "标签1", "编辑框_号码数量"}) {
        SCOPED_TRACE(name);
        const QFont font = widgetNamed(window, name)->font();
        EXPECT_EQ(font.families().value(0), QString::fromUtf8("微软雅黑"));
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("WenQuanYi Micro Hei"));
        EXPECT_EQ(font.pixelSize(), 12);
        EXPECT_EQ(font.weight(), QFont::Normal);
    }
    QWidget* notice = widgetNamed(window, "透明标签_公告");
    EXPECT_EQ(notice->font().pixelSize(), 19);
    EXPECT_EQ(notice->font().weight(), QFont::Bold);
    EXPECT_EQ(textColor(notice, QPalette::WindowText), QColor(0, 136, 255));
    EXPECT_FALSE(notice->autoFillBackground());
    EXPECT_EQ(notice->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(static_cast<QLabel*>(notice)->alignment(), Qt::AlignLeft | Qt::AlignVCenter);

    EXPECT_EQ(textColor(widgetNamed(window, "分组框4"), QPalette::WindowText), QColor(255, 0, 0));
    auto* label = static_cast<QLabel*>(widgetNamed(window, "标签1"));
    EXPECT_EQ(textColor(label, QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(label->autoFillBackground());

    auto* count = static_cast<QLineEdit*>(widgetNamed(window, "编辑框_号码数量"));
    EXPECT_EQ(textColor(count, QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(textColor(count, QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(count->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);

    auto* names = static_cast<QPlainTextEdit*>(widgetNamed(window, "编辑框_姓名"));
    EXPECT_EQ(textColor(names, QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(textColor(names, QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(names->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(names->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(names->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST(MainWindowLook, TheEmptyNoticeLabelLetsTheGroupBoxShowThrough) {
    MainWindow window;
    QWidget* top = window.window().widget();
    QWidget* label = widgetNamed(window, "透明标签_公告");
    const QImage withLabel = top->grab().toImage();
    label->hide();
    const QImage withoutLabel = top->grab().toImage();
    const QRect area(label->mapTo(top, QPoint(0, 0)), label->size());
    EXPECT_EQ(withLabel.copy(area), withoutLabel.copy(area));
}

TEST(MainWindowPictures, EveryButtonButTheWebSiteOneHasItsPicture) {
    MainWindow window;
    EXPECT_FALSE(window.按钮_访问官网->hasPicture());
    for (ui::PictureButton* b :
         {window.按钮_查看CSV标准格式, window.按钮_安全退出, window.按钮_号码去重复, window.按钮_使用随机姓名,
          window.按钮_CSV转VCF, window.按钮_VCF转CSV, window.按钮_清空所有, window.按钮_生成VCF,
          window.按钮_导出VCF, window.按钮_清空手机号, window.按钮_清空姓名}) {
        SCOPED_TRACE(b->name());
        EXPECT_TRUE(b->hasPicture());
    }
}

TEST(MainWindowPictures, EveryCarriedPictureDecodes) {
    ASSERT_EQ(carriedFiles().size(), 9u);
    for (const CarriedFile& file : carriedFiles()) {
        SCOPED_TRACE(std::string(file.name));
        std::ostringstream errors;
        const ui::Image image = decodePicture(file.name, file.bytes, errors);
        EXPECT_EQ(errors.str(), "");
        const int side = file.name == "icon.ico" ? 256 : 16;
        EXPECT_EQ(image.width, side);
        EXPECT_EQ(image.height, side);
    }
}

TEST(MainWindowPictures, ADamagedPictureIsReportedAndLeftOut) {
    const auto floppy = carriedFile("floppy.png");
    ASSERT_FALSE(floppy.empty());
    const std::vector<std::uint8_t> cut(floppy.begin(), floppy.begin() + floppy.size() - 40);
    std::ostringstream errors;
    const ui::Image image = decodePicture("floppy.png", cut, errors);
    EXPECT_TRUE(image.isNull());
    EXPECT_EQ(errors.str().rfind("quenlo: picture floppy.png left out: damaged PNG image", 0), 0u)
        << errors.str();

    std::ostringstream missing;
    EXPECT_TRUE(decodePicture("gone.png", carriedFile("gone.png"), missing).isNull());
    EXPECT_EQ(missing.str(), "quenlo: picture gone.png left out: not carried in the program\n");

    MainWindow window;
    window.按钮_导出VCF->setPicture(image);
    EXPECT_FALSE(window.按钮_导出VCF->hasPicture());
}

}  // namespace
}  // namespace quenlo::app
