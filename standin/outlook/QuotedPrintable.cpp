#include "outlook/QuotedPrintable.h"

namespace ostrel::standin::mime {
namespace {

// One line of the data (no CRLF inside), as encoded lines joined by soft breaks.
void EncodeLine(std::string_view line, std::string& out) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::size_t length = 0;  // of the encoded line being written
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    const bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
    const std::size_t width = literal ? 1 : 3;
    // Room for a soft break's "=" unless this is the line's last character.
    const std::size_t room = last ? kQuotedPrintableLineLimit : kQuotedPrintableLineLimit - 1;
    if (length + width > room) {
      out += "=\r\n";
      length = 0;
    }
    if (literal) {
      out += static_cast<char>(c);
    } else {
      out += '=';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0x0F];
    }
    length += width;
  }
}

}  // namespace

std::string EncodeQuotedPrintable(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos)
      break;
    EncodeLine(bytes.substr(start, end - start), out);
    out += "\r\n";
    start = end + 2;
  }
  if (start < bytes.size()) {
    EncodeLine(bytes.substr(start), out);
    out += "=\r\n";
  }
  return out;
}

}  // namespace ostrel::standin::mime
