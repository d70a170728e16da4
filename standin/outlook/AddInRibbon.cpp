#include "outlook/AddInRibbon.h"

#include <stdexcept>

#include "common/Text.h"
#include "outlook/ToolbarView.h"

namespace ostrel::standin {

namespace {

// The tabs of Outlook's main window that a group may join (idMso), from
// Microsoft's lists of Office control identifiers for Outlook's explorer
// ("Office Fluent User Interface Control Identifiers").
const std::vector<String>& ExplorerTabs() {
  static const std::vector<String> tabs = {u"TabMail",        u"TabCalendar", u"TabContacts",
                                           u"TabTasks",       u"TabNotes",    u"TabJournal",
                                           u"TabSendReceive", u"TabFolder",   u"TabView",
                                           u"TabAddIns",      u"TabDeveloper"};
  return tabs;
}

int CountControls(const std::vector<AddInRibbon::Control>& controls) {
  int count = 0;
  for (const AddInRibbon::Control& control : controls) {
    const std::string& name = control.element.name;
    if (name != "separator" && name != "menuSeparator")
      ++count;
    count += CountControls(control.items);
  }
  return count;
}

void DescribeControls(const std::vector<AddInRibbon::Control>& controls, const std::string& indent,
                      std::vector<std::string>& lines) {
  for (const AddInRibbon::Control& c : controls) {
    const RibbonElement& e = c.element;
    std::string line = indent + (e.name == "menuSeparator" ? std::string("separator") : e.name) +
                       " id " + Quoted(e.Attribute("id"));
    if (!c.label.empty())
      line += " label " + Quoted(c.label);
    if (!c.screentip.empty())
      line += " screentip " + Quoted(c.screentip);
    if (e.Attribute("size") == u"large")
      line += " large";
    if (c.imageWidth > 0) {
      line += " image " + std::to_string(c.imageWidth) + "x" + std::to_string(c.imageHeight);
      if (c.imageAlpha)
        line += " alpha";
    }
    if (e.Has("onAction"))
      line += " action " + Quoted(e.Attribute("onAction"));
    if (!c.items.empty())
      line += " menu of " + std::to_string(c.items.size());
    lines.push_back(std::move(line));
    DescribeControls(c.items, indent + "  ", lines);
  }
}

// Whether a picture is transparent where its alpha says: a 32 bpp bitmap
// whose fourth bytes are not all 0. GetDIBits gives a DIB section's bytes as
// they are; a bitmap compatible with the screen reads 0 there.
bool HasAlpha(host::Gdi& gdi, host::BitmapHandle bitmap, const host::BitmapRecord& record) {
  if (record.bitsPerPixel != 32 || record.width <= 0 || record.height <= 0)
    return false;
  struct {
    host::BitmapInfoHeader header;
    std::uint32_t colors[256];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = record.width;
  info.header.biHeight = record.height;
  info.header.biPlanes = 1;
  info.header.biBitCount = 32;
  info.header.biCompression = host::kBiRgb;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(record.width) *
                                 static_cast<std::size_t>(record.height) * 4);
  const host::DeviceContext dc = gdi.GetDC(host::WindowHandle::None);
  const int rows = gdi.GetDIBits(dc, bitmap, 0, static_cast<std::uint32_t>(record.height),
                                 bits.data(), &info, host::kDibRgbColors);
  gdi.ReleaseDC(host::WindowHandle::None, dc);
  if (rows != record.height)
    return false;
  for (std::size_t i = 3; i < bits.size(); i += 4)
    if (bits[i] != 0)
      return true;
  return false;
}

host::office::RibbonControl ControlOf(const RibbonElement& element) {
  return host::office::RibbonControl{element.Attribute("id"), element.Attribute("tag")};
}

}  // namespace

AddInRibbon::AddInRibbon(host::office::RibbonExtensibility& ribbon, const String& ribbonId,
                         host::Gdi& gdi)
    : ribbon_(ribbon), gdi_(gdi) {
  const String markup = ribbon_.GetCustomUI(ribbonId);
  if (markup.empty())
    return;
  const auto hasCallback = [this](const String& name) { return ribbon_.HasCallback(name); };
  for (const RibbonGroup& group : ReadCustomUi(markup, hasCallback, ExplorerTabs()))
    groups_.push_back(Group{group.tab, Draw(group.group)});
}

AddInRibbon::Control AddInRibbon::Draw(const RibbonElement& element) {
  Control control{
      RibbonElement{element.name, element.attributes, {}}, {}, {}, 0, 0, false, nullptr, {}};
  control.label = Text(element, "label");
  control.screentip = Text(element, "screentip");
  if (element.Has("getImage")) {
    const String callback = element.Attribute("getImage");
    const host::PicturePtr picture = ribbon_.CallImage(callback, ControlOf(element));
    host::BitmapRecord record{};
    if (!picture || !gdi_.GetBitmapRecord(picture->Handle(), &record)) {
      problems_.push_back("getImage " + Quoted(callback) + " of " +
                          Quoted(element.Attribute("id")) + " gave no picture");
    } else {
      control.imageWidth = record.width;
      control.imageHeight = record.height;
      control.imageAlpha = HasAlpha(gdi_, picture->Handle(), record);
      control.picture = picture;
    }
  }
  for (const RibbonElement& child : element.children)
    control.items.push_back(Draw(child));
  return control;
}

String AddInRibbon::Text(const RibbonElement& element, std::string_view attribute) {
  if (element.Has(attribute))
    return element.Attribute(attribute);
  const std::string getter = "get" + std::string(1, static_cast<char>(attribute[0] - 'a' + 'A')) +
                             std::string(attribute.substr(1));
  if (!element.Has(getter))
    return String();
  const String callback = element.Attribute(getter);
  const std::optional<String> text = ribbon_.CallText(callback, ControlOf(element));
  if (!text)
    problems_.push_back(getter + " " + Quoted(callback) + " of " + Quoted(element.Attribute("id")) +
                        " failed");
  return text.value_or(String());
}

std::vector<std::string> AddInRibbon::Summary() const {
  std::vector<std::string> lines;
  for (const Group& group : groups_)
    lines.push_back("ribbon " + Utf16ToUtf8(group.group.label) + ": " +
                    std::to_string(CountControls(group.group.items)) + " controls");
  return lines;
}

std::vector<std::string> AddInRibbon::Describe() const {
  std::vector<std::string> lines;
  for (const Group& group : groups_) {
    lines.push_back("ribbon group " + Quoted(group.group.label) + " id " +
                    Quoted(group.group.element.Attribute("id")) + " on tab " + Quoted(group.tab));
    DescribeControls(group.group.items, "  ", lines);
  }
  return lines;
}

const AddInRibbon::Control* AddInRibbon::Find(const std::vector<Control>& controls,
                                              const String& id) const {
  for (const Control& control : controls) {
    if (control.element.Attribute("id") == id)
      return &control;
    if (const Control* inside = Find(control.items, id))
      return inside;
  }
  return nullptr;
}

bool AddInRibbon::Has(const String& id) const {
  for (const Group& group : groups_)
    if (group.group.element.Attribute("id") == id || Find(group.group.items, id) != nullptr)
      return true;
  return false;
}

void AddInRibbon::Click(const String& id) {
  for (const Group& group : groups_) {
    const Control* control = Find(group.group.items, id);
    if (control == nullptr)
      continue;
    const RibbonElement& element = control->element;
    if (!element.Has("onAction"))
      throw std::runtime_error("the ribbon's " + element.name + " " + Utf16ToUtf8(id) +
                               " has no action");
    if (!ribbon_.CallAction(element.Attribute("onAction"), ControlOf(element)))
      throw std::runtime_error("onAction " + Quoted(element.Attribute("onAction")) + " of " +
                               Quoted(id) + " failed");
    return;
  }
  throw std::runtime_error("no ribbon control " + Utf16ToUtf8(id));
}

}  // namespace ostrel::standin
