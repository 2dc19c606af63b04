// quenlo-vcf: the conversions of the window, for long lists and scripts.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/contact.h"
#include "formats/csv.h"
#include "formats/entries.h"
#include "formats/vcard.h"
#include "platform/file_io.h"

namespace {

namespace fs = std::filesystem;
using namespace quenlo;

constexpr std::string_view kUsage =
    "quenlo-vcf: contact lists to vCard 2.1 and back (text in code page 936, GBK)\n"
    "\n"
    "Usage:\n"
    "  quenlo-vcf generate NAMES.txt NUMBERS.txt [-o OUT.vcf]\n"
    "      pair names and numbers (one per line, by position) into vCard records\n"
    "  quenlo-vcf csv2vcf IN.csv [-o OUT.vcf]\n"
    "      convert a CSV contact file (name,number per line) into vCard records\n"
    "  quenlo-vcf vcf2csv IN.vcf [-o OUT.csv]\n"
    "      convert a vCard file (2.1, 3.0 or 4.0) into a CSV contact file\n"
    "  quenlo-vcf dedupe NUMBERS.txt [--names NAMES.txt --names-out OUT2.txt] [-o OUT.txt]\n"
    "      remove repeated numbers, keeping the first of each; with --names, the names\n"
    "      of removed numbers go too, so that the two lists stay paired\n"
    "  quenlo-vcf sample [-o FILE]\n"
    "      the sample CSV file (-o FOLDER writes csv\xE6\xA0\xBC\xE5\xBC\x8F.csv into it)\n"
    "\n"
    "Without -o the result goes to standard output. '-' as an input reads standard input.\n"
    "Input in UTF-8 (with or without byte-order mark) is converted; output is GBK.\n"
    "Output files are written whole or not at all.\n"
    "Exit status: 0 success, 1 unreadable input or nothing to convert, 2 usage error.\n";

enum ExitCode { kSuccess = 0, kFailure = 1, kUsageError = 2 };

// A failure that ends the run: a one-line reason and the exit code.
struct Stop {
    ExitCode code;
    std::string reason;
};

struct Arguments {
    std::string command;
    std::vector<std::string> inputs;
    std::optional<std::string> output;
    std::optional<std::string> names;
    std::optional<std::string> namesOut;
};

struct CommandShape {
    std::string_view name;
    std::size_t inputs;
    bool takesNames;
};

constexpr CommandShape kCommands[] = {
    {"generate", 2, false}, {"csv2vcf", 1, false}, {"vcf2csv", 1, false},
    {"dedupe", 1, true},    {"sample", 0, false},
};

const CommandShape* findCommand(std::string_view name) {
    for (const auto& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

Stop usage(std::string reason) {
    return {kUsageError, std::move(reason)};
}

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments a;
    if (args.empty()) throw usage("no command given");
    a.command = args[0];
    const CommandShape* shape = findCommand(a.command);
    if (!shape) throw usage("unknown command '" + a.command + "'");
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::optional<std::string>& slot) {
            if (slot) throw usage(arg + " given twice");
            if (i + 1 >= args.size()) throw usage(arg + " needs a file name");
            slot = args[++i];
        };
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            a.inputs.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-o" || arg == "--output") {
            value(a.output);
        } else if ((arg == "--names" || arg == "--names-out") && shape->takesNames) {
            value(arg == "--names" ? a.names : a.namesOut);
        } else {
            throw usage("unknown option '" + arg + "' for " + a.command);
        }
    }
    if (a.inputs.size() != shape->inputs)
        throw usage(a.command + " takes " + std::to_string(shape->inputs) + " input file" +
                    (shape->inputs == 1 ? "" : "s") + ", got " + std::to_string(a.inputs.size()));
    if (a.names.has_value() != a.namesOut.has_value()) throw usage("--names and --names-out go together");
    std::size_t fromStdin = 0;
    for (const auto& in : a.inputs)
        fromStdin += in == "-";
    if (a.names == "-") ++fromStdin;
    if (fromStdin > 1) throw usage("standard input can be read only once");
    return a;
}

std::string displayName(const std::string& input) {
    return input == "-" ? "<stdin>" : input;
}

