// An add-in's groups on the ribbon of Outlook's main window, as Office draws
// them: the markup asked for once per ribbon, read and checked (CustomUi.h),
// then each control's label, screen tip and picture asked of its callbacks.
// Office asks those when the tab is first shown and keeps the answers until
// the add-in invalidates them; so does this view.
#pragma once

#include <string>
#include <vector>

#include "host/Gdi.h"
#include "host/Office.h"
#include "outlook/CustomUi.h"

namespace ostrel::standin {

// The ribbon ID of Outlook's main window.
inline constexpr std::u16string_view kExplorerRibbon = u"Microsoft.Outlook.Explorer";

class AddInRibbon {
 public:
  // Asks `ribbon` for the markup of `ribbonId` and draws it. No groups when
  // the add-in gives no markup; CustomUiError when Office would refuse it. A
  // callback that fails is noted in problems() and its answer left empty.
  AddInRibbon(host::office::RibbonExtensibility& ribbon, const String& ribbonId, host::Gdi& gdi);

  // "ribbon Quarro: 11 controls", one line per group (menus and buttons at
  // any depth count; separators do not).
  std::vector<std::string> Summary() const;
  // The groups and their controls, one line each, menus' items indented:
  //   ribbon group "Quarro" id "QuarroGroup" on tab "TabMail"
  //     button id "QuarroButton" label "Payment" screentip "..." large image 32x32 ...
  std::vector<std::string> Describe() const;
  const std::vector<std::string>& problems() const { return problems_; }

  // Whether one of its controls has the id.
  bool Has(const String& id) const;
  // The control's onAction with an IRibbonControl of its id and tag;
  // std::runtime_error when it has none or the callback failed.
  void Click(const String& id);

  // A control as drawn.
  struct Control {
    RibbonElement element;  // its own attributes; the items are below
    String label;
    String screentip;
    int imageWidth = 0;  // 0: no picture
    int imageHeight = 0;
    bool imageAlpha = false;  // transparent where its alpha channel says
    host::PicturePtr picture;
    std::vector<Control> items;
  };
  struct Group {
    String tab;
    Control group;
  };
  const std::vector<Group>& groups() const { return groups_; }

 private:
  Control Draw(const RibbonElement& element);
  // A text: the attribute as written, else its get* callback's answer.
  String Text(const RibbonElement& element, std::string_view attribute);
  const Control* Find(const std::vector<Control>& controls, const String& id) const;

  host::office::RibbonExtensibility& ribbon_;
  host::Gdi& gdi_;
  std::vector<Group> groups_;
  std::vector<std::string> problems_;
};

}  // namespace ostrel::standin
