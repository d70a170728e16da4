#include "outlook/OutlookState.h"

#include <stdexcept>

#include "common/Text.h"
#include "host/HostError.h"
#include "outlook/MimeHeaders.h"

namespace ostrel::standin {
namespace {

// Enough for any real use; a bound, so a file system that finds every name
// cannot keep Display looping.
constexpr int kMostDraftsPerSecond = 100000;

// CreateNewFile's and CreateDirectory's answers when another writer has taken
// the name.
constexpr long kErrorFileExists = 80;
constexpr long kErrorAlreadyExists = 183;

bool IsSeparator(Char c) {
  return c == u'\\' || c == u'/';
}

// "C:\Mail\" and "C:\Mail" name the same folder; "C:\" and "/" stay as they are.
String WithoutTrailingSeparator(String folder) {
  while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != u':')
    folder.pop_back();
  return folder;
}

}  // namespace

OutlookState::OutlookState(host::FileSystem& fileSystem, String outboxFolder, Clock now,
                           const String& profileFolder, host::Clipboard* theClipboard)
    : files(fileSystem),
      outbox(WithoutTrailingSeparator(std::move(outboxFolder))),
      clock(std::move(now)),
      faults({// the mail item
              "CreateItem", "To", "Subject", "HTMLBody", "Display",
              // the application and its windows
              "Explorers", "Inspectors", "Item", "Explorers.Count", "Inspectors.Count",
              "ActiveExplorer", "CommandBars", "Advise", "Unadvise", "ProgId", "Version",
              // command bars
              "CommandBars.Item", "CommandBars.Add", "CommandBar.Name", "CommandBar.Reset",
              "Controls.Add", "FindControl", "CommandBar.Visible", "AdaptiveMenu",
              // controls
              "Type", "Caption", "Tag", "TooltipText", "BeginGroup", "Visible", "OnAction",
              "Parameter", "Delete", "FaceId", "Style", "PasteFace", "Picture", "Mask",
              "Popup.CommandBar"}),
      toolbars(fileSystem, profileFolder),
      clipboard(theClipboard) {
  if (outbox.empty())
    throw std::invalid_argument("the stand-in needs an outbox folder");
  if (!clock)
    throw std::invalid_argument("the stand-in needs a clock");
}

std::int64_t OutlookState::Now() const {
  const std::int64_t now = clock();
  if (now < mime::kEarliestDate || now > mime::kLatestDate) {
    throw host::HostError(kEFail, "the clock reads " + std::to_string(now) +
                                      " s since 1970, a time without a four-digit year");
  }
  return now;
}

String OutlookState::WriteDraft(const DraftMail& mail) {
  const std::string content = ComposeDraft(mail);
  // A root has its separator already; it exists if anything does.
  if (!IsSeparator(outbox.back()) && !files.FindFirstFile(outbox)) {
    try {
      files.CreateDirectory(outbox);
    } catch (const host::HostError& error) {
      // Another writer may have made it meanwhile.
      if (error.Number() != kErrorAlreadyExists || !files.FindFirstFile(outbox))
        throw;
    }
  }
  const String folder = IsSeparator(outbox.back()) ? outbox : outbox + u'\\';
  for (int sequence = 1; sequence <= kMostDraftsPerSecond; ++sequence) {
    const String path = folder + DraftFileName(mail.date, sequence);
    // Never write over a file that is there, a draft of an earlier run
    // included (the name taken in any case, as on Windows). The name is only
    // taken by creating the file: another Outlook on the profile may be
    // writing a draft of the same second at this moment.
    if (files.FindFirstFile(path))
      continue;
    try {
      files.CreateNewFile(path, content);
      return path;
    } catch (const host::HostError& error) {
      if (error.Number() != kErrorFileExists)
        throw;
    }
  }
  throw host::HostError(kEFail, "no free draft name in \"" + Utf16ToUtf8(outbox) + "\"");
}

void OutlookState::Notify(const std::string& utf8Line) const {
  if (listener)
    listener(utf8Line);
}

int OutlookState::HeldObjects() {
  std::erase_if(handedOut, [](const std::weak_ptr<void>& held) { return held.expired(); });
  return static_cast<int>(handedOut.size());
}

}  // namespace ostrel::standin
