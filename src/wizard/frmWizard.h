// The request wizard: nine pages in one dialog, shown one at a time above a
// fixed command strip. The class is split over several files by concern:
// frmWizardLayout.cpp (the controls), frmWizard.cpp (opening and navigation),
// FieldRules.cpp, StylePage.cpp, PaymentLink.cpp, Summary.cpp; the captions are
// in resources/WizardCaptions.cpp and the remembered state in
// settings/WizardState.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "addin/AddInState.h"
#include "host/ui/Dialog.h"

namespace ostrel {

inline constexpr int kPageCount = 9;
inline constexpr int kStylePage = 7;
inline constexpr int kButtonOptions = 8;   // optButton(0..7)
inline constexpr int kImageSlots = 6;      // picButton(0..5)
inline constexpr int kOwnImageOption = 6;  // an image from txtButtonURL
inline constexpr int kTextLinkOption = 7;  // a text link with txtButtonText
inline constexpr std::u16string_view kWorkingTemplate = u"\\template.txt";
inline constexpr std::u16string_view kHelpFile = u"\\Ostrel.chm";

// The details page of a payment request type; -1 for a number that is no type.
int DetailsPageOfType(std::int32_t type);

// Why a payment link could not be built; messageId is the resource string that
// tells the user.
class PaymentLinkError : public std::runtime_error {
 public:
  PaymentLinkError(std::int32_t messageId, const char* what, ui::Control* field = nullptr)
      : std::runtime_error(what), messageId(messageId), field(field) {}
  std::int32_t messageId;
  // The field whose text the link cannot carry; nullptr when the fault is no
  // one field's.
  ui::Control* field;
};

// The main toolbar command: shows the wizard, loading it first when needed; a
// wizard whose stored settings are missing is unloaded again.
void OpenWizard(AddInState& state);
// The type commands: the same, then presets the wizard to the type.
void OpenWizardForType(AddInState& state, std::int32_t type);

class frmWizard : public ui::Dialog {
 public:
  explicit frmWizard(AddInState& state);

  // ---- Opening, pages, buttons (frmWizard.cpp) ----
  // The dialog load: captions, remembered state, and InitDialog when ready.
  void Form_Load();
  void InitDialog();
  void ShowForType(std::int32_t type);
  void ChangePage(std::int16_t page);
  static void AdjustPageTransition(std::int32_t paymentRequestType, std::int16_t currentPage,
                                   std::int16_t& targetPage);
  void CloseWizard();

  void cmdNext_Click();
  void cmdBack_Click();
  void cmdHelp_Click();
  void cmdTest_Click();
  void cmdTemplate_Click();
  void cmdCancel_Click();
  void chkSkip_Click();
  void optPaymentRequestType_Click(int index);

  // ---- Field rules (FieldRules.cpp) ----
  void UpdateNextButton();
  bool RequiredFieldsFilled(std::u16string_view containerName) const;
  bool RequiredFieldsFilledIn(std::u16string_view containerName) const;
  // The account rule: an at sign with a period somewhere after it. An empty
  // text passes (the required-field rule holds it back); spaces alone do not.
  static bool AccountAcceptable(const String& text);
  // The amount rule: a number as the user's locale writes it. positive (a price)
  // asks for a value above 0 and refuses spaces alone; otherwise (the shipping
  // charge) 0 or more, and spaces alone count as empty. An empty text passes.
  bool AmountAcceptable(const String& text, bool positive) const;
  // The quantity rule: a whole number of at least 1, spaces around allowed.
  static bool QuantityAcceptable(const String& text);
  // The one reading of an amount that the rule, the total, the summary and the
  // link share: its value with the user's separators; nullopt for a text that
  // is no number there.
  std::optional<double> AmountValue(const String& text) const;
  // An amount as its box shows it while it does not have the focus.
  String AmountShown(const String& text) const;
  // An amount as the checkout reads it: digits, "." before the decimals, at least
  // two decimals, no grouping ("1.250,5" in German gives "1250.50"); "" for
  // spaces alone; a text that is no number stays as it is.
  String CheckoutAmount(const String& text) const;
  // The message of the rule the field's text breaks; nullopt when it keeps its
  // rule or has none.
  std::optional<String> BrokenRule(ui::Control& field) const;
  // Test and Finish: the fields of the request's page that carry a rule must
  // keep it. The first that does not gets the focus on its page and its rule's
  // message, and the result is false.
  bool RequestFieldsAcceptable();
  void UpdateProductTotal();

  // ---- Style page (StylePage.cpp) ----
  void optButton_Click(int index);
  void picButton_Click(int index);
  void txtButtonURL_Click();
  void txtButtonText_Click();
  // Selects optButton(n) for a stored choice; a number naming no entry selects 0.
  void SelectStoredButton(std::int32_t n);

  // ---- Payment link (PaymentLink.cpp) ----
  // Throws PaymentLinkError when no link can be built.
  String CreateURL();
  String URLEncode(const String& value) const;
  // The code of the currency selected in one of the three lists. Throws
  // PaymentLinkError when nothing (or nothing known) is selected.
  const String& CurrencyCode(const ui::Control& currencyList) const;

  // ---- Message and Finish (Composer.cpp, Finish.cpp) ----
  // The HTML body of the mail for a template text. Throws PaymentLinkError
  // when the link cannot be built.
  String ComposeMessage(const String& templateText);
  void CreateMessage();
  void cmdFinish_Click();

  // ---- Summary (Summary.cpp) ----
  void ShowSummary();
  static String SummaryLine(const String& caption, const String& value);

  // ---- Captions (resources/WizardCaptions.cpp) ----
  void LoadResources();

