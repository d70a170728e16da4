// The Linux stand-in's way of loading an add-in: its shared library is opened
// and the registered class created through the module's entry points, as COM
// would through the server's class factory.
#pragma once

#include <memory>
#include <vector>

#include "host/Platform.h"
#include "host/ui/Dialog.h"
#include "outlook/StandinApplication.h"
#include "script/AddInLoader.h"

namespace ostrel::standin {

class ModuleLoader final : public AddInLoader {
 public:
  // The add-ins get `platform` as their desktop and `outlook` at connection.
  ModuleLoader(host::Platform& platform, StandinApplication& outlook);
  ~ModuleLoader() override;

  std::unique_ptr<LoadedAddIn> Load(const RegisteredAddIn& addIn) override;

  // The loaded dialogs of every add-in loaded now, for the headless view.
  std::vector<ui::Dialog*> Dialogs() const;

 private:
  class Module;

  host::Platform& platform_;
  StandinApplication& outlook_;
  std::vector<Module*> loaded_;
};

}  // namespace ostrel::standin
