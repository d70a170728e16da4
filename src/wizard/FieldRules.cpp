// What gates the details pages: required fields, the account, amount and
// quantity rules, and the product total; and the one reading of an amount.
#include <array>
#include <charconv>
#include <cmath>

#include "common/Numbers.h"
#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
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

bool frmWizard::AccountAcceptable(const String& text) {
  if (text.empty())
    return true;
  if (TrimSpaces(text).empty())
    return false;  // a payee of spaces pays nobody
  // "*@*.*": an at sign, and a period somewhere after it.
  const auto at = text.find(u'@');
  return at != String::npos && text.find(u'.', at + 1) != String::npos;
}

std::optional<double> frmWizard::AmountValue(const String& text) const {
  return AmountOfText(text, UserNumberFormat(state.platform));
}

bool frmWizard::AmountAcceptable(const String& text, bool positive) const {
  if (text.empty())
    return true;
  if (TrimSpaces(text).empty())
    return !positive;
  const std::optional<double> value = AmountValue(text);
  // A value beyond double precision ("1e400") is no amount either.
  if (!value || !std::isfinite(*value))
    return false;
  return positive ? *value > 0 : *value >= 0;
}

bool frmWizard::QuantityAcceptable(const String& text) {
  const String digits = TrimSpaces(text);
  if (digits.empty())
    return false;
  bool nonZero = false;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9')
      return false;
    nonZero = nonZero || c != u'0';
  }
  return nonZero;
}

String frmWizard::AmountShown(const String& text) const {
  const NumberFormat format = UserNumberFormat(state.platform);
  const std::optional<double> value = AmountOfText(text, format);
  return value ? FormatNumber(*value, format, true) : text;
}

String frmWizard::CheckoutAmount(const String& text) const {
  if (TrimSpaces(text).empty())
    return String();
  const std::optional<double> value = AmountValue(text);
  if (!value || !std::isfinite(*value))
    return text;
  // The shortest decimals that give the value back; a double needs at most 330
  // characters so.
  std::array<char, 400> buffer{};
  const double amount = *value == 0 ? 0.0 : *value;  // no "-0"
  const auto written =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), amount, std::chars_format::fixed);
  std::string digits(buffer.data(), written.ptr);
  const std::size_t point = digits.find('.');
  if (point == std::string::npos)
    digits += ".00";
  else if (digits.size() - point == 2)
    digits += '0';
  return FromAscii(digits);
}

std::optional<String> frmWizard::BrokenRule(ui::Control& field) const {
  const String& text = field.Text();
  for (const ui::Control* account : {&txtGeneralQuarroID, &txtAuctionQuarroID, &txtProductQuarroID,
                                     &txtServiceQuarroID, &txtDonationQuarroID}) {
    if (&field == account)
      return AccountAcceptable(text) ? std::nullopt : std::optional(state.messageTable[0]);
  }
  for (const ui::Control* price : {&mebGeneralAmount, &mebProductAmount, &mebServiceAmount}) {
    if (&field == price)
      return AmountAcceptable(text, true) ? std::nullopt : std::optional(state.messageTable[1]);
  }
  if (&field == &mebProductShipping)
    return AmountAcceptable(text, false) ? std::nullopt : std::optional(state.messageTable[1]);
  if (&field == &txtProductQuantity) {
    return QuantityAcceptable(text) ? std::nullopt
                                    : std::optional(ResString(state, res::kMessageInvalidQuantity));
  }
  return std::nullopt;
}

bool frmWizard::RequestFieldsAcceptable() {
  // In tab order, so the first field the user meets on the page is named first.
  std::vector<ui::Control*> fields;
  switch (state.PaymentRequestType) {
    case 0:
      fields = {&txtGeneralQuarroID, &mebGeneralAmount};
      break;
    case 1:
      fields = {&txtProductQuarroID, &txtProductQuantity, &mebProductAmount, &mebProductShipping};
      break;
    case 2:
      fields = {&txtServiceQuarroID, &mebServiceAmount};
      break;
    case 3:
      fields = {&txtAuctionQuarroID};
      break;
    case 4:
      fields = {&txtDonationQuarroID};
      break;
    default:
      break;
  }
  for (ui::Control* field : fields) {
    if (const std::optional<String> message = BrokenRule(*field)) {
      ChangePage(static_cast<std::int16_t>(DetailsPageOfType(state.PaymentRequestType)));
      SetFocus(*field);
      state.ShowMessage(hWnd, *message);
      return false;
    }
  }
  return true;
}

void frmWizard::UpdateProductTotal() {
  const String& quantityText = txtProductQuantity.Text();
  const double quantity = QuantityAcceptable(quantityText) ? LeadingNumber(quantityText) : 0.0;
  const double total = quantity * AmountValue(mebProductAmount.Text()).value_or(0.0) +
                       AmountValue(mebProductShipping.Text()).value_or(0.0);
  // A total beyond double precision (a price in exponent notation) shows as an
  // empty caption rather than a misleading number.
  lblProductTotalCalc.SetCaption(FormatNumber(total, UserNumberFormat(state.platform), false));
}

}  // namespace ostrel
