#include "outlook/DraftMessage.h"

#include <chrono>
#include <cstdio>

#include "common/Text.h"
#include "outlook/MimeHeaders.h"
#include "outlook/QuotedPrintable.h"

namespace ostrel::standin {

std::string ComposeDraft(const DraftMail& mail) {
  std::string eml = "X-Unsent: 1\r\n";
  eml += "Date: " + mime::FormatDate(mail.date) + "\r\n";
  eml += "MIME-Version: 1.0\r\n";
  if (mail.to)
    eml += mime::AddressHeader("To", *mail.to);
  if (mail.subject && !mail.subject->empty())
    eml += mime::UnstructuredHeader("Subject", *mail.subject);
  eml += "Content-Type: text/html; charset=UTF-8\r\n";
  eml += "Content-Transfer-Encoding: quoted-printable\r\n";
  eml += "\r\n";
  eml += mime::EncodeQuotedPrintable(Utf16ToUtf8(mail.htmlBody));
  return eml;
}

String DraftFileName(std::int64_t date, int sequence) {
  using namespace std::chrono;
  const sys_seconds time{seconds(date)};
  const sys_days day = floor<days>(time);
  const year_month_day ymd{day};
  const hh_mm_ss<seconds> clock{time - day};
  char name[64];
  std::snprintf(name, sizeof name, "Quarro-%04d%02u%02u-%02d%02d%02d-%03d.eml",
                static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), sequence);
  return FromAscii(name);
}

}  // namespace ostrel::standin
