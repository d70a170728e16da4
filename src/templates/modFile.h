// Files beside the add-in.
#pragma once

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

// True exactly when a find-first-file search for the path finds an entry; a
// folder counts. Never fails.
bool FileExists(host::Platform& platform, const String& path);

// The text of a template file's bytes. A file that starts with a byte-order
// mark is read by it: UTF-8 (EF BB BF), UTF-16 little-endian (FF FE, Notepad's
// "Unicode") or big-endian (FE FF); the mark is not part of the text, and a
// sequence that is not one of that encoding becomes U+FFFD. Any other file is
// text in the ANSI code page.
String TemplateText(host::Platform& platform, const AnsiString& bytes);

// The bytes a template file is written with: the text in the ANSI code page
// when that holds every character of it, otherwise UTF-8 behind its mark, so
// that nothing the user typed is lost.
AnsiString TemplateBytes(host::Platform& platform, const String& text);

}  // namespace ostrel
