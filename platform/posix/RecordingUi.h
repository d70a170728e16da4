// The shell, the help viewer, message boxes and the file-open dialog of the
// stand-in. There is no Windows desktop, so each records what it was asked and
// tells a listener in one readable line (what a terminal program prints). The
// shell may also hand an address or a file to the Linux desktop (xdg-open).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/AnsiText.h"
#include "host/CommonDialogs.h"
#include "host/HelpViewer.h"
#include "host/Shell.h"
#include "posix/CodePage.h"

namespace ostrel::posix {

// Receives one UTF-8 line per event, without a line end.
using EventListener = std::function<void(const std::string& line)>;

// What ShellExecute returns here: above 32, success.
inline constexpr std::intptr_t kShellSuccess = 42;

struct ShellCall {
  host::WindowHandle owner = host::WindowHandle::None;
  String verb;
  String file;
  String parameters;
  String directory;
  int showCommand = 0;
  // Whether the file was handed to xdg-open.
  bool launched = false;
};

class RecordingShell final : public host::Shell {
 public:
  // With `desktop` set, and DISPLAY or WAYLAND_DISPLAY set in `environment`, an
  // "open" (or default verb) of an http/https address or of an existing file is
  // also handed to `opener`, started detached with `environment` as its own.
  explicit RecordingShell(bool desktop = false, std::map<std::string, std::string> environment = {},
                          std::string opener = "xdg-open");

  std::intptr_t ShellExecute(host::WindowHandle owner, const String& verb, const String& file,
                             const String& parameters, const String& directory,
                             int showCommand) override;
  // Windows programs do not run here: the request is recorded and reported,
  // and fails as a program that does not exist would.
  void StartProgram(const String& path) override;

  void SetListener(EventListener listener) { listener_ = std::move(listener); }
  const std::vector<ShellCall>& Calls() const { return calls_; }
  const std::vector<String>& StartedPrograms() const { return programs_; }

 private:
  bool ShouldLaunch(const ShellCall& call) const;
  bool Launch(const std::string& target) const;

  bool desktop_;
  std::map<std::string, std::string> environment_;
  std::string opener_;
  EventListener listener_;
  std::vector<ShellCall> calls_;
  std::vector<String> programs_;
};

struct HelpCall {
  host::WindowHandle owner = host::WindowHandle::None;
  String file;
  std::uint32_t command = 0;
  String data;
  // The Linux file of the topic handed to the desktop; empty when none was.
  std::string shown;
};

// The window handle a shown (or only recorded) request returns, as the one
// viewer window would be; a help file that cannot be opened gives None.
inline constexpr host::WindowHandle kHelpWindow = static_cast<host::WindowHandle>(0x4801);

class RecordingHelpViewer final : public host::HelpViewer {
 public:
  // With `desktop` set, and DISPLAY or WAYLAND_DISPLAY set in `environment`, a
  // topic (HH_DISPLAY_TOPIC) or the contents (HH_DISPLAY_TOC: the file's default
  // topic, as there is no contents pane) is also shown: the files of the .chm
  // are written into a private folder below `tempRoot` (default $TMPDIR, else
  // /tmp), so that the topic's style sheet and links work, and the topic is
  // handed to `opener` as RecordingShell does. The folder stays when the viewer
  // goes, as the Windows viewer outlives the add-in. A help file or topic that
  // cannot be shown is reported to the listener; nothing is thrown.
  explicit RecordingHelpViewer(bool desktop = false,
                               std::map<std::string, std::string> environment = {},
                               std::string opener = "xdg-open", std::string tempRoot = {});

  host::WindowHandle HtmlHelp(host::WindowHandle owner, const String& file, std::uint32_t command,
                              const String& data) override;

  void SetListener(EventListener listener) { listener_ = std::move(listener); }
  const std::vector<HelpCall>& Calls() const { return calls_; }

 private:
  // Shows the call's topic on the desktop; false with `problem` set when it
  // could not be, and `fileMissing` set when the help file itself could not be
  // opened.
  bool Show(HelpCall& call, std::string& problem, bool& fileMissing);
  // The private folder, created on first use (again if it was removed).
  std::string Folder();

  bool desktop_;
  std::map<std::string, std::string> environment_;
  std::string opener_;
  std::string tempRoot_;
  std::string folder_;
  EventListener listener_;
  std::vector<HelpCall> calls_;
};

struct MessageBoxCall {
  host::WindowHandle owner = host::WindowHandle::None;
  String caption;
  String text;
  std::uint32_t type = 0;
};

class RecordingDialogs final : public host::CommonDialogs {
 public:
  // Records the box, leaves it pending until AnswerMessage, and returns kIdOk at
  // once (the add-in shows OK-only boxes). A later box replaces a pending one.
  int MessageBox(host::WindowHandle owner, const String& text, const String& caption,
                 std::uint32_t type) override;
  // Records the request and answers with the next queued answer; "" (cancelled)
  // when none is queued.
  String GetOpenFileName(const host::OpenFileRequest& request) override;

  const std::optional<MessageBoxCall>& PendingMessage() const { return pending_; }
  // Closes the pending box; false when none was up.
  bool AnswerMessage();
  void QueueOpenFileAnswer(String path) { answers_.push_back(std::move(path)); }

  void SetListener(EventListener listener) { listener_ = std::move(listener); }
  const std::vector<MessageBoxCall>& Messages() const { return messages_; }
  const std::vector<host::OpenFileRequest>& OpenFileRequests() const { return requests_; }

 private:
  EventListener listener_;
  std::vector<MessageBoxCall> messages_;
  std::optional<MessageBoxCall> pending_;
  std::vector<host::OpenFileRequest> requests_;
  std::deque<String> answers_;
};

}  // namespace ostrel::posix
