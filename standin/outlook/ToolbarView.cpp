#include "outlook/ToolbarView.h"

#include "common/Text.h"
#include "host/Office.h"

namespace ostrel::standin {

std::string Quoted(const String& text) {
  std::string out = "\"";
  for (const char c : Utf16ToUtf8(text)) {
    if (c == '"' || c == '\\')
      out += '\\';
    if (c == '\r' || c == '\n') {
      out += c == '\r' ? "\\r" : "\\n";
      continue;
    }
    out += c;
  }
  return out + '"';
}

namespace {

const char* PositionName(int position) {
  static const char* const kNames[] = {"left", "top", "right", "bottom", "floating", "popup"};
  return position >= 0 && position <= 5 ? kNames[position] : "unknown position";
}

void DescribeControls(const std::vector<ControlView>& controls, const std::string& indent,
                      std::vector<std::string>& lines) {
  for (const ControlView& c : controls) {
    const bool popup = c.type == host::office::msoControlPopup;
    std::string line = indent + (popup ? "popup " : "button ") + Quoted(c.caption) + " tag " +
                       Quoted(c.tag) + " tooltip " + Quoted(c.tooltip);
    if (!popup) {
      line += " style " + std::to_string(c.style) + " face " + std::to_string(c.faceId);
      if (c.pastedFace)
        line += " pasted-face";
      if (c.pictureSet)
        line += c.maskSet ? " picture-and-mask" : " picture";
    }
    if (c.beginGroup)
      line += " group";
    line += c.visible ? " visible" : " hidden";
    line += c.temporary ? " temporary" : " permanent";
    if (!c.onAction.empty())
      line += " action " + Quoted(c.onAction);
    if (!c.parameter.empty())
      line += " parameter " + Quoted(c.parameter);
    if (popup) {
      line += " menu of " + std::to_string(c.menu.size());
      if (c.adaptiveMenu)
        line += " adaptive";
    }
    lines.push_back(std::move(line));
    if (popup)
      DescribeControls(c.menu, indent + "  ", lines);
  }
}

}  // namespace

int CountControls(const std::vector<ControlView>& controls) {
  int count = 0;
  for (const ControlView& control : controls)
    count += 1 + CountControls(control.menu);
  return count;
}

std::vector<std::string> DescribeToolbars(const std::vector<BarView>& bars) {
  std::vector<std::string> lines;
  for (const BarView& bar : bars) {
    lines.push_back("toolbar " + Quoted(bar.name) + ": " + PositionName(bar.position) +
                    (bar.visible ? ", visible" : ", hidden") +
                    (bar.temporary ? ", temporary, " : ", permanent, ") +
                    std::to_string(bar.controls.size()) + " controls");
    DescribeControls(bar.controls, "  ", lines);
  }
  return lines;
}

}  // namespace ostrel::standin
