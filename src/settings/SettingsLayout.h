// Every registry key and value name the add-in uses, and the builders of the
// numbered key paths. No other file spells a key or value name.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "host/Registry.h"
#include "host/String.h"

namespace ostrel::settings {

// All of the add-in's own keys live under this root.
inline constexpr host::RegRoot kRoot = host::RegRoot::CurrentUser;

inline constexpr std::u16string_view kMainKey = u"Software\\Quarro\\Drovanix\\Outlook";
inline constexpr std::u16string_view kOptionsKey = u"Software\\Quarro\\Ostrel\\Outlook";

inline constexpr int kTypeCount = 5;
inline constexpr std::array<std::u16string_view, kTypeCount> kTypeNames = {
    u"General", u"Product", u"Service", u"Auction", u"Donation"};
inline constexpr std::array<std::u16string_view, kTypeCount> kBranchLiterals = {
    u"\\General", u"\\Product", u"\\Service", u"\\Auction", u"\\Donation"};

inline constexpr std::u16string_view kCurrencyInfix = u"\\Currency\\";
inline constexpr std::u16string_view kButtonsInfix = u"\\Buttons\\";
inline constexpr int kButtonEntries = 6;

// Values of the main key.
namespace main_value {
inline constexpr std::u16string_view kPaymentRequestType = u"PaymentRequestType";
inline constexpr std::u16string_view kSkipWelcome = u"SkipWelcome";
inline constexpr std::u16string_view kFirstName = u"FirstName";
inline constexpr std::u16string_view kLastName = u"LastName";
inline constexpr std::u16string_view kCompany = u"Company";
inline constexpr std::u16string_view kAddress = u"Address";
inline constexpr std::u16string_view kCity = u"City";
inline constexpr std::u16string_view kState = u"State";
inline constexpr std::u16string_view kZIP = u"ZIP";
inline constexpr std::u16string_view kQuarroID = u"QuarroID";
}  // namespace main_value

// Values of a currency entry.
namespace currency_value {
inline constexpr std::u16string_view kCode = u"Code";
inline constexpr std::u16string_view kName = u"Name";
}  // namespace currency_value

// Values of a type branch.
namespace branch_value {
inline constexpr std::u16string_view kQuarroID = u"QuarroID";
inline constexpr std::u16string_view kSubject = u"Subject";
inline constexpr std::u16string_view kCurrency = u"Currency";
inline constexpr std::u16string_view kAmount = u"Amount";
inline constexpr std::u16string_view kName = u"Name";
inline constexpr std::u16string_view kNumber = u"Number";
inline constexpr std::u16string_view kQuantity = u"Quantity";
inline constexpr std::u16string_view kShipping = u"Shipping";
inline constexpr std::u16string_view kDescription = u"Description";
inline constexpr std::u16string_view kButton = u"Button";
}  // namespace branch_value

// Values of a button entry.
namespace button_value {
inline constexpr std::u16string_view kResourceID = u"ResourceID";
inline constexpr std::u16string_view kSrc = u"Src";
inline constexpr std::u16string_view kAlt = u"Alt";
inline constexpr std::u16string_view kWidth = u"Width";
inline constexpr std::u16string_view kHeight = u"Height";
}  // namespace button_value

// Values of the options key.
namespace options_value {
inline constexpr std::u16string_view kFirstName = u"FirstName";
inline constexpr std::u16string_view kLastName = u"LastName";
inline constexpr std::u16string_view kCompany = u"Company";
inline constexpr std::u16string_view kAddress = u"Address";
inline constexpr std::u16string_view kCity = u"City";
inline constexpr std::u16string_view kState = u"State";
inline constexpr std::u16string_view kZIP = u"ZIP";
inline constexpr std::u16string_view kMRB = u"MRB";
inline constexpr std::u16string_view kQuarroID = u"QuarroID";
}  // namespace options_value

// Keys outside the add-in's own, read by the About dialog under HKEY_LOCAL_MACHINE.
namespace msinfo {
inline constexpr host::RegRoot kRoot = host::RegRoot::LocalMachine;
inline constexpr std::u16string_view kKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::u16string_view kPathValue = u"PATH";
inline constexpr std::u16string_view kLocationKey = u"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::u16string_view kLocationValue = u"MSINFO";
}  // namespace msinfo

// Outlook's list of add-ins lies below this key.
inline constexpr std::u16string_view kOutlookKey = u"Software\\Microsoft\\Office\\Outlook";

// Keys and values of the server's registration (addin/Registration.cpp), all under
// HKEY_CURRENT_USER. The identifiers and texts stored in them are in
// addin/ServerIdentity.h.
namespace registration {
// A key's default value ("@" in a .reg file).
inline constexpr std::u16string_view kDefaultValue = u"";

// Per-user COM classes; HKEY_LOCAL_MACHINE holds the machine-wide ones at the same path.
inline constexpr std::u16string_view kClassesKey = u"Software\\Classes";
inline constexpr std::u16string_view kClsidKey = u"CLSID";
inline constexpr std::u16string_view kInprocServer32Key = u"InprocServer32";
inline constexpr std::u16string_view kThreadingModelValue = u"ThreadingModel";
inline constexpr std::u16string_view kProgIdKey = u"ProgID";
inline constexpr std::u16string_view kTypeLibKey = u"TypeLib";
inline constexpr std::u16string_view kClassVersionKey = u"VERSION";
inline constexpr std::u16string_view kInterfaceKey = u"Interface";
inline constexpr std::u16string_view kProxyStubClsid32Key = u"ProxyStubClsid32";
// Under Interface\{iid}\TypeLib: the version of the library describing it.
inline constexpr std::u16string_view kTypeLibVersionValue = u"Version";
// Under TypeLib\{libid}\<version>: the language-neutral locale, the file per
// platform, the library flags and the help folder.
inline constexpr std::u16string_view kNeutralLocaleKey = u"0";
inline constexpr std::u16string_view kWin32Key = u"win32";
inline constexpr std::u16string_view kWin64Key = u"win64";
inline constexpr std::u16string_view kFlagsKey = u"FLAGS";
inline constexpr std::u16string_view kHelpDirKey = u"HELPDIR";

// kOutlookKey + this + ProgID: the add-in's entry in Outlook's add-in list.
inline constexpr std::u16string_view kAddinsInfix = u"\\Addins\\";
inline constexpr std::u16string_view kFriendlyNameValue = u"FriendlyName";
inline constexpr std::u16string_view kDescriptionValue = u"Description";
inline constexpr std::u16string_view kLoadBehaviorValue = u"LoadBehavior";
}  // namespace registration

// True for 0 (General) to 4 (Donation).
constexpr bool IsPaymentRequestType(std::int32_t type) {
  return type >= 0 && type < kTypeCount;
}

// main key + branch literal of the type. The type must be 0 to 4.
String BranchKey(int type);
// main key + "\Currency\" + n.
String CurrencyKey(int n);
// main key + "\" + type name + "\Buttons\" + n. The type must be 0 to 4.
String ButtonKey(int type, int n);

}  // namespace ostrel::settings
