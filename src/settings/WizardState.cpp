// What the wizard remembers between requests, and the installation data it
// takes its lists from.
#include <cmath>

#include "common/Numbers.h"
#include "common/Text.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"
#include "settings/StoredNumbers.h"
#include "settings/modRegistry.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

// The currency lists hold at most as many entries as a 16-bit position counts.
constexpr int kMaxCurrencies = 32767;

class Store {
 public:
  explicit Store(host::Platform& platform) : platform_(platform) {}

  RegValue Read(const String& key, std::u16string_view name) const {
    return ReadRegValue(platform_, settings::kRoot, key, String(name));
  }
  String Text(const String& key, std::u16string_view name) const {
    return Read(key, name).AsText();
  }
  std::optional<std::int16_t> Whole(const String& key, std::u16string_view name) const {
    return StoredWholeNumber(platform_, Read(key, name));
  }
  // Each write that the registry refuses is remembered; Saved() tells.
  void WriteText(const String& key, std::u16string_view name, const String& text) {
    saved_ = WriteRegValue(platform_, settings::kRoot, key, String(name), RegValue::Text(text),
                           host::kRegSz) &&
             saved_;
  }
  void WriteNumber(const String& key, std::u16string_view name, std::int32_t number) {
    saved_ = WriteRegValue(platform_, settings::kRoot, key, String(name), RegValue::Number(number),
                           host::kRegDword) &&
             saved_;
  }
  bool Saved() const { return saved_; }

 private:
  host::Platform& platform_;
  bool saved_ = true;
};

// A stored list position: -1 (nothing selected) is kept; a position the list
// does not have falls back to the first entry, or to none for an empty list.
void SelectStoredPosition(ui::Control& list, std::optional<std::int16_t> stored) {
  if (stored && *stored == -1) {
    list.SetListIndex(-1);
    return;
  }
  if (!stored || !list.SetListIndex(*stored))
    list.SetListIndex(list.Items().empty() ? -1 : 0);
}

}  // namespace

void frmWizard::LoadState() {
  const Store store(state.platform);
  const String mainKey(settings::kMainKey);
  using namespace settings::branch_value;

  if (TrimSpaces(store.Text(mainKey, settings::main_value::kPaymentRequestType)).empty()) {
    state.WizardReady = false;
    state.ShowMessage(hWnd, state.messageTable[2], host::kMbIconError);
    return;
  }

  // Entries run from 0 until the first one that lacks a code or a name, so list
  // positions and code positions always agree.
  for (int n = 0; n < kMaxCurrencies; ++n) {
    const String key = settings::CurrencyKey(n);
    const String code = TrimSpaces(store.Text(key, settings::currency_value::kCode));
    const String name = TrimSpaces(store.Text(key, settings::currency_value::kName));
    if (code.empty() || name.empty())
      break;
    currencyCodes.resize(static_cast<std::size_t>(n) + 1);
    currencyCodes[static_cast<std::size_t>(n)] = code;
    for (ui::Control* list : {&cmbGeneralCurrency, &cmbProductCurrency, &cmbServiceCurrency})
      list->AddItem(name, n);
  }
  if (!currencyCodes.empty())
    for (ui::Control* list : {&cmbGeneralCurrency, &cmbProductCurrency, &cmbServiceCurrency})
      list->SetListIndex(0);

  // A stored type that is no type (damaged settings) opens as General.
  const auto type = store.Whole(mainKey, settings::main_value::kPaymentRequestType);
  optPaymentRequestType[type && settings::IsPaymentRequestType(*type) ? *type : 0]->Select();

  const auto skip = store.Whole(mainKey, settings::main_value::kSkipWelcome);
  chkSkip.SetValue(skip && *skip >= 0 && *skip <= 2 ? *skip : 0);

  const String general = settings::BranchKey(0);
  txtGeneralQuarroID.SetText(store.Text(general, kQuarroID));
  SelectStoredPosition(cmbGeneralCurrency, store.Whole(general, kCurrency));

  txtAuctionQuarroID.SetText(store.Text(settings::BranchKey(3), kQuarroID));

  const String product = settings::BranchKey(1);
  txtProductQuarroID.SetText(store.Text(product, kQuarroID));
  txtProductSubject.SetText(store.Text(product, kSubject));
  SelectStoredPosition(cmbProductCurrency, store.Whole(product, kCurrency));
  txtProductName.SetText(store.Text(product, kName));
  txtProductNumber.SetText(store.Text(product, kNumber));
  txtProductQuantity.SetText(store.Text(product, kQuantity));
  if (TrimSpaces(txtProductQuantity.Text()).empty())
    txtProductQuantity.SetText(u"1");
  mebProductAmount.SetText(store.Text(product, kAmount));
  mebProductShipping.SetText(store.Text(product, kShipping));
  UpdateProductTotal();

  const String service = settings::BranchKey(2);
  txtServiceQuarroID.SetText(store.Text(service, kQuarroID));
  txtServiceSubject.SetText(store.Text(service, kSubject));
  SelectStoredPosition(cmbServiceCurrency, store.Whole(service, kCurrency));
  txtServiceDescription.SetText(store.Text(service, kDescription));
  mebServiceAmount.SetText(store.Text(service, kAmount));

  const String donation = settings::BranchKey(4);
  txtDonationQuarroID.SetText(store.Text(donation, kQuarroID));
  txtDonationSubject.SetText(store.Text(donation, kSubject));

  if (settings::IsPaymentRequestType(state.PaymentRequestType)) {
    const double stored =
        LeadingNumber(store.Text(settings::BranchKey(state.PaymentRequestType), kButton));
    const auto whole = WholeNumber16(stored);
    SelectStoredButton(whole ? *whole : -1);
  } else {
    SelectStoredButton(0);
  }

  state.WizardReady = true;
}

