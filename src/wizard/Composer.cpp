// The mail's HTML body: the template with its placeholders filled, the payment
// button or link, and the frame with the footer.
#include "common/Text.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool MatchesAt(const String& text, std::size_t at, std::u16string_view placeholder) {
  if (text.size() - at < placeholder.size())
    return false;
  for (std::size_t i = 0; i < placeholder.size(); ++i)
    if (FoldAscii(text[at + i]) != FoldAscii(placeholder[i]))
      return false;
  return true;
}

// Every placeholder occurrence, its letters compared without regard to case,
// replaced in one pass from the start; the inserted value is not scanned again.
// Placeholders all begin with '[', so only those positions are compared.
void Replace(String& text, std::u16string_view placeholder, const String& value) {
  std::size_t at = text.find(u'[');
  if (at == String::npos)
    return;
  String out;
  std::size_t copied = 0;
  for (; at != String::npos; at = text.find(u'[', at)) {
    if (MatchesAt(text, at, placeholder)) {
      if (out.empty())
        out.reserve(text.size() + value.size());
      out.append(text, copied, at - copied);
      out += value;
      at += placeholder.size();
      copied = at;
    } else {
      ++at;
    }
  }
  if (copied == 0)
    return;
  out.append(text, copied, String::npos);
  text = std::move(out);
}

// A value inside a double-quoted attribute: a '"' would end the attribute and
// let the rest of the value become markup, so it is written as an entity (a
// browser reads it back as the same character).
String InAttribute(const String& value) {
  String out;
  out.reserve(value.size());
  for (char16_t c : value) {
    if (c == u'"')
      out += u"&quot;";
    else
      out += c;
  }
  return out;
}

}  // namespace

String frmWizard::ComposeMessage(const String& templateText) {
  const String link = CreateURL();
  String text = templateText;

  // A sender detail the installation wrote under the main key wins; otherwise
  // the one the user typed into the options dialog, stored under the same name.
  const String mainKey(settings::kMainKey);
  const String optionsKey(settings::kOptionsKey);
  auto sender = [&](std::u16string_view name) {
    String value = ReadRegValue(state.platform, settings::kRoot, mainKey, String(name)).AsText();
    if (value.empty())
      value = ReadRegValue(state.platform, settings::kRoot, optionsKey, String(name)).AsText();
    return value;
  };
  namespace m = settings::main_value;
  const std::pair<std::u16string_view, std::u16string_view> senderDetails[] = {
      {u"[FirstName]", m::kFirstName},
      {u"[LastName]", m::kLastName},
      {u"[Company]", m::kCompany},
      {u"[Address]", m::kAddress},
      {u"[City]", m::kCity},
      {u"[State]", m::kState},
      {u"[ZIP]", m::kZIP},
      {u"[Providence]", m::kState},
      {u"[PostalCode]", m::kZIP},
      {u"[QuarroID]", m::kQuarroID},
  };
  for (const auto& [placeholder, name] : senderDetails)
    Replace(text, placeholder, sender(name));

  const std::int32_t type = state.PaymentRequestType;
  String src, alt, width, height;
  if (settings::IsPaymentRequestType(type)) {
    const String key = settings::ButtonKey(type, SelectedButton);
    auto attribute = [&](std::u16string_view name) {
      return ReadRegValue(state.platform, settings::kRoot, key, String(name)).AsText();
    };
    src = attribute(settings::button_value::kSrc);
    alt = attribute(settings::button_value::kAlt);
    width = attribute(settings::button_value::kWidth);
    height = attribute(settings::button_value::kHeight);
  }

  auto code = [this](const ui::Control& currency) { return CurrencyCode(currency); };
  std::vector<std::pair<std::u16string_view, String>> page;
  switch (type) {
    case 0:
      page = {{u"[Amount]", mebGeneralAmount.Text()}, {u"[Note]", txtGeneralNote.Text()}};
      break;
    case 1:
      page = {{u"[To]", txtProductTo.Text()},
              {u"[Subject]", txtProductSubject.Text()},
              {u"[BuyerFirstName]", txtProductFirstName.Text()},
              {u"[BuyerLastName]", txtProductLastName.Text()},
              {u"[ProductName]", txtProductName.Text()},
              {u"[ProductNumber]", txtProductNumber.Text()},
              {u"[Quantity]", txtProductQuantity.Text()},
              {u"[Amount]", mebProductAmount.Text()},
              {u"[Shipping]", mebProductShipping.Text()},
              {u"[Total]", lblProductTotalCalc.Caption()},
              {u"[Currency]", code(cmbProductCurrency)}};
      break;
    case 2:
      page = {{u"[To]", txtServiceTo.Text()},
              {u"[Subject]", txtServiceSubject.Text()},
              {u"[BuyerFirstName]", txtServiceFirstName.Text()},
              {u"[BuyerLastName]", txtServiceLastName.Text()},
              {u"[Description]", txtServiceDescription.Text()},
              {u"[Amount]", mebServiceAmount.Text()},
              {u"[Currency]", code(cmbServiceCurrency)}};
      break;
    case 3:
      page = {{u"[To]", txtAuctionTo.Text()},
              {u"[Note]", txtAuctionNote.Text()},
              {u"[ItemNumber]", txtAuctionItemNumber.Text()}};
      break;
    case 4:
      page = {{u"[To]", txtDonationTo.Text()},
              {u"[Subject]", txtDonationSubject.Text()},
              {u"[DonorFirstName]", txtDonationFirstName.Text()},
              {u"[DonorLastName]", txtDonationLastName.Text()},
              {u"[Note]", txtDonationNote.Text()}};
      break;
    default:
      break;
  }
  for (const auto& [placeholder, value] : page)
    Replace(text, placeholder, value);

  const String href = u"<CENTER><A href=\"" + InAttribute(link) + u"\">";
  String snippet;
  if (SelectedButton == kOwnImageOption)
    snippet =
        href + u"<IMG src=\"" + InAttribute(txtButtonURL.Text()) + u"\" border=\"0\"></A></CENTER>";
  // A slot with no image address installed would give an invisible link: the
  // text link stands in for it.
  else if (SelectedButton == kTextLinkOption || TrimSpaces(src).empty())
    snippet = href + txtButtonText.Text() + u"</A></CENTER>";
  else
    snippet = href + u"<IMG src=\"" + InAttribute(src) + u"\" border=\"0\" height=\"" +
              InAttribute(height) + u"\" width=\"" + InAttribute(width) + u"\" alt=\"" +
              InAttribute(alt) + u"\"></A></CENTER>";
  Replace(text, u"[Button]", snippet);

  return u"<DIV align=left>&nbsp;</DIV><DIV align=center>&nbsp;</DIV>" + text +
         u"<BR><HR><CENTER><SMALL>" + state.messageFooter + u"</SMALL></CENTER>";
}

}  // namespace ostrel
