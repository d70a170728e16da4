// Numbers of the strings, bitmaps and icons the add-in reads from its resource
// library. The wizard's page texts (1001 to 1805) are listed with the caption table.
#pragma once

#include <cstdint>

namespace ostrel::res {

// Strings.
inline constexpr std::int32_t kButtonSourceString = 100;  // the link's "bn" value
inline constexpr std::int32_t kAppTitle = 101;
inline constexpr std::int32_t kAboutOk = 201;
inline constexpr std::int32_t kAboutSysInfo = 202;
inline constexpr std::int32_t kOptionsOk = 203;
inline constexpr std::int32_t kOptionsCancel = 204;
inline constexpr std::int32_t kOptionsApply = 205;
inline constexpr std::int32_t kTemplateOk = 206;
inline constexpr std::int32_t kTemplateCancel = 207;
inline constexpr std::int32_t kTemplateLoad = 208;
inline constexpr std::int32_t kWizardButtonFirst = 209;  // 209 to 213
inline constexpr std::int32_t kWizardButtonLast = 213;
inline constexpr std::int32_t kAboutCredits = 214;
inline constexpr std::int32_t kAboutFeedback = 215;
inline constexpr std::int32_t kAboutMoreInfo = 216;
inline constexpr std::int32_t kAboutDescription = 217;
inline constexpr std::int32_t kAboutDisclaimer = 218;
inline constexpr std::int32_t kWizardTemplateButton = 219;
inline constexpr std::int32_t kAboutVersion = 220;
inline constexpr std::int32_t kSysInfoUnavailable = 221;
inline constexpr std::int32_t kWizardCaption = 301;
inline constexpr std::int32_t kAboutCaption = 302;
inline constexpr std::int32_t kOptionsCaption = 303;
inline constexpr std::int32_t kTemplateCaption = 304;
inline constexpr std::int32_t kMessageFooter = 401;
inline constexpr std::int32_t kToolbarFirst = 501;  // 501 to 504: main button and popup
inline constexpr std::int32_t kMenuFirst = 505;     // 505 to 513: the nine menu commands
inline constexpr std::int32_t kUpdateAddress = 514;
inline constexpr std::int32_t kWebAddress = 515;
inline constexpr std::int32_t kMessageInvalidAccount = 901;
inline constexpr std::int32_t kMessageInvalidAmount = 902;
inline constexpr std::int32_t kMessageSettingsMissing = 903;
inline constexpr std::int32_t kMessageNoCurrency = 904;
inline constexpr std::int32_t kMessageValueTooLong = 905;
inline constexpr std::int32_t kMessageHelpUnavailable = 906;
inline constexpr std::int32_t kMessageTemplateNotSaved = 907;
inline constexpr std::int32_t kMessageTemplateNotRead = 908;
inline constexpr std::int32_t kMessageMailNotCreated = 909;
inline constexpr std::int32_t kMessageCommandFailed = 910;
inline constexpr std::int32_t kMessageInvalidQuantity = 911;
inline constexpr std::int32_t kMessageDetailsNotSaved = 912;
// "%1" stands for the field's label.
inline constexpr std::int32_t kMessageTextNotCarried = 913;
// The style page's options, which show pictures: their names for screen
// readers (1707 is followed by the picture's number).
inline constexpr std::int32_t kStylePictureName = 1707;
inline constexpr std::int32_t kStyleOwnImageName = 1708;
inline constexpr std::int32_t kStyleTextLinkName = 1709;
inline constexpr std::int32_t kOptionsTextFirst = 2001;  // 2001 to 2011
inline constexpr std::int32_t kOptionsTextLast = 2011;
inline constexpr std::int32_t kTemplateCheckBox = 3001;

// Bitmaps, asked for by their number as text.
inline constexpr std::int32_t kToolbarFaceBitmap = 2003;
inline constexpr std::int32_t kRibbonButtonBitmap = 2004;  // 32 x 32, alpha
inline constexpr std::int32_t kRibbonHelpBitmap = 2005;    // 16 x 16, alpha
inline constexpr std::int32_t kSideBitmap = 3001;
inline constexpr std::int32_t kPageSymbolBitmap = 3002;
inline constexpr std::int32_t kHeaderBitmap = 3003;

// Icons.
inline constexpr std::uint32_t kWizardIcon = 4001;

}  // namespace ostrel::res
