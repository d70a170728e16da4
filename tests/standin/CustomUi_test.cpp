// The stand-in reads ribbon markup as strictly as Office: each mutation of the
// add-in's own markup below is one Office refuses, and the reader must say
// where and why; the markup as the add-in gives it is read whole.
#include "outlook/CustomUi.h"

#include <gtest/gtest.h>

#include "addin/Ribbon.h"
#include "common/Text.h"

namespace ostrel::standin {
namespace {

const std::vector<String> kTabs = {u"TabMail", u"TabView"};

bool Ours(const String& name) {
  return ribbon::CallbackNamed(name).has_value();
}

String Replaced(String text, std::u16string_view from, std::u16string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, String::npos) << Utf16ToUtf8(from);
  return at == String::npos ? text : text.replace(at, from.size(), to);
}

TEST(CustomUi, RefusesWhatOfficeRefusesAndSaysWhere) {
  const String markup = ribbon::CustomUI(ribbon::kExplorerRibbonId);
  const std::vector<RibbonGroup> groups = ReadCustomUi(markup, Ours, kTabs);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].tab, u"TabMail");
  EXPECT_EQ(groups[0].group.Attribute("label"), u"Quarro");
  ASSERT_EQ(groups[0].group.children.size(), 2u);
  EXPECT_EQ(groups[0].group.children[1].name, "menu");
  EXPECT_EQ(groups[0].group.children[1].children.size(), 14u) << "nine commands, five separators";

  const String head = u"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\">";
  const String tail = u"</customUI>";
  const struct {
    const char* what;
    String markup;
    const char* why;  // part of the message; nullptr: read without complaint
  } cases[] = {
      {"callback unknown", Replaced(markup, u"getLabel=\"GetLabel\"", u"getLabel=\"Label\""),
       "no callback of that name"},
      {"callback in another case",
       Replaced(markup, u"onAction=\"OnAction\"", u"onAction=\"onaction\""), nullptr},
      {"id twice", Replaced(markup, u"id=\"QuarroProduct\"", u"id=\"QuarroGeneral\""),
       "used twice"},
      {"size in a menu",
       Replaced(markup, u"id=\"QuarroHelp\"", u"id=\"QuarroHelp\" size=\"large\""),
       "size is not defined for <button> in <menu>"},
      {"size not a size", Replaced(markup, u"size=\"large\"", u"size=\"huge\""), "normal or large"},
      {"label and getLabel",
       Replaced(markup, u"id=\"QuarroButton\"", u"id=\"QuarroButton\" label=\"x\""),
       "only one is allowed"},
      {"namespace of Office 2007 with this schema",
       Replaced(markup, u"2009/07/customui", u"2006/01/customui"), "not the customUI namespace"},
      {"no namespace",
       Replaced(markup, u" xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\"", u""),
       "in no namespace"},
      {"unknown tab", Replaced(markup, u"TabMail", u"TabMale"),
       "unknown Office control ID: TabMale"},
      {"end tag mismatch", Replaced(markup, u"</menu>", u"</menus>"), "does not match <menu>"},
      {"cut short", markup.substr(0, markup.size() - 11), "not closed"},
      {"unsupported element", Replaced(markup, u"<menuSeparator", u"<checkBox"),
       "not supported here"},
      {"element in the wrong place", Replaced(markup, u"<menuSeparator", u"<separator"),
       "<separator> is not allowed in <menu>"},
      {"control without id", Replaced(markup, u"<button id=\"QuarroUpdate\"", u"<button"),
       "has no id"},
      {"id not a name", Replaced(markup, u"id=\"QuarroAbout\"", u"id=\"1 About\""), "XML name"},
      {"entity", Replaced(markup, u"label=\"Quarro\"", u"label=\"Q &amp; &#x51;\""), nullptr},
      {"bare ampersand", Replaced(markup, u"label=\"Quarro\"", u"label=\"Q & R\""), "reference"},
      {"text in an element", head + u"<ribbon>tabs</ribbon>" + tail, "text is not allowed"},
      {"two ribbons", head + u"<ribbon/><ribbon/>" + tail, "only one <ribbon>"},
      {"a DTD", u"<!DOCTYPE customUI>" + head + tail, "DTD"},
      {"declaration and comment", u"<?xml version=\"1.0\"?><!-- x -->" + head + tail, nullptr},
      {"two roots", head + tail + head + tail, "only one root"},
      {"empty", u"", "empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ReadCustomUi(c.markup, Ours, kTabs);
      EXPECT_EQ(c.why, nullptr) << "read without complaint";
    } catch (const CustomUiError& error) {
      ASSERT_NE(c.why, nullptr) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.why), std::string::npos) << error.what();
      EXPECT_EQ(error.line, 1);
      EXPECT_GE(error.column, 1);
    }
  }

  // The place of a fault on a later line: line and column of the attribute.
  try {
    ReadCustomUi(head + u"\n<ribbon>\n  <tabs foo=\"1\"/></ribbon>" + tail, Ours, kTabs);
    ADD_FAILURE() << "an attribute tabs does not have";
  } catch (const CustomUiError& error) {
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.column, 9) << error.what();
  }
}

}  // namespace
}  // namespace ostrel::standin
