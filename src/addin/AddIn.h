// What the add-in holds inside Outlook: the application, the watched explorer,
// the toolbar with its popup and ten commands, and the handlers of their events.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "addin/AddInState.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace ostrel {

class AddIn;

// A connection to one event source: binding a new source (or none) first
// undoes the connection to the old one, as assigning a WithEvents member does.
template <typename Source, typename Sink>
class EventLink {
 public:
  explicit EventLink(Sink* sink) : sink_(sink) {}
  ~EventLink() { Reset(); }
  EventLink(const EventLink&) = delete;
  EventLink& operator=(const EventLink&) = delete;

  // Throws when the source refuses the connection; the link is then empty.
  void Bind(std::shared_ptr<Source> source) {
    Reset();
    if (!source)
      return;
    cookie_ = source->Advise(sink_);
    source_ = std::move(source);
  }
  // Never throws: a source that refuses to disconnect is dropped all the same.
  void Reset() noexcept;
  Source* get() const { return source_.get(); }
  const std::shared_ptr<Source>& source() const { return source_; }

 private:
  Sink* sink_;
  std::shared_ptr<Source> source_;
  std::uint32_t cookie_ = 0;
};

// A command button of the toolbar with its Click handler.
class CommandMember final : public host::office::CommandBarButtonEvents {
 public:
  using Handler = void (AddIn::*)();
  CommandMember(AddIn& owner, Handler handler) : owner_(owner), handler_(handler), link_(this) {}

  // Keeps the control and connects its Click, when it is a button.
  void Set(const std::shared_ptr<host::office::CommandBarControl>& control);
  host::office::CommandBarButton* get() const { return link_.get(); }
  void Click(host::office::CommandBarButton& ctrl, bool& cancelDefault) override;

 private:
  AddIn& owner_;
  Handler handler_;
  EventLink<host::office::CommandBarButton, host::office::CommandBarButtonEvents> link_;
};

class AddIn final : private host::outlook::ExplorerEvents {
 public:
  explicit AddIn(AddInState& state);
  ~AddIn() override;
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  void Initialize(host::outlook::Application& application, const String& progId);
  void Shutdown() noexcept;
  // Throws at the first step that fails; Initialize goes on after it.
  void ApplyResources();

  // Click handlers of the ten commands.
  void objCBButton_Click();
  void objCBBGeneral_Click();
  void objCBBProduct_Click();
  void objCBBService_Click();
  void objCBBAuction_Click();
  void objCBBDonation_Click();
  void objCBBOptions_Click();
  void objCBBHelp_Click();
  void objCBBAbout_Click();
  void objCBBUpdate_Click();
  // Window watch.
  void objExpl_BeforeFolderSwitch(const String& newFolder, bool& cancel);
  void objExpl_Close();

  // A command that failed inside: the user is told, Outlook goes on.
  void ReportCommandFailure() noexcept;

  AddInState& state;

  EventLink<host::outlook::Explorer, host::outlook::ExplorerEvents> objExpl;
  // No inspector is watched (see objExpl_Close); the member is dropped by
  // Shutdown like the explorer.
  std::shared_ptr<host::outlook::Inspector> objInsp;
  std::shared_ptr<host::office::CommandBar> objCommandBar;
  std::shared_ptr<host::office::CommandBarControl> objCBPopup;
  std::shared_ptr<host::office::CommandBar> objPopupBar;
  CommandMember objCBButton;
  CommandMember objCBBGeneral;
  CommandMember objCBBProduct;
  CommandMember objCBBService;
  CommandMember objCBBAuction;
  CommandMember objCBBDonation;
  CommandMember objCBBOptions;
  CommandMember objCBBHelp;
  CommandMember objCBBAbout;
  CommandMember objCBBUpdate;

 private:
  void BuildToolbar(const String& progId);
  void PasteMainButtonFace();
  void OpenForType(std::int32_t type);

  void BeforeFolderSwitch(const String& newFolder, bool& cancel) override {
    objExpl_BeforeFolderSwitch(newFolder, cancel);
  }
  void Close() override { objExpl_Close(); }
};

}  // namespace ostrel

#include "addin/Steps.h"

namespace ostrel {

template <typename Source, typename Sink>
void EventLink<Source, Sink>::Reset() noexcept {
  if (!source_)
    return;
  SkipOnFailure([this] { source_->Unadvise(cookie_); });
  source_.reset();
}

}  // namespace ostrel
