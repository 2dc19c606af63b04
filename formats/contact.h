#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlo {

// One name and one mobile number, both code page 936 text as the user typed them.
struct Contact {
    std::string name;
    std::string number;

    bool operator==(const Contact&) const = default;
};

// The names and the numbers as two parallel lists: the n-th name and the n-th number form the n-th
// contact. The lists come from the two boxes (or two files), so their lengths may differ until the
// caller has checked them.
struct ContactList {
    std::vector<std::string> names;
    std::vector<std::string> numbers;
};

// Splits the name text and the number text into entries (see splitEntries).
ContactList contactListFromTexts(std::string_view nameText, std::string_view numberText);

// Pairs names and numbers by position. Only meaningful when both lists are equally long; extra
// entries of the longer list are left out.
std::vector<Contact> pairContacts(const ContactList& list);

// Something a reader met that the user may want to hear about: the line (1-based) where it was
// found and what was wrong; line 0 stands for the file as a whole. Reading goes on after a problem.
struct ReadProblem {
    enum class Kind {
        OutsideRecord,       // text between records that is not part of any record
        UnclosedRecord,      // BEGIN:VCARD without its END:VCARD (the record is still read)
        EndWithoutBegin,     // END:VCARD without a BEGIN:VCARD before it
        EmptyRecord,         // a record with neither name nor number
        MissingColon,        // a property line without ":"
        UnknownCharset,      // CHARSET= names a character set that cannot be converted
        InvalidBytes,        // bytes that are not valid in their character set, replaced by U+FFFD
        BadQuotedPrintable,  // "=" not followed by two hexadecimal digits
        TooFewFields,        // a CSV line with fewer than two fields
        UnclosedQuote,       // a CSV field whose opening double quote is never closed
        TextAfterQuote,      // a CSV field with text after its closing double quote
    };
    std::size_t line = 0;
    Kind kind = Kind::OutsideRecord;

    bool operator==(const ReadProblem&) const = default;
};

// A short English description of a problem kind, for messages and logs.
std::string_view describe(ReadProblem::Kind kind);

// What a reader delivers: the contacts in the order of the file, and the problems it met.
struct ReadResult {
    std::vector<Contact> contacts;
    std::vector<ReadProblem> problems;
};

// Receives contacts one by one as a reader meets them. The contact is valid only during the call.
using ContactSink = std::function<void(const Contact&)>;

}  // namespace quenlo
