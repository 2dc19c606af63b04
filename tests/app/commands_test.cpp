#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/list_commands.h"
#include "app/window_fixture.h"
#include "formats/csv.h"
#include "formats/entries.h"
#include "formats/vcard.h"
#include "gbk.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/shell.h"
#include "platform/ui/testing.h"

namespace quenlo::app {
namespace {

namespace fs = std::filesystem;
using ui::MessageAnswer;
using ui::testing::DialogKind;
using ui::testing::ShownDialog;

std::string utf8(std::string_view gbkText) {
    return codepage::gbkToUtf8(gbkText);
}

// One dialog as a line that reads like what the user saw: "提示: 保存成功！ [information]",
// "save VCF文件(*.vcf)|*.vcf".
std::string describe(const ShownDialog& shown) {
    switch (shown.kind) {
        case DialogKind::OpenFile:
            return "open " + utf8(shown.text);
        case DialogKind::SaveFile:
            return "save " + utf8(shown.text);
        case DialogKind::Message:
            break;
    }
    std::string icon;
    switch (shown.icon) {
        case ui::MessageIcon::Information:
            icon = "information";
            break;
        case ui::MessageIcon::Warning:
            icon = "warning";
            break;
        case ui::MessageIcon::Question:
            icon = "question";
            break;
        case ui::MessageIcon::Error:
            icon = "error";
            break;
        case ui::MessageIcon::None:
            icon = "no icon";
            break;
    }
    if (shown.buttons == ui::MessageButtons::YesNo) icon += ", yes/no";
    return utf8(shown.title) + ": " + utf8(shown.text) + " [" + icon + "]";
}

std::vector<std::string> shownDialogs() {
    std::vector<std::string> lines;
    for (const ShownDialog& shown : ui::testing::shownDialogs())
        lines.push_back(describe(shown));
    return lines;
}

// A record as the generator writes it, with the name value already in quoted-printable form.
std::string record(std::string_view nameValue, std::string_view number) {
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
           std::string(nameValue) + "\r\nTEL;CELL:" + std::string(number) +
           "\r\nBDAY:00000000\r\nEND:VCARD\r\n";
}

std::string bytesOf(const fs::path& file) {
    return file_io::readFile(file).value_or("<unreadable>");
}

// The texts of the three list boxes, in UTF-8.
struct Boxes {
    std::string names;
    std::string numbers;
    std::string code;
    bool operator==(const Boxes&) const = default;
};

void PrintTo(const Boxes& boxes, std::ostream* out) {
    *out << "{names \"" << boxes.names << "\", numbers \"" << boxes.numbers << "\", code \"" << boxes.code
         << "\"}";
}

// A window of its own for every test, dialogs answered from a script, a shell that starts nothing,
// and a scratch folder removed afterwards.
class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::testing::scriptDialogs();
        shell::testing::startRecording();
        std::string pattern = (fs::temp_directory_path() / "quenlo-commands-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }

    void TearDown() override {
        ui::testing::stopScriptingDialogs();
        shell::testing::stopRecording();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void fill(const Boxes& boxes) {
        window_.编辑框_姓名->setText(gbk(boxes.names));
        window_.编辑框_手机号->setText(gbk(boxes.numbers));
        window_.编辑框_vcf代码区->setText(gbk(boxes.code));
        ui::testing::clearShownDialogs();
    }

    Boxes boxes() const {
        return {utf8(window_.编辑框_姓名->text()), utf8(window_.编辑框_手机号->text()),
                utf8(window_.编辑框_vcf代码区->text())};
    }

    std::string count() const { return window_.编辑框_号码数量->text(); }

    fs::path writeFile(const char* name, std::string_view bytes) {
        const fs::path file = folder_ / name;
        EXPECT_TRUE(file_io::writeFileAtomically(file, bytes));
        return file;
    }

    // A place no one can write to, root included: its folder is a regular file.
    fs::path unwritable(const char* name) { return writeFile("not-a-folder", "x") / name; }

    MainWindow window_;
    fs::path folder_;
};

// ---- The list commands, one row per path through them.

using Button = ui::PictureButton* MainWindow::*;

struct CommandCase {
    const char* what;
    Button button;
    Boxes before;
    std::vector<MessageAnswer> answers;
    std::vector<std::string> dialogs;
    Boxes after;
    const char* countAfter;
};

const std::string kAnnBob = record("Ann", "13800000001") + record("Bob", "13800000002");

const CommandCase kCommandCases[] = {
    {"generate without numbers",
     &MainWindow::按钮_生成VCF,
     {"张三", "", "old"},
     {},
     {"提示: 请先输入姓名与手机号码 [warning]"},
     {"张三", "", "old"},
     "0"},
    {"generate without names",
     &MainWindow::按钮_生成VCF,
     {"", "13800000001", "old"},
     {},
     {"提示: 请先输入姓名与手机号码 [warning]"},
     {"", "13800000001", "old"},
     "1"},
    {"generate with only blank lines for names",
     &MainWindow::按钮_生成VCF,
     {"\r\n  \r\n\t", "13800000001", "old"},
     {},
     {"提示: 请先输入姓名与手机号码 [warning]"},
     {"\r\n  \r\n\t", "13800000001", "old"},
     "1"},
    {"generate with three names and two numbers",
     &MainWindow::按钮_生成VCF,
     {"张三\r\n李四\r\n王五", "13800000001\r\n13800000002", "old"},
     {},
     {"提示: 姓名与手机号码数量要保持一致！ [warning]"},
     {"张三\r\n李四\r\n王五", "13800000001\r\n13800000002", "old"},
     "2"},
    {"generate replaces the code, blank lines and blanks around entries do not count",
     &MainWindow::按钮_生成VCF,
     {"Ann\r\n\r\n  Bob \r\n", "13800000001\r\n\t13800000002\r\n\r\n", "old"},
     {},
     {"提示: 生成VCF代码成功！ [information]"},
     {"Ann\r\n\r\n  Bob \r\n", "13800000001\r\n\t13800000002\r\n\r\n", kAnnBob},
     "2"},
    {"export without code opens no dialog",
     &MainWindow::按钮_导出VCF,
     {"Ann", "13800000001", ""},
     {},
     {"提示: 请先生成VCF代码！ [warning]"},
     {"Ann", "13800000001", ""},
     "1"},
    {"export of blank lines only",
     &MainWindow::按钮_导出VCF,
     {"", "", "\r\n  \r\n"},
     {},
     {"提示: 请先生成VCF代码！ [warning]"},
     {"", "", "\r\n  \r\n"},
     "0"},
    {"export cancelled ends silently",
     &MainWindow::按钮_导出VCF,
     {"", "", kAnnBob},
     {},
     {"save VCF文件(*.vcf)|*.vcf"},
     {"", "", kAnnBob},
     "0"},
    {"remove repeats without numbers",
     &MainWindow::按钮_号码去重复,
     {"Ann", "\r\n \r\n", "old"},
     {},
     {"提示: 请确认已输入电话号码 [warning]"},
     {"Ann", "\r\n \r\n", "old"},
     "0"},
    {"remove repeats keeps first occurrences in order, names follow when counts match",
     &MainWindow::按钮_号码去重复,
     {"A\r\nB\r\nC\r\nD\r\nE",
      "138 0000 0001\r\n13900000002\r\n+86 138-0000-0001\r\n13900000002\r\n0086(139)00000003", "old"},
     {},
     {"提示: 去重复成功！ [information]"},
     {"A\r\nB\r\nE", "138 0000 0001\r\n13900000002\r\n0086(139)00000003", "old"},
     "3"},
    {"remove repeats leaves names alone when counts differ",
     &MainWindow::按钮_号码去重复,
     {"A\r\nB", "13800000001\r\n13800000001\r\n13800000002", "old"},
     {},
     {"提示: 去重复成功！ [information]"},
     {"A\r\nB", "13800000001\r\n13800000002", "old"},
     "2"},
    {"remove repeats without any repeat",
     &MainWindow::按钮_号码去重复,
     {"A\r\nB", "13800000001\r\n13800000002", "old"},
     {},
     {"提示: 去重复成功！ [information]"},
     {"A\r\nB", "13800000001\r\n13800000002", "old"},
     "2"},
    {"random names without numbers asks nothing",
     &MainWindow::按钮_使用随机姓名,
     {"张三", "", "old"},
     {MessageAnswer::Yes},
     {"提示: 请确认已输入电话号码 [warning]"},
     {"张三", "", "old"},
     "0"},
    {"random names answered no",
     &MainWindow::按钮_使用随机姓名,
     {"张三", "13800000001\r\n13800000002", "old"},
     {MessageAnswer::No},
     {"提示: 将生成随机字母替换现有姓名，是否继续？ [question, yes/no]"},
     {"张三", "13800000001\r\n13800000002", "old"},
     "2"},
    {"clear all", &MainWindow::按钮_清空所有, {"张三", "13800000001", "old"}, {}, {}, {"", "", ""}, "0"},
    {"clear numbers",
     &MainWindow::按钮_清空手机号,
     {"张三", "13800000001", "old"},
     {},
     {},
     {"张三", "", "old"},
     "0"},
    {"clear names",
     &MainWindow::按钮_清空姓名,
     {"张三", "13800000001", "old"},
     {},
     {},
     {"", "13800000001", "old"},
     "1"},
};

TEST_F(Commands, EachCommandShowsItsMessageAndLeavesTheBoxesAsExpected) {
    for (const CommandCase& c : kCommandCases) {
        SCOPED_TRACE(c.what);
        ui::testing::scriptDialogs();
        fill(c.before);
        for (MessageAnswer answer : c.answers)
            ui::testing::setNextAnswer(answer);

        (window_.*c.button)->click();

        EXPECT_EQ(shownDialogs(), c.dialogs);
        EXPECT_EQ(boxes(), c.after);
        EXPECT_EQ(count(), c.countAfter);
    }
}

TEST_F(Commands, RandomNamesGiveEveryNumberADistinctNameOfFiveCapitals) {
    fill({"张三", "13800000001\r\n\r\n13800000002\r\n 13800000003 \r\n13800000004\r\n", "old"});
    ui::testing::setNextAnswer(MessageAnswer::Yes);

    window_.按钮_使用随机姓名->click();

    EXPECT_EQ(shownDialogs(),
              std::vector<std::string>{"提示: 将生成随机字母替换现有姓名，是否继续？ [question, yes/no]"});
    const std::vector<std::string> names = splitEntries(window_.编辑框_姓名->text());
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(window_.编辑框_姓名->text(), joinEntries(names)) << "one name a line, nothing else";
    for (const std::string& name : names) {
        EXPECT_EQ(name.size(), 5u) << name;
        EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            << name;
    }
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());

    // The names fit the numbers, so generation goes through.
    ui::testing::clearShownDialogs();
    window_.按钮_生成VCF->click();
    EXPECT_EQ(shownDialogs(), std::vector<std::string>{"提示: 生成VCF代码成功！ [information]"});
}

TEST(RandomNames, StayDistinctAcrossALongListAndFollowTheirSeed) {
    const std::vector<std::string> names = randomNames(100'000, 7);
    ASSERT_EQ(names.size(), 100'000u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(randomNames(3, 7), std::vector<std::string>(names.begin(), names.begin() + 3));
    EXPECT_NE(randomNames(3, 8), randomNames(3, 7));
}

// ---- The count.

TEST_F(Commands, CountFollowsTypingAndPastingWithTheEntriesRule) {
    window_.window().show();
    auto* numbers = qobject_cast<QPlainTextEdit*>(testing::widgetNamed(window_, "编辑框_手机号"));
    ASSERT_NE(numbers, nullptr);
    EXPECT_EQ(count(), "0");

    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += (i ? "\n" : "") + std::to_string(13800000000 + i);
    QApplication::clipboard()->setText(QString::fromStdString(ten));
    numbers->setFocus();
    QTest::keyClick(numbers, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(count(), "10") << "ten numbers pasted without a final line end";

    QTest::keyClick(numbers, Qt::Key_Return);
    EXPECT_EQ(count(), "10") << "an empty last line is no entry";
    QTest::keyClicks(numbers, "  ");
    EXPECT_EQ(count(), "10") << "nor is a line of blanks";
    QTest::keyClicks(numbers, "1");
    EXPECT_EQ(count(), "11");
    QTest::keyClick(numbers, Qt::Key_Backspace);
    EXPECT_EQ(count(), "10");
}

// ---- Export.

TEST_F(Commands, ExportWritesTheCodeBoxBytesAndReplacesAnOldFile) {
    const std::string code = record("=E5=BC=A0=E4=B8=89", "138 0000 0001") + "extra line typed by hand 中";
    fill({"", "", code});
    const fs::path target =
        writeFile("contacts.vcf", "an older file, longer than the new one " + std::string(4000, 'x'));
    ui::testing::setNextFile(target);

    window_.按钮_导出VCF->click();

    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"save VCF文件(*.vcf)|*.vcf", "提示: 保存成功！ [information]"}));
    EXPECT_EQ(bytesOf(target), gbk(code));
}

TEST_F(Commands, FailedExportSaysSoAndLeavesTheOldFileAsItWas) {
    fill({"", "", kAnnBob});
    const fs::path existing = writeFile("contacts.vcf", "the user's earlier export");

    ui::testing::setNextFile(unwritable("contacts.vcf"));
    window_.按钮_导出VCF->click();
    file_io::testing::failNextWrites(1);
    ui::testing::setNextFile(existing);
    window_.按钮_导出VCF->click();

    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"save VCF文件(*.vcf)|*.vcf", "提示: 保存失败！ [warning]",
                                        "save VCF文件(*.vcf)|*.vcf", "提示: 保存失败！ [warning]"}));
    EXPECT_EQ(bytesOf(existing), "the user's earlier export");
    EXPECT_EQ(boxes(), (Boxes{"", "", kAnnBob}));
}