  // ---- Remembered state (settings/WizardState.cpp) ----
  void LoadState();
  // False when the registry refused a value: the values written before it keep
  // their new content, the refused ones their old.
  bool SaveState();
  void FillButtonList();

  AddInState& state;

  std::int16_t CurrentPage = 0;
  std::int16_t FirstPage = 0;
  std::int16_t LastPage = 0;
  std::int16_t SelectedButton = 0;
  // Parallel to the entries of the three currency lists.
  std::vector<String> currencyCodes;

  // ---- Controls, in tab order ----
  ui::Control& mstWizard;
  std::array<ui::Control*, kPageCount> fraWizard;
  // Headers of pages 1 to 7, index = page - 1.
  std::array<ui::Control*, 7> shpHeader;
  std::array<ui::Control*, 7> lblTitle;
  std::array<ui::Control*, 7> lblSubtitle;
  std::array<ui::Control*, 7> imgHeaderSymbol;

  // Page 0
  ui::Control& shpWelcome;
  ui::Control& imgWelcomeSide;
  ui::Control& imgWelcomeSymbol;
  ui::Control& lblWelcomeTitle;
  ui::Control& lblWelcomeSubtitle;
  ui::Control& chkSkip;
  // Page 1
  ui::Control& fraPaymentRequestType;
  std::array<ui::Control*, 5> optPaymentRequestType;
  // Page 2
  ui::Control& lblGeneralQuarroID;
  ui::Control& txtGeneralQuarroID;
  ui::Control& lblGeneralAmount;
  ui::Control& mebGeneralAmount;
  ui::Control& cmbGeneralCurrency;
  ui::Control& lblGeneralNote;
  ui::Control& txtGeneralNote;
  // Page 3
  ui::Control& lblAuctionQuarroID;
  ui::Control& txtAuctionQuarroID;
  ui::Control& lblAuctionTo;
  ui::Control& txtAuctionTo;
  ui::Control& lblAuctionItemNumber;
  ui::Control& txtAuctionItemNumber;
  ui::Control& lblAuctionNote;
  ui::Control& txtAuctionNote;
  // Page 4
  ui::Control& lblProductQuarroID;
  ui::Control& txtProductQuarroID;
  ui::Control& lblProductTo;
  ui::Control& txtProductTo;
  ui::Control& lblProductSubject;
  ui::Control& txtProductSubject;
  ui::Control& lblProductBuyerFirst;
  ui::Control& txtProductFirstName;
  ui::Control& lblProductBuyerLast;
  ui::Control& txtProductLastName;
  ui::Control& chkProductShipping;
  ui::Control& fraProductProduct;
  ui::Control& lblProductName;
  ui::Control& txtProductName;
  ui::Control& lblProductNumber;
  ui::Control& txtProductNumber;
  ui::Control& lblProductQuantity;
  ui::Control& txtProductQuantity;
  ui::Control& UpDown1;
  ui::Control& fraProductAmount;
  ui::Control& lblProductCurrency;
  ui::Control& cmbProductCurrency;
  ui::Control& lblProductAmount;
  ui::Control& mebProductAmount;
  ui::Control& lblProductShipping;
  ui::Control& mebProductShipping;
  ui::Control& lblProductTotal;
  ui::Control& lblProductTotalCalc;
  // Page 5
  ui::Control& lblServiceQuarroID;
  ui::Control& txtServiceQuarroID;
  ui::Control& lblServiceTo;
  ui::Control& txtServiceTo;
  ui::Control& lblServiceSubject;
  ui::Control& txtServiceSubject;
  ui::Control& lblServiceBuyerFirst;
  ui::Control& txtServiceFirstName;
  ui::Control& lblServiceBuyerLast;
  ui::Control& txtServiceLastName;
  ui::Control& lblServiceDescription;
  ui::Control& txtServiceDescription;
  ui::Control& lblServiceAmount;
  ui::Control& mebServiceAmount;
  ui::Control& cmbServiceCurrency;
  // Page 6
  ui::Control& lblDonationQuarroID;
  ui::Control& txtDonationQuarroID;
  ui::Control& lblDonationTo;
  ui::Control& txtDonationTo;
  ui::Control& lblDonationSubject;
  ui::Control& txtDonationSubject;
  ui::Control& lblDonationBuyerFirst;
  ui::Control& txtDonationFirstName;
  ui::Control& lblDonationBuyerLast;
  ui::Control& txtDonationLastName;
  ui::Control& lblDonationNote;
  ui::Control& txtDonationNote;
  // Page 7
  std::array<ui::Control*, kButtonOptions> optButton;
  std::array<ui::Control*, kImageSlots> picButton;
  ui::Control& lblButtonURL;
  ui::Control& txtButtonURL;
  ui::Control& lblButtonText;
  ui::Control& txtButtonText;
  ui::Control& cmdTemplate;
  // Page 8
  ui::Control& shpCompletion;
  ui::Control& imgCompletionSide;
  ui::Control& imgCompletionSymbol;
  ui::Control& lblCompletionTitle;
  ui::Control& lblCompletionSubtitle;
  ui::Control& lblCompletionInstructions;
  ui::Control& txtCompletionSummary;
  ui::Control& cmdTest;
  ui::Control& chkSave;
  // Separator and command strip
  ui::Control& LineTop;
  ui::Control& LineBottom;
  ui::Control& frmCommand;
  ui::Control& cmdHelp;
  ui::Control& cmdBack;
  ui::Control& cmdNext;
  ui::Control& cmdFinish;
  ui::Control& cmdCancel;

 private:
  void ConnectEvents();
  void ShowLinkError(const PaymentLinkError& error);
};

}  // namespace ostrel
