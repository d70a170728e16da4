// The dialog model's behaviours that the dialogs rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ui/Dialog.h"

namespace ostrel::ui {
namespace {

// A small dialog: a frame with two options and a box, a second frame with one
// option, a validated box, a quantity with its spinner, a check box and a button.
class Sample : public Dialog {
 public:
  Sample()
      : Dialog(u"frmSample"),
        fraA(Add(Kind::Frame, u"fraA", -1, nullptr, {})),
        optA0(Add(Kind::OptionButton, u"optA", 0, &fraA, {})),
        optA1(Add(Kind::OptionButton, u"optA", 1, &fraA, {})),
        txtInA(Add(Kind::TextBox, u"txtInA", -1, &fraA, {})),
        fraB(Add(Kind::Frame, u"fraB", 3, nullptr, {})),
        optB(Add(Kind::OptionButton, u"optB", -1, &fraB, {})),
        txtRule(Add(Kind::TextBox, u"txtRule", -1, nullptr, {})),
        txtQuantity(Add(Kind::TextBox, u"txtQuantity", -1, nullptr, {})),
        spin(Add(Kind::UpDown, u"spin", -1, nullptr, {})),
        chk(Add(Kind::CheckBox, u"chk", -1, nullptr, {})),
        cmdGo(Add(Kind::CommandButton, u"cmdGo", -1, nullptr, {})),
        lbl(Add(Kind::Label, u"lbl", -1, nullptr, {})) {
    visible = true;
    spin.buddy = &txtQuantity;
    spin.minimum = 0;
    spin.maximum = 10;
    for (Control* c : {&optA0, &optA1, &optB, &chk, &cmdGo, &lbl})
      c->onClick = [this, c] { events.push_back("click " + Name(*c)); };
    for (Control* c : {&txtInA, &txtRule, &txtQuantity})
      c->onChange = [this, c] { events.push_back("change " + Name(*c)); };
    txtRule.onValidate = [this](bool& cancel) {
      events.push_back("validate txtRule");
      cancel = txtRule.Text() == u"bad";
    };
  }
  static std::string Name(const Control& c) {
    std::string out;
    for (char16_t ch : c.DisplayName())
      out += static_cast<char>(ch);
    return out;
  }
  Control &fraA, &optA0, &optA1, &txtInA, &fraB, &optB, &txtRule, &txtQuantity, &spin, &chk, &cmdGo,
      &lbl;
  std::vector<std::string> events;
};

TEST(DialogModel, ChangesByCodeRunEventsLikeUserChanges) {
  Sample d;
  d.txtInA.SetText(u"x");
  d.txtInA.SetText(u"x");  // no change, no event
  d.chk.SetValue(1);
  d.chk.SetValue(1);
  d.optA1.Select();
  d.optA1.Select();              // selecting again still clicks, as the toolkit does
  d.lbl.SetCaption(u"caption");  // labels have no change event
  EXPECT_EQ(d.events, (std::vector<std::string>{"change txtInA", "click chk", "click optA(1)",
                                                "click optA(1)"}));
}

TEST(DialogModel, OneSelectedOptionPerContainer) {
  Sample d;
  d.optA0.Select();
  d.optB.Select();
  EXPECT_TRUE(d.optA0.Selected());
  EXPECT_TRUE(d.optB.Selected()) << "another container keeps its own selection";
  d.optA1.Select();
  EXPECT_FALSE(d.optA0.Selected());
  EXPECT_TRUE(d.optA1.Selected());
  EXPECT_TRUE(d.optB.Selected());
}

TEST(DialogModel, ValidationCancelKeepsFocusAndSwallowsTheClick) {
  Sample d;
  ASSERT_EQ(Type(d.txtRule, u"bad"), Outcome::Done);
  d.events.clear();

  EXPECT_EQ(Click(d.cmdGo), Outcome::Refused);
  EXPECT_EQ(d.Focused(), &d.txtRule);
  EXPECT_EQ(d.events, std::vector<std::string>{"validate txtRule"}) << "no click after cancel";

  // A target that does not ask for validation gets the focus anyway.
  d.cmdGo.causesValidation = false;
  d.events.clear();
  EXPECT_EQ(Click(d.cmdGo), Outcome::Done);
  EXPECT_EQ(d.events, std::vector<std::string>{"click cmdGo"});

  // With a good value the move happens after validation.
  d.cmdGo.causesValidation = true;
  ASSERT_EQ(Type(d.txtRule, u"good"), Outcome::Done);
  d.events.clear();
  EXPECT_EQ(Click(d.chk), Outcome::Done);
  EXPECT_EQ(d.events, (std::vector<std::string>{"validate txtRule", "click chk"}));
  EXPECT_EQ(d.chk.Value(), 1);
}

TEST(DialogModel, CodeFocusDoesNotValidateButNeedsAVisibleEnabledControl) {
  Sample d;
  ASSERT_EQ(Type(d.txtRule, u"bad"), Outcome::Done);
  d.events.clear();
  EXPECT_TRUE(d.SetFocus(d.cmdGo));
  EXPECT_TRUE(d.events.empty());
  d.fraA.visible = false;
  EXPECT_FALSE(d.SetFocus(d.txtInA)) << "inside a hidden frame";
  EXPECT_FALSE(d.SetFocus(d.lbl)) << "labels take no focus";
  EXPECT_EQ(d.Focused(), &d.cmdGo);
}

TEST(DialogModel, UserActionsOnHiddenDisabledOrBlockedControlsAreImpossible) {
  Sample d;
  d.fraB.enabled = false;
  EXPECT_EQ(Click(d.optB), Outcome::NotPossible);
  d.cmdGo.visible = false;
  EXPECT_EQ(Click(d.cmdGo), Outcome::NotPossible);
  EXPECT_EQ(Type(d.lbl, u"x"), Outcome::NotPossible);
  Sample modal;
  modal.ShowModalOver(d);
  EXPECT_EQ(Click(d.chk), Outcome::NotPossible);
  EXPECT_EQ(Tab(d), Outcome::NotPossible);
  modal.Unload();
  EXPECT_EQ(d.modalChild, nullptr);
  EXPECT_EQ(Click(d.chk), Outcome::Done);
  EXPECT_TRUE(d.events.back() == "click chk");
}

TEST(DialogModel, WalkGivesContainersAndIndexes) {
  Sample d;
  std::vector<std::string> walk;
  for (const auto& c : d.Controls())
    walk.push_back(Sample::Name(*c) + "@" +
                   (c->container() ? Sample::Name(*c->container()) : std::string("dialog")));
  EXPECT_EQ(walk, (std::vector<std::string>{"fraA@dialog", "optA(0)@fraA", "optA(1)@fraA",
                                            "txtInA@fraA", "fraB(3)@dialog", "optB@fraB(3)",
                                            "txtRule@dialog", "txtQuantity@dialog", "spin@dialog",
                                            "chk@dialog", "cmdGo@dialog", "lbl@dialog"}));
  EXPECT_EQ(&d.Get(u"optA", 1), &d.optA1);
  EXPECT_EQ(d.Find(u"optA"), nullptr) << "an array entry needs its index";
  EXPECT_THROW(d.Get(u"nothing"), std::out_of_range);
}

TEST(DialogModel, SpinnerStepsItsBuddyWithinItsRange) {
  struct Case {
    const char16_t* start;
    int direction;
    const char16_t* expected;
  } cases[] = {
      {u"1", +1, u"2"},   {u"10", +1, u"10"}, {u"0", -1, u"0"},  {u"", +1, u"1"},
      {u"abc", +1, u"1"}, {u"25", -1, u"10"}, {u"-3", +1, u"0"}, {u" 4", -1, u"3"},
  };
  for (const Case& c : cases) {
    Sample d;
    d.txtQuantity.SetText(c.start);
    d.events.clear();
    EXPECT_EQ(Spin(d.spin, c.direction), Outcome::Done);
    EXPECT_EQ(d.txtQuantity.Text(), c.expected) << Sample::Name(d.txtQuantity);
  }
  Sample d;
  d.txtQuantity.SetText(u"3");
  d.events.clear();
  Spin(d.spin, +1);
  EXPECT_EQ(d.events, std::vector<std::string>{"change txtQuantity"});
}

TEST(DialogModel, TabVisitsFocusableControlsAndOneStopPerOptionGroup) {
  Sample d;
  d.optA1.Select();
  d.chk.visible = false;
  std::vector<std::string> order;
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(Tab(d), Outcome::Done);
    order.push_back(Sample::Name(*d.Focused()));
  }
  // optA(0) is skipped: its group's stop is the selected optA(1). optB, with
  // nothing selected in its frame, is its group's first option.
  EXPECT_EQ(order, (std::vector<std::string>{"optA(1)", "txtInA", "optB", "txtRule", "txtQuantity",
                                             "spin", "cmdGo", "optA(1)"}));
}

TEST(DialogModel, TypingIsCutToTheMaximumLengthButCodeIsNot) {
  Sample d;
  d.txtInA.maxLength = 3;
  EXPECT_EQ(Type(d.txtInA, u"abcdef"), Outcome::Done);
  EXPECT_EQ(d.txtInA.Text(), u"abc");
  d.txtInA.SetText(u"abcdef");
  EXPECT_EQ(d.txtInA.Text(), u"abcdef");
}

TEST(DialogModel, ListIndexStaysWithinTheItems) {
  Sample d;
  Control& list = d.txtInA;  // any control holds items; the kind matters for Select only
  list.AddItem(u"b", 0);
  list.AddItem(u"a", 0);
  EXPECT_EQ(list.Items(), (std::vector<String>{u"a", u"b"}));
  EXPECT_TRUE(list.SetListIndex(1));
  EXPECT_FALSE(list.SetListIndex(2));
  EXPECT_EQ(list.ListIndex(), 1);
  list.AddItem(u"first", 0);
  EXPECT_EQ(list.ListIndex(), 2) << "the selection follows its item";
  EXPECT_TRUE(list.SetListIndex(-1));
  EXPECT_EQ(Select(list, 0), Outcome::NotPossible) << "not a drop-down list";
}

TEST(DialogModel, CloseBoxRunsTheDialogsHandlerOrUnloads) {
  Sample d;
  bool closed = false;
  d.onClose = [&] { closed = true; };
  EXPECT_EQ(CloseWindow(d), Outcome::Done);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(d.Unloaded());
  Sample plain;
  EXPECT_EQ(CloseWindow(plain), Outcome::Done);
  EXPECT_TRUE(plain.Unloaded());
  EXPECT_EQ(CloseWindow(plain), Outcome::NotPossible);
}

}  // namespace
}  // namespace ostrel::ui
