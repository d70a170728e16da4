// Conversion between the system's strings and the ANSI code page.
#pragma once

#include "host/String.h"

namespace ostrel::host {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;

  // Characters the code page lacks come out as the code page's substitute (see the
  // implementation for which one); the conversion itself never fails.
  virtual AnsiString ToAnsi(const String& text) const = 0;
  virtual String FromAnsi(const AnsiString& bytes) const = 0;
};

}  // namespace ostrel::host
