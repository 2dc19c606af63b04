// Runs the built quenlo-vcf on small inputs and checks its bytes, messages and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "formats/vcard.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "test_paths.h"

namespace fs = std::filesystem;
using quenlo::file_io::readFile;
using quenlo::file_io::writeFileAtomically;

namespace {

struct Outcome {
    int exitCode = -1;
    bool signalled = false;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class QuenloVcf : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quenlo_vcf_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name, const std::string& bytes) {
        const fs::path p = dir_ / name;
        EXPECT_TRUE(writeFileAtomically(p, bytes));
        return p;
    }

    Outcome runTool(const std::vector<std::string>& args, const std::string& input = "") {
        const fs::path in = file(".stdin", input);
        std::string command =
            "cd " + quoted(dir_.string()) + " && " + quoted(std::string(QUENLO_BIN_DIR) + "/quenlo-vcf");
        for (const auto& a : args)
            command += " " + quoted(a);
        command += " <.stdin >.stdout 2>.stderr";
        const int status = std::system(command.c_str());
        Outcome r;
        r.signalled = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) >= 126);
        if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
        r.out = readFile(dir_ / ".stdout").value_or("<none>");
        r.err = readFile(dir_ / ".stderr").value_or("<none>");
        fs::remove(dir_ / ".stdin");
        fs::remove(dir_ / ".stdout");
        fs::remove(dir_ / ".stderr");
        return r;
    }

    std::size_t fileCount() const {
        return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
    }

    fs::path dir_;
};

std::string fixture(const std::string& name) {
    return readFile(std::string(QUENLO_TEST_DATA_DIR) + "/" + name).value_or("<missing fixture>");
}

const std::string kZhangSanRecord =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=B8=89\r\n"
    "TEL;CELL:13000000001\r\nBDAY:00000000\r\nEND:VCARD\r\n";
const std::string kLiSiRecord =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=9D=8E=E5=9B=9B\r\n"
    "TEL;CELL:13000000002\r\nBDAY:00000000\r\nEND:VCARD\r\n";

TEST_F(QuenloVcf, HelpAndUsageErrors) {
    const Outcome help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("quenlo-vcf generate NAMES.txt NUMBERS.txt [-o OUT.vcf]"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{}, "quenlo-vcf: no command given\n"},
        {{"convert", "a"}, "quenlo-vcf: unknown command 'convert'\n"},
        {{"csv2vcf"}, "quenlo-vcf: csv2vcf takes 1 input file, got 0\n"},
        {{"generate", "a"}, "quenlo-vcf: generate takes 2 input files, got 1\n"},
        {{"vcf2csv", "a", "-x"}, "quenlo-vcf: unknown option '-x' for vcf2csv\n"},
        {{"vcf2csv", "a", "--names", "b"}, "quenlo-vcf: unknown option '--names' for vcf2csv\n"},
        {{"sample", "-o"}, "quenlo-vcf: -o needs a file name\n"},
        {{"sample", "-o", "a", "-o", "b"}, "quenlo-vcf: -o given twice\n"},
        {{"dedupe", "a", "--names", "b"}, "quenlo-vcf: --names and --names-out go together\n"},
        {{"generate", "-", "-"}, "quenlo-vcf: standard input can be read only once\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome r = runTool(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, c.message + "Try 'quenlo-vcf --help'.\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(QuenloVcf, GeneratePairsEntriesFromUtf8OrGbkFiles) {
    file("names.txt",
         "  \xE5\xBC\xA0\xE4\xB8\x89\r\n\r\n\xE6\x9D\x8E\xE5\x9B\x9B\t\n");  // UTF-8, blanks around
    file("names-gbk.txt", "\xD5\xC5\xC8\xFD\r\n\xC0\xEE\xCB\xC4\r\n");
    file("numbers.txt", "13000000001\n13000000002");
    const Outcome toStdout = runTool({"generate", "names.txt", "numbers.txt"});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, kZhangSanRecord + kLiSiRecord);
    EXPECT_EQ(toStdout.err, "");

    const Outcome toFile =
        runTool({"generate", "names-gbk.txt", "-", "-o", "out.vcf"}, "13000000001\n13000000002\n");
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readFile(dir_ / "out.vcf").value_or(""), kZhangSanRecord + kLiSiRecord);
}

