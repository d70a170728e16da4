// Stand-ins for the services a dialog reaches the user through (message boxes,
// the file-open dialog, the shell, the help viewer) and for the user's number
// format, so dialog tests run alike in both builds and never show a window.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

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
  explicit FixedLocale(std::map<std::uint32_t, std::string> items, host::Lcid lcid = 0x0409)
      : items_(std::move(items)), lcid_(lcid) {}
  host::Lcid GetUserDefaultLCID() const override { return lcid_; }
  // Answers for its own LCID and LOCALE_USER_DEFAULT only.
  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char* buffer,
                    int capacity) const override {
    const auto found = items_.find(type);
    if ((locale != lcid_ && locale != 0x0400) || found == items_.end())
      return 0;
    const int needed = static_cast<int>(found->second.size()) + 1;
    if (capacity == 0)
      return needed;
    if (capacity < needed)
      return 0;
    std::memcpy(buffer, found->second.c_str(), static_cast<std::size_t>(needed));
    return needed;
  }

 private:
  std::map<std::uint32_t, std::string> items_;
  host::Lcid lcid_;
};

// English (United States) numbers: "." decimals, "," thousands, "$".
inline FixedLocale UsNumbers() {
  return FixedLocale({{host::kLocaleSAbbrevLangName, "ENU"},
                      {host::kLocaleSDecimal, "."},
                      {host::kLocaleSThousand, ","},
                      {host::kLocaleSCurrency, "$"}});
}

// A German user's: the German library, comma decimals, the euro (in 1252).
inline FixedLocale GermanNumbers() {
  return FixedLocale({{host::kLocaleSAbbrevLangName, "DEU"},
                      {host::kLocaleSDecimal, ","},
                      {host::kLocaleSThousand, "."},
                      {host::kLocaleSCurrency, "\x80"}});
}

}  // namespace ostrel::test
