// The payment link: the checkout address with the request in its query string.
#include <cstdlib>

#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/frmOptions.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

constexpr std::u16string_view kLinkPrefix = u"https://www.quarro.com/cgi-bin/webscr?";
constexpr std::u16string_view kDefaultReferral = u"R-2KD58310QM774105B";
constexpr std::size_t kNoteLimit = 127;
// Values are counted with a 16-bit position; longer ones cannot be encoded.
constexpr std::size_t kEncodableLength = 32767;

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

void AppendEncoded(String& out, int code, char16_t original) {
  if (code >= 0 && code <= 15) {
    out += u"%0";
    out += kHexDigits[code];
  } else if (code == 32) {
    out += u'+';
  } else if ((code >= 16 && code <= 47) || (code >= 58 && code <= 64) ||
             (code >= 91 && code <= 96) || (code >= 123 && code <= 255)) {
    out += u'%';
    out += kHexDigits[code >> 4];
    out += kHexDigits[code & 15];
  } else {
    out += original;
  }
}

// The code of one character in the ANSI code page, as a signed 16-bit number: a
// single byte as it is, a double-byte character as lead * 256 + trail.
int AnsiCode(const AnsiString& bytes) {
  if (bytes.size() == 1)
    return static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 2)
    return static_cast<std::int16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                     static_cast<unsigned char>(bytes[1]));
  return '?';
}

}  // namespace

String frmWizard::URLEncode(const String& value) const {
  if (value.size() >= kEncodableLength)
    throw PaymentLinkError(res::kMessageValueTooLong, "value too long to encode");
  String out;
  out.reserve(value.size() * 3);
  const AnsiString whole = state.platform.ansi.ToAnsi(value);
  if (whole.size() == value.size()) {
    // One byte per character: a single-byte code page, the common case.
    for (std::size_t i = 0; i < value.size(); ++i)
      AppendEncoded(out, static_cast<unsigned char>(whole[i]), value[i]);
  } else {
    for (char16_t ch : value)
      AppendEncoded(out, AnsiCode(state.platform.ansi.ToAnsi(String(1, ch))), ch);
  }
  return TrimSpaces(out);
}

const String& frmWizard::CurrencyCode(const ui::Control& currencyList) const {
  const int position = currencyList.ListIndex();
  if (position < 0 || static_cast<std::size_t>(position) >= currencyCodes.size())
    throw PaymentLinkError(res::kMessageNoCurrency, "no currency selected");
  return currencyCodes[static_cast<std::size_t>(position)];
}

String frmWizard::CreateURL() {
  // Text the code page cannot hold would reach the checkout as "?", or, where
  // Windows' best fit turns "\u0141" into "L", as another letter: the link
  // stops at that field instead.
  auto carried = [this](ui::Control& field, const String& text) -> const String& {
    const host::AnsiCodePage& ansi = state.platform.ansi;
    if (ansi.FromAnsi(ansi.ToAnsi(text)) != text)
      throw PaymentLinkError(res::kMessageTextNotCarried, "text outside the code page", &field);
    return text;
  };
  auto enc = [this, &carried](ui::Control& control) {
    return URLEncode(carried(control, control.Text()));
  };
  auto note = [this, &carried](ui::Control& control) {
    return URLEncode(carried(control, control.Text().substr(0, kNoteLimit)));
  };
  // Amounts and the quantity as the checkout reads them, whatever the user's
  // separators; the mail's placeholders keep them as typed.
  auto amount = [this](const ui::Control& box) { return URLEncode(CheckoutAmount(box.Text())); };
  auto quantity = [this](const ui::Control& box) {
    return URLEncode(QuantityAcceptable(box.Text()) ? TrimSpaces(box.Text()) : box.Text());
  };
  auto code = [this](const ui::Control& currency) { return URLEncode(CurrencyCode(currency)); };
  auto buyer = [&enc](ui::Control& first, ui::Control& last) -> String {
    if (TrimSpaces(first.Text() + last.Text()).empty())
      return u"cmd=_xclick";
    return u"cmd=_ext-enter&redirect_cmd=_xclick&first_name=" + enc(first) + u"&last_name=" +
           enc(last);
  };

  String query;
  switch (state.PaymentRequestType) {
    case 0:
      query = u"cmd=_xclick&business=" + enc(txtGeneralQuarroID) + u"&amount=" +
              amount(mebGeneralAmount) + u"&item_name=" + note(txtGeneralNote) +
              u"&currency_code=" + code(cmbGeneralCurrency) + u"&no_shipping=1&pbtype=general";
      break;
    case 1:
      query = buyer(txtProductFirstName, txtProductLastName) + u"&business=" +
              enc(txtProductQuarroID) + u"&amount=" + amount(mebProductAmount) +
              u"&currency_code=" + code(cmbProductCurrency) + u"&item_name=" + enc(txtProductName) +
              u"&item_number=" + enc(txtProductNumber) + u"&quantity=" +
              quantity(txtProductQuantity) + u"&shipping=" + amount(mebProductShipping) +
              u"&no_shipping=" + DecimalText(std::abs(chkProductShipping.Value() - 1)) +
              u"&pbtype=product";
      break;
    case 2:
      query = buyer(txtServiceFirstName, txtServiceLastName) + u"&business=" +
              enc(txtServiceQuarroID) + u"&amount=" + amount(mebServiceAmount) +
              u"&currency_code=" + code(cmbServiceCurrency) + u"&item_name=" +
              enc(txtServiceDescription) + u"&no_shipping=1&pbtype=service";
      break;
    case 3:
      query = u"cmd=_xclick-auction&auction_type=Ebay&jmagic=1&business=" +
              enc(txtAuctionQuarroID) + u"&jitem_id=" + enc(txtAuctionItemNumber) +
              u"&pbtype=auction";
      break;
    case 4:
      query = buyer(txtDonationFirstName, txtDonationLastName) + u"&business=" +
              enc(txtDonationQuarroID) + u"&item_name=" + note(txtDonationNote) +
              u"&no_shipping=1&pbtype=donation";
      break;
    default:
      break;
  }

  const String referral = TrimSpaces(state.LoadOptions().txtMRB.Text());
  return String(kLinkPrefix) + query + u"&bn=" + ResString(state, res::kButtonSourceString) +
         u"&mrb=" + (referral.empty() ? String(kDefaultReferral) : referral);
}

}  // namespace ostrel