bool frmWizard::SaveState() {
  Store store(state.platform);
  using namespace settings::branch_value;
  const std::int32_t type = state.PaymentRequestType;
  store.WriteNumber(String(settings::kMainKey), settings::main_value::kPaymentRequestType, type);
  if (!settings::IsPaymentRequestType(type))
    return store.Saved();

  const String key = settings::BranchKey(type);
  switch (type) {
    case 0:
      store.WriteText(key, kQuarroID, txtGeneralQuarroID.Text());
      store.WriteText(key, kAmount, mebGeneralAmount.Text());
      store.WriteNumber(key, kCurrency, cmbGeneralCurrency.ListIndex());
      break;
    case 1:
      store.WriteText(key, kQuarroID, txtProductQuarroID.Text());
      store.WriteText(key, kSubject, txtProductSubject.Text());
      store.WriteNumber(key, kCurrency, cmbProductCurrency.ListIndex());
      store.WriteText(key, kName, txtProductName.Text());
      store.WriteText(key, kNumber, txtProductNumber.Text());
      store.WriteText(key, kQuantity, txtProductQuantity.Text());
      store.WriteText(key, kAmount, mebProductAmount.Text());
      store.WriteText(key, kShipping, mebProductShipping.Text());
      break;
    case 2:
      store.WriteText(key, kQuarroID, txtServiceQuarroID.Text());
      store.WriteText(key, kSubject, txtServiceSubject.Text());
      store.WriteNumber(key, kCurrency, cmbServiceCurrency.ListIndex());
      store.WriteText(key, kDescription, txtServiceDescription.Text());
      store.WriteText(key, kAmount, mebServiceAmount.Text());
      break;
    case 3:
      store.WriteText(key, kQuarroID, txtAuctionQuarroID.Text());
      break;
    case 4:
      store.WriteText(key, kQuarroID, txtDonationQuarroID.Text());
      store.WriteText(key, kSubject, txtDonationSubject.Text());
      break;
    default:
      break;
  }
  store.WriteNumber(key, kButton, SelectedButton);
  return store.Saved();
}

void frmWizard::FillButtonList() {
  if (!settings::IsPaymentRequestType(state.PaymentRequestType))
    return;
  const Store store(state.platform);
  for (int n = 0; n < kImageSlots; ++n) {
    ui::Control& option = *optButton[static_cast<std::size_t>(n)];
    ui::Control& picture = *picButton[static_cast<std::size_t>(n)];
    const String resourceId = store.Text(settings::ButtonKey(state.PaymentRequestType, n),
                                         settings::button_value::kResourceID);
    if (resourceId.empty()) {
      option.enabled = false;
      option.visible = false;
      picture.visible = false;
      if (option.Selected())
        optButton[0]->Select();
      continue;
    }
    const host::BitmapHandle bitmap = ResBitmap(state, resourceId);
    if (!host::IsNone(bitmap)) {
      if (host::PicturePtr made = BitmapToPicture(state.platform, bitmap))
        picture.picture = made;
    }
    option.enabled = true;
    option.visible = true;
    picture.visible = true;
    picture.rect.top = option.rect.top + option.rect.height / 2 - picture.rect.height / 2;
  }
}

}  // namespace ostrel
