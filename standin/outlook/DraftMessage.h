// An unsent draft as an Internet message file (.eml): what Outlook, Thunderbird
// and other mail programs open for editing, with the HTML body as the only part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/String.h"

namespace ostrel::standin {

struct DraftMail {
  std::int64_t date = 0;  // seconds since 1970-01-01 UTC
  std::optional<String> to;
  std::optional<String> subject;
  String htmlBody;
};

// The message file, lines ending in CRLF: "X-Unsent: 1" (mail programs open it
// as a draft to send rather than as a received message), Date in UTC, the
// recipients and subject when they hold any text, and the HTML body as UTF-8 in
// quoted-printable. There is no From field: the mail program fills in the
// sender when the user sends. `mail.date` must lie within
// [mime::kEarliestDate, mime::kLatestDate].
std::string ComposeDraft(const DraftMail& mail);

// "Quarro-20261208-051230-001.eml": the draft's UTC date and time, then a
// number that tells drafts of the same second apart. The number has three
// digits so that names sort in the order they were written (up to 999 drafts
// a second).
String DraftFileName(std::int64_t date, int sequence);

}  // namespace ostrel::standin
