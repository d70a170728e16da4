#include "templates/modFile.h"

#include <string_view>

#include "common/Text.h"

namespace ostrel {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

String FromUtf16(std::string_view bytes, bool littleEndian) {
  String text;
  text.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<Char>(littleEndian ? first | (second << 8) : (first << 8) | second));
  }
  if (bytes.size() % 2 != 0)
    text.push_back(u'\xFFFD');  // half a code unit at the end
  return text;
}

}  // namespace

bool FileExists(host::Platform& platform, const String& path) {
  return platform.files.FindFirstFile(path);
}

String TemplateText(host::Platform& platform, const AnsiString& bytes) {
  const std::string_view view(bytes);
  if (view.starts_with(kUtf8Mark))
    return Utf8ToUtf16(view.substr(kUtf8Mark.size()));
  if (view.starts_with(kUtf16LeMark))
    return FromUtf16(view.substr(kUtf16LeMark.size()), true);
  if (view.starts_with(kUtf16BeMark))
    return FromUtf16(view.substr(kUtf16BeMark.size()), false);
  return platform.ansi.FromAnsi(bytes);
}

AnsiString TemplateBytes(host::Platform& platform, const String& text) {
  const AnsiString ansi = platform.ansi.ToAnsi(text);
  // A text that happens to begin like a mark would be read back by it.
  const bool looksMarked = std::string_view(ansi).starts_with(kUtf8Mark) ||
                           std::string_view(ansi).starts_with(kUtf16LeMark) ||
                           std::string_view(ansi).starts_with(kUtf16BeMark);
  if (!looksMarked && platform.ansi.FromAnsi(ansi) == text)
    return ansi;
  return AnsiString(kUtf8Mark) + Utf16ToUtf8(text);
}

}  // namespace ostrel
