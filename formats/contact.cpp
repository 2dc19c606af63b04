#include "formats/contact.h"

#include <algorithm>
#include <utility>

#include "formats/entries.h"

namespace quenlo {
namespace {

struct ProblemText {
    ReadProblem::Kind kind;
    std::string_view text;
};

constexpr ProblemText kProblemTexts[] = {
    {ReadProblem::Kind::OutsideRecord, "text outside any vCard record"},
    {ReadProblem::Kind::UnclosedRecord, "record without END:VCARD"},
    {ReadProblem::Kind::EndWithoutBegin, "END:VCARD without BEGIN:VCARD"},
    {ReadProblem::Kind::EmptyRecord, "record with neither name nor number, skipped"},
    {ReadProblem::Kind::MissingColon, "property line without ':', ignored"},
    {ReadProblem::Kind::UnknownCharset, "unknown character set, read as UTF-8 or GBK"},
    {ReadProblem::Kind::InvalidBytes, "invalid bytes replaced"},
    {ReadProblem::Kind::BadQuotedPrintable, "'=' not followed by two hexadecimal digits, kept as it is"},
    {ReadProblem::Kind::TooFewFields, "line with fewer than two fields, skipped"},
    {ReadProblem::Kind::UnclosedQuote, "double quote never closed"},
    {ReadProblem::Kind::TextAfterQuote, "text after a closing double quote, kept"},
};

}  // namespace

ContactList contactListFromTexts(std::string_view nameText, std::string_view numberText) {
    return {splitEntries(nameText), splitEntries(numberText)};
}

std::vector<Contact> pairContacts(const ContactList& list) {
    const std::size_t n = std::min(list.names.size(), list.numbers.size());
    std::vector<Contact> contacts;
    contacts.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        contacts.push_back({list.names[i], list.numbers[i]});
    return contacts;
}

std::string_view describe(ReadProblem::Kind kind) {
    for (const auto& entry : kProblemTexts)
        if (entry.kind == kind) return entry.text;
    return "problem";
}

}  // namespace quenlo
