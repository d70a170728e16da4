#include "outlook/CustomUi.h"

#include <algorithm>
#include <set>

#include "common/Text.h"

namespace ostrel::standin {

namespace {

constexpr std::u16string_view kNamespace = u"http://schemas.microsoft.com/office/2009/07/customui";
constexpr std::size_t kMaxText = 1024;  // ST_String, ST_ID, ST_Delegate: 1 to 1024 characters

// An element as written, with where it and its attributes begin.
struct Node {
  std::string name;
  std::size_t at = 0;
  std::vector<std::pair<std::string, String>> attributes;
  std::vector<std::size_t> attributeAt;
  std::vector<Node> children;
};

// The well-formedness half: XML 1.0 as far as markup of elements, attributes,
// character references and comments goes. A DTD is refused, as Office reads
// the markup with DTDs prohibited.
class Reader {
 public:
  explicit Reader(const String& text) : text_(text) {}

  Node Document() {
    if (Starts(u"<?xml"))
      Declaration();
    Misc();
    if (Starts(u"<!DOCTYPE"))
      Fail("a DTD is not allowed in the markup");
    if (AtEnd() || Peek() != u'<')
      Fail(AtEnd() ? "the markup is empty" : "the markup does not begin with an element");
    Node root = Element();
    Misc();
    if (!AtEnd())
      Fail("only one root element is allowed; more follows it");
    return root;
  }

  [[noreturn]] void FailAt(std::size_t at, const std::string& why) const {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < at && i < text_.size(); ++i) {
      if (text_[i] == u'\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    throw CustomUiError(line, column, why);
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const { FailAt(pos_, why); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Peek() const { return text_[pos_]; }
  bool Starts(std::u16string_view s) const {
    return std::u16string_view(text_).substr(pos_).starts_with(s);
  }
  static bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
  // Characters XML 1.0 does not allow anywhere: the C0 controls but tab and
  // the line ends, and U+FFFE, U+FFFF.
  static bool IsForbidden(char16_t c) {
    return (c < 0x20 && !IsSpace(c)) || c == 0xFFFE || c == 0xFFFF;
  }
  static bool IsNameStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u':' ||
           c >= 0xC0;
  }
  static bool IsNameChar(char16_t c) {
    return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == 0xB7;
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek()))
      ++pos_;
  }
  void Expect(std::u16string_view s, const std::string& what) {
    if (!Starts(s))
      Fail("expected " + what);
    pos_ += s.size();
  }

  void Declaration() {
    const std::size_t end = text_.find(u"?>", pos_);
    if (end == String::npos)
      Fail("the XML declaration is not closed");
    pos_ = end + 2;
  }

  // Space and comments between elements.
  void Misc() {
    for (;;) {
      SkipSpace();
      if (!Starts(u"<!--"))
        return;
      const std::size_t end = text_.find(u"-->", pos_ + 4);
      if (end == String::npos)
        Fail("a comment is not closed");
      if (text_.substr(pos_ + 4, end - pos_ - 4).find(u"--") != String::npos)
        Fail("\"--\" is not allowed inside a comment");
      pos_ = end + 3;
    }
  }

  std::string Name(const std::string& what) {
    if (AtEnd() || !IsNameStart(Peek()))
      Fail("expected " + what);
    const std::size_t start = pos_;
    while (!AtEnd() && IsNameChar(Peek()))
      ++pos_;
    return Utf16ToUtf8(std::u16string_view(text_).substr(start, pos_ - start));
  }

