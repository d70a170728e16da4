// What a test needs from the build it runs in: the platform services (the
// stand-ins natively, Win32 under Wine), a scratch registry key, the built data.
#pragma once

#include <climits>
#include <filesystem>
#include <memory>
#include <string>

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel::test {

class TestPlatform {
 public:
  virtual ~TestPlatform() = default;

  virtual host::Platform& services() = 0;
  // "posix" or "win32".
  virtual const char* Name() const = 0;

  // A key path below HKEY_CURRENT_USER that no other test uses; it does not exist
  // at first and is removed with this object.
  virtual const String& ScratchKey() const = 0;

  // A fresh, empty folder for the test's files, removed with this object.
  virtual const std::filesystem::path& TempDir() const = 0;

  // Removes the add-in's own keys (main and options) from HKEY_CURRENT_USER, so a
  // test starts as on a machine that never had the add-in.
  virtual void ClearAddinSettings() = 0;

  // A path as the system names it (Windows-style on both builds' system side).
  virtual String SystemPath(const std::filesystem::path& path) const = 0;
};

std::unique_ptr<TestPlatform> MakeTestPlatform();

// Services to put in place of a platform's own; nullptr keeps the platform's.
struct Replacements {
  host::Registry* registry = nullptr;
  host::Locale* locale = nullptr;
  host::ResourceLoader* resources = nullptr;
  host::Shell* shell = nullptr;
  host::HelpViewer* help = nullptr;
  host::CommonDialogs* dialogs = nullptr;
  ui::DialogView* views = nullptr;
};

// The platform's services with some of them replaced.
inline host::Platform With(host::Platform& base, const Replacements& r) {
  return host::Platform{base.ansi,
                        r.registry ? *r.registry : base.registry,
                        r.locale ? *r.locale : base.locale,
                        r.resources ? *r.resources : base.resources,
                        base.gdi,
                        base.ole,
                        base.clipboard,
                        base.windows,
                        base.files,
                        r.shell ? *r.shell : base.shell,
                        r.help ? *r.help : base.help,
                        r.dialogs ? *r.dialogs : base.dialogs,
                        r.views ? *r.views : base.views};
}

// The folder holding the built RES_ENU.DLL, RES_DEU.DLL and Ostrel.reg.
String AddinFolder();
// The folder holding RES_TEST.DLL, the tests' own resource library.
String TestDataFolder();

// Whatever the process needs before the first test (COM on Windows).
void PrepareProcess();

// The platform's registry, refusing every value written while refuseWrites is
// set, as a read-only profile or a full disk does; or refusing SetValue number
// failAt (counted from 0) and, unless once, every one after it.
class RefusableRegistry final : public host::Registry {
 public:
  explicit RefusableRegistry(host::Registry& real, int failAt = INT_MAX, bool once = false)
      : real_(real), failAt_(failAt), once_(once) {}
  bool refuseWrites = false;
  int calls() const { return calls_; }

  long OpenKey(host::RegRoot root, const String& path, host::RegKey* key) override {
    return real_.OpenKey(root, path, key);
  }
  long CreateKey(host::RegRoot root, const String& path, host::RegKey* key) override {
    return real_.CreateKey(root, path, key);
  }
  long EnumKey(host::RegKey key, std::uint32_t index, String* name) override {
    return real_.EnumKey(key, index, name);
  }
  long QueryValue(host::RegKey key, const String& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return real_.QueryValue(key, name, type, data, size);
  }
  long SetValue(host::RegKey key, const String& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    const int call = calls_++;
    if (refuseWrites || call == failAt_ || (!once_ && call > failAt_))
      return host::kErrorAccessDenied;
    return real_.SetValue(key, name, type, data, size);
  }
  long DeleteValue(host::RegKey key, const String& name) override {
    return real_.DeleteValue(key, name);
  }
  long DeleteTree(host::RegRoot root, const String& path) override {
    return real_.DeleteTree(root, path);
  }
  long CloseKey(host::RegKey key) override { return real_.CloseKey(key); }

 private:
  host::Registry& real_;
  int failAt_;
  bool once_;
  int calls_ = 0;
};

}  // namespace ostrel::test
