// Outlook's object model as the add-in uses it: the Application and the mail
// items it creates. Each call may fail, raising host::HostError to the caller.
#pragma once

#include <memory>

#include "host/String.h"

namespace ostrel::host::outlook {

// OlItemType.olMailItem.
inline constexpr int olMailItem = 0;

class MailItem {
 public:
  virtual ~MailItem() = default;  // releasing the item; an undisplayed item is discarded
  virtual void SetTo(const String& to) = 0;
  virtual void SetSubject(const String& subject) = 0;
  virtual void SetHTMLBody(const String& html) = 0;
  // Opens the item's window (not modal) and returns at once.
  virtual void Display() = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // A new, unsaved item of the type; the add-in asks only for olMailItem.
  virtual std::unique_ptr<MailItem> CreateItem(int itemType) = 0;
};

}  // namespace ostrel::host::outlook