// An input's bytes: a regular file is mapped rather than copied, which spares a large file both the
// copy and the zero-filled buffer it would be read into.
class Input {
  public:
    explicit Input(const std::string& name) {
        if (name == "-") {
            if (!readAll(STDIN_FILENO)) throw Stop{kFailure, "cannot read standard input"};
            return;
        }
        const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw Stop{kFailure, errno == ENOENT ? name + ": no such file" : "cannot read " + name};
        struct stat info {};
        bool ok = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
        if (ok && S_ISREG(info.st_mode) && info.st_size > 0) {
            size_ = static_cast<std::size_t>(info.st_size);
            void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (map != MAP_FAILED) {
                map_ = map;
                ::madvise(map_, size_, MADV_SEQUENTIAL);
            }
        }
        if (ok && !map_) ok = readAll(fd);
        ::close(fd);
        if (!ok) throw Stop{kFailure, "cannot read " + name};
    }
    ~Input() {
        if (map_) ::munmap(map_, size_);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    std::string_view bytes() const {
        return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(copy_);
    }

  private:
    bool readAll(int fd) {
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) return true;
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            copy_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    void* map_ = nullptr;
    std::size_t size_ = 0;
    std::string copy_;
};

void writeOutput(const std::optional<std::string>& name, std::string_view bytes) {
    if (!name || *name == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
            throw Stop{kFailure, "cannot write to standard output"};
        return;
    }
    if (!file_io::writeFileAtomically(fs::path(*name), bytes)) throw Stop{kFailure, "cannot write " + *name};
}

// The problems a reader met, as warnings: the first few in full, then how many more there were.
void warn(const std::string& source, const std::vector<ReadProblem>& problems) {
    constexpr std::size_t kShown = 10;
    const std::string where = displayName(source);
    for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) {
        std::cerr << "quenlo-vcf: " << where;
        if (problems[i].line > 0) std::cerr << ':' << problems[i].line;
        std::cerr << ": " << describe(problems[i].kind) << '\n';
    }
    if (problems.size() > kShown)
        std::cerr << "quenlo-vcf: " << where << ": " << problems.size() - kShown << " more problems\n";
}

std::string linesOf(const std::vector<std::string>& entries, const std::vector<std::size_t>& keep) {
    std::string out;
    std::size_t size = 0;
    for (std::size_t i : keep)
        size += entries[i].size() + 2;
    out.reserve(size);
    for (std::size_t i : keep) {
        out += entries[i];
        out += "\r\n";
    }
    return out;
}

void generate(const Arguments& a) {
    const std::string names = textFileToGbk(Input(a.inputs[0]).bytes());
    const std::string numbers = textFileToGbk(Input(a.inputs[1]).bytes());
    const ContactList list = contactListFromTexts(names, numbers);
    if (list.names.empty() || list.numbers.empty()) throw Stop{kFailure, "请先输入姓名与手机号码"};
    if (list.names.size() != list.numbers.size()) throw Stop{kFailure, "姓名与手机号码数量要保持一致！"};
    writeOutput(a.output, formatVcfCode(pairContacts(list)));
}

void convert(const Arguments& a, Conversion (*conversion)(std::string_view), std::string_view nothing) {
    const Conversion result = conversion(Input(a.inputs[0]).bytes());
    warn(a.inputs[0], result.problems);
    if (!result.succeeded()) throw Stop{kFailure, displayName(a.inputs[0]) + ": " + std::string(nothing)};
    writeOutput(a.output, result.text);
}

void dedupe(const Arguments& a) {
    // Like generate, read UTF-8 lists (and their byte-order mark) as the code page they are written in.
    const std::vector<std::string> numbers = splitEntries(textFileToGbk(Input(a.inputs[0]).bytes()));
    if (numbers.empty()) throw Stop{kFailure, displayName(a.inputs[0]) + ": no numbers"};
    const std::vector<std::size_t> keep = firstOccurrences(numbers);
    if (!a.names) {
        writeOutput(a.output, linesOf(numbers, keep));
        return;
    }
    const std::vector<std::string> names = splitEntries(textFileToGbk(Input(*a.names).bytes()));
    if (names.size() != numbers.size()) throw Stop{kFailure, "姓名与手机号码数量要保持一致！"};
    // Names first: if they cannot be written, the numbers stay as they were too.
    writeOutput(a.namesOut, linesOf(names, keep));
    writeOutput(a.output, linesOf(numbers, keep));
}

void sample(const Arguments& a) {
    std::error_code ec;
    if (a.output && fs::is_directory(fs::path(*a.output), ec)) {
        if (!writeSampleCsvFile(fs::path(*a.output)))
            throw Stop{kFailure, "cannot write " + sampleCsvFilePath(*a.output).string()};
        return;
    }
    writeOutput(a.output, SampleCsvText);
}

int run(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return std::cout.flush() ? kSuccess : kFailure;
        }
    }
    const Arguments a = parseArguments(args);
    if (a.command == "generate")
        generate(a);
    else if (a.command == "csv2vcf")
        convert(a, convertCsvToVcf, "no contact found");
    else if (a.command == "vcf2csv")
        convert(a, convertVcfToCsv, "no vCard record with a name or number found");
    else if (a.command == "dedupe")
        dedupe(a);
    else
        sample(a);
    return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe downstream is an ordinary write failure here, not a reason to die by a signal.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return run(args);
    } catch (const Stop& stop) {
        std::cerr << "quenlo-vcf: " << stop.reason << '\n';
        if (stop.code == kUsageError) std::cerr << "Try 'quenlo-vcf --help'.\n";
        return stop.code;
    } catch (const std::bad_alloc&) {
        std::cerr << "quenlo-vcf: out of memory\n";
        return kFailure;
    }
}
