// How the window copes with a bulk list of 100,000 contacts: generating into the code box, pasting
// the numbers, and one typed character in a box that already holds them all (the live count runs on
// every change). Runs offscreen, with dialogs answered from a script.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "formats/entries.h"
#include "platform/codepage.h"
#include "platform/ui/testing.h"
#include "platform/ui/ui.h"

namespace {

using quenlo::app::MainWindow;

constexpr std::size_t kContacts = 100'000;

// Three-character names and 11-digit numbers, one a line, CR LF between, as pasted from a sheet.
struct Lists {
    std::string names;
    std::string numbers;
};

const Lists& lists() {
    static const Lists made = [] {
        const std::string pool = quenlo::codepage::utf8ToGbk("张王李赵刘陈杨黄周吴徐孙马朱胡郭何高林罗");
        const std::size_t characters = pool.size() / 2;
        Lists l;
        for (std::size_t i = 0; i < kContacts; ++i) {
            if (i > 0) {
                l.names += "\r\n";
                l.numbers += "\r\n";
            }
            for (std::size_t k = 0; k < 3; ++k)
                l.names += pool.substr(2 * ((i * 7 + k * 13) % characters), 2);
            l.numbers += "13" + std::to_string(100000000 + i);
        }
        return l;
    }();
    return made;
}

// A shown window, its events processed, so that drawing is part of what is measured.
std::unique_ptr<MainWindow> shownWindow() {
    auto window = std::make_unique<MainWindow>();
    window->window().show();
    QApplication::processEvents();
    return window;
}

// How long the window's thread went without taking its events: a timer that should tick every
// 5 ms notes the longest gap between ticks. This, not the whole time, is what the user feels as
// a stall while a long text is laid out on a worker thread.
class StallMeter {
  public:
    StallMeter() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(5);
        clock_.start();
    }
    // From the last tick (or the start) until now, then the next measure starts afresh.
    double longestMilliseconds() {
        tick();
        const double longest = static_cast<double>(longest_) / 1e6;
        longest_ = 0;
        return longest;
    }

  private:
    void tick() {
        longest_ = std::max(longest_, clock_.nsecsElapsed());
        clock_.restart();
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// Counts the longest stall over all iterations, in milliseconds.
void reportStall(benchmark::State& state, double longest) {
    state.counters["longest_stall_ms"] = longest;
}

// Click on "生成VCF代码" with 100,000 names and numbers: read both boxes, build the records, fill
// the code box (about 14.5 MB) and draw it.
void BM_GenerateIntoCodeBox(benchmark::State& state) {
    auto window = shownWindow();
    window->编辑框_姓名->setText(lists().names);
    window->编辑框_手机号->setText(lists().numbers);
    double longest = 0;
    for (auto _ : state) {
        StallMeter stall;
        window->按钮_生成VCF->click();
        QApplication::processEvents();
        longest = std::max(longest, stall.longestMilliseconds());
    }
    reportStall(state, longest);
    state.counters["code_bytes"] = static_cast<double>(window->编辑框_vcf代码区->text().size());
}
BENCHMARK(BM_GenerateIntoCodeBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of generation that is the code box taking its 14.5 MB of text.
void BM_FillCodeBox(benchmark::State& state) {
    auto window = shownWindow();
    window->编辑框_姓名->setText(lists().names);
    window->编辑框_手机号->setText(lists().numbers);
    window->按钮_生成VCF->click();
    const std::string code = window->编辑框_vcf代码区->text();
    double longest = 0;
    for (auto _ : state) {
        StallMeter stall;
        window->编辑框_vcf代码区->setText(code);
        QApplication::processEvents();
        longest = std::max(longest, stall.longestMilliseconds());
    }
    reportStall(state, longest);
}
BENCHMARK(BM_FillCodeBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading the 14.5 MB back out of the code box, as export does.
void BM_ReadCodeBox(benchmark::State& state) {
    auto window = shownWindow();
    window->编辑框_姓名->setText(lists().names);
    window->编辑框_手机号->setText(lists().numbers);
    window->按钮_生成VCF->click();
    for (auto _ : state)
        benchmark::DoNotOptimize(window->编辑框_vcf代码区->text());
}
BENCHMARK(BM_ReadCodeBox)->Unit(benchmark::kMillisecond);

// 100,000 numbers put into the number box at once, as a paste does, the count included.
void BM_PasteNumbers(benchmark::State& state) {
    auto window = shownWindow();
    double longest = 0;
    for (auto _ : state) {
        StallMeter stall;
        window->编辑框_手机号->setText(lists().numbers);
        QApplication::processEvents();
        longest = std::max(longest, stall.longestMilliseconds());
    }
    reportStall(state, longest);
}
BENCHMARK(BM_PasteNumbers)->Unit(benchmark::kMillisecond)->UseRealTime();

// The user's own paste of 100,000 numbers (Ctrl+V) into the emptied number box: the box inserts
// the text itself, then the count runs once.
void BM_PasteNumbersFromClipboard(benchmark::State& state) {
    auto window = shownWindow();
    QApplication::clipboard()->setText(
        QString::fromLatin1(lists().numbers.data(), static_cast<qsizetype>(lists().numbers.size())));
    QWidget* box = window->编辑框_手机号->widget();
    box->setFocus();
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->编辑框_手机号->setText("");
        QApplication::processEvents();
        state.ResumeTiming();
        StallMeter stall;
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QApplication::processEvents();
        longest = std::max(longest, stall.longestMilliseconds());
    }
    reportStall(state, longest);
    state.counters["count"] = std::stod(window->编辑框_号码数量->text());
}
BENCHMARK(BM_PasteNumbersFromClipboard)->Unit(benchmark::kMillisecond)->UseRealTime();

// One key typed at the end of a box that holds 100,000 lines, and taken back again: two changes per
// iteration, each followed by a repaint.
void typeIntoFullBox(benchmark::State& state, quenlo::ui::EditBox* box, const std::string& text) {
    box->setText(text);
    QWidget* widget = box->widget();
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(widget, Qt::Key_1);
        QApplication::processEvents();
        QTest::keyClick(widget, Qt::Key_Backspace);
        QApplication::processEvents();
    }
}

// In the number box every change also recounts.
void BM_TypeIntoFullNumberBox(benchmark::State& state) {
    auto window = shownWindow();
    typeIntoFullBox(state, window->编辑框_手机号, lists().numbers);
    state.counters["count"] = std::stod(window->编辑框_号码数量->text());
}
BENCHMARK(BM_TypeIntoFullNumberBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// The name box has no handler: what typing costs without the count.
void BM_TypeIntoFullNameBox(benchmark::State& state) {
    auto window = shownWindow();
    typeIntoFullBox(state, window->编辑框_姓名, lists().numbers);
}
BENCHMARK(BM_TypeIntoFullNameBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of one recount: reading the box's text, then counting its entries.
void BM_ReadNumberBox(benchmark::State& state) {
    auto window = shownWindow();
    window->编辑框_手机号->setText(lists().numbers);
    for (auto _ : state)
        benchmark::DoNotOptimize(window->编辑框_手机号->text());
}
BENCHMARK(BM_ReadNumberBox)->Unit(benchmark::kMillisecond);

void BM_CountEntries(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(quenlo::countEntries(lists().numbers));
}
BENCHMARK(BM_CountEntries)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    quenlo::ui::Application application(argc, argv);
    quenlo::ui::testing::scriptDialogs();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
