#include "posix/RecordingUi.h"

#include "host/ErrorNumbers.h"
#include "host/HostError.h"

#include <chm_lib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
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

// Starts the opener in a session of its own with no terminal I/O, and reaps it
// from a detached thread, so the caller never waits for it and no zombie stays
// behind. The opener may run as long as it likes (some wait for the browser).
bool StartDetached(const std::string& opener, const std::string& target,
                   const std::map<std::string, std::string>& environment) {
  std::vector<std::string> entries;
  for (const auto& [name, value] : environment)
    entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = opener;
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

bool HasDisplay(const std::map<std::string, std::string>& environment) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const auto found = environment.find(name);
    if (found != environment.end() && !found->second.empty())
      return true;
  }
  return false;
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

void RecordingShell::StartProgram(const String& path) {
  programs_.push_back(path);
  Tell(listener_, "start program " + OneLine(path) + " (not available here)");
  throw host::HostError(host::errors::kFileNotFound,
                        "Windows programs cannot be started here: " + Utf16ToUtf8(path));
}

bool RecordingShell::ShouldLaunch(const ShellCall& call) const {
  if (!desktop_ || !HasDisplay(environment_))
    return false;
  if (!call.verb.empty() && !(call.verb.size() == 4 && StartsWithNoCase(call.verb, u"open")))
    return false;
  if (IsWebAddress(call.file))
    return true;
  struct stat info {};
  return !call.file.empty() && ::stat(NativePath(call.file).c_str(), &info) == 0;
}

bool RecordingShell::Launch(const std::string& target) const {
  return StartDetached(opener_, target, environment_);
}

namespace {

// The compiled help file through libchm.
struct ChmCloser {
  void operator()(chmFile* file) const { chm_close(file); }
};
using ChmHandle = std::unique_ptr<chmFile, ChmCloser>;

// An object larger than any help page is taken as a damaged file.
constexpr LONGUINT64 kLargestObject = 64u << 20;

std::optional<std::string> Retrieve(chmFile* chm, chmUnitInfo& unit) {
  if (unit.length > kLargestObject)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(unit.length), '\0');
  if (bytes.empty())
    return bytes;
  const LONGINT64 read =
      chm_retrieve_object(chm, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(bytes.size()));
  if (read != static_cast<LONGINT64>(bytes.size()))
    return std::nullopt;
  return bytes;
}

// The default topic the compiler recorded in the file's #SYSTEM object: a
// 32-bit version, then entries of a 16-bit code, a 16-bit length and the data;
// code 2 holds the topic. "" when there is none.
std::string DefaultTopic(chmFile* chm) {
  chmUnitInfo unit{};
  if (chm_resolve_object(chm, "/#SYSTEM", &unit) != CHM_RESOLVE_SUCCESS)
    return {};
  const std::optional<std::string> system = Retrieve(chm, unit);
  if (!system)
    return {};
  const auto word = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>((*system)[at])) |
           static_cast<std::size_t>(static_cast<unsigned char>((*system)[at + 1])) << 8;
  };
  std::size_t at = 4;
  while (at + 4 <= system->size()) {
    const std::size_t code = word(at);
    const std::size_t length = word(at + 2);
    at += 4;
    if (length > system->size() - at)
      break;
    if (code == 2) {
      std::string topic = system->substr(at, length);
      topic = topic.substr(0, topic.find('\0'));
      return topic;
    }
    at += length;
  }
  return {};
}

// A topic name as an object path: "3.htm", "/3.htm" and "sub\3.htm#part" give
// "/3.htm" and "/sub/3.htm"; an empty name stays empty.
std::string ObjectPath(std::string topic) {
  topic = topic.substr(0, topic.find('#'));
  for (char& c : topic) {
    if (c == '\\')
      c = '/';
  }
  if (topic.empty() || topic.front() == '/')
    return topic;
  return "/" + topic;
}

// The object's path below the extraction folder; "" for the compiler's own
// objects and for any name that would lead out of the folder.
std::string SafeRelative(const std::string& object) {
  if (object.size() < 2 || object.front() != '/' || object[1] == '#' || object[1] == '$')
    return {};
  const std::string relative = object.substr(1);
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t slash = relative.find('/', start);
    if (slash == std::string::npos)
      slash = relative.size();
    const std::string part = relative.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..")
      return {};
    start = slash + 1;
  }
  return relative;
}

struct Extraction {
  std::string folder;
  std::string problem;
};

