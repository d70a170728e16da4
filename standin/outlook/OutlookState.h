// What the stand-in's Application and the objects it hands out share. The
// objects hold it by shared pointer: like COM objects that keep their host
// alive, a mail item stays usable after the Application object is gone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Clipboard.h"
#include "host/FileSystem.h"
#include "host/String.h"
#include "outlook/DraftMessage.h"
#include "outlook/Faults.h"
#include "outlook/ToolbarProfile.h"

namespace ostrel::standin {

using Clock = std::function<std::int64_t()>;
using Listener = std::function<void(const std::string& utf8Line)>;

// One displayed mail item as it was at its Display.
struct DisplayedMail {
  String path;                    // the draft file written
  std::optional<String> to;       // nullopt when To was never set
  std::optional<String> subject;  // nullopt when Subject was never set
  String htmlBody;                // empty when HTMLBody was never set
};

struct OutlookState {
  // `profileFolder` empty: the toolbar settings are kept in memory only.
  // `clipboard` may be null: PasteFace then fails.
  OutlookState(host::FileSystem& files, String outboxFolder, Clock clock,
               const String& profileFolder = {}, host::Clipboard* clipboard = nullptr);

  // The clock's time; host::HostError when it has no four-digit year.
  std::int64_t Now() const;

  // Writes the draft into the outbox folder, made first when missing, under the
  // first free name of DraftFileName; returns the file's path. The file is
  // created exclusively, so that every draft gets a file of its own however
  // many writers share the folder. Raises host::HostError when the folder or
  // the file cannot be made.
  String WriteDraft(const DraftMail& mail);

  // Hands one line to the listener, if there is one.
  void Notify(const std::string& utf8Line) const;

  // An object handed to an add-in through the host interface, counted while
  // the add-in holds it: the pointer returned shares a token of its own (it
  // keeps the object alive too), as each automation object a COM host hands
  // out is a reference of its own. Null stays null.
  template <typename T>
  std::shared_ptr<T> HandOut(std::shared_ptr<T> object) {
    if (!object)
      return nullptr;
    auto token = std::make_shared<std::shared_ptr<T>>(object);
    handedOut.push_back(token);
    return std::shared_ptr<T>(token, object.get());
  }
  // A reference to an object the stand-in owns otherwise (the Application),
  // counted the same way; the stand-in must outlive it.
  template <typename T>
  std::shared_ptr<T> HandOutUnowned(T& object) {
    auto token = std::make_shared<int>(0);
    handedOut.push_back(token);
    return std::shared_ptr<T>(token, &object);
  }
  // How many handed-out references are still held.
  int HeldObjects();

  // Opens the window of a displayed item (an inspector); empty once the
  // Application is gone, as a displayed item then has no Outlook to show it.
  std::function<void()> openItemWindow;

  host::FileSystem& files;
  String outbox;  // without a trailing separator, unless it is a root
  Clock clock;
  Faults faults;
  Listener listener;
  std::vector<DisplayedMail> displayed;
  ToolbarProfile toolbars;
  host::Clipboard* clipboard;
  // Application.Version's major number: 11 (Outlook 2003), 12 (2007), 14
  // (2010), 15 (2013) or 16 (2016 and later).
  int version = 16;
  std::vector<std::weak_ptr<void>> handedOut;
};

}  // namespace ostrel::standin
