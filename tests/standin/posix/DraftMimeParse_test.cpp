// The drafts the Outlook stand-in writes, read by a real MIME parser: Python's
// standard email package. Linux only (it runs python3).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "posix/PosixFileSystem.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

// For each file named: a line "@@", then "key=<hex of UTF-8>" per item ("key=-"
// when absent), so no text needs quoting on the way back. To is given both as
// the parser's recipients ("name <address> | name:; | ...", a name alone being
// an empty group) and as decoded text. Header fields are taken as UTF-8, as a
// reader of RFC 6532 mail takes them; a local part beyond ASCII is what RFC
// 6532 allows, so Python's defect for it does not count.
constexpr const char* kReader = R"(
import email, email.policy, sys
def out(key, value):
    if isinstance(value, str): value = value.encode('utf-8', 'surrogateescape')
    print(key + '=' + ('-' if value is None else value.hex()))
for path in sys.argv[1:]:
    print('@@')
    raw = open(path, 'rb').read()
    m = email.message_from_bytes(raw, policy=email.policy.default)
    to = email.message_from_string(raw.decode('utf-8'), policy=email.policy.default)['To']
    subject = m['Subject']
    out('names', ','.join(m.keys()))
    out('defects', str(len(m.defects) + (len(subject.defects) if subject else 0)))
    out('to-defects', None if to is None else str(len(
        [d for d in to.defects if type(d).__name__ != 'NonASCIILocalPartDefect'])))
    out('unsent', m['X-Unsent'])
    out('date', m['Date'].datetime.isoformat())
    out('type', '%s %s %s %s' % (m.is_multipart(), m.get_content_type(), m.get_content_charset(),
                                 m['Content-Transfer-Encoding']))
    out('body', m.get_payload(decode=True))
    out('subject', None if subject is None else str(subject))
    def shown(group):
        mailboxes = ' | '.join('%s <%s>' % (a.display_name, a.addr_spec) for a in group.addresses)
        return mailboxes if group.display_name is None else group.display_name + ':' + mailboxes + ';'
    out('to', None if to is None else ' | '.join(shown(g) for g in to.groups))
    out('to-text', None if to is None else str(to))
)";

using Items = std::map<std::string, std::string>;

// The reader's items per file, after those of anything it printed before the
// first file (a traceback goes to the key "unparsed").
std::vector<Items> ReadWithPython(const std::filesystem::path& script,
                                  const std::vector<std::string>& emls, int& status) {
  std::string command = "python3 '" + script.string() + "'";
  for (const std::string& eml : emls)
    command += " '" + eml + "'";
  std::vector<Items> files(1);
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return files;
  }
  std::string output;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, got);
  status = ::pclose(pipe);
  for (std::size_t start = 0, end = 0; start < output.size(); start = end + 1) {
    end = std::min(output.find('\n', start), output.size());
    const std::string line = output.substr(start, end - start);
    const std::size_t equals = line.find('=');
    if (line == "@@") {
      files.emplace_back();
    } else if (equals == std::string::npos) {
      files.back()["unparsed"] += line + "\n";
    } else if (line.substr(equals + 1) == "-") {
      files.back()[line.substr(0, equals)] = "-";
    } else {
      std::string& value = files.back()[line.substr(0, equals)];
      for (std::size_t i = equals + 1; i + 1 < line.size(); i += 2)
        value += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
  }
  return files;
}

