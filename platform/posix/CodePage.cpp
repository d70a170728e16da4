#include "posix/CodePage.h"

#include <cerrno>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace ostrel::posix {
namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool IsSingleByte(unsigned number) {
  return number == 874 || (number >= 1250 && number <= 1258);
}
bool IsDoubleByte(unsigned number) {
  return number == 932 || number == 936 || number == 949 || number == 950;
}

iconv_t Open(const std::string& to, const std::string& from) {
  const iconv_t descriptor = ::iconv_open(to.c_str(), from.c_str());
  if (descriptor == kNoDescriptor)
    throw std::invalid_argument("iconv cannot convert from " + from + " to " + to);
  return descriptor;
}

// One conversion step: as much of the input as converts; false (errno set) at
// a sequence that does not.
bool Convert(iconv_t descriptor, const char*& in, std::size_t& inLeft, char*& out,
             std::size_t& outLeft) {
  char* input = const_cast<char*>(in);  // iconv's historical signature
  const std::size_t done = ::iconv(descriptor, &input, &inLeft, &out, &outLeft);
  in = input;
  return done != static_cast<std::size_t>(-1);
}

void Reset(iconv_t descriptor) {
  ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
}

std::string Utf16Le(const String& text) {
  std::string bytes(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

}  // namespace

CodePage::CodePage(unsigned number)
    : number_(number), doubleByte_(IsDoubleByte(number)), encode_() {
  if (!IsSingleByte(number) && !doubleByte_)
    throw std::invalid_argument("no ANSI code page " + std::to_string(number));
  const std::string name = "CP" + std::to_string(number);
  if (doubleByte_) {
    toAnsi_ = Open(name, "UTF-16LE");
    fromAnsi_ = Open("UTF-16LE", name);
    return;
  }

  // A single-byte page is asked once for each of its bytes.
  const iconv_t descriptor = Open("UTF-16LE", name);
  std::array<bool, 256> assigned{};
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    const char* in = &byte;
    std::size_t inLeft = 1;
    char unit[4] = {};
    char* out = unit;
    std::size_t outLeft = sizeof unit;
    // The pages with combining marks (1255, 1258) hold a character back until
    // the end of the input, in case a mark follows: flush it out.
    assigned[b] = Convert(descriptor, in, inLeft, out, outLeft) &&
                  ::iconv(descriptor, nullptr, nullptr, &out, &outLeft) == 0 && outLeft == 2;
    Reset(descriptor);
    if (assigned[b])
      decode_[b] = static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                         (static_cast<unsigned char>(unit[1]) << 8));
  }
  ::iconv_close(descriptor);

  encode_.assign(0x10000, -1);
  for (int b = 0; b < 256; ++b)
    if (assigned[b])
      encode_[decode_[b]] = static_cast<std::int16_t>(b);
  // An unassigned byte stands for the character of its own number, unless the
  // page gives that character another byte.
  for (int b = 0; b < 256; ++b) {
    if (assigned[b])
      continue;
    if (encode_[b] < 0) {
      decode_[b] = static_cast<char16_t>(b);
      encode_[b] = static_cast<std::int16_t>(b);
    } else {
      decode_[b] = u'\xFFFD';
    }
  }
}

CodePage::~CodePage() {
  if (toAnsi_ != kNoDescriptor)
    ::iconv_close(toAnsi_);
  if (fromAnsi_ != kNoDescriptor)
    ::iconv_close(fromAnsi_);
}

const CodePage& CodePage::Get(unsigned number) {
  static std::mutex mutex;
  static std::map<unsigned, std::unique_ptr<CodePage>> pages;
  const std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<CodePage>& page = pages[number];
  if (page == nullptr)
    page = std::make_unique<CodePage>(number);
  return *page;
}

AnsiString CodePage::ToAnsi(const String& text) const {
  if (doubleByte_)
    return ToAnsiDoubleByte(text);
  AnsiString out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::int16_t byte = encode_[text[i]];
    out[i] = byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

String CodePage::FromAnsi(const AnsiString& bytes) const {
  if (doubleByte_)
    return FromAnsiDoubleByte(bytes);
  String out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out[i] = decode_[static_cast<unsigned char>(bytes[i])];
  return out;
}

AnsiString CodePage::ToAnsiDoubleByte(const String& text) const {
  const std::string wide = Utf16Le(text);
  // At most two bytes for each code unit.
  AnsiString out(text.size() * 2, '\0');
  const char* in = wide.data();
  std::size_t inLeft = wide.size();
  char* next = out.data();
  std::size_t outLeft = out.size();
  const std::lock_guard<std::mutex> lock(mutex_);
  while (inLeft > 0) {
    if (Convert(toAnsi_, in, inLeft, next, outLeft))
      break;
    // A code unit the page lacks (a lone surrogate, or one half of a pair the
    // page cannot write, counts as one): '?', and on with the next unit.
    Reset(toAnsi_);
    *next++ = '?';
    --outLeft;
    in += 2;
    inLeft -= 2;
  }
  Reset(toAnsi_);
  out.resize(out.size() - outLeft);
  return out;
}

String CodePage::FromAnsiDoubleByte(const AnsiString& bytes) const {
  // At most one code unit for each byte.
  std::string wide(bytes.size() * 2, '\0');
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  char* next = wide.data();
  std::size_t outLeft = wide.size();
  const std::lock_guard<std::mutex> lock(mutex_);
  while (inLeft > 0) {
    if (Convert(fromAnsi_, in, inLeft, next, outLeft))
      break;
    // A byte that starts no character, or a lead byte without its trail byte.
    Reset(fromAnsi_);
    *next++ = '?';
    *next++ = '\0';
    outLeft -= 2;
    ++in;
    --inLeft;
  }
  Reset(fromAnsi_);
  wide.resize(wide.size() - outLeft);
  String out(wide.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(wide[2 * i]) |
                                   (static_cast<unsigned char>(wide[2 * i + 1]) << 8));
  return out;
}

}  // namespace ostrel::posix
