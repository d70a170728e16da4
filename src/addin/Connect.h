// The add-in's connection with Outlook: the five events of IDTExtensibility2.
// Nothing thrown ever leaves these handlers.
#pragma once

#include <memory>
#include <vector>

#include "addin/AddIn.h"
#include "addin/AddInState.h"
#include "host/Outlook.h"
#include "host/ui/DialogSource.h"

namespace ostrel {

class Connect final : public host::outlook::AddInConnection,
                      public ui::DialogSource,
                      public host::office::RibbonExtensibility {
 public:
  // The platform the add-in runs on and the folder of its module.
  Connect(host::Platform& platform, String addinFolder);
  ~Connect() override;
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  void AddinInstance_OnConnection(std::shared_ptr<host::outlook::Application> application,
                                  int connectMode, host::outlook::AddInInstance& addInInst,
                                  const std::vector<String>& custom) noexcept;
  void AddinInstance_OnDisconnection(int removeMode, const std::vector<String>& custom) noexcept;
  void AddinInstance_OnStartupComplete(const std::vector<String>& custom) noexcept;
  void AddinInstance_OnBeginShutdown(const std::vector<String>&) noexcept {}
  void AddinInstance_OnAddInsUpdate(const std::vector<String>&) noexcept {}

  // The host's view of the same events.
  void OnConnection(std::shared_ptr<host::outlook::Application> application, int connectMode,
                    host::outlook::AddInInstance& addInInst,
                    const std::vector<String>& custom) override {
    AddinInstance_OnConnection(std::move(application), connectMode, addInInst, custom);
  }
  void OnDisconnection(int removeMode, const std::vector<String>& custom) override {
    AddinInstance_OnDisconnection(removeMode, custom);
  }
  void OnAddInsUpdate(const std::vector<String>& custom) override {
    AddinInstance_OnAddInsUpdate(custom);
  }
  void OnStartupComplete(const std::vector<String>& custom) override {
    AddinInstance_OnStartupComplete(custom);
  }
  void OnBeginShutdown(const std::vector<String>& custom) override {
    AddinInstance_OnBeginShutdown(custom);
  }
  // The ribbon: the group's markup for Outlook's main window and the
  // callbacks it names (addin/Ribbon.h).
  host::office::RibbonExtensibility* Ribbon() override { return this; }
  String GetCustomUI(const String& ribbonId) override;
  bool HasCallback(const String& name) override;
  std::optional<String> CallText(const String& name,
                                 const host::office::RibbonControl& control) override;
  host::PicturePtr CallImage(const String& name,
                             const host::office::RibbonControl& control) override;
  bool CallAction(const String& name, const host::office::RibbonControl& control) override;

  // The wizard, options, About and template chooser that are loaded.
  std::vector<ui::Dialog*> Dialogs() override;

  // The AddIn object, nullptr while there is none.
  AddIn* addIn() const { return addIn_.get(); }
  AddInState& state() { return state_; }

 private:
  AddIn& TheAddIn();

  AddInState state_;
  std::unique_ptr<AddIn> addIn_;
};

}  // namespace ostrel
