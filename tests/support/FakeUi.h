// Stand-ins for the services a dialog reaches the user through (message boxes,
// the file-open dialog, the shell, the help viewer) and for the user's number
// format, so dialog tests run alike in both builds and never show a window.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "common/Text.h"
#include "host/CommonDialogs.h"
#include "host/HelpViewer.h"
#include "host/HostError.h"
#include "host/Locale.h"
#include "host/Shell.h"

namespace ostrel::test {

class FakeDialogs final : public host::CommonDialogs {
 public:
  struct Box {
    String text;
    String caption;
    std::uint32_t type;
    host::WindowHandle owner;
  };
  int MessageBox(host::WindowHandle owner, const String& text, const String& caption,
                 std::uint32_t type) override {
    boxes.push_back({text, caption, type, owner});
    return realBoxes != nullptr ? realBoxes->MessageBox(owner, text, caption, type) : host::kIdOk;
  }
  String GetOpenFileName(const host::OpenFileRequest& request) override {
    requests.push_back(request);
    if (answers.empty())
      return {};
    String answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<Box> boxes;
  // Where message boxes go after they are recorded, when a test wants real ones.
  host::CommonDialogs* realBoxes = nullptr;
  std::vector<host::OpenFileRequest> requests;
  std::deque<String> answers;
};

class FakeShell final : public host::Shell {
 public:
  struct Call {
    String verb, file, parameters, directory;
    int show;
    host::WindowHandle owner;
  };
  std::intptr_t ShellExecute(host::WindowHandle owner, const String& verb, const String& file,
                             const String& parameters, const String& directory, int show) override {
    calls.push_back({verb, file, parameters, directory, show, owner});
    return 42;
  }
  void StartProgram(const String& path) override {
    if (programMissing)
      throw host::HostError(2, "no such program");
    programs.push_back(path);
  }
  std::vector<Call> calls;
  std::vector<String> programs;
  bool programMissing = false;
};

class FakeHelpViewer final : public host::HelpViewer {
 public:
  struct Call {
    String file;
    std::uint32_t command;
    String data;
    host::WindowHandle owner;
  };
  host::WindowHandle HtmlHelp(host::WindowHandle owner, const String& file, std::uint32_t command,
                              const String& data) override {
    if (missing)
      throw host::HostError(126, "hhctrl.ocx not found");
    calls.push_back({file, command, data, owner});
    return static_cast<host::WindowHandle>(0x77);
  }
  bool missing = false;
  std::vector<Call> calls;
};

// A user locale with fixed items (by LCTYPE), for pinning number formats.
class FixedLocale final : public host::Locale {
 public:
  explicit FixedLocale(std::map<std::uint32_t, String> items, host::Lcid lcid = 0x0409)
      : items_(std::move(items)), lcid_(lcid) {}
  // A user whose language abbreviation is `abbreviation` ("DEU"; none when
  // empty) and nothing else, under LOCALE_CUSTOM_DEFAULT.
  static FixedLocale Language(std::string_view abbreviation) {
    std::map<std::uint32_t, String> items;
    if (!abbreviation.empty())
      items[host::kLocaleSAbbrevLangName] = FromAscii(abbreviation);
    return FixedLocale(std::move(items), 0x0C00);
  }

  host::Lcid GetUserDefaultLCID() const override { return lcid_; }
  // Answers for its own LCID and LOCALE_USER_DEFAULT only.
  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char16_t* buffer,
                    int capacity) const override {
    const auto found = items_.find(type);
    if ((locale != lcid_ && locale != 0x0400) || found == items_.end())
      return 0;
    const int needed = static_cast<int>(found->second.size()) + 1;
    if (capacity == 0)
      return needed;
    if (capacity < needed)
      return 0;
    std::copy_n(found->second.c_str(), needed, buffer);
    return needed;
  }

 private:
  std::map<std::uint32_t, String> items_;
  host::Lcid lcid_;
};

// English (United States) numbers: "." decimals, "," thousands, "$".
inline FixedLocale UsNumbers() {
  return FixedLocale({{host::kLocaleSAbbrevLangName, u"ENU"},
                      {host::kLocaleSDecimal, u"."},
                      {host::kLocaleSThousand, u","},
                      {host::kLocaleSCurrency, u"$"}});
}

// A German user's: the German library, comma decimals, the euro.
inline FixedLocale GermanNumbers() {
  return FixedLocale({{host::kLocaleSAbbrevLangName, u"DEU"},
                      {host::kLocaleSDecimal, u","},
                      {host::kLocaleSThousand, u"."},
                      {host::kLocaleSCurrency, u"\u20AC"}});
}

}  // namespace ostrel::test
