// An add-in's ribbon markup as Office reads it: a well-formed XML document in
// the customUI namespace of Office 2010 (2009/07), checked against the
// elements and attributes of that schema this stand-in supports, as Office
// checks it before it shows anything of the add-in's ribbon. Office refuses
// the whole markup at the first fault and, with "Show add-in user interface
// errors" on, says where and why; so does this reader.
// Schema: [MS-CUSTOMUI2] 5.1 http://schemas.microsoft.com/office/2009/07/customui
// https://learn.microsoft.com/openspecs/office_standards/ms-customui2/daabc2cd-b3f5-4d32-9099-95d705f70f35
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/String.h"

namespace ostrel::standin {

// Why the markup was refused, and where: line and column (from 1) of the
// character the reader stopped at.
class CustomUiError : public std::runtime_error {
 public:
  CustomUiError(int line, int column, const std::string& why);
  int line;
  int column;
};

// An element of the ribbon: a group, or a control in it.
struct RibbonElement {
  std::string name;  // "group", "button", "menu", "menuSeparator", "separator"
  std::vector<std::pair<std::string, String>> attributes;  // as written
  std::vector<RibbonElement> children;

  // The attribute's value; empty when it is not there.
  String Attribute(std::string_view attribute) const;
  bool Has(std::string_view attribute) const;
};

// A group the markup puts on one of the host's tabs.
struct RibbonGroup {
  String tab;  // the tab's idMso
  RibbonElement group;
};

// The groups of the markup, in order. `hasCallback` answers whether the add-in
// has a callback of that name (IDispatch::GetIDsOfNames succeeds); every
// callback the markup names must. `builtInTabs` are the idMso values of the
// host's tabs. Throws CustomUiError at the first fault.
std::vector<RibbonGroup> ReadCustomUi(const String& markup,
                                      const std::function<bool(const String&)>& hasCallback,
                                      const std::vector<String>& builtInTabs);

}  // namespace ostrel::standin
