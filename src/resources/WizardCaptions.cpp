// The wizard's wording and pictures, taken from the resource library when the
// dialog loads.
#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "wizard/frmWizard.h"

namespace ostrel {

void frmWizard::LoadResources() {
  SetFormIcon(state, *this, res::kWizardIcon);

  const std::pair<std::int32_t, std::vector<ui::Control*>> pictures[] = {
      {res::kSideBitmap, {&imgWelcomeSide, &imgCompletionSide}},
      {res::kPageSymbolBitmap, {&imgWelcomeSymbol, &imgCompletionSymbol}},
      {res::kHeaderBitmap, {imgHeaderSymbol.begin(), imgHeaderSymbol.end()}},
  };
  for (const auto& [bitmap, controls] : pictures) {
    const host::BitmapHandle handle = ResBitmap(state, DecimalText(bitmap));
    if (host::IsNone(handle))
      continue;
    const host::PicturePtr picture = BitmapToPicture(state.platform, handle);
    for (ui::Control* control : controls)
      control->picture = picture;
  }

  // Each row: the first string number and the controls that take it and the
  // numbers after it. For the two boxes of page 7 it is their text.
  const std::pair<std::int32_t, std::vector<ui::Control*>> captions[] = {
      {res::kWizardButtonFirst, {&cmdHelp, &cmdBack, &cmdNext, &cmdFinish, &cmdCancel}},
      {res::kWizardTemplateButton, {&cmdTemplate}},
      {1001, {&lblWelcomeTitle, &lblWelcomeSubtitle, &chkSkip}},
      {1101,
       {lblTitle[0], lblSubtitle[0], &fraPaymentRequestType, optPaymentRequestType[0],
        optPaymentRequestType[3], optPaymentRequestType[1], optPaymentRequestType[2],
        optPaymentRequestType[4]}},
      {1201,
       {lblTitle[1], lblSubtitle[1], &lblGeneralQuarroID, &lblGeneralAmount, &lblGeneralNote}},
      {1301,
       {lblTitle[2], lblSubtitle[2], &lblAuctionQuarroID, &lblAuctionTo, &lblAuctionItemNumber,
        &lblAuctionNote}},
      {1401,
       {lblTitle[3], lblSubtitle[3], &lblProductQuarroID, &lblProductTo, &lblProductSubject,
        &lblProductBuyerFirst, &lblProductBuyerLast, &chkProductShipping, &fraProductProduct,
        &lblProductName, &lblProductNumber, &lblProductQuantity, &fraProductAmount,
        &lblProductAmount, &lblProductShipping, &lblProductTotal, &lblProductTotalCalc,
        &lblProductCurrency}},
      {1501,
       {lblTitle[4], lblSubtitle[4], &lblServiceQuarroID, &lblServiceTo, &lblServiceSubject,
        &lblServiceBuyerFirst, &lblServiceBuyerLast, &lblServiceDescription, &lblServiceAmount}},
      {1601,
       {lblTitle[5], lblSubtitle[5], &lblDonationQuarroID, &lblDonationTo, &lblDonationSubject,
        &lblDonationBuyerFirst, &lblDonationBuyerLast, &lblDonationNote}},
      {1701,
       {lblTitle[6], lblSubtitle[6], &txtButtonURL, &txtButtonText, &lblButtonURL, &lblButtonText}},
      {1801,
       {&lblCompletionTitle, &lblCompletionSubtitle, &lblCompletionInstructions, &chkSave,
        &cmdTest}},
  };
  for (std::size_t row = 0; row < std::size(captions); ++row) {
    const auto& [first, controls] = captions[row];
    for (std::size_t k = 0; k < controls.size(); ++k)
      controls[k]->SetCaption(ResString(state, first + static_cast<std::int32_t>(k)));
    // The dialog's title comes right after the command strip.
    if (row == 0)
      caption = ResString(state, res::kWizardCaption);
  }

  // The style page's options show pictures, not words: what a screen reader
  // says for them.
  for (int i = 0; i < kImageSlots; ++i)
    optButton[i]->accessibleName = ResString(state, res::kStylePictureName) + DecimalText(i + 1);
  optButton[kOwnImageOption]->accessibleName = ResString(state, res::kStyleOwnImageName);
  optButton[kTextLinkOption]->accessibleName = ResString(state, res::kStyleTextLinkName);
}

}  // namespace ostrel
