// The Windows stand-in's way of loading an add-in: as Outlook does, through
// COM's own lookup of the ProgID and CoCreateInstance in process; the
// connection events go through IDTExtensibility2's vtable with the stand-in's
// Application (a new object for each connection) and add-in instance as
// automation objects.
#pragma once

#include <memory>

#include "outlook/StandinApplication.h"
#include "script/AddInLoader.h"
#include "standin/com/OutlookObjects.h"

namespace ostrel::standin::com {

class ComLoader final : public AddInLoader {
 public:
  explicit ComLoader(StandinApplication& outlook);
  std::unique_ptr<LoadedAddIn> Load(const RegisteredAddIn& addIn) override;

 private:
  StandinApplication& outlook_;
};

}  // namespace ostrel::standin::com
