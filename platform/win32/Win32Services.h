// The real Win32 implementations of the services in src/host.
#pragma once

#include "host/Platform.h"
#include "win32/ui/DialogViews.h"

namespace ostrel::win32 {

// CP_ACP through WideCharToMultiByte / MultiByteToWideChar with default flags:
// Windows' best-fit mapping, then the code page's default character.
class Win32AnsiCodePage final : public host::AnsiCodePage {
 public:
  AnsiString ToAnsi(const String& text) const override;
  String FromAnsi(const AnsiString& bytes) const override;
};

class Win32Registry final : public host::Registry {
 public:
  long OpenKey(host::RegRoot root, const String& path, host::RegKey* key) override;
  long CreateKey(host::RegRoot root, const String& path, host::RegKey* key) override;
  long EnumKey(host::RegKey key, std::uint32_t index, String* name) override;
  long QueryValue(host::RegKey key, const String& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(host::RegKey key, const String& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(host::RegKey key, const String& name) override;
  long DeleteTree(host::RegRoot root, const String& path) override;
  long CloseKey(host::RegKey key) override;
};

class Win32Locale final : public host::Locale {
 public:
  host::Lcid GetUserDefaultLCID() const override;
  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char16_t* buffer,
                    int capacity) const override;
};

class Win32ResourceLoader final : public host::ResourceLoader {
 public:
  host::ModuleHandle LoadLibraryEx(const String& path, std::uint32_t flags) override;
  bool FreeLibrary(host::ModuleHandle module) override;
  int LoadString(host::ModuleHandle module, std::uint32_t id, char16_t* buffer,
                 int capacity) override;
  host::BitmapHandle LoadBitmap(host::ModuleHandle module, const String& name,
                                std::uint32_t flags) override;
  host::IconHandle LoadIcon(host::ModuleHandle module, std::uint32_t id) override;
};

class Win32Gdi final : public host::Gdi {
 public:
  host::DeviceContext GetDC(host::WindowHandle window) override;
  int ReleaseDC(host::WindowHandle window, host::DeviceContext dc) override;
  host::DeviceContext CreateCompatibleDC(host::DeviceContext dc) override;
  bool DeleteDC(host::DeviceContext dc) override;
  host::BitmapHandle CreateBitmap(int width, int height, std::uint32_t planes,
                                  std::uint32_t bitsPerPixel, const void* bits) override;
  host::BitmapHandle SelectBitmap(host::DeviceContext dc, host::BitmapHandle bitmap) override;
  bool DeleteBitmap(host::BitmapHandle bitmap) override;
  bool GetBitmapRecord(host::BitmapHandle bitmap, host::BitmapRecord* record) override;
  host::PaletteHandle SelectPalette(host::DeviceContext dc, host::PaletteHandle palette,
                                    bool forceBackground) override;
  std::uint32_t RealizePalette(host::DeviceContext dc) override;
  host::PaletteHandle CreateHalftonePalette(host::DeviceContext dc) override;
  bool DeletePalette(host::PaletteHandle palette) override;
  host::ColorRef SetBkColor(host::DeviceContext dc, host::ColorRef color) override;
  host::ColorRef SetTextColor(host::DeviceContext dc, host::ColorRef color) override;
  bool BitBlt(host::DeviceContext dest, int x, int y, int width, int height,
              host::DeviceContext src, int srcX, int srcY, std::uint32_t rop) override;
  int GetDIBits(host::DeviceContext dc, host::BitmapHandle bitmap, std::uint32_t startScan,
                std::uint32_t scanLines, void* bits, void* info, std::uint32_t usage) override;
};

class Win32Ole final : public host::Ole {
 public:
  host::PicturePtr CreateBitmapPicture(host::BitmapHandle bitmap, host::PaletteHandle palette,
                                       bool own) override;
  long TranslateColor(std::uint32_t oleColor, host::PaletteHandle palette,
                      host::ColorRef* out) override;
};

class Win32Clipboard final : public host::Clipboard {
 public:
  Win32Clipboard() = default;
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;
  void Clear() override;
  void SetPicture(const host::Picture& picture, std::uint32_t format) override;
  bool Open(host::WindowHandle owner) override;
  bool Close() override;
  std::uint32_t RegisterFormat(const AnsiString& name) override;
  std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) override;
  std::vector<std::uint32_t> EnumFormats() override;
  bool SetData(std::uint32_t format, std::uint32_t allocFlags,
               const std::vector<std::uint8_t>& block) override;

 private:
  // The clipboard opened for a window: the given one, else a message-only
  // window of this object's. "If an application calls OpenClipboard with hwnd
  // set to NULL, EmptyClipboard sets the clipboard owner to NULL; this causes
  // SetClipboardData to fail" (OpenClipboard function).
  bool OpenFor(host::WindowHandle owner);
  void* window_ = nullptr;  // HWND
};

class Win32Windows final : public host::Windows {
 public:
  std::intptr_t SendMessage(host::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  int GetSystemMetrics(int index) override;
  void ProcessPendingMessages() override;
};

class Win32FileSystem final : public host::FileSystem {
 public:
  bool FindFirstFile(const String& path) override;
  AnsiString ReadFile(const String& path) override;
  void WriteFile(const String& path, const AnsiString& content) override;
  // CREATE_NEW, then written in place; a failed write deletes the file again.
  void CreateNewFile(const String& path, const AnsiString& content) override;
  void CopyFile(const String& from, const String& to) override;
  void DeleteFile(const String& path) override;
  void CreateDirectory(const String& path) override;
};

class Win32Shell final : public host::Shell {
 public:
  std::intptr_t ShellExecute(host::WindowHandle owner, const String& verb, const String& file,
                             const String& parameters, const String& directory,
                             int showCommand) override;
  void StartProgram(const String& path) override;
};

// hhctrl.ocx is loaded on the first call and stays loaded: the viewer's window
// lives in it.
class Win32HelpViewer final : public host::HelpViewer {
 public:
  host::WindowHandle HtmlHelp(host::WindowHandle owner, const String& file, std::uint32_t command,
                              const String& data) override;

 private:
  void (*htmlHelp_)() = nullptr;  // HtmlHelpW, once found
};

class Win32CommonDialogs final : public host::CommonDialogs {
 public:
  int MessageBox(host::WindowHandle owner, const String& text, const String& caption,
                 std::uint32_t type) override;
  // A failure of the dialog itself (CommDlgExtendedError) answers "" as a
  // cancel does.
  String GetOpenFileName(const host::OpenFileRequest& request) override;
};

// All of them, bundled as the system expects.
class Win32Platform {
 public:
  Win32Platform();
  host::Platform& services() { return services_; }
  view::DialogViews& views() { return views_; }

 private:
  Win32AnsiCodePage ansi_;
  Win32Registry registry_;
  Win32Locale locale_;
  Win32ResourceLoader resources_;
  Win32Gdi gdi_;
  Win32Ole ole_;
  Win32Clipboard clipboard_;
  Win32Windows windows_;
  Win32FileSystem files_;
  Win32Shell shell_;
  Win32HelpViewer help_;
  Win32CommonDialogs dialogs_;
  view::DialogViews views_;
  host::Platform services_;
};

}  // namespace ostrel::win32
