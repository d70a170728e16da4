// The wizard's controls as they are at design time. Creation order is tab order.
#include "common/Numbers.h"
#include "common/Text.h"
#include "wizard/frmWizard.h"

namespace ostrel {

using ui::Kind;
using ui::Rect;

namespace {

constexpr int kPageWidth = 7515;
constexpr int kPageHeight = 4710;

// Details pages: a label column and a field column, one row per field below the
// page header.
constexpr int kRowTop = 1080;
constexpr int kRowStep = 375;
constexpr int kFieldLeft = 2520;
constexpr Rect LabelRow(int row) {
  return {240, kRowTop + row * kRowStep + 15, 2220, 255};
}
constexpr Rect FieldRow(int row) {
  return {kFieldLeft, kRowTop + row * kRowStep, 3615, 285};
}
constexpr Rect NoteRow(int row) {
  return {kFieldLeft, kRowTop + row * kRowStep, 4755, 885};
}

// The product page is the fullest: tighter rows, and two inner frames below.
constexpr int kProductStep = 330;
constexpr Rect ProductLabel(int row) {
  return {240, 1000 + row * kProductStep + 15, 2220, 255};
}
constexpr Rect ProductField(int row) {
  return {kFieldLeft, 1000 + row * kProductStep, 3615, 285};
}
constexpr Rect InnerLabel(int row) {
  return {120, 270 + row * 330, 1215, 255};
}
constexpr Rect InnerField(int row) {
  return {1380, 255 + row * 330, 2040, 285};
}

// Page 7's image slots in two columns of three rows.
constexpr std::array<int, 2> kSlotOptionLeft = {1140, 4080};
constexpr std::array<int, 3> kSlotOptionTop = {1298, 2269, 3240};
constexpr std::array<int, 2> kSlotPictureLeft = {1500, 4440};
constexpr std::array<int, 3> kSlotPictureTop = {1005, 1976, 2947};

}  // namespace

#define WIZARD_CONTROL(kind, name, container, rect) name(Add(kind, u## #name, -1, container, rect))

frmWizard::frmWizard(AddInState& addin)
    : ui::Dialog(u"frmWizard"),
      state(addin),
      mstWizard(Add(Kind::TabStrip, u"mstWizard", -1, nullptr, {0, 0, kPageWidth, kPageHeight})),
      fraWizard([this] {
        std::array<ui::Control*, kPageCount> pages{};
        for (int p = 0; p < kPageCount; ++p)
          pages[p] =
              &Add(Kind::Frame, u"fraWizard", p, &mstWizard, {45, 345, kPageWidth, kPageHeight});
        return pages;
      }()),
      shpHeader([this] {
        std::array<ui::Control*, 7> shapes{};
        for (int i = 0; i < 7; ++i)
          shapes[i] = &Add(Kind::Shape, u"shpHeader", i, fraWizard[i + 1], {0, 0, 7500, 945});
        return shapes;
      }()),
      lblTitle([this] {
        std::array<ui::Control*, 7> labels{};
        for (int i = 0; i < 7; ++i)
          labels[i] = &Add(Kind::Label, u"lblTitle", i, fraWizard[i + 1], {240, 120, 6000, 255});
        return labels;
      }()),
      lblSubtitle([this] {
        std::array<ui::Control*, 7> labels{};
        for (int i = 0; i < 7; ++i)
          labels[i] = &Add(Kind::Label, u"lblSubtitle", i, fraWizard[i + 1], {480, 420, 5760, 435});
        return labels;
      }()),
      imgHeaderSymbol([this] {
        std::array<ui::Control*, 7> images{};
        for (int i = 0; i < 7; ++i)
          images[i] =
              &Add(Kind::Image, u"imgHeaderSymbol", i, fraWizard[i + 1], {6600, 120, 720, 720});
        return images;
      }()),
      WIZARD_CONTROL(Kind::Shape, shpWelcome, fraWizard[0], (Rect{0, 0, 7515, 4710})),
      WIZARD_CONTROL(Kind::Image, imgWelcomeSide, fraWizard[0], (Rect{0, 0, 2460, 4710})),
      WIZARD_CONTROL(Kind::Image, imgWelcomeSymbol, fraWizard[0], (Rect{6600, 240, 720, 720})),
      WIZARD_CONTROL(Kind::Label, lblWelcomeTitle, fraWizard[0], (Rect{2700, 360, 3780, 975})),
      WIZARD_CONTROL(Kind::Label, lblWelcomeSubtitle, fraWizard[0], (Rect{2700, 1500, 4560, 2400})),
      WIZARD_CONTROL(Kind::CheckBox, chkSkip, fraWizard[0], (Rect{2700, 4200, 4560, 285})),
      WIZARD_CONTROL(Kind::Frame, fraPaymentRequestType, fraWizard[1],
                     (Rect{1140, 1200, 5235, 3000})),
      optPaymentRequestType([this] {
        std::array<ui::Control*, 5> options{};
        for (int i = 0; i < 5; ++i)
          options[i] = &Add(Kind::OptionButton, u"optPaymentRequestType", i, &fraPaymentRequestType,
                            {360, 360 + i * 500, 4500, 375});
        return options;
      }()),
      WIZARD_CONTROL(Kind::Label, lblGeneralQuarroID, fraWizard[2], LabelRow(0)),
      WIZARD_CONTROL(Kind::TextBox, txtGeneralQuarroID, fraWizard[2], FieldRow(0)),
      WIZARD_CONTROL(Kind::Label, lblGeneralAmount, fraWizard[2], LabelRow(1)),
      WIZARD_CONTROL(Kind::MaskedEdit, mebGeneralAmount, fraWizard[2],
                     (Rect{kFieldLeft, FieldRow(1).top, 1500, 285})),
      WIZARD_CONTROL(Kind::ComboBox, cmbGeneralCurrency, fraWizard[2],
                     (Rect{4140, FieldRow(1).top, 1995, 315})),
      WIZARD_CONTROL(Kind::Label, lblGeneralNote, fraWizard[2], LabelRow(2)),
      WIZARD_CONTROL(Kind::TextBox, txtGeneralNote, fraWizard[2], NoteRow(2)),
      WIZARD_CONTROL(Kind::Label, lblAuctionQuarroID, fraWizard[3], LabelRow(0)),
      WIZARD_CONTROL(Kind::TextBox, txtAuctionQuarroID, fraWizard[3], FieldRow(0)),
      WIZARD_CONTROL(Kind::Label, lblAuctionTo, fraWizard[3], LabelRow(1)),
      WIZARD_CONTROL(Kind::TextBox, txtAuctionTo, fraWizard[3], FieldRow(1)),
      WIZARD_CONTROL(Kind::Label, lblAuctionItemNumber, fraWizard[3], LabelRow(2)),
      WIZARD_CONTROL(Kind::TextBox, txtAuctionItemNumber, fraWizard[3], FieldRow(2)),
      WIZARD_CONTROL(Kind::Label, lblAuctionNote, fraWizard[3], LabelRow(3)),
      WIZARD_CONTROL(Kind::TextBox, txtAuctionNote, fraWizard[3], NoteRow(3)),
      WIZARD_CONTROL(Kind::Label, lblProductQuarroID, fraWizard[4], ProductLabel(0)),
      WIZARD_CONTROL(Kind::TextBox, txtProductQuarroID, fraWizard[4], ProductField(0)),
      WIZARD_CONTROL(Kind::Label, lblProductTo, fraWizard[4], ProductLabel(1)),
      WIZARD_CONTROL(Kind::TextBox, txtProductTo, fraWizard[4], ProductField(1)),
      WIZARD_CONTROL(Kind::Label, lblProductSubject, fraWizard[4], ProductLabel(2)),
      WIZARD_CONTROL(Kind::TextBox, txtProductSubject, fraWizard[4], ProductField(2)),
      WIZARD_CONTROL(Kind::Label, lblProductBuyerFirst, fraWizard[4], ProductLabel(3)),
      WIZARD_CONTROL(Kind::TextBox, txtProductFirstName, fraWizard[4], ProductField(3)),
      WIZARD_CONTROL(Kind::Label, lblProductBuyerLast, fraWizard[4], ProductLabel(4)),
      WIZARD_CONTROL(Kind::TextBox, txtProductLastName, fraWizard[4], ProductField(4)),
      WIZARD_CONTROL(Kind::CheckBox, chkProductShipping, fraWizard[4],
                     (Rect{kFieldLeft, 1000 + 5 * kProductStep, 3615, 285})),
      WIZARD_CONTROL(Kind::Frame, fraProductProduct, fraWizard[4], (Rect{120, 2980, 3555, 1650})),
      WIZARD_CONTROL(Kind::Label, lblProductName, &fraProductProduct, InnerLabel(0)),
      WIZARD_CONTROL(Kind::TextBox, txtProductName, &fraProductProduct, InnerField(0)),
      WIZARD_CONTROL(Kind::Label, lblProductNumber, &fraProductProduct, InnerLabel(1)),
      WIZARD_CONTROL(Kind::TextBox, txtProductNumber, &fraProductProduct, InnerField(1)),
      WIZARD_CONTROL(Kind::Label, lblProductQuantity, &fraProductProduct, InnerLabel(2)),
      WIZARD_CONTROL(Kind::TextBox, txtProductQuantity, &fraProductProduct,
                     (Rect{InnerField(2).left, InnerField(2).top, 720, 285})),
      WIZARD_CONTROL(Kind::UpDown, UpDown1, &fraProductProduct,
                     (Rect{InnerField(2).left + 720, InnerField(2).top, 255, 285})),
      WIZARD_CONTROL(Kind::Frame, fraProductAmount, fraWizard[4], (Rect{3840, 2980, 3555, 1650})),
      WIZARD_CONTROL(Kind::Label, lblProductCurrency, &fraProductAmount, InnerLabel(0)),
      WIZARD_CONTROL(Kind::ComboBox, cmbProductCurrency, &fraProductAmount, InnerField(0)),
      WIZARD_CONTROL(Kind::Label, lblProductAmount, &fraProductAmount, InnerLabel(1)),
      WIZARD_CONTROL(Kind::MaskedEdit, mebProductAmount, &fraProductAmount, InnerField(1)),
      WIZARD_CONTROL(Kind::Label, lblProductShipping, &fraProductAmount, InnerLabel(2)),
      WIZARD_CONTROL(Kind::MaskedEdit, mebProductShipping, &fraProductAmount, InnerField(2)),
      WIZARD_CONTROL(Kind::Label, lblProductTotal, &fraProductAmount, InnerLabel(3)),
      WIZARD_CONTROL(Kind::Label, lblProductTotalCalc, &fraProductAmount, InnerField(3)),
      WIZARD_CONTROL(Kind::Label, lblServiceQuarroID, fraWizard[5], LabelRow(0)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceQuarroID, fraWizard[5], FieldRow(0)),
      WIZARD_CONTROL(Kind::Label, lblServiceTo, fraWizard[5], LabelRow(1)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceTo, fraWizard[5], FieldRow(1)),
      WIZARD_CONTROL(Kind::Label, lblServiceSubject, fraWizard[5], LabelRow(2)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceSubject, fraWizard[5], FieldRow(2)),
      WIZARD_CONTROL(Kind::Label, lblServiceBuyerFirst, fraWizard[5], LabelRow(3)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceFirstName, fraWizard[5], FieldRow(3)),
      WIZARD_CONTROL(Kind::Label, lblServiceBuyerLast, fraWizard[5], LabelRow(4)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceLastName, fraWizard[5], FieldRow(4)),
      WIZARD_CONTROL(Kind::Label, lblServiceDescription, fraWizard[5], LabelRow(5)),
      WIZARD_CONTROL(Kind::TextBox, txtServiceDescription, fraWizard[5], FieldRow(5)),
      WIZARD_CONTROL(Kind::Label, lblServiceAmount, fraWizard[5], LabelRow(6)),
      WIZARD_CONTROL(Kind::MaskedEdit, mebServiceAmount, fraWizard[5],
                     (Rect{kFieldLeft, FieldRow(6).top, 1500, 285})),
      WIZARD_CONTROL(Kind::ComboBox, cmbServiceCurrency, fraWizard[5],
                     (Rect{4140, FieldRow(6).top, 1995, 315})),
      WIZARD_CONTROL(Kind::Label, lblDonationQuarroID, fraWizard[6], LabelRow(0)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationQuarroID, fraWizard[6], FieldRow(0)),
      WIZARD_CONTROL(Kind::Label, lblDonationTo, fraWizard[6], LabelRow(1)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationTo, fraWizard[6], FieldRow(1)),
      WIZARD_CONTROL(Kind::Label, lblDonationSubject, fraWizard[6], LabelRow(2)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationSubject, fraWizard[6], FieldRow(2)),
      WIZARD_CONTROL(Kind::Label, lblDonationBuyerFirst, fraWizard[6], LabelRow(3)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationFirstName, fraWizard[6], FieldRow(3)),
      WIZARD_CONTROL(Kind::Label, lblDonationBuyerLast, fraWizard[6], LabelRow(4)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationLastName, fraWizard[6], FieldRow(4)),
      WIZARD_CONTROL(Kind::Label, lblDonationNote, fraWizard[6], LabelRow(5)),
      WIZARD_CONTROL(Kind::TextBox, txtDonationNote, fraWizard[6], NoteRow(5)),
      optButton([this] {
        std::array<ui::Control*, kButtonOptions> options{};
        for (int i = 0; i < kImageSlots; ++i)
          options[i] = &Add(Kind::OptionButton, u"optButton", i, fraWizard[kStylePage],
                            {kSlotOptionLeft[i % 2], kSlotOptionTop[i / 2], 255, 255});
        options[kOwnImageOption] = &Add(Kind::OptionButton, u"optButton", kOwnImageOption,
                                        fraWizard[kStylePage], {1140, 3950, 255, 255});
        options[kTextLinkOption] = &Add(Kind::OptionButton, u"optButton", kTextLinkOption,
                                        fraWizard[kStylePage], {1140, 4400, 255, 255});
        return options;
      }()),
      picButton([this] {
        std::array<ui::Control*, kImageSlots> pictures{};
        for (int i = 0; i < kImageSlots; ++i)
          pictures[i] = &Add(Kind::PictureBox, u"picButton", i, fraWizard[kStylePage],
                             {kSlotPictureLeft[i % 2], kSlotPictureTop[i / 2], 2310, 840});
        return pictures;
      }()),
      WIZARD_CONTROL(Kind::Label, lblButtonURL, fraWizard[kStylePage],
                     (Rect{1500, 3965, 795, 255})),
      WIZARD_CONTROL(Kind::TextBox, txtButtonURL, fraWizard[kStylePage],
                     (Rect{2340, 3918, 3615, 285})),
      WIZARD_CONTROL(Kind::Label, lblButtonText, fraWizard[kStylePage],
                     (Rect{1500, 4410, 795, 255})),
      WIZARD_CONTROL(Kind::TextBox, txtButtonText, fraWizard[kStylePage],
                     (Rect{2340, 4365, 3615, 285})),
      WIZARD_CONTROL(Kind::CommandButton, cmdTemplate, fraWizard[kStylePage],
                     (Rect{6210, 4320, 1125, 345})),
      WIZARD_CONTROL(Kind::Shape, shpCompletion, fraWizard[8], (Rect{0, 0, 7515, 4710})),
      WIZARD_CONTROL(Kind::Image, imgCompletionSide, fraWizard[8], (Rect{0, 0, 2460, 4710})),
      WIZARD_CONTROL(Kind::Image, imgCompletionSymbol, fraWizard[8], (Rect{6600, 240, 720, 720})),
      WIZARD_CONTROL(Kind::Label, lblCompletionTitle, fraWizard[8], (Rect{2700, 240, 3780, 615})),
      WIZARD_CONTROL(Kind::Label, lblCompletionSubtitle, fraWizard[8],
                     (Rect{2700, 900, 4560, 435})),
      WIZARD_CONTROL(Kind::Label, lblCompletionInstructions, fraWizard[8],
                     (Rect{2700, 2970, 3330, 1230})),
      WIZARD_CONTROL(Kind::TextBox, txtCompletionSummary, fraWizard[8],
                     (Rect{2700, 1380, 4560, 1500})),
      WIZARD_CONTROL(Kind::CommandButton, cmdTest, fraWizard[8], (Rect{6135, 2970, 1125, 345})),
      WIZARD_CONTROL(Kind::CheckBox, chkSave, fraWizard[8], (Rect{2700, 4260, 4560, 285})),
      WIZARD_CONTROL(Kind::Line, LineTop, nullptr, (Rect{10, 4710, 7480, 0})),
      WIZARD_CONTROL(Kind::Line, LineBottom, nullptr, (Rect{10, 4720, 7480, 0})),
      WIZARD_CONTROL(Kind::Frame, frmCommand, nullptr, (Rect{0, 4800, 7515, 465})),
      WIZARD_CONTROL(Kind::CommandButton, cmdHelp, &frmCommand, (Rect{100, 0, 1125, 345})),
      WIZARD_CONTROL(Kind::CommandButton, cmdBack, &frmCommand, (Rect{3580, 0, 1185, 345})),
      WIZARD_CONTROL(Kind::CommandButton, cmdNext, &frmCommand, (Rect{4800, 0, 1335, 345})),
      WIZARD_CONTROL(Kind::CommandButton, cmdFinish, &frmCommand, (Rect{4800, 0, 1335, 345})),
      WIZARD_CONTROL(Kind::CommandButton, cmdCancel, &frmCommand, (Rect{6210, 0, 1125, 345})) {
  caption = u"Quarro Payment Request Wizard";
  // The size of the whole window, frame and title bar included.
  rect = {0, 0, 7620, 6300};
  sizeIncludesFrame = true;

  // Design-time captions: placeholders until the resource library's are set.
  for (int p = 0; p < kPageCount; ++p)
    fraWizard[p]->SetCaption(u"Tab " + DecimalText(p));
  for (auto* title : lblTitle) {
    title->fontName = u"MS Sans Serif";
    title->bold = true;
  }
  for (ui::Control* title : {&lblWelcomeTitle, &lblCompletionTitle}) {
    title->fontName = u"Verdana";
    title->fontSize = 12;
    title->bold = true;
  }
  frmCommand.border = false;

  for (ui::Control* required : {&txtGeneralQuarroID, &mebGeneralAmount, &txtAuctionQuarroID,
                                &txtAuctionItemNumber, &txtProductQuarroID, &mebProductAmount,
                                &txtServiceQuarroID, &mebServiceAmount, &txtDonationQuarroID})
    required->tag = u"REQUIRED";

  for (ui::Control* amount :
       {&mebGeneralAmount, &mebProductAmount, &mebProductShipping, &mebServiceAmount}) {
    amount->maxLength = 64;
    // "#,##0.00;(#,##0.00)" while the box does not have the focus; a text that
    // is no number shows as typed.
    amount->displayFormat = [this](const String& text) { return AmountShown(text); };
  }
  for (ui::Control* limited : {&txtGeneralNote, &txtAuctionNote, &txtDonationNote, &txtProductName,
                               &txtServiceDescription})
    limited->maxLength = 120;
  for (ui::Control* note :
       {&txtGeneralNote, &txtAuctionNote, &txtDonationNote, &txtCompletionSummary}) {
    note->multiLine = true;
    note->verticalScrollBar = true;
  }

  optPaymentRequestType[0]->SetValue(1);
  txtProductQuantity.SetText(u"1");
  UpDown1.buddy = &txtProductQuantity;
  UpDown1.minimum = 0;
  UpDown1.maximum = 10;
  UpDown1.increment = 1;
  lblProductTotalCalc.SetCaption(u"0.00");
  txtButtonURL.SetText(u"http://");
  txtButtonText.SetText(u"Click Here to Pay");
  cmdTemplate.SetCaption(u"&Template...");
  chkSave.SetValue(1);

  ConnectEvents();
}

#undef WIZARD_CONTROL

}  // namespace ostrel
