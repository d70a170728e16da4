#include "outlook/StandinWindows.h"

#include "common/Text.h"
#include "host/HostError.h"

namespace ostrel::standin {
namespace {

void CheckOpen(bool open, std::string_view operation, const char* window) {
  if (!open) {
    throw host::HostError(kEDisconnected,
                          std::string(operation) + ": the " + window + " window has closed");
  }
}

}  // namespace

StandinExplorer::StandinExplorer(std::shared_ptr<OutlookState> state, int number, String folder)
    : state_(std::move(state)),
      number_(number),
      folder_(std::move(folder)),
      bars_(std::make_shared<StandinCommandBars>(state_)) {}

void StandinExplorer::Enter(std::string_view operation) const {
  CheckOpen(open_, operation, "explorer");
  state_->faults.Check(operation);
}

std::shared_ptr<host::office::CommandBars> StandinExplorer::CommandBars() {
  Enter("CommandBars");
  if (!shown_)
    throw host::HostError(kEFail, "CommandBars: the explorer window has not appeared yet");
  return state_->HandOut(std::shared_ptr<host::office::CommandBars>(bars_));
}

std::uint32_t StandinExplorer::Advise(host::outlook::ExplorerEvents* sink) {
  Enter("Advise");
  return sinks_.Advise(sink);
}

void StandinExplorer::Unadvise(std::uint32_t cookie) {
  state_->faults.Check("Unadvise");
  sinks_.Unadvise(cookie);
}

bool StandinExplorer::SwitchFolder(const String& folder) {
  const auto self = shared_from_this();
  bool cancel = false;
  sinks_.Raise(
      [&](host::outlook::ExplorerEvents& sink) { sink.BeforeFolderSwitch(folder, cancel); });
  const std::string name = Utf16ToUtf8(folder);
  if (cancel) {
    state_->Notify("folder switch to " + name + " cancelled");
  } else {
    folder_ = folder;
    state_->Notify("folder switched to " + name);
  }
  return cancel;
}

void StandinExplorer::RaiseClose() {
  const auto self = shared_from_this();
  sinks_.Raise([](host::outlook::ExplorerEvents& sink) { sink.Close(); });
}

void StandinExplorer::RaiseActivate() {
  const auto self = shared_from_this();
  sinks_.Raise([](host::outlook::ExplorerEvents& sink) { sink.Activate(); });
}

void StandinExplorer::MarkClosed() {
  open_ = false;
  bars_->Disconnect();
}

StandinInspector::StandinInspector(std::shared_ptr<OutlookState> state, int number)
    : state_(std::move(state)), number_(number) {}

std::uint32_t StandinInspector::Advise(host::outlook::InspectorEvents* sink) {
  CheckOpen(open_, "Advise", "inspector");
  state_->faults.Check("Advise");
  return sinks_.Advise(sink);
}

void StandinInspector::Unadvise(std::uint32_t cookie) {
  state_->faults.Check("Unadvise");
  sinks_.Unadvise(cookie);
}

void StandinInspector::RaiseClose() {
  const auto self = shared_from_this();
  sinks_.Raise([](host::outlook::InspectorEvents& sink) { sink.Close(); });
}

StandinAddInInstance::StandinAddInInstance(std::shared_ptr<OutlookState> state, String progId)
    : state_(std::move(state)), progId_(std::move(progId)) {}

String StandinAddInInstance::ProgId() {
  state_->faults.Check("ProgId");
  return progId_;
}

}  // namespace ostrel::standin
