#include "standin/com/ExplorerWindow.h"

#include <algorithm>

#include "win32/Win32Handles.h"

namespace ostrel::standin::com {

namespace {

const wchar_t kClass[] = L"OstrelOutlookExplorer";
constexpr COLORREF kPanel = RGB(243, 243, 243);
constexpr COLORREF kBorder = RGB(210, 210, 210);
constexpr COLORREF kText = RGB(38, 38, 38);
constexpr COLORREF kAccent = RGB(0, 114, 198);

std::wstring Wide(const String& text) {
  return std::wstring(text.begin(), text.end());
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The picture in a box of size x size, stretched as Office scales a ribbon's
// pictures to the display's DPI.
void DrawPicture(HDC dc, const host::PicturePtr& picture, int x, int y, int size) {
  if (!picture)
    return;
  const HBITMAP bitmap = win32::ToNative<HBITMAP>(picture->Handle());
  BITMAP info{};
  if (::GetObjectW(bitmap, sizeof info, &info) == 0)
    return;
  const HDC source = ::CreateCompatibleDC(dc);
  const HGDIOBJ old = ::SelectObject(source, bitmap);
  // The pictures are 32 bpp with premultiplied alpha, as AlphaBlend takes them.
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::AlphaBlend(dc, x, y, size, size, source, 0, 0, info.bmWidth, info.bmHeight, blend);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

}  // namespace

ExplorerWindow::ExplorerWindow() {
  WNDCLASSW type{};
  type.lpfnWndProc = &ExplorerWindow::WindowProc;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = kClass;
  ::RegisterClassW(&type);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
}

ExplorerWindow::~ExplorerWindow() {
  if (window_ != nullptr)
    ::DestroyWindow(window_);
  if (font_ != nullptr)
    ::DeleteObject(font_);
}

void ExplorerWindow::Update(bool explorerOpen, std::vector<AddInRibbon::Group> groups) {
  groups_ = std::move(groups);
  if (!explorerOpen) {
    if (window_ != nullptr)
      ::ShowWindow(window_, SW_HIDE);
    return;
  }
  if (window_ == nullptr) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    window_ = ::CreateWindowExW(0, kClass, L"Inbox - Outlook", WS_OVERLAPPEDWINDOW, 40, 40,
                                ::MulDiv(640, dpi, 96), ::MulDiv(220, dpi, 96), nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    if (window_ == nullptr)
      return;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ::ShowWindow(window_, SW_SHOWNOACTIVATE);
  ::InvalidateRect(window_, nullptr, TRUE);
  ::UpdateWindow(window_);
}

LRESULT CALLBACK ExplorerWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<ExplorerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && self != nullptr) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    self->Paint(dc);
    ::EndPaint(window, &paint);
    return 0;
  }
  // Closing is Outlook's to do (close-explorer); the box only hides it.
  if (message == WM_CLOSE)
    return 0;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void ExplorerWindow::Paint(HDC dc) const {
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  const auto px = [dpi](int length) { return ::MulDiv(length, dpi, 96); };
  RECT client;
  ::GetClientRect(window_, &client);
  const HGDIOBJ oldFont =
      ::SelectObject(dc, font_ != nullptr ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const int line = metrics.tmHeight;

  // The tab row, Home chosen, and the ribbon's panel under it.
  const int tabs = px(6) + line + px(6);
  const int panelBottom = tabs + px(96) + line * 2;
  const HBRUSH panel = ::CreateSolidBrush(kPanel);
  RECT area{client.left, tabs, client.right, panelBottom};
  ::FillRect(dc, &area, panel);
  const HPEN border = ::CreatePen(PS_SOLID, 1, kBorder);
  const HGDIOBJ oldPen = ::SelectObject(dc, border);
  ::MoveToEx(dc, client.left, panelBottom, nullptr);
  ::LineTo(dc, client.right, panelBottom);
  int x = px(10);
  for (const wchar_t* tab : {L"File", L"Home", L"Send / Receive", L"Folder", L"View"}) {
    const std::wstring text = tab;
    const int width = TextWidth(dc, text) + px(16);
    const bool home = text == L"Home";
    if (home) {
      RECT chosen{x, px(3), x + width, tabs + 1};
      ::FillRect(dc, &chosen, panel);
      ::MoveToEx(dc, x, tabs, nullptr);
      ::LineTo(dc, x, px(3));
      ::LineTo(dc, x + width, px(3));
      ::LineTo(dc, x + width, tabs);
    }
    ::SetTextColor(dc, text == L"File" ? kAccent : kText);
    ::TextOutW(dc, x + px(8), px(6), text.c_str(), static_cast<int>(text.size()));
    x += width;
  }
  ::SetTextColor(dc, kText);

  // Each group: its controls side by side, large ones with the picture above
  // the label, the group's label centred below, a line after it.
  x = px(6);
  const int top = tabs + px(6);
  for (const AddInRibbon::Group& group : groups_) {
    const int start = x;
    for (const AddInRibbon::Control& control : group.group.items) {
      std::wstring label = Wide(control.label);
      const bool menu = control.element.name == "menu";
      // A large control: a 32-point picture box over its label.
      const int box = px(32);
      const int width = std::max({px(40), TextWidth(dc, label) + px(12), box + px(12)});
      int y = top;
      if (control.picture)
        DrawPicture(dc, control.picture, x + (width - box) / 2, y, box);
      y += box + px(4);
      ::TextOutW(dc, x + (width - TextWidth(dc, label)) / 2, y, label.c_str(),
                 static_cast<int>(label.size()));
      if (menu) {
        // The drop-down mark under a large menu's label.
        const int cx = x + width / 2;
        const int my = y + line + px(4);
        const POINT mark[] = {{cx - px(4), my}, {cx + px(4), my}, {cx, my + px(4)}};
        const HBRUSH dark = ::CreateSolidBrush(kText);
        const HGDIOBJ oldBrush = ::SelectObject(dc, dark);
        ::Polygon(dc, mark, 3);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(dark);
      }
      x += width + px(4);
    }
    const std::wstring name = Wide(group.group.label);
    const int labelY = panelBottom - line - px(6);
    ::SetTextColor(dc, RGB(96, 96, 96));
    ::TextOutW(dc, start + (x - start - TextWidth(dc, name)) / 2, labelY, name.c_str(),
               static_cast<int>(name.size()));
    ::SetTextColor(dc, kText);
    ::MoveToEx(dc, x + px(2), top, nullptr);
    ::LineTo(dc, x + px(2), panelBottom - px(6));
    x += px(8);
  }
  ::SelectObject(dc, oldPen);
  ::DeleteObject(border);
  ::DeleteObject(panel);
  ::SelectObject(dc, oldFont);
}

}  // namespace ostrel::standin::com