TEST_F(QuenloVcf, GenerateRefusesWithTheWindowsMessages) {
    file("names.txt", "\xD5\xC5\xC8\xFD\r\n");
    file("two.txt", "1\r\n2\r\n");
    file("blank.txt", " \r\n\r\n");
    file("old.vcf", "previous");
    struct Case {
        std::string names, numbers, message;
    };
    const Case cases[] = {
        {"names.txt", "blank.txt", "quenlo-vcf: 请先输入姓名与手机号码\n"},
        {"blank.txt", "two.txt", "quenlo-vcf: 请先输入姓名与手机号码\n"},
        {"names.txt", "two.txt", "quenlo-vcf: 姓名与手机号码数量要保持一致！\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::size_t files = fileCount();
        const Outcome r = runTool({"generate", c.names, c.numbers, "-o", "old.vcf"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(readFile(dir_ / "old.vcf").value_or(""), "previous");
        EXPECT_EQ(fileCount(), files);
    }
}

TEST_F(QuenloVcf, ConvertsBothWays) {
    file("sample.csv", std::string(quenlo::SampleCsvText));
    const Outcome toVcf = runTool({"csv2vcf", "sample.csv", "-o", "sample.vcf"});
    EXPECT_EQ(toVcf.exitCode, 0);
    EXPECT_EQ(toVcf.err, "");
    const std::string vcf = readFile(dir_ / "sample.vcf").value_or("");
    EXPECT_EQ(vcf, quenlo::formatVcfCode(quenlo::parseCsvFile(quenlo::SampleCsvText).contacts));

    const Outcome back = runTool({"vcf2csv", "-"}, vcf);
    EXPECT_EQ(back.exitCode, 0);
    EXPECT_EQ(back.out, quenlo::SampleCsvText);

    const Outcome phone = runTool({"vcf2csv", std::string(QUENLO_TEST_DATA_DIR) + "/vcard/export-3.0.vcf"});
    EXPECT_EQ(phone.exitCode, 0);
    EXPECT_EQ(phone.out, fixture("vcard/export-3.0.csv"));
}

TEST_F(QuenloVcf, WarnsAboutProblemsWithLineNumbers) {
    file("cut.vcf", fixture("vcard/truncated.vcf"));
    const Outcome cut = runTool({"vcf2csv", "cut.vcf"});
    EXPECT_EQ(cut.exitCode, 0);
    EXPECT_EQ(cut.out, fixture("vcard/truncated.csv"));
    EXPECT_EQ(cut.err, "quenlo-vcf: cut.vcf:7: record without END:VCARD\n");

    std::string many = "Name,Phone\r\n";
    for (int i = 0; i < 12; ++i)
        many += "lonely\r\n";
    many += "a,1\r\n";
    const Outcome r = runTool({"csv2vcf", "-"}, many);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("quenlo-vcf: <stdin>:2: line with fewer than two fields, skipped\n"),
              std::string::npos);
    EXPECT_NE(r.err.find("quenlo-vcf: <stdin>: 2 more problems\n"), std::string::npos);
}

TEST_F(QuenloVcf, FailsWithoutLeavingAnOutputFile) {
    file("header.csv", "Name, Phone Number\r\n");
    file("text.vcf", "no records here\r\n");
    file("plain", "x");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"csv2vcf", "header.csv", "-o", "out"}, "quenlo-vcf: header.csv: no contact found\n"},
        {{"vcf2csv", "text.vcf", "-o", "out"},
         "quenlo-vcf: text.vcf:1: text outside any vCard record\n"
         "quenlo-vcf: text.vcf: no vCard record with a name or number found\n"},
        {{"vcf2csv", "missing.vcf", "-o", "out"}, "quenlo-vcf: missing.vcf: no such file\n"},
        {{"csv2vcf", ".", "-o", "out"}, "quenlo-vcf: cannot read .\n"},
        {{"dedupe", "-", "-o", "out"}, "quenlo-vcf: <stdin>: no numbers\n"},
        {{"sample", "-o", "plain/out"}, "quenlo-vcf: cannot write plain/out\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::size_t files = fileCount();
        const Outcome r = runTool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(fileCount(), files);
    }
}