// Writes one object of the help file below the folder. Runs inside libchm's
// enumeration, so nothing may be thrown from here.
int ExtractObject(chmFile* chm, chmUnitInfo* unit, void* context) {
  auto& job = *static_cast<Extraction*>(context);
  try {
    const std::string relative = SafeRelative(unit->path);
    if (relative.empty())
      return CHM_ENUMERATOR_CONTINUE;
    const std::optional<std::string> bytes = Retrieve(chm, *unit);
    if (!bytes) {
      job.problem = std::string("cannot read ") + unit->path;
      return CHM_ENUMERATOR_FAILURE;
    }
    const std::filesystem::path target = std::filesystem::path(job.folder) / relative;
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    out.close();
    if (out.fail()) {
      job.problem = "cannot write " + target.string();
      return CHM_ENUMERATOR_FAILURE;
    }
    return CHM_ENUMERATOR_CONTINUE;
  } catch (const std::exception& error) {
    job.problem = error.what();
    return CHM_ENUMERATOR_FAILURE;
  }
}

// The name of the help file without folder and extension ("Ostrel").
std::string Stem(const std::string& path) {
  const std::string stem = std::filesystem::path(path).stem().string();
  return stem.empty() || stem == "." || stem == ".." ? std::string("help") : stem;
}

}  // namespace

RecordingHelpViewer::RecordingHelpViewer(bool desktop,
                                         std::map<std::string, std::string> environment,
                                         std::string opener, std::string tempRoot)
    : desktop_(desktop),
      environment_(std::move(environment)),
      opener_(std::move(opener)),
      tempRoot_(std::move(tempRoot)) {
  if (tempRoot_.empty()) {
    const auto found = environment_.find("TMPDIR");
    tempRoot_ = found != environment_.end() && !found->second.empty() ? found->second : "/tmp";
  }
}

host::WindowHandle RecordingHelpViewer::HtmlHelp(host::WindowHandle owner, const String& file,
                                                 std::uint32_t command, const String& data) {
  HelpCall call{owner, file, command, data, {}};
  bool shown = false;
  bool fileMissing = false;
  std::string problem;
  if (desktop_ && HasDisplay(environment_) &&
      (command == host::kHhDisplayTopic || command == host::kHhDisplayToc)) {
    try {
      shown = Show(call, problem, fileMissing);
    } catch (const std::exception& error) {
      call.shown.clear();
      problem = error.what();
    }
  }
  calls_.push_back(call);

  std::string line = "help " + OneLine(file);
  const std::string text = OneLine(data);
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
  if (shown)
    line += " (opened on the desktop)";
  Tell(listener_, line);
  if (!problem.empty())
    Tell(listener_, "help: " + problem);
  return fileMissing ? host::WindowHandle::None : kHelpWindow;
}

bool RecordingHelpViewer::Show(HelpCall& call, std::string& problem, bool& fileMissing) {
  // "Ostrel.chm::/3.htm" in the file argument names the file and a topic in it.
  const String& fileText = call.file;
  const std::size_t marker = fileText.find(u"::");
  const std::string chmPath = NativePath(fileText.substr(0, marker));
  std::string topic;
  if (call.command == host::kHhDisplayTopic)
    topic = Utf16ToUtf8(call.data);
  if (topic.empty() && marker != String::npos)
    topic = Utf16ToUtf8(fileText.substr(marker + 2));

  const ChmHandle chm(chmPath.empty() ? nullptr : chm_open(chmPath.c_str()));
  if (!chm) {
    fileMissing = true;
    problem = "cannot open the help file " + chmPath;
    return false;
  }
  // The contents, or a topic request without a topic, show the default topic:
  // a browser has no contents pane.
  std::string object = ObjectPath(topic);
  if (object.empty()) {
    object = ObjectPath(DefaultTopic(chm.get()));
    if (object.empty()) {
      problem = "no default topic in " + chmPath;
      return false;
    }
  }
  chmUnitInfo unit{};
  if (chm_resolve_object(chm.get(), object.c_str(), &unit) != CHM_RESOLVE_SUCCESS ||
      SafeRelative(unit.path).empty()) {
    problem = "topic " + (topic.empty() ? object.substr(1) : topic) + " not found in " + chmPath;
    return false;
  }
  // The object's own spelling: names in the file match without regard to case.
  const std::string relative = SafeRelative(unit.path);

  const std::string base = Folder();
  if (base.empty()) {
    problem = "cannot create a folder in " + tempRoot_;
    return false;
  }
  // Every page and style sheet of the file, so that the topic's links work.
  Extraction job{base + "/" + Stem(chmPath), {}};
  if (chm_enumerate(chm.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, ExtractObject, &job) ==
          0 ||
      !job.problem.empty()) {
    problem = job.problem.empty() ? "cannot read " + chmPath : job.problem;
    return false;
  }
  const std::string shown = job.folder + "/" + relative;
  if (!StartDetached(opener_, shown, environment_)) {
    problem = "cannot start " + opener_ + " for " + shown;
    return false;
  }
  call.shown = shown;
  return true;
}

std::string RecordingHelpViewer::Folder() {
  struct stat info {};
  if (!folder_.empty() && ::stat(folder_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return folder_;
  // mkdtemp makes the folder readable by its owner only.
  std::string pattern = tempRoot_ + "/ostrel-help-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    return {};
  folder_ = pattern;
  return folder_;
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
