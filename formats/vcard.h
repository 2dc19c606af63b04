#pragma once

#include <span>
#include <string>
#include <string_view>

#include "formats/contact.h"

// vCard 2.1 records, one per contact, as the tool writes them:
//
//   BEGIN:VCARD
//   VERSION:2.1
//   N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:<name as quoted-printable UTF-8>
//   TEL;CELL:<number>
//   BDAY:00000000
//   END:VCARD
//
// every line ending with CR LF. The reader takes far more than this: what phones and address books
// export in vCard 2.1, 3.0 and 4.0.
namespace quenlo {

// The name value of a record: the name's UTF-8 bytes in quoted-printable form (upper-case hex),
// printable ASCII written as itself, ";" and "\" written as the vCard escapes "\;" and "\\".
std::string encodeVcardName(std::string_view name);

// The inverse of encodeVcardName: quoted-printable (either case of hex, soft breaks allowed) and
// backslash escapes undone, UTF-8 converted to code page 936. Invalid bytes are counted in
// `invalid` when the caller asks.
std::string decodeVcardName(std::string_view value, std::size_t* invalid = nullptr);

// One record, from "BEGIN:VCARD" to the CR LF after "END:VCARD". A CR or LF in the number becomes
// a space, so that no value can add a line to the record.
std::string formatVcardRecord(const Contact& contact);

// The records of all contacts in order, each ending with CR LF; empty for no contacts.
std::string formatVcfCode(std::span<const Contact> contacts);

// Appends one record to `out`, as formatVcardRecord writes it.
void appendVcardRecord(std::string& out, const Contact& contact);

// An estimate of the room one record takes, for reserving: enough for names of Chinese characters
// and plain ASCII.
std::size_t vcardRecordSizeHint(const Contact& contact);

// Reads every record in order and hands each contact to `each` as soon as it is read, so a long file
// need not be held twice; the problems go into `problems`.
void readVcfCode(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems);

// Reads every record of a text (a VCF code or a .vcf file) into contacts, in the order of the
// records, with the problems met on the way. A text without any record gives no contacts.
ReadResult parseVcfCode(std::string_view text);

}  // namespace quenlo