TEST_F(QuenloVcf, DedupeKeepsFirstOccurrencesAndPairs) {
    file("numbers.txt",
         "130 0000 0001\r\n13000000001\r\n+8613000000002\r\n\r\n130-0000-0002\r\n0086 15000000003\n");
    file("names.txt", "a\r\nb\r\nc\r\nd\r\ne\r\n");
    const Outcome plain = runTool({"dedupe", "numbers.txt"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, "130 0000 0001\r\n+8613000000002\r\n0086 15000000003\r\n");

    const Outcome paired =
        runTool({"dedupe", "numbers.txt", "--names", "names.txt", "--names-out", "kept-names.txt"});
    EXPECT_EQ(paired.exitCode, 0);
    EXPECT_EQ(paired.out, plain.out);
    EXPECT_EQ(readFile(dir_ / "kept-names.txt").value_or(""), "a\r\nc\r\ne\r\n");

    file("short.txt", "a\r\n");
    const Outcome mismatch =
        runTool({"dedupe", "numbers.txt", "--names", "short.txt", "--names-out", "x.txt"});
    EXPECT_EQ(mismatch.exitCode, 1);
    EXPECT_EQ(mismatch.err, "quenlo-vcf: 姓名与手机号码数量要保持一致！\n");
    EXPECT_FALSE(fs::exists(dir_ / "x.txt"));
}

TEST_F(QuenloVcf, DedupeReadsUtf8ListsAsTheirCharacters) {
    // The byte-order mark must not stick to the first number and hide its repeat.
    file("numbers.txt",
         "\xEF\xBB\xBF"
         "13000000001\r\n13000000001\r\n15000000002\r\n");
    file("names.txt", "张三\r\n李四\r\n王五\r\n");
    const Outcome r = runTool({"dedupe", "numbers.txt", "--names", "names.txt", "--names-out", "kept.txt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "13000000001\r\n15000000002\r\n");
    EXPECT_EQ(readFile(dir_ / "kept.txt").value_or(""), quenlo::codepage::utf8ToGbk("张三\r\n王五\r\n"));
}

TEST_F(QuenloVcf, SampleToStandardOutputFileOrFolder) {
    EXPECT_EQ(runTool({"sample"}).out, quenlo::SampleCsvText);
    EXPECT_EQ(runTool({"sample", "-o", "s.csv"}).exitCode, 0);
    EXPECT_EQ(readFile(dir_ / "s.csv").value_or(""), quenlo::SampleCsvText);
    fs::create_directories(dir_ / "folder");
    EXPECT_EQ(runTool({"sample", "-o", "folder"}).exitCode, 0);
    EXPECT_EQ(readFile(quenlo::sampleCsvFilePath(dir_ / "folder")).value_or(""), quenlo::SampleCsvText);
}

TEST_F(QuenloVcf, AnyInputEndsWithSuccessOrFailureNeverASignal) {
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        std::string bytes(random() % 400, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 256);
        if (round % 2) bytes = "BEGIN:VCARD\r\nN;QUOTED-PRINTABLE:=\r\n" + bytes;
        for (const char* command : {"csv2vcf", "vcf2csv", "dedupe"}) {
            SCOPED_TRACE(std::string(command) + " round " + std::to_string(round));
            const Outcome r = runTool({command, "-"}, bytes);
            EXPECT_FALSE(r.signalled);
            EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << " " << r.err;
        }
    }
}

}  // namespace