// ---- The site and the way out.

TEST_F(Commands, VisitingTheSiteOpensTheMakersHomePageInTheBrowser) {
    window_.按钮_访问官网->click();

    EXPECT_EQ(shell::testing::recordedTargets(), std::vector<std::string>{"https://www.quenlo.example/"});
    EXPECT_EQ(shownDialogs(), std::vector<std::string>{});
}

TEST_F(Commands, SafeExitSendsTheCloseRequestAndTheWindowCloses) {
    window_.window().show();
    ASSERT_TRUE(window_.window().isOpen());
    QWidget* exit = testing::widgetNamed(window_, "按钮_安全退出");

    QTest::mouseClick(exit, Qt::LeftButton);
    QTRY_VERIFY(!window_.window().isOpen());
    EXPECT_EQ(shownDialogs(), std::vector<std::string>{});

    // It takes the close request's path: a handler that refuses keeps the window open.
    int requests = 0;
    window_.window().onCloseRequest([&] {
        ++requests;
        return false;
    });
    window_.window().show();
    QTest::mouseClick(exit, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(window_.window().isOpen());
}

// ---- The conversions.

TEST_F(Commands, CsvToVcfOfTheSampleFillsTheCodeBoxWithItsSeventeenContacts) {
    fill({"names stay", "13800000001", "old"});
    ui::testing::setNextFile(writeFile("sample.csv", SampleCsvText));

    window_.按钮_CSV转VCF->click();

    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"open CSV文件(*.csv)|*.csv", "提示: 转换成功！ [information]"}));
    const std::string code = window_.编辑框_vcf代码区->text();
    const std::vector<Contact> expected = parseCsvFile(SampleCsvText).contacts;
    ASSERT_EQ(expected.size(), 17u);
    EXPECT_EQ(parseVcfCode(code).contacts, expected);
    EXPECT_EQ(code, formatVcfCode(expected));
    EXPECT_EQ(boxes().names, "names stay");
    EXPECT_EQ(boxes().numbers, "13800000001");
}

