#include "posix/RecordingUi.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "common/Text.h"
#include "posix/PosixFileSystem.h"

namespace ostrel::posix {
namespace {

bool StartsWithNoCase(const String& text, std::u16string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    Char c = text[i];
    if (c >= u'A' && c <= u'Z')
      c = static_cast<Char>(c - u'A' + u'a');
    if (c != prefix[i])
      return false;
  }
  return true;
}

bool IsWebAddress(const String& file) {
  return StartsWithNoCase(file, u"http://") || StartsWithNoCase(file, u"https://");
}

// The text on one line: each line break (CR LF, CR or LF) shows as "\n".
std::string OneLine(const String& text) {
  String out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      out += u"\\n";
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
    } else {
      out += text[i];
    }
  }
  return Utf16ToUtf8(out);
}

void Tell(const EventListener& listener, const std::string& line) {
  if (listener)
    listener(line);
}

}  // namespace

RecordingShell::RecordingShell(bool desktop, std::map<std::string, std::string> environment,
                               std::string opener)
    : desktop_(desktop), environment_(std::move(environment)), opener_(std::move(opener)) {}

std::intptr_t RecordingShell::ShellExecute(host::WindowHandle owner, const String& verb,
                                           const String& file, const String& parameters,
                                           const String& directory, int showCommand) {
  ShellCall call{owner, verb, file, parameters, directory, showCommand, false};
  if (ShouldLaunch(call)) {
    call.launched = Launch(IsWebAddress(file) ? Utf16ToUtf8(file) : NativePath(file));
  }
  calls_.push_back(call);

  // No verb means the file's default one, which for what the add-in opens is "open".
  std::string line =
      "shell " + (verb.empty() ? std::string("open") : OneLine(verb)) + " " + OneLine(file);
  if (!parameters.empty())
    line += " " + OneLine(parameters);
  if (!directory.empty())
    line += " in " + OneLine(directory);
  if (call.launched)
    line += " (opened on the desktop)";
  Tell(listener_, line);
  return kShellSuccess;
}

bool RecordingShell::ShouldLaunch(const ShellCall& call) const {
  if (!desktop_)
    return false;
  const auto has = [&](const char* name) {
    const auto found = environment_.find(name);
    return found != environment_.end() && !found->second.empty();
  };
  if (!has("DISPLAY") && !has("WAYLAND_DISPLAY"))
    return false;
  if (!call.verb.empty() && !(call.verb.size() == 4 && StartsWithNoCase(call.verb, u"open")))
    return false;
  if (IsWebAddress(call.file))
    return true;
  struct stat info {};
  return !call.file.empty() && ::stat(NativePath(call.file).c_str(), &info) == 0;
}

// Starts the opener in a session of its own with no terminal I/O, and reaps it
// from a detached thread, so the caller never waits for it and no zombie stays
// behind. The opener may run as long as it likes (some wait for the browser).
bool RecordingShell::Launch(const std::string& target) const {
  std::vector<std::string> entries;
  for (const auto& [name, value] : environment_)
    entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = opener_;
  std::string argument = target;
  char* argv[] = {program.data(), argument.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t child = 0;
  const int started =
      ::posix_spawnp(&child, program.c_str(), &actions, &attributes, argv, envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0)
    return false;
  try {
    std::thread([child] {
      while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to reap it: the opener stays a zombie until this process ends.
  }
  return true;
}

host::WindowHandle RecordingHelpViewer::HtmlHelp(host::WindowHandle owner, const AnsiString& file,
                                                 std::uint32_t command, const AnsiString& data) {
  calls_.push_back({owner, file, command, data});
  std::string line = "help " + OneLine(ansi_.FromAnsi(file));
  const std::string text = OneLine(ansi_.FromAnsi(data));
  if (command == host::kHhDisplayTopic) {
    line += " topic " + text;
  } else if (command == host::kHhDisplayToc) {
    line += " contents";
    if (!text.empty())
      line += " " + text;
  } else {
    line += " command " + std::to_string(command);
    if (!text.empty())
      line += " " + text;
  }
  Tell(listener_, line);
  return kHelpWindow;
}

int RecordingDialogs::MessageBox(host::WindowHandle owner, const String& text,
                                 const String& caption, std::uint32_t type) {
  messages_.push_back({owner, caption, text, type});
  pending_ = messages_.back();
  Tell(listener_, "message-box \"" + OneLine(caption) + "\": " + OneLine(text));
  return host::kIdOk;
}

bool RecordingDialogs::AnswerMessage() {
  if (!pending_)
    return false;
  pending_.reset();
  return true;
}

String RecordingDialogs::GetOpenFileName(const host::OpenFileRequest& request) {
  requests_.push_back(request);
  std::string line = "file-open \"" + OneLine(request.title) + "\"";
  if (!request.initialDir.empty())
    line += " in " + OneLine(request.initialDir);
  Tell(listener_, line);

  String answer;
  if (!answers_.empty()) {
    answer = std::move(answers_.front());
    answers_.pop_front();
  }
  Tell(listener_,
       answer.empty() ? std::string("file-open cancelled") : "file-open chose " + OneLine(answer));
  return answer;
}

}  // namespace ostrel::posix
