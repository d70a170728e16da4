// What the stand-in's toolbars look like, read without going through the host
// interface (no faults, no events): for tests and for showing the toolbar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/String.h"

namespace ostrel::standin {

struct ControlView {
  int type = 0;  // msoControlButton or msoControlPopup
  String caption;
  String tag;
  String tooltip;
  String onAction;
  String parameter;
  bool beginGroup = false;
  bool visible = true;
  bool temporary = false;
  // Buttons only.
  int style = 0;
  int faceId = 0;
  bool pastedFace = false;
  bool pictureSet = false;  // Picture given
  bool maskSet = false;     // and its Mask
  // Popups only: the items of the popup's menu.
  bool adaptiveMenu = false;
  std::vector<ControlView> menu;
};

struct BarView {
  String name;
  int position = 0;
  bool visible = false;
  bool temporary = false;
  bool adaptiveMenu = false;
  std::vector<ControlView> controls;
};

// Text as the views quote it: in double quotes, '"' and '\' escaped by '\',
// line ends as \r and \n; UTF-8.
std::string Quoted(const String& text);

// The controls of the bar, those in its popups' menus included, at any depth.
int CountControls(const std::vector<ControlView>& controls);

// One UTF-8 line per bar and per control, the items of a menu indented below
// their popup, for instance
//   toolbar "Quarro": top, visible, permanent, 2 controls
//     button "Payment" tag "QuarroButton" tooltip "New request" style 3 face 1992
//       pasted-face group visible temporary action "<!Ostrel.Connect>"
// (on one line). Texts are quoted, with '"' and '\' escaped by '\'.
std::vector<std::string> DescribeToolbars(const std::vector<BarView>& bars);

}  // namespace ostrel::standin