TEST_F(Commands, ConversionsThatFindNothingToConvertFailAndChangeNoBox) {
    const Boxes before{"张三", "13800000001", "old"};
    struct Case {
        const char* what;
        Button button;
        std::optional<fs::path> source;
        std::vector<std::string> dialogs;
    } cases[] = {
        {"csv dialog cancelled", &MainWindow::按钮_CSV转VCF, std::nullopt, {"open CSV文件(*.csv)|*.csv"}},
        {"csv file missing",
         &MainWindow::按钮_CSV转VCF,
         folder_ / "missing.csv",
         {"open CSV文件(*.csv)|*.csv", "提示: 转换失败！ [warning]"}},
        {"csv file a folder",
         &MainWindow::按钮_CSV转VCF,
         folder_,
         {"open CSV文件(*.csv)|*.csv", "提示: 转换失败！ [warning]"}},
        {"csv file with only the header",
         &MainWindow::按钮_CSV转VCF,
         writeFile("header.csv", kCsvHeaderLine),
         {"open CSV文件(*.csv)|*.csv", "提示: 转换失败！ [warning]"}},
        {"vcf dialog cancelled", &MainWindow::按钮_VCF转CSV, std::nullopt, {"open VCF文件(*.vcf)|*.vcf"}},
        {"vcf file missing",
         &MainWindow::按钮_VCF转CSV,
         folder_ / "missing.vcf",
         {"open VCF文件(*.vcf)|*.vcf", "提示: 转换失败！ [warning]"}},
        {"vcf file without a record asks for no target",
         &MainWindow::按钮_VCF转CSV,
         writeFile("empty.vcf", "not a vCard\r\n"),
         {"open VCF文件(*.vcf)|*.vcf", "提示: 转换失败！ [warning]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::testing::scriptDialogs();
        fill(before);
        ui::testing::setNextFile(c.source);

        (window_.*c.button)->click();

        EXPECT_EQ(shownDialogs(), c.dialogs);
        EXPECT_EQ(boxes(), before);
        EXPECT_EQ(ui::testing::unusedAnswers(), 0);
    }
}

TEST_F(Commands, VcfToCsvCancelledAtTheTargetWritesNothing) {
    ui::testing::setNextFile(writeFile("in.vcf", kAnnBob));
    ui::testing::setNextFile(std::nullopt);

    window_.按钮_VCF转CSV->click();

    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"open VCF文件(*.vcf)|*.vcf", "save CSV文件(*.csv)|*.csv"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(Commands, VcfToCsvThatCannotWriteFailsAndLeavesTheOldFileAsItWas) {
    const fs::path existing = writeFile("out.csv", "the user's own sheet");
    const fs::path source = writeFile("in.vcf", kAnnBob);
    ui::testing::setNextFile(source);
    ui::testing::setNextFile(unwritable("out.csv"));
    window_.按钮_VCF转CSV->click();
    file_io::testing::failNextWrites(1);
    ui::testing::setNextFile(source);
    ui::testing::setNextFile(existing);
    window_.按钮_VCF转CSV->click();

    const std::vector<std::string> once{"open VCF文件(*.vcf)|*.vcf", "save CSV文件(*.csv)|*.csv",
                                        "提示: 转换失败！ [warning]"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(shownDialogs(), twice);
    EXPECT_EQ(bytesOf(existing), "the user's own sheet");
}

// ---- The sample file.

// The sample goes to the temporary folder, which the tests point at their scratch folder.
class SampleCommand : public Commands {
  protected:
    void SetUp() override {
        Commands::SetUp();
        if (const char* old = std::getenv("TMPDIR")) oldTmpdir_ = old;
        ::setenv("TMPDIR", folder_.c_str(), 1);
    }
    void TearDown() override {
        if (oldTmpdir_)
            ::setenv("TMPDIR", oldTmpdir_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        Commands::TearDown();
    }

    // The user's own folder inside the temporary folder.
    fs::path sampleFolder() const { return folder_ / ("quenlo-" + std::to_string(::geteuid())); }

  private:
    std::optional<std::string> oldTmpdir_;
};

TEST_F(SampleCommand, WritesTheSampleIntoTheUsersTemporaryFolderAndOpensIt) {
    const fs::path sample = sampleFolder() / "csv格式.csv";
    window_.按钮_查看CSV标准格式->click();
    EXPECT_EQ(bytesOf(sample), SampleCsvText);

    // An older sample there is replaced.
    ASSERT_TRUE(file_io::writeFileAtomically(sample, "an older sample"));
    window_.按钮_查看CSV标准格式->click();

    EXPECT_EQ(shownDialogs(), std::vector<std::string>{});
    EXPECT_EQ(bytesOf(sample), SampleCsvText);
    EXPECT_EQ(shell::testing::recordedTargets(),
              (std::vector<std::string>{sample.string(), sample.string()}));
}

TEST_F(SampleCommand, ASampleThatCannotBeWrittenIsReportedAndNotOpened) {
    window_.按钮_查看CSV标准格式->click();
    const fs::path sample = sampleFolder() / "csv格式.csv";
    ASSERT_TRUE(file_io::writeFileAtomically(sample, "an older sample"));
    shell::testing::startRecording();
    ui::testing::clearShownDialogs();

    file_io::testing::failNextWrites(1);
    window_.按钮_查看CSV标准格式->click();
    ::setenv("TMPDIR", (sample / "below a file").c_str(), 1);
    window_.按钮_查看CSV标准格式->click();

    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"提示: 保存失败！ [warning]", "提示: 保存失败！ [warning]"}));
    EXPECT_EQ(bytesOf(sample), "an older sample");
    EXPECT_EQ(shell::testing::recordedTargets(), std::vector<std::string>{});
}

// ---- End to end, as a user would.

// Chinese text arrives from an input method as committed strings, not as key presses.
void typeText(QWidget* box, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) QTest::keyClick(box, Qt::Key_Return);
        QInputMethodEvent commit;
        commit.setCommitString(lines[i]);
        QApplication::sendEvent(box, &commit);
    }
}

