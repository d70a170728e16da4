// Keyboard users, in both languages: on every page of the wizard and in every
// dialog, each field's label, option, check box and button has an access key
// of its own, and Tab walks the controls as the eye reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/Text.h"
#include "help/frmAbout.h"
#include "settings/frmOptions.h"
#include "support/WizardFixture.h"
#include "templates/frmTemplate.h"

namespace ostrel {
namespace {

using ui::Kind;

std::string Narrow(const String& text) {
  std::string out;
  for (const char16_t c : text)
    out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

bool IsField(const ui::Control& c) {
  return c.kind() == Kind::TextBox || c.kind() == Kind::MaskedEdit || c.kind() == Kind::ComboBox;
}

// The order the eye reads two controls in: the one higher up first, left to
// right along a row (tops within a label's offset of each other count as one
// row). Controls of one frame stay together, in the frame's place.
bool ReadsBefore(const ui::Control& a, const ui::Control& b) {
  const ui::Control* pa = &a;
  const ui::Control* pb = &b;
  // Compare within the innermost container the two share.
  auto chain = [](const ui::Control* c) {
    std::vector<const ui::Control*> up;
    for (; c != nullptr; c = c->container())
      up.insert(up.begin(), c);
    return up;
  };
  const auto ca = chain(pa);
  const auto cb = chain(pb);
  std::size_t i = 0;
  while (i < ca.size() && i < cb.size() && ca[i] == cb[i])
    ++i;
  pa = ca[i];
  pb = cb[i];
  constexpr int kRow = 150;  // twips: a label sits a little lower than its field
  if (pa->rect.top + kRow < pb->rect.top)
    return true;
  if (pb->rect.top + kRow < pa->rect.top)
    return false;
  return pa->rect.left < pb->rect.left;
}

// What is wrong with the keys and the tab order of what the dialog shows now.
std::vector<std::string> KeyFaults(const ui::Dialog& dialog, const std::string& where) {
  std::vector<std::string> faults;
  std::vector<const ui::Control*> shown;
  for (const auto& c : dialog.Controls())
    if (c->IsShown())
      shown.push_back(c.get());

  std::map<char16_t, std::string> taken;
  auto key = [&](const ui::Control& c, bool needed) {
    const char16_t key = AccessKeyOf(c.Caption());
    const std::string name = where + " " + Narrow(c.DisplayName());
    if (key == 0) {
      if (needed)
        faults.push_back(name + " has no access key: \"" + Narrow(c.Caption()) + "\"");
      return;
    }
    if (auto [at, fresh] = taken.emplace(key, name); !fresh)
      faults.push_back(name + " and " + at->second + " share the key " + Narrow(String(1, key)));
  };
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const ui::Control& c = *shown[i];
    const String& caption = c.Caption();
    switch (c.kind()) {
      case Kind::OptionButton:
        // An option shown as a picture has no words: a screen reader needs a
        // name for it all the same.
        if (caption.empty()) {
          if (c.accessibleName.empty())
            faults.push_back(where + " " + Narrow(c.DisplayName()) + " has no name");
          break;
        }
        key(c, true);
        break;
      case Kind::CheckBox:
        key(c, true);
        break;
      case Kind::CommandButton:
        key(c, false);  // OK and Cancel go by Enter and Escape
        break;
      case Kind::Label:
        // A field's label ("Name:") comes right before its field in the
        // dialog's order: its key leads there.
        if (i + 1 < shown.size() && IsField(*shown[i + 1]) && shown[i + 1]->IsEnabled() &&
            (caption.ends_with(u":") || caption.ends_with(u":*")))
          key(c, true);
        break;
      default:
        break;
    }
  }

  // Tab order against reading order.
  // A group of options is one stop, where its first option is.
  std::vector<const ui::Control*> tabbed;
  for (const ui::Control* c : shown) {
    const bool laterOption =
        c->kind() == Kind::OptionButton &&
        std::any_of(tabbed.begin(), tabbed.end(), [c](const ui::Control* before) {
          return before->kind() == Kind::OptionButton && before->container() == c->container();
        });
    if (c->tabStop && c->CanHoldFocus() && !laterOption)
      tabbed.push_back(c);
  }
  std::vector<const ui::Control*> read = tabbed;
  std::stable_sort(read.begin(), read.end(),
                   [](const ui::Control* a, const ui::Control* b) { return ReadsBefore(*a, *b); });
  if (read != tabbed) {
    std::string tabs;
    std::string reads;
    for (std::size_t i = 0; i < tabbed.size(); ++i) {
      tabs += " " + Narrow(tabbed[i]->DisplayName());
      reads += " " + Narrow(read[i]->DisplayName());
    }
    faults.push_back(where + " tabs" + tabs + "\n  but reads" + reads);
  }
  return faults;
}

TEST(Keys, AccessKeysAreUniqueAndTabFollowsTheEyeInBothLanguages) {
  for (const bool german : {false, true}) {
    std::vector<std::string> faults;
    auto check = [&faults](const ui::Dialog& d, const std::string& where) {
      const auto found = KeyFaults(d, where);
      faults.insert(faults.end(), found.begin(), found.end());
    };
    for (int type = 0; type <= 4; ++type) {
      test::WizardFixture f(german ? test::GermanNumbers() : test::UsNumbers());
      f.Install();
      frmWizard& w = *f.OpenForType(type);
      for (const int page : {0, 1, DetailsPageOfType(type), 7, 8}) {
        if (type > 0 && page < 2)
          continue;  // the same for every type
        w.ChangePage(static_cast<std::int16_t>(page));
        check(w, "type " + std::to_string(type) + " page " + std::to_string(page) + ":");
      }
      if (type == 0) {
        w.ChangePage(7);
        ui::Click(w.cmdTemplate);
        ASSERT_NE(f.state.TemplateChooser(), nullptr);
        check(*f.state.TemplateChooser(), "chooser:");
        ui::Click(f.state.TemplateChooser()->cmdCancel);
        ShowOptions(f.state);
        check(*f.state.Options(), "Options:");
        ShowAbout(f.state);
        check(*f.state.About(), "About:");
      }
    }
    std::string all;
    for (const std::string& fault : faults)
      all += fault + "\n";
    EXPECT_EQ(all, "") << (german ? "German" : "English");
  }
}

}  // namespace
}  // namespace ostrel
