#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <string>
#include <vector>

#include "gbk.h"
#include "platform/codepage.h"
#include "platform/ui/testing.h"
#include "platform/ui/ui.h"
#include "qt_application.h"

namespace quenlo::ui {
namespace {

class ScriptedDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::scriptDialogs();
        window.build(std::vector<ControlSpec>{{"通用对话框1", Kind::FileDialog, "", {}, ""}});
    }
    void TearDown() override { testing::stopScriptingDialogs(); }

    FileDialog& dialog() { return window.control<FileDialog>("通用对话框1"); }

    Window window;
};

TEST(FileDialogFilter, TheSystemsFilterTextBecomesThePlatformsList) {
    struct Case {
        const char* filter;
        std::vector<std::string> platform;
    } cases[] = {
        {"VCF文件(*.vcf)|*.vcf", {"VCF文件(*.vcf)"}},
        {"CSV文件(*.csv)|*.csv", {"CSV文件(*.csv)"}},
        {"通讯录|*.vcf;*.csv|所有文件(*.*)|*.*", {"通讯录 (*.vcf *.csv)", "所有文件(*.*)"}},
        {"文本|*.txt|", {"文本 (*.txt)"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(testing::platformFilters(gbk(c.filter)), c.platform);
    }
}

TEST_F(ScriptedDialogs, MessageBoxesTakeTheNextAnswerAndAreLogged) {
    testing::setNextAnswer(MessageAnswer::Yes);
    EXPECT_EQ(window.showMessage(gbk("提示"), gbk("将生成随机字母替换现有姓名，是否继续？"),
                                 MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(
        window.showMessage(gbk("提示"), gbk("去重复成功！"), MessageIcon::Information, MessageButtons::Ok),
        MessageAnswer::Ok);

    const auto& shown = testing::shownDialogs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, testing::DialogKind::Message);
    EXPECT_EQ(shown[0].title, gbk("提示"));
    EXPECT_EQ(shown[0].text, gbk("将生成随机字母替换现有姓名，是否继续？"));
    EXPECT_EQ(shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(shown[1].text, gbk("去重复成功！"));
    EXPECT_EQ(shown[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(testing::unusedAnswers(), 0);
}

TEST_F(ScriptedDialogs, WithoutAScriptedAnswerAQuestionIsAnsweredNo) {
    EXPECT_EQ(
        window.showMessage(gbk("提示"), gbk("是否继续？"), MessageIcon::Question, MessageButtons::YesNo),
        MessageAnswer::No);
    EXPECT_EQ(dialog().ask(FileDialogMode::Open, gbk("CSV文件(*.csv)|*.csv")), std::nullopt);
    ASSERT_EQ(testing::shownDialogs().size(), 2u);
    EXPECT_EQ(testing::shownDialogs()[1].kind, testing::DialogKind::OpenFile);
    EXPECT_EQ(testing::shownDialogs()[1].text, gbk("CSV文件(*.csv)|*.csv"));
}

TEST_F(ScriptedDialogs, ASaveDialogAddsTheExtensionToANameTypedWithoutOne) {
    const std::filesystem::path folder = "/tmp/通讯录";
    struct Case {
        FileDialogMode mode;
        const char* filter;
        std::filesystem::path typed;
        std::filesystem::path returned;
    } cases[] = {
        {FileDialogMode::Save, "VCF文件(*.vcf)|*.vcf", folder / "我的", folder / "我的.vcf"},
        {FileDialogMode::Save, "VCF文件(*.vcf)|*.vcf", folder / "我的.vcf", folder / "我的.vcf"},
        {FileDialogMode::Save, "VCF文件(*.vcf)|*.vcf", folder / "备份.txt", folder / "备份.txt"},
        {FileDialogMode::Save, "CSV文件(*.csv)|*.csv", folder / "导出", folder / "导出.csv"},
        {FileDialogMode::Save, "所有文件|*.*", folder / "导出", folder / "导出"},
        {FileDialogMode::Open, "CSV文件(*.csv)|*.csv", folder / "导出", folder / "导出"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.string());
        testing::setNextFile(c.typed);
        EXPECT_EQ(dialog().ask(c.mode, gbk(c.filter)), c.returned);
    }
    testing::setNextFile(std::nullopt);
    EXPECT_EQ(dialog().ask(FileDialogMode::Save, gbk("VCF文件(*.vcf)|*.vcf")), std::nullopt);
    EXPECT_EQ(testing::shownDialogs().back().kind, testing::DialogKind::SaveFile);
}

TEST_F(ScriptedDialogs, AnswersOfOneSortAreNotTakenByTheOther) {
    testing::setNextFile("/tmp/a.vcf");
    EXPECT_EQ(
        window.showMessage(gbk("提示"), gbk("保存成功！"), MessageIcon::Information, MessageButtons::Ok),
        MessageAnswer::Ok);
    EXPECT_EQ(testing::unusedAnswers(), 1);
    testing::scriptDialogs();
    EXPECT_EQ(testing::unusedAnswers(), 0);
    EXPECT_TRUE(testing::shownDialogs().empty());
}

// The real dialogs, answered by the test as soon as they are up.
class RealDialogs : public ::testing::Test {
  protected:
    // Runs `answer` on the dialog of type T once it is the active modal window.
    template <class T, class F>
    void whenShown(F answer) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(dialog);
        });
    }
    Window window;
};

TEST_F(RealDialogs, MessageTextIsShownAsPlainTextNeverAsMarkup) {
    const std::string markup = "<a href=\"file:///bin/sh\">x</a>";
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        shownText = box->text();
        shownFormat = box->textFormat();
        box->accept();
    });
    window.showMessage(gbk("提示"), markup, MessageIcon::Information, MessageButtons::Ok);
    EXPECT_EQ(shownText.toStdString(), markup);
    EXPECT_EQ(shownFormat, Qt::PlainText);
}

TEST_F(RealDialogs, ButtonsSpeakChineseAndGiveTheAnswer) {
    QStringList words;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            words << button->text();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(
        window.showMessage(gbk("提示"), gbk("是否继续？"), MessageIcon::Question, MessageButtons::YesNo),
        MessageAnswer::Yes);
    words.sort();
    EXPECT_EQ(words.join(',').toStdString(), QStringList({"否", "是"}).join(',').toStdString());
}

TEST_F(RealDialogs, SaveDialogAddsTheExtensionToANameTypedWithoutOne) {
    window.build(std::vector<ControlSpec>{{"通用对话框1", Kind::FileDialog, "", {}, ""}});
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(QString::fromStdString(folder.string()));
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromUtf8("通讯录"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen =
        window.control<FileDialog>("通用对话框1").ask(FileDialogMode::Save, gbk("VCF文件(*.vcf)|*.vcf"));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->filename().string(), "通讯录.vcf");
}

}  // namespace
}  // namespace quenlo::ui
