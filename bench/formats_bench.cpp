// Speed of the contact file formats at the sizes users bring: a phone book (10,000) and a bulk list
// (1,000,000).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formats/csv.h"
#include "formats/entries.h"
#include "formats/vcard.h"
#include "platform/codepage.h"

namespace {

// Three-character names from a pool of common characters and 11-digit numbers, one in twenty a
// repeat, as in lists gathered from several sources.
std::vector<quenlo::Contact> makeContacts(std::size_t count) {
    const std::string pool = quenlo::codepage::utf8ToGbk(
        "张王李赵刘陈杨黄周吴徐孙马朱胡郭何高林罗伟芳娜秀敏静丽强磊军洋勇艳杰涛明超");
    std::vector<quenlo::Contact> contacts;
    contacts.reserve(count);
    std::uint64_t state = 0x2545F4914F6CDD1DULL;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const std::size_t characters = pool.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        for (int k = 0; k < 3; ++k)
            name += pool.substr(2 * (next() % characters), 2);
        const std::uint64_t n = (i % 20 == 19) ? i / 2 : i;
        std::string number = "13" + std::to_string(100000000 + n % 900000000);
        contacts.push_back({std::move(name), std::move(number)});
    }
    return contacts;
}

const std::vector<quenlo::Contact>& contactsOf(std::size_t count) {
    static const std::vector<quenlo::Contact> small = makeContacts(10'000);
    static const std::vector<quenlo::Contact> large = makeContacts(1'000'000);
    return count == small.size() ? small : large;
}

void report(benchmark::State& state, std::size_t bytes) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * state.range(0)));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_formatVcfCode(benchmark::State& state) {
    const auto& contacts = contactsOf(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string code = quenlo::formatVcfCode(contacts);
        bytes = code.size();
        benchmark::DoNotOptimize(code.data());
    }
    report(state, bytes);
}

void BM_parseVcfCode(benchmark::State& state) {
    const std::string code = quenlo::formatVcfCode(contactsOf(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        auto result = quenlo::parseVcfCode(code);
        benchmark::DoNotOptimize(result.contacts.data());
    }
    report(state, code.size());
}

void BM_parseCsvFile(benchmark::State& state) {
    const std::string csv = quenlo::formatCsvFile(contactsOf(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        auto result = quenlo::parseCsvFile(csv);
        benchmark::DoNotOptimize(result.contacts.data());
    }
    report(state, csv.size());
}

void BM_dedupe(benchmark::State& state) {
    std::vector<std::string> numbers;
    for (const auto& c : contactsOf(static_cast<std::size_t>(state.range(0))))
        numbers.push_back(c.number);
    std::size_t bytes = 0;
    for (const auto& n : numbers)
        bytes += n.size() + 2;
    for (auto _ : state) {
        auto keep = quenlo::firstOccurrences(numbers);
        benchmark::DoNotOptimize(keep.data());
    }
    report(state, bytes);
}

BENCHMARK(BM_formatVcfCode)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parseVcfCode)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parseCsvFile)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_dedupe)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