  // A reference after '&': one of the five entities XML predefines, or a
  // character by number.
  void Reference(String& out) {
    const std::size_t start = pos_;
    const std::size_t end = text_.find(u';', pos_);
    if (end == String::npos || end - pos_ > 12)
      Fail("\"&\" must begin a reference such as &amp;");
    const std::u16string_view name = std::u16string_view(text_).substr(pos_ + 1, end - pos_ - 1);
    static constexpr std::pair<std::u16string_view, char16_t> kEntities[] = {
        {u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''}};
    for (const auto& [entity, c] : kEntities) {
      if (name == entity) {
        out += c;
        pos_ = end + 1;
        return;
      }
    }
    if (name.size() < 2 || name[0] != u'#')
      Fail("the entity &" + Utf16ToUtf8(name) + "; is not defined");
    const bool hex = name[1] == u'x';
    std::uint32_t code = 0;
    const std::u16string_view digits = name.substr(hex ? 2 : 1);
    for (const char16_t d : digits) {
      int value = -1;
      if (d >= u'0' && d <= u'9')
        value = d - u'0';
      else if (hex && d >= u'a' && d <= u'f')
        value = d - u'a' + 10;
      else if (hex && d >= u'A' && d <= u'F')
        value = d - u'A' + 10;
      if (value < 0 || code > 0x10FFFF)
        FailAt(start, "the character reference &" + Utf16ToUtf8(name) + "; is not a number");
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (digits.empty() || code > 0x10FFFF || surrogate ||
        (code < 0x10000 && IsForbidden(static_cast<char16_t>(code))) || code == 0) {
      FailAt(start,
             "the character reference &" + Utf16ToUtf8(name) + "; names no character XML allows");
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    pos_ = end + 1;
  }

  String AttributeValue() {
    if (AtEnd() || (Peek() != u'"' && Peek() != u'\''))
      Fail("an attribute's value must be in quotes");
    const char16_t quote = Peek();
    ++pos_;
    String value;
    for (;;) {
      if (AtEnd())
        Fail("an attribute's value is not closed");
      const char16_t c = Peek();
      if (c == quote)
        break;
      if (c == u'<')
        Fail("\"<\" is not allowed in an attribute's value");
      if (IsForbidden(c))
        Fail("a control character is not allowed in the markup");
      if (c == u'&') {
        Reference(value);
        continue;
      }
      // Line ends and tabs in a value read as spaces (attribute-value
      // normalization).
      value += IsSpace(c) ? u' ' : c;
      ++pos_;
    }
    ++pos_;
    return value;
  }

  Node Element() {
    Node node;
    node.at = pos_;
    Expect(u"<", "an element");
    node.name = Name("an element's name");
    for (;;) {
      const std::size_t before = pos_;
      SkipSpace();
      if (AtEnd())
        Fail("the element <" + node.name + "> is not closed");
      if (Starts(u"/>")) {
        pos_ += 2;
        return node;
      }
      if (Peek() == u'>') {
        ++pos_;
        break;
      }
      if (pos_ == before)
        Fail("expected a space between attributes");
      const std::size_t at = pos_;
      std::string attribute = Name("an attribute or the end of <" + node.name + ">");
      SkipSpace();
      Expect(u"=", "\"=\" after the attribute " + attribute);
      SkipSpace();
      String value = AttributeValue();
      for (const auto& [known, ignored] : node.attributes)
        if (known == attribute)
          FailAt(at, "the attribute " + attribute + " appears twice on <" + node.name + ">");
      node.attributes.emplace_back(std::move(attribute), std::move(value));
      node.attributeAt.push_back(at);
    }
    // Content: elements, comments and space only; customUI has no text.
    for (;;) {
      Misc();
      if (AtEnd())
        Fail("the element <" + node.name + "> is not closed");
      if (Starts(u"</")) {
        pos_ += 2;
        const std::size_t at = pos_;
        const std::string end = Name("the name of the end tag");
        if (end != node.name)
          FailAt(at, "the end tag </" + end + "> does not match <" + node.name + ">");
        SkipSpace();
        Expect(u">", "\">\" to end </" + end + ">");
        return node;
      }
      if (Starts(u"<!") || Starts(u"<?"))
        Fail("only elements and comments are allowed inside <" + node.name + ">");
      if (Peek() != u'<')
        Fail("text is not allowed inside <" + node.name + ">");
      node.children.push_back(Element());
    }
  }

  const String& text_;
  std::size_t pos_ = 0;
};

// ---- The schema's half --------------------------------------------------------

using Names = std::vector<std::string_view>;

bool In(const Names& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The attributes of a control on the ribbon (AG_Control and its kin).
const Names kControl = {"id",
                        "idQ",
                        "idMso",
                        "tag",
                        "enabled",
                        "getEnabled",
                        "image",
                        "imageMso",
                        "getImage",
                        "visible",
                        "getVisible",
                        "label",
                        "getLabel",
                        "insertAfterMso",
                        "insertBeforeMso",
                        "insertAfterQ",
                        "insertBeforeQ",
                        "keytip",
                        "getKeytip",
                        "screentip",
                        "getScreentip",
                        "supertip",
                        "getSupertip",
                        "showImage",
                        "getShowImage",
                        "showLabel",
                        "getShowLabel"};
const Names kPlacement = {"insertAfterMso", "insertBeforeMso", "insertAfterQ", "insertBeforeQ"};

// Whether `attribute` is defined for `element` inside `parent`.
bool Defined(std::string_view element, std::string_view parent, std::string_view attribute) {
  const bool inMenu = parent == "menu";
  if (element == "customUI")
    return In({"onLoad", "loadImage"}, attribute);
  if (element == "ribbon")
    return attribute == "startFromScratch";
  if (element == "tabs")
    return false;
  if (element == "tab") {
    return In({"id", "idQ", "idMso", "tag", "label", "getLabel", "visible", "getVisible", "keytip",
               "getKeytip"},
              attribute) ||
           In(kPlacement, attribute);
  }
  if (element == "group") {
    return In({"id", "idQ", "idMso", "tag", "label", "getLabel", "image", "imageMso", "getImage",
               "screentip", "getScreentip", "supertip", "getSupertip", "visible", "getVisible",
               "keytip", "getKeytip", "autoScale", "centerVertically"},
              attribute) ||
           In(kPlacement, attribute);
  }
  if (element == "separator")
    return In({"id", "idQ", "tag", "visible", "getVisible"}, attribute) ||
           In(kPlacement, attribute);
  if (element == "menuSeparator")
    return In({"id", "idQ", "tag", "title", "getTitle"}, attribute) || In(kPlacement, attribute);
  if (element == "button" || element == "menu") {
    if (In(kControl, attribute))
      return true;
    if (element == "button" && attribute == "onAction")
      return true;
    if (element == "menu" && attribute == "itemSize")
      return true;
    // A control in a menu takes the menu's item size and may have a
    // description; one in a group has a size of its own.
    return inMenu ? In({"description", "getDescription"}, attribute)
                  : In({"size", "getSize"}, attribute);
  }
  return false;
}

// The elements this reader knows inside each parent.
bool ChildAllowed(std::string_view parent, std::string_view child) {
  if (parent == "customUI")
    return child == "ribbon";
  if (parent == "ribbon")
    return child == "tabs";
  if (parent == "tabs")
    return child == "tab";
  if (parent == "tab")
    return child == "group";
  if (parent == "group")
    return In({"button", "menu", "separator"}, child);
  if (parent == "menu")
    return In({"button", "menu", "menuSeparator"}, child);
  return false;
}

// Elements of the schema this stand-in does not draw: refused with a message
// of their own, so that nobody takes them for faults of the markup.
bool OfTheSchema(std::string_view element) {
  return In({"commands",    "command",        "backstage",  "contextMenus", "contextMenu",
             "qat",         "contextualTabs", "officeMenu", "toggleButton", "checkBox",
             "editBox",     "comboBox",       "dropDown",   "gallery",      "splitButton",
             "dynamicMenu", "labelControl",   "box",        "buttonGroup",  "dialogBoxLauncher"},
            element);
}

// Attributes of which at most one may be given.
const Names kExclusive[] = {
    {"id", "idQ", "idMso"},
    {"label", "getLabel"},
    {"image", "imageMso", "getImage"},
    {"screentip", "getScreentip"},
    {"supertip", "getSupertip"},
    {"size", "getSize"},
    {"visible", "getVisible"},
    {"enabled", "getEnabled"},
    {"keytip", "getKeytip"},
    {"showLabel", "getShowLabel"},
    {"showImage", "getShowImage"},
    {"description", "getDescription"},
    {"title", "getTitle"},
    kPlacement,
};

bool IsCallback(std::string_view attribute) {
  return In({"onAction", "onLoad", "loadImage"}, attribute) ||
         (attribute.size() > 3 && attribute.starts_with("get") && attribute[3] >= 'A' &&
          attribute[3] <= 'Z');
}

bool IsNcName(const String& value) {
  if (value.empty() || value.size() > kMaxText)
    return false;
  const auto start = [](char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0xC0;
  };
  if (!start(value[0]))
    return false;
  return std::all_of(value.begin(), value.end(), [&](char16_t c) {
    return start(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == 0xB7;
  });
}

class Checker {
 public:
  Checker(const Reader& reader, const std::function<bool(const String&)>& hasCallback,
          const std::vector<String>& builtInTabs)
      : reader_(reader), hasCallback_(hasCallback), builtInTabs_(builtInTabs) {}

  std::vector<RibbonGroup> Root(const Node& root) {
    if (root.name != "customUI")
      reader_.FailAt(root.at, "the root element is <" + root.name + ">, not <customUI>");
    std::vector<std::pair<std::string, String>> rest;
    bool named = false;
    for (std::size_t i = 0; i < root.attributes.size(); ++i) {
      const auto& [attribute, value] = root.attributes[i];
      if (attribute == "xmlns") {
        if (value != kNamespace)
          reader_.FailAt(root.attributeAt[i], "the namespace " + Utf16ToUtf8(value) +
                                                  " is not the customUI namespace " +
                                                  Utf16ToUtf8(kNamespace));
        named = true;
      } else if (attribute.starts_with("xmlns:")) {
        reader_.FailAt(root.attributeAt[i], "namespace prefixes are not supported here");
      }
    }
    if (!named)
      reader_.FailAt(root.at, "<customUI> is in no namespace; it needs xmlns=\"" +
                                  Utf16ToUtf8(kNamespace) + "\"");
    Check(root, "");
    std::vector<RibbonGroup> groups;
    for (const Node& ribbon : root.children)
      for (const Node& tabs : ribbon.children)
        for (const Node& tab : tabs.children)
          for (const Node& group : tab.children)
            groups.push_back(RibbonGroup{Value(tab, "idMso"), Element(group)});
    return groups;
  }

 private:
  static String Value(const Node& node, std::string_view attribute) {
    for (const auto& [name, value] : node.attributes)
      if (name == attribute)
        return value;
    return String();
  }
  static RibbonElement Element(const Node& node) {
    RibbonElement element{node.name, node.attributes, {}};
    for (const Node& child : node.children)
      element.children.push_back(Element(child));
    return element;
  }

  void Check(const Node& node, std::string_view parent) {
    for (std::size_t i = 0; i < node.attributes.size(); ++i)
      Attribute(node, parent, i);
    for (const Names& exclusive : kExclusive) {
      std::vector<std::string_view> given;
      for (const std::string_view name : exclusive)
        if (std::any_of(node.attributes.begin(), node.attributes.end(),
                        [&](const auto& a) { return a.first == name; }))
          given.push_back(name);
      if (given.size() > 1)
        reader_.FailAt(node.at, "<" + node.name + "> has both " + std::string(given[0]) + " and " +
                                    std::string(given[1]) + "; only one is allowed");
    }
    Identity(node);
    for (const Node& child : node.children) {
      if (!ChildAllowed(node.name, child.name)) {
        reader_.FailAt(child.at, OfTheSchema(child.name)
                                     ? "the element <" + child.name + "> is not supported here"
                                     : "the element <" + child.name + "> is not allowed in <" +
                                           node.name + ">");
      }
      Check(child, node.name);
    }
    // customUI holds one ribbon, and a ribbon one list of tabs.
    if ((node.name == "customUI" || node.name == "ribbon") && node.children.size() > 1)
      reader_.FailAt(node.children[1].at,
                     "<" + node.name + "> may hold only one <" + node.children[1].name + ">");
  }

  // The element's identity: a tab, a group or a control has exactly one of
  // id, idQ and idMso; separators have an id of their own.
  void Identity(const Node& node) {
    if (node.name == "customUI" || node.name == "ribbon" || node.name == "tabs")
      return;
    const bool custom = HasAttribute(node, "id");
    const bool qualified = HasAttribute(node, "idQ");
    const bool builtIn = HasAttribute(node, "idMso");
    if (!custom && !qualified && !builtIn)
      reader_.FailAt(node.at, "<" + node.name + "> has no id");
    if (qualified)
      reader_.FailAt(node.at, "idQ (shared controls) is not supported here");
    if (builtIn && node.name != "tab")
      reader_.FailAt(node.at,
                     "built-in controls (idMso on <" + node.name + ">) are not supported here");
    if (builtIn && std::find(builtInTabs_.begin(), builtInTabs_.end(), Value(node, "idMso")) ==
                       builtInTabs_.end()) {
      reader_.FailAt(node.at, "unknown Office control ID: " + Utf16ToUtf8(Value(node, "idMso")));
    }
  }

  static bool HasAttribute(const Node& node, std::string_view attribute) {
    return std::any_of(node.attributes.begin(), node.attributes.end(),
                       [&](const auto& a) { return a.first == attribute; });
  }

  void Attribute(const Node& node, std::string_view parent, std::size_t i) {
    const auto& [name, value] = node.attributes[i];
    const std::size_t at = node.attributeAt[i];
    if (node.name == "customUI" && (name == "xmlns" || name.starts_with("xmlns:")))
      return;
    if (!Defined(node.name, parent, name))
      reader_.FailAt(at, "the attribute " + name + " is not defined for <" + node.name + ">" +
                             (parent.empty() ? "" : " in <" + std::string(parent) + ">"));
    const std::string quoted = name + "=\"" + Utf16ToUtf8(value) + "\"";
    if (value.empty() || value.size() > kMaxText)
      reader_.FailAt(at, quoted + ": a value of 1 to 1024 characters is needed");
    if (IsCallback(name)) {
      if (!hasCallback_(value))
        reader_.FailAt(at, quoted + ": the add-in has no callback of that name");
    } else if (name == "id") {
      if (!IsNcName(value))
        reader_.FailAt(at, quoted + ": an id must be an XML name (no spaces, not a digit first)");
      if (!ids_.insert(value).second)
        reader_.FailAt(at, quoted + ": the id is used twice");
    } else if (name == "idMso" || name == "imageMso" || name.starts_with("insert")) {
      if (!IsNcName(value))
        reader_.FailAt(at, quoted + ": not an XML name");
    } else if (name == "size" || name == "itemSize") {
      if (value != u"normal" && value != u"large")
        reader_.FailAt(at, quoted + ": the size is normal or large");
    } else if (In({"visible", "enabled", "showLabel", "showImage", "startFromScratch", "autoScale",
                   "centerVertically"},
                  name)) {
      if (value != u"true" && value != u"false" && value != u"1" && value != u"0")
        reader_.FailAt(at, quoted + ": true or false is needed");
    } else if (name == "keytip" && value.size() > 3) {
      reader_.FailAt(at, quoted + ": a key tip has 1 to 3 characters");
    }
  }

  const Reader& reader_;
  const std::function<bool(const String&)>& hasCallback_;
  const std::vector<String>& builtInTabs_;
  std::set<String> ids_;
};

}  // namespace

CustomUiError::CustomUiError(int atLine, int atColumn, const std::string& why)
    : std::runtime_error("line " + std::to_string(atLine) + ", column " + std::to_string(atColumn) +
                         ": " + why),
      line(atLine),
      column(atColumn) {}

String RibbonElement::Attribute(std::string_view attribute) const {
  for (const auto& [name, value] : attributes)
    if (name == attribute)
      return value;
  return String();
}

bool RibbonElement::Has(std::string_view attribute) const {
  return std::any_of(attributes.begin(), attributes.end(),
                     [&](const auto& a) { return a.first == attribute; });
}

std::vector<RibbonGroup> ReadCustomUi(const String& markup,
                                      const std::function<bool(const String&)>& hasCallback,
                                      const std::vector<String>& builtInTabs) {
  Reader reader(markup);
  const Node root = reader.Document();
  return Checker(reader, hasCallback, builtInTabs).Root(root);
}

}  // namespace ostrel::standin
