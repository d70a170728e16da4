// The windows of the stand-in: explorers (main windows, with their command
// bars and current folder) and inspectors (item windows). StandinApplication
// opens and closes them; the event-raising members here are its tools.
#pragma once

#include <cstdint>
#include <memory>

#include "host/Outlook.h"
#include "outlook/EventSinks.h"
#include "outlook/OutlookState.h"
#include "outlook/StandinCommandBars.h"

namespace ostrel::standin {

class StandinExplorer final : public host::outlook::Explorer,
                              public std::enable_shared_from_this<StandinExplorer> {
 public:
  // `number` names the window in the listener's lines ("explorer 2 closed").
  StandinExplorer(std::shared_ptr<OutlookState> state, int number, String folder);

  // The window's command bars, the same object every time. RPC_E_DISCONNECTED
  // once the window has closed, as Advise; Unadvise works as long as the
  // object lives.
  std::shared_ptr<host::office::CommandBars> CommandBars() override;
  std::uint32_t Advise(host::outlook::ExplorerEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

  int Number() const { return number_; }
  const String& Folder() const { return folder_; }
  bool IsOpen() const { return open_; }
  // From the start of its Close until it is gone.
  bool IsClosing() const { return closing_; }
  void BeginClose() { closing_ = true; }
  StandinCommandBars& Bars() { return *bars_; }
  std::size_t Receivers() const { return sinks_.Count(); }

  // BeforeFolderSwitch for each receiver, with one Cancel flag passed on from
  // one to the next; then the folder changes unless it was set. Returns it.
  bool SwitchFolder(const String& folder);
  // Close for each receiver.
  void RaiseClose();
  // The window is gone: its bars and their controls go with it.
  void MarkClosed();

 private:
  void Enter(std::string_view operation) const;

  std::shared_ptr<OutlookState> state_;
  int number_;
  String folder_;
  bool open_ = true;
  bool closing_ = false;
  std::shared_ptr<StandinCommandBars> bars_;
  EventSinks<host::outlook::ExplorerEvents> sinks_;
};

class StandinInspector final : public host::outlook::Inspector,
                               public std::enable_shared_from_this<StandinInspector> {
 public:
  StandinInspector(std::shared_ptr<OutlookState> state, int number);

  // RPC_E_DISCONNECTED once closed; Unadvise works as long as the object lives.
  std::uint32_t Advise(host::outlook::InspectorEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

  int Number() const { return number_; }
  bool IsOpen() const { return open_; }
  bool IsClosing() const { return closing_; }
  void BeginClose() { closing_ = true; }
  std::size_t Receivers() const { return sinks_.Count(); }

  void RaiseClose();
  void MarkClosed() { open_ = false; }

 private:
  std::shared_ptr<OutlookState> state_;
  int number_;
  bool open_ = true;
  bool closing_ = false;
  EventSinks<host::outlook::InspectorEvents> sinks_;
};

// The host's object for the add-in: the ProgID it was loaded under.
class StandinAddInInstance final : public host::outlook::AddInInstance {
 public:
  StandinAddInInstance(std::shared_ptr<OutlookState> state, String progId);
  String ProgId() override;

 private:
  std::shared_ptr<OutlookState> state_;
  String progId_;
};

}  // namespace ostrel::standin
