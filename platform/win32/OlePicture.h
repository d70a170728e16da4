// Host pictures and OLE pictures (IPicture, IPictureDisp), both ways: what
// goes to Office as a CommandBarButton's Picture, and what a caller's picture
// is on the stand-in's side.
#pragma once

#include "host/Picture.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {

// A host picture over an OLE picture; it holds a reference of its own.
host::PicturePtr PictureOf(IPicture* picture);

// The picture's IDispatch (its IPictureDisp), with a reference for the caller;
// nullptr for a picture that is no OLE picture.
IDispatch* DispatchOf(const host::Picture& picture);

}  // namespace ostrel::win32
