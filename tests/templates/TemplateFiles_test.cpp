// The template files laid out beside the add-in: each holds one payment button,
// uses only placeholders the composer fills for the request types it serves,
// is a fragment (the composer adds the frame), and is Windows-1252 text with
// CR LF line ends, as the files are read byte for byte in the ANSI code page.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/Text.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

using Names = std::set<std::string>;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The placeholders filled for every request: the sender's details.
const Names kSender = {"[firstname]", "[lastname]", "[company]",    "[address]",    "[city]",
                       "[state]",     "[zip]",      "[providence]", "[postalcode]", "[quarroid]"};
// The placeholders filled from each type's page.
const Names kGeneral = {"[amount]", "[note]"};
const Names kProduct = {"[to]",          "[subject]",       "[buyerfirstname]", "[buyerlastname]",
                        "[productname]", "[productnumber]", "[quantity]",       "[amount]",
                        "[shipping]",    "[total]",         "[currency]"};
const Names kService = {"[to]",          "[subject]", "[buyerfirstname]", "[buyerlastname]",
                        "[description]", "[amount]",  "[currency]"};
const Names kAuction = {"[to]", "[note]", "[itemnumber]"};
const Names kDonation = {"[to]", "[subject]", "[donorfirstname]", "[donorlastname]", "[note]"};
const Names kNone = {};

// Every "[Word]" of the text, in lower case.
std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> found;
  for (std::size_t open = text.find('['); open != std::string::npos;
       open = text.find('[', open + 1)) {
    std::size_t end = open + 1;
    while (end < text.size() &&
           ((text[end] >= 'A' && text[end] <= 'Z') || (text[end] >= 'a' && text[end] <= 'z')))
      ++end;
    if (end > open + 1 && end < text.size() && text[end] == ']')
      found.push_back(Lower(text.substr(open, end - open + 1)));
  }
  return found;
}

// Why the bytes are not Windows-1252 text with CR LF line ends; "" when they are.
std::string EncodingProblem(const std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF"))
    return "starts with a UTF-8 byte order mark";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const std::string at = " at byte " + std::to_string(i);
    // Bytes the code page leaves undefined.
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
      return "undefined byte" + at;
    if (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n')
      return "control character" + at;
    if (byte == '\n' && (i == 0 || bytes[i - 1] != '\r'))
      return "bare LF" + at;
    if (byte == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
      return "bare CR" + at;
    // A UTF-8 sequence (a lead byte and its continuation) is a file saved in
    // the wrong encoding: read as Windows-1252 it shows as two odd characters.
    if (byte >= 0xC2 && byte <= 0xF4 && i + 1 < bytes.size() &&
        (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80)
      return "UTF-8 sequence" + at;
  }
  return bytes.find("\r\n") == std::string::npos ? "no line ends" : "";
}

TEST(TemplateFiles, AreButtonFragmentsWithKnownPlaceholdersInWindows1252) {
  auto platform = test::MakeTestPlatform();
  host::FileSystem& files = platform->services().files;
  const String folder = test::AddinFolder();

  struct Template {
    const char16_t* name;
    const Names& typeNames;  // the page placeholders allowed besides the sender's
  };
  const Template templates[] = {
      {u"Template0.txt", kGeneral},
      {u"Template1.txt", kProduct},
      {u"Template2.txt", kService},
      {u"Template3.txt", kAuction},
      {u"Template4.txt", kDonation},
      // Loaded from the chooser for any type, so only the sender's details...
      {u"Templates\\Friendly.txt", kNone},
      {u"Templates\\Formal.txt", kNone},
      {u"Templates\\Minimal.txt", kNone},
      // ...except the invoice, which is for product sales.
      {u"Templates\\Invoice.txt", kProduct},
  };
  for (const Template& t : templates) {
    const std::string name = Utf16ToUtf8(t.name);
    SCOPED_TRACE(name);
    const String path = folder + u"\\" + t.name;
    ASSERT_TRUE(files.FindFirstFile(path)) << "not laid out beside the add-in";
    const AnsiString bytes = files.ReadFile(path);

    EXPECT_EQ(EncodingProblem(bytes), "");

    int buttons = 0;
    int pagePlaceholders = 0;
    for (const std::string& placeholder : Placeholders(bytes)) {
      if (placeholder == "[button]") {
        ++buttons;
      } else if (t.typeNames.count(placeholder) != 0) {
        ++pagePlaceholders;
      } else {
        EXPECT_EQ(kSender.count(placeholder), 1u) << placeholder << " is not filled here";
      }
    }
    EXPECT_EQ(buttons, 1) << "[BUTTON] count";
    if (!t.typeNames.empty()) {
      EXPECT_GT(pagePlaceholders, 0) << "uses none of its page's values";
    }

    // The composer wraps the text in its own frame.
    const std::string lower = Lower(bytes);
    for (const char* tag : {"<html", "<head", "<body", "</html", "</body"})
      EXPECT_EQ(lower.find(tag), std::string::npos) << tag;
  }
}

// The checks themselves: each fault they exist for is found.
TEST(TemplateFiles, EncodingCheckFindsEachFault) {
  struct Case {
    std::string bytes;
    std::string problem;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", ""},
      {"caf\xE9 \x80 5\r\n", ""},  // e acute and the euro sign in Windows-1252
      {"a\nb\r\n", "bare LF at byte 1"},
      {"a\r\nb\r", "bare CR at byte 4"},
      {"\xEF\xBB\xBF<p>\r\n", "starts with a UTF-8 byte order mark"},
      {"caf\xC3\xA9\r\n", "UTF-8 sequence at byte 3"},
      {"x\x81\r\n", "undefined byte at byte 1"},
      {"x\x01\r\n", "control character at byte 1"},
      {"[BUTTON]", "no line ends"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EncodingProblem(c.bytes), c.problem) << c.bytes;

  const std::vector<std::string> expected = {"[button]", "[firstname]", "[zip]"};
  EXPECT_EQ(Placeholders("[BUTTON] [FirstName] [x1] [] [ZIP] [ not] [a b]"), expected);
}

}  // namespace
}  // namespace ostrel
