#include "settings/SettingsLayout.h"

#include <stdexcept>

#include "common/Text.h"

namespace ostrel::settings {
namespace {

std::size_t TypeIndex(int type) {
  if (!IsPaymentRequestType(type))
    throw std::out_of_range("payment request type out of range");
  return static_cast<std::size_t>(type);
}

}  // namespace

String BranchKey(int type) {
  String key(kMainKey);
  key += kBranchLiterals[TypeIndex(type)];
  return key;
}

String CurrencyKey(int n) {
  String key(kMainKey);
  key += kCurrencyInfix;
  key += DecimalText(n);
  return key;
}

String ButtonKey(int type, int n) {
  String key(kMainKey);
  key += u'\\';
  key += kTypeNames[TypeIndex(type)];
  key += kButtonsInfix;
  key += DecimalText(n);
  return key;
}

}  // namespace ostrel::settings
