// What gates the details pages: required fields, the account and amount rules,
// and the product total.
#include "common/Numbers.h"
#include "common/Text.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

constexpr std::u16string_view kRequired = u"REQUIRED";

bool MissingRequired(const ui::Control& control) {
  return control.tag == kRequired && control.Text().empty();
}

}  // namespace

void frmWizard::UpdateNextButton() {
  cmdNext.enabled = RequiredFieldsFilled(u"fraWizard");
}

bool frmWizard::RequiredFieldsFilled(std::u16string_view containerName) const {
  bool result = true;
  for (const auto& control : Controls()) {
    const ui::Control* container = control->container();
    if (container == nullptr || container->name() != containerName ||
        container->index() != CurrentPage)
      continue;
    if (control->kind() == ui::Kind::Frame) {
      if (!RequiredFieldsFilledIn(control->name()))
        result = false;
    } else if (MissingRequired(*control)) {
      result = false;
    }
  }
  return result;
}

bool frmWizard::RequiredFieldsFilledIn(std::u16string_view containerName) const {
  bool result = true;
  for (const auto& control : Controls()) {
    const ui::Control* container = control->container();
    if (container != nullptr && container->name() == containerName && MissingRequired(*control))
      result = false;
  }
  return result;
}

bool frmWizard::AccountAcceptable(const String& text, bool trimmedForm) {
  // "*@*.*": an at sign, and a period somewhere after it.
  const auto at = text.find(u'@');
  const bool matches = at != String::npos && text.find(u'.', at + 1) != String::npos;
  const bool empty = trimmedForm ? TrimSpaces(text).empty() : text.empty();
  return empty || matches;
}

bool frmWizard::AmountAcceptable(const String& text, bool positive) const {
  if (TrimSpaces(text).empty())
    return true;
  if (!IsNumericText(text, UserNumberFormat(state.platform)))
    return false;
  const double value = LeadingNumber(text);
  return positive ? value > 0 : value >= 0;
}

void frmWizard::UpdateProductTotal() {
  const double total =
      LeadingNumber(txtProductQuantity.Text()) * LeadingNumber(mebProductAmount.Text()) +
      LeadingNumber(mebProductShipping.Text());
  // A total beyond double precision (exponents in quantity and price) shows as an
  // empty caption rather than a misleading number.
  lblProductTotalCalc.SetCaption(FormatNumber(total, UserNumberFormat(state.platform), false));
}

}  // namespace ostrel