TEST_F(Commands, TypedNamesAndNumbersAreGeneratedExportedAndConvertedBackToCsv) {
    window_.window().show();
    QWidget* names = testing::widgetNamed(window_, "编辑框_姓名");
    QWidget* numbers = testing::widgetNamed(window_, "编辑框_手机号");
    ASSERT_TRUE(names && numbers);

    typeText(names, QStringLiteral("张三\n李四"));
    QTest::keyClicks(numbers, "13800000001");
    QTest::keyClick(numbers, Qt::Key_Return);
    QTest::keyClicks(numbers, "139-0000-0002");
    EXPECT_EQ(count(), "2");

    QTest::mouseClick(testing::widgetNamed(window_, "按钮_生成VCF"), Qt::LeftButton);
    ui::testing::setNextFile(folder_ / "contacts");  // the dialog adds the extension
    QTest::mouseClick(testing::widgetNamed(window_, "按钮_导出VCF"), Qt::LeftButton);

    const std::string expectedVcf =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=B8=89\r\n"
        "TEL;CELL:13800000001\r\nBDAY:00000000\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=9D=8E=E5=9B=9B\r\n"
        "TEL;CELL:139-0000-0002\r\nBDAY:00000000\r\nEND:VCARD\r\n";
    EXPECT_EQ(bytesOf(folder_ / "contacts.vcf"), expectedVcf);

    ui::testing::setNextFile(folder_ / "contacts.vcf");
    ui::testing::setNextFile(folder_ / "contacts.csv");
    QTest::mouseClick(testing::widgetNamed(window_, "按钮_VCF转CSV"), Qt::LeftButton);

    EXPECT_EQ(bytesOf(folder_ / "contacts.csv"), "Name, Phone Number\r\n" + gbk("张三") + ",13800000001\r\n" +
                                                     gbk("李四") + ",139-0000-0002\r\n");
    EXPECT_EQ(shownDialogs(),
              (std::vector<std::string>{"提示: 生成VCF代码成功！ [information]", "save VCF文件(*.vcf)|*.vcf",
                                        "提示: 保存成功！ [information]", "open VCF文件(*.vcf)|*.vcf",
                                        "save CSV文件(*.csv)|*.csv", "提示: 转换成功！ [information]"}));
}

}  // namespace
}  // namespace quenlo::app