String Repeat(std::u16string_view piece, int times) {
  String out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

TEST(DraftMimeParse, PythonsEmailPackageReadsBackWhatWasSet) {
  const std::unique_ptr<test::TestPlatform> platform = test::MakeTestPlatform();
  const std::filesystem::path script = platform->TempDir() / "read_draft.py";
  std::ofstream(script) << kReader;
  standin::StandinApplication outlook(platform->services().files,
                                      platform->SystemPath(platform->TempDir() / "Outbox"),
                                      [] { return std::int64_t{1796706750}; });

  String eight;
  std::string eightParsed;
  for (int i = 0; i < 8; ++i) {
    const String recipient =
        u"R\u00e9cipient " + DecimalText(i) + u" <r" + DecimalText(i) + u"@x.org>";
    eight += recipient + u"; ";
    eightParsed += (i ? " | " : "") + Utf16ToUtf8(recipient);
  }
  struct Case {
    const char* name;
    std::optional<String> to;
    std::optional<String> subject;
    String html;
    std::string shownTo;       // the parser's addresses, or "text: " and To decoded as text
    const char* shownSubject;  // nullptr: the subject as set
  };
  const Case cases[] = {
      {"ascii", u"anna@example.com", u"Invoice 42", u"<p>Hello</p>", " <anna@example.com>",
       nullptr},
      {"accents", u"Anna M\u00fcller <a@example.com>; \"Smith, Bob\" <b@example.org>",
       u"Rechnung f\u00fcr Anna \u2014 Caf\u00e9", u"<p>Gr\u00fc\u00dfe, Zo\u00eb</p>\r\n",
       "Anna M\xC3\xBCller <a@example.com> | Smith, Bob <b@example.org>", nullptr},
      {"cjk", u"\u5c71\u7530 <taro@example.jp>", Repeat(u"\u8acb\u6c42\u66f8", 30),
       Repeat(u"<p>\u652f\u6255\u3044</p>", 40), "\xE5\xB1\xB1\xE7\x94\xB0 <taro@example.jp>",
       nullptr},
      {"emoji", u"Zo\u00eb \U0001F44B <zoe@example.com>", Repeat(u"Pay \U0001F600\U0001F4B6 ", 12),
       u"<p>\U0001F600 Thanks!</p>", "Zo\xC3\xAB \xF0\x9F\x91\x8B <zoe@example.com>", nullptr},
      {"long lines, equals signs", eight, Repeat(u"x", 1000) + u" a = b =?x?= c",
       Repeat(u"<a href=\"?cmd=_xclick&a=1\">", 30) + Repeat(u"y", 1000), eightParsed, nullptr},
      {"header injection", u"a@example.com\r\nBcc: v@example.com", u"Hi\r\nX-Evil: 1\nX-Worse: 2",
       u"<p>x</p>", "a@example.com Bcc: v@example.com:;", "Hi X-Evil: 1 X-Worse: 2"},
      {"names that are no addresses, odd spacing", u"M\u00fcller, Anna", u"\tTabbed  twice ",
       u"<p>a </p>\n<p>\tb</p>\r\n\r\n<p>c\r</p>  ", "M\xC3\xBCller:; | Anna:;", nullptr},
      // One unusual recipient takes no other along: each comes back on its own.
      {"an address beyond ASCII among others", u"ann@example.com, info@b\u00fccher.example", u"Hi",
       u"<p>x</p>",
       " <ann@example.com> |  <info@b\xC3\xBC"
       "cher.example>",
       nullptr},
      {"a name between addresses", u"ann@example.com; Bob Smith; carol@example.com", u"Hi",
       u"<p>x</p>", " <ann@example.com> | Bob Smith:; |  <carol@example.com>", nullptr},
      {"a local part beyond ASCII", u"J\u00f6rg <j\u00f6rg@example.de>; \"Lee, Ann\"", u"Hi",
       u"<p>x</p>", "J\xC3\xB6rg <j\xC3\xB6rg@example.de> | Lee, Ann:;", nullptr},
      {"nothing set", std::nullopt, std::nullopt, u"", "text: -", "-"},
  };

  std::vector<std::string> emls;
  for (const Case& c : cases) {
    auto item = outlook.CreateItem(host::outlook::olMailItem);
    if (c.to)
      item->SetTo(*c.to);
    if (c.subject)
      item->SetSubject(*c.subject);
    item->SetHTMLBody(c.html);
    item->Display();
    emls.push_back(posix::NativePath(outlook.Displayed().back().path));
  }
  int status = 0;
  std::vector<Items> read = ReadWithPython(script, emls, status);
  std::string unparsed;
  for (Items& items : read)
    unparsed += items["unparsed"];
  ASSERT_EQ(status, 0) << "python3 failed:\n" << unparsed;
  ASSERT_EQ(read.size(), std::size(cases) + 1) << unparsed;

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    Items& parsed = read[i + 1];
    SCOPED_TRACE(c.name);
    const std::string fields =
        c.to ? "X-Unsent,Date,MIME-Version,To,Subject," : "X-Unsent,Date,MIME-Version,";
    EXPECT_EQ(parsed["names"], fields + "Content-Type,Content-Transfer-Encoding");
    EXPECT_EQ(parsed["defects"], "0");
    EXPECT_EQ(parsed["unsent"], "1");
    EXPECT_EQ(parsed["date"], "2026-12-08T05:12:30+00:00");
    EXPECT_EQ(parsed["type"], "False text/html utf-8 quoted-printable");
    EXPECT_EQ(parsed["body"], Utf16ToUtf8(c.html)) << "the body decodes to the HTML exactly";
    EXPECT_EQ(parsed["subject"], c.shownSubject ? c.shownSubject : Utf16ToUtf8(*c.subject));
    if (c.shownTo.starts_with("text: ")) {
      EXPECT_EQ("text: " + parsed["to-text"], c.shownTo);
    } else {
      EXPECT_EQ(parsed["to"], c.shownTo);
      EXPECT_EQ(parsed["to-defects"], "0");
    }
  }
}

}  // namespace
}  // namespace ostrel
