#include "posix/PosixFileSystem.h"
#include "posix/PosixIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <optional>
#include <system_error>

#include "host/ErrorNumbers.h"
#include "host/HostError.h"

#include "common/Text.h"

namespace ostrel::posix {
namespace {

char Fold(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Windows' wildcard match of one name: '*' any run, '?' any one character,
// letters compared without case. (ASCII case folding covers the names we use.)
bool WildcardMatch(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p, ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

bool IsFolder(const std::string& native) {
  struct stat info {};
  return ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(const std::string& native) {
  const std::size_t slash = native.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? std::string("/") : native.substr(0, slash);
}

// The Win32 error number for an errno of a call on `native`.
long Win32Error(int error, const std::string& native) {
  namespace e = host::errors;
  switch (error) {
    case ENOENT:
      // Linux reports a missing file and a missing folder on the way alike;
      // Windows tells them apart.
      return !native.empty() && IsFolder(ParentOf(native)) ? e::kFileNotFound : e::kPathNotFound;
    case ENOTDIR:
      return e::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:  // Windows denies opening or deleting a folder as a file
    case EROFS:
      return e::kAccessDenied;
    case EMFILE:
    case ENFILE:
      return e::kTooManyOpenFiles;
    case ENOMEM:
      return e::kNotEnoughMemory;
    case EBUSY:
    case ETXTBSY:
      return e::kSharingViolation;
    case EEXIST:
      return e::kFileExists;
    case EINVAL:
      return e::kInvalidParameter;
    case ENOSPC:
    case EDQUOT:
      return e::kDiskFull;
    case ENAMETOOLONG:
      return e::kFilenameTooLong;
    case EIO:
      return e::kIoDevice;
    case ELOOP:
      return e::kCantResolveFilename;
    default:
      return e::kGenFailure;
  }
}

[[noreturn]] void Fail(int error, const char* action, const std::string& native) {
  throw host::HostError(Win32Error(error, native), std::string(action) + " \"" + native + "\": " +
                                                       std::generic_category().message(error));
}

// A file no one may write stands for Windows' read-only attribute, which holds
// for administrators too; a file this user may not write counts as well.
bool IsReadOnly(const std::string& native, const struct stat& info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return true;
  return ::access(native.c_str(), W_OK) != 0 && errno == EACCES;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

struct Content {
  AnsiString bytes;
  mode_t mode = 0;
};

Content ReadAll(const std::string& native) {
  Descriptor file(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0)
    Fail(errno, "Cannot open", native);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0)
    Fail(errno, "Cannot read", native);
  if (S_ISDIR(info.st_mode))
    Fail(EISDIR, "Cannot read", native);
  Content content;
  content.mode = info.st_mode & 07777;
  if (info.st_size > 0)
    content.bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got == 0)
      break;
    if (got < 0) {
      if (errno == EINTR)
        continue;
      Fail(errno, "Cannot read", native);
    }
    content.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

// A name for a temporary file beside the target. It is short, so a target whose
// name is near the length limit still gets one.
std::string TemporaryName(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  return folder + "/.ostrel-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
         ".tmp";
}

// Replaces the file's whole content through a temporary file and a rename.
// `mode` sets the permission bits; without it an existing target keeps its own
// and a new file gets the usual ones (0666 less the umask).
void ReplaceFile(const std::string& native, const AnsiString& bytes, std::optional<mode_t> mode) {
  struct stat target {};
  if (::stat(native.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode))
      Fail(EISDIR, "Cannot write", native);
    // Windows refuses to replace a read-only file; rename() would not ask.
    if (IsReadOnly(native, target))
      Fail(EACCES, "Cannot write", native);
    if (!mode)
      mode = target.st_mode & 07777;
  }

  const std::string folder = ParentOf(native);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(folder);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      break;
  }
  if (fd < 0)
    Fail(errno, "Cannot create", native);
  Descriptor file(fd);

  const bool written = (!mode || ::fchmod(file.get(), *mode) == 0) &&
                       WriteAll(file.get(), bytes.data(), bytes.size()) &&
                       ::fsync(file.get()) == 0 && file.Close() &&
                       ::rename(temporary.c_str(), native.c_str()) == 0;
  if (!written) {
    const int error = errno;
    ::unlink(temporary.c_str());
    Fail(error, "Cannot write", native);
  }
  // Make the rename itself durable; the content is in place either way.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0)
    ::fsync(dir.get());
}

// The bytes into the descriptor and onto the disk, then closed; errno tells
// what failed.
bool WriteAndClose(Descriptor& file, const AnsiString& bytes) {
  return WriteAll(file.get(), bytes.data(), bytes.size()) && ::fsync(file.get()) == 0 &&
         file.Close();
}

[[noreturn]] void FailCreating(int error, const std::string& native) {
  // The name is taken by a file or a folder: CREATE_NEW's ERROR_FILE_EXISTS.
  if (error == EEXIST)
    throw host::HostError(80, "Cannot create \"" + native + "\": the file exists");
  Fail(error, "Cannot create", native);
}

void SyncFolder(const std::string& folder) {
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0)
    ::fsync(dir.get());
}

// An unnamed file in the folder, linked under the name once it is complete.
// False when the file system has no unnamed files (nothing was done then).
bool CreateThroughUnnamedFile(const std::string& native, const AnsiString& bytes) {
  const std::string folder = ParentOf(native);
  Descriptor file(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (file.get() < 0) {
    const int error = errno;
    // Kernels and file systems without O_TMPFILE answer with one of these.
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
      return false;
    FailCreating(error, native);
  }
  if (!WriteAll(file.get(), bytes.data(), bytes.size()) || ::fsync(file.get()) != 0)
    Fail(errno, "Cannot write", native);
  // linkat never replaces an entry: of two writers of one name, one gets
  // EEXIST. Linking by /proc needs no privilege, unlike AT_EMPTY_PATH.
  const std::string self = "/proc/self/fd/" + std::to_string(file.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, native.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    const int error = errno;
    if (error == ENOENT && IsFolder(folder))
      return false;  // no /proc: the other way
    FailCreating(error, native);
  }
  file.Close();
  SyncFolder(folder);
  return true;
}

}  // namespace

std::string NativePath(const String& path) {
  String slashed = path;
  for (Char& c : slashed) {
    if (c == u'\\')
      c = u'/';
  }
  return Utf16ToUtf8(slashed);
}

bool PosixFileSystem::FindFirstFile(const String& path) {
  const std::string native = NativePath(path);
  if (native.empty() || native.back() == '/')
    return false;

  const std::size_t slash = native.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : native.substr(0, slash == 0 ? 1 : slash);
  const std::string last = slash == std::string::npos ? native : native.substr(slash + 1);
  if (last.empty())
    return false;

  const bool wildcard = last.find_first_of("*?") != std::string::npos;
  struct stat info {};
  if (!wildcard && ::stat(native.c_str(), &info) == 0)
    return true;

  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr)
    return false;
  bool found = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (WildcardMatch(last, entry->d_name)) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

AnsiString PosixFileSystem::ReadFile(const String& path) {
  return ReadAll(NativePath(path)).bytes;
}

void PosixFileSystem::WriteFile(const String& path, const AnsiString& content) {
  ReplaceFile(NativePath(path), content, std::nullopt);
}

void PosixFileSystem::CreateNewFile(const String& path, const AnsiString& content) {
  const std::string native = NativePath(path);
  if (CreateThroughUnnamedFile(native, content))
    return;
  Descriptor file(::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.get() < 0)
    FailCreating(errno, native);
  if (!WriteAndClose(file, content)) {
    const int error = errno;
    ::unlink(native.c_str());
    Fail(error, "Cannot write", native);
  }
  SyncFolder(ParentOf(native));
}

void PosixFileSystem::CopyFile(const String& from, const String& to) {
  const Content source = ReadAll(NativePath(from));
  ReplaceFile(NativePath(to), source.bytes, source.mode);
}

void PosixFileSystem::DeleteFile(const String& path) {
  const std::string native = NativePath(path);
  struct stat info {};
  // Windows refuses to delete a read-only file; unlink() only asks the folder.
  if (::lstat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IsReadOnly(native, info))
    Fail(EACCES, "Cannot delete", native);
  if (::unlink(native.c_str()) != 0)
    Fail(errno, "Cannot delete", native);
}

void PosixFileSystem::CreateDirectory(const String& path) {
  const std::string native = NativePath(path);
  if (::mkdir(native.c_str(), 0777) == 0)
    return;
  const int error = errno;
  // CreateDirectoryA's own numbers: a missing parent is always
  // ERROR_PATH_NOT_FOUND, and any entry of the name ERROR_ALREADY_EXISTS (the
  // file functions say ERROR_FILE_EXISTS instead).
  if (error != ENOENT && error != ENOTDIR && error != EEXIST)
    Fail(error, "Cannot create folder", native);
  const std::string reason = std::generic_category().message(error);
  throw host::HostError(
      error == EEXIST ? host::errors::kAlreadyExists : host::errors::kPathNotFound,
      "Cannot create folder \"" + native + "\": " + reason);
}

}  // namespace ostrel::posix
