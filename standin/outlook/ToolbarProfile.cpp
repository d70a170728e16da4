#include "outlook/ToolbarProfile.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "common/Text.h"
#include "host/HostError.h"
#include "outlook/Faults.h"

namespace ostrel::standin {
namespace {

constexpr std::string_view kBarKey = "bar=";

Char FoldAscii(Char c) {
  return c >= u'a' && c <= u'z' ? static_cast<Char>(c - u'a' + u'A') : c;
}

std::string Escape(const String& name) {
  std::string out;
  for (const char c : Utf16ToUtf8(name)) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Undoes Escape; nullopt for a "\" that starts no known pair.
std::optional<String> Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size())
      return std::nullopt;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        return std::nullopt;
    }
  }
  return Utf8ToUtf16(out);
}

// One decimal field up to `end`, which must follow it at once.
std::optional<int> Field(std::string_view& rest, char end, int highest) {
  int value = 0;
  const auto [next, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  const std::size_t used = static_cast<std::size_t>(next - rest.data());
  if (error != std::errc() || used == 0 || used >= rest.size() || rest[used] != end ||
      rest[0] == '-' || value > highest) {
    return std::nullopt;
  }
  rest.remove_prefix(used + 1);
  return value;
}

[[noreturn]] void Damaged(const std::string& fileName, int line, const std::string& why) {
  throw host::HostError(kEFail, "the toolbar settings \"" + fileName + "\" are damaged at line " +
                                    std::to_string(line) + ": " + why);
}

}  // namespace

bool SameBarName(const String& a, const String& b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i]))
      return false;
  }
  return true;
}

std::string FormatSavedBars(const std::vector<SavedBar>& bars) {
  std::string text = "; command bars of an Outlook stand-in profile\r\n";
  for (const SavedBar& bar : bars) {
    text += std::string(kBarKey) + std::to_string(bar.position) + (bar.visible ? ",1," : ",0,") +
            Escape(bar.name) + "\r\n";
  }
  return text;
}

std::vector<SavedBar> ParseSavedBars(const std::string& text, const std::string& fileName) {
  std::vector<SavedBar> bars;
  std::size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line.front() == ';')
      continue;
    if (!line.starts_with(kBarKey))
      Damaged(fileName, number, "a line that is not \"bar=position,visible,name\"");
    line.remove_prefix(kBarKey.size());
    const std::optional<int> position = Field(line, ',', kMsoBarPopup);
    const std::optional<int> visible = position ? Field(line, ',', 1) : std::nullopt;
    if (!visible)
      Damaged(fileName, number, "no position from 0 to 5 and visibility 0 or 1");
    const std::optional<String> name = Unescape(line);
    if (!name || name->empty())
      Damaged(fileName, number, "the bar has no name, or a \"\\\" before a letter other than r, n");
    for (const SavedBar& earlier : bars) {
      if (SameBarName(earlier.name, *name))
        Damaged(fileName, number, "a second bar named \"" + Utf16ToUtf8(*name) + "\"");
    }
    bars.push_back(SavedBar{*name, *position, *visible == 1});
  }
  return bars;
}

ToolbarProfile::ToolbarProfile(host::FileSystem& files, const String& folder)
    : files_(&files), folder_(folder) {
  while (folder_.size() > 1 && (folder_.back() == u'\\' || folder_.back() == u'/') &&
         folder_[folder_.size() - 2] != u':') {
    folder_.pop_back();
  }
  if (folder_.empty())
    return;
  const bool root = folder_.back() == u'\\' || folder_.back() == u'/';
  path_ = folder_ + (root ? u"" : u"\\") + u"CommandBars.txt";
  if (files_->FindFirstFile(path_))
    bars_ = ParseSavedBars(files_->ReadFile(path_), Utf16ToUtf8(path_));
}

void ToolbarProfile::Keep(const SavedBar& bar) {
  std::vector<SavedBar> bars = bars_;
  bool replaced = false;
  for (SavedBar& kept : bars) {
    if (SameBarName(kept.name, bar.name)) {
      kept = bar;
      replaced = true;
    }
  }
  if (!replaced)
    bars.push_back(bar);
  if (!path_.empty()) {
    const bool root = folder_.back() == u'\\' || folder_.back() == u'/';
    if (!root && !files_->FindFirstFile(folder_))
      files_->CreateDirectory(folder_);
    files_->WriteFile(path_, FormatSavedBars(bars));
  }
  bars_ = std::move(bars);
}

}  // namespace ostrel::standin
