#include "outlook/StandinControls.h"

#include <algorithm>
#include <array>

#include "common/Text.h"
#include "outlook/StandinCommandBars.h"

namespace ostrel::standin {
namespace {

// MsoButtonStyle: automatic, icon, caption, icon and caption, icon and wrapped
// caption, caption below icon, wrapped caption, icon and wrapped caption below.
constexpr std::array<int, 8> kButtonStyles = {0, 1, 2, 3, 7, 11, 14, 15};

// Reads the face and mask blocks while the clipboard is open; the clipboard
// is closed again whatever happens.
PastedFace ReadFace(host::Clipboard& clipboard) {
  if (!clipboard.Open(host::WindowHandle::None))
    throw host::HostError(kEFail, "PasteFace could not open the clipboard");
  std::optional<std::vector<std::uint8_t>> face;
  std::optional<std::vector<std::uint8_t>> mask;
  try {
    const std::uint32_t faceFormat = clipboard.RegisterFormat("Toolbar Button Face");
    const std::uint32_t maskFormat = clipboard.RegisterFormat("Toolbar Button Mask");
    if (faceFormat != 0 && maskFormat != 0) {
      face = clipboard.GetData(faceFormat);
      mask = clipboard.GetData(maskFormat);
    }
  } catch (...) {
    clipboard.Close();
    throw;
  }
  clipboard.Close();
  if (!face || !mask) {
    throw host::HostError(kEFail,
                          std::string("PasteFace found no ") +
                              (face ? "\"Toolbar Button Mask\"" : "\"Toolbar Button Face\"") +
                              " on the clipboard");
  }
  return PastedFace{std::move(*face), std::move(*mask)};
}

}  // namespace

StandinControl::StandinControl(std::shared_ptr<OutlookState> state, int type, bool temporary)
    : state_(std::move(state)) {
  data_.type = type;
  data_.temporary = temporary;
}

std::shared_ptr<host::office::CommandBarControl> StandinControl::AsHost() {
  return std::dynamic_pointer_cast<host::office::CommandBarControl>(shared_from_this());
}

void StandinControl::Enter(std::string_view operation) const {
  if (deleted_) {
    throw host::HostError(kEDisconnected, std::string(operation) +
                                              ": the control is gone (its bar was reset or its "
                                              "window closed)");
  }
  state_->faults.Check(operation);
}

void StandinControl::DeleteFromBar(std::string_view operation) {
  Enter(operation);
  const auto self = shared_from_this();
  if (bar_ != nullptr)
    bar_->Detach(*this);
  bar_ = nullptr;
  Remove();
}

StandinButton::StandinButton(std::shared_ptr<OutlookState> state, bool temporary)
    : ControlProperties(std::move(state), host::office::msoControlButton, temporary) {}

int StandinButton::FaceId() const {
  Enter("FaceId");
  return data_.faceId;
}

void StandinButton::SetFaceId(int face) {
  Enter("FaceId");
  if (face < 0)
    throw host::HostError(kEInvalidArg, "FaceId " + std::to_string(face) + " is below 0");
  data_.faceId = face;
}

int StandinButton::Style() const {
  Enter("Style");
  return data_.style;
}

void StandinButton::SetStyle(int style) {
  Enter("Style");
  if (std::find(kButtonStyles.begin(), kButtonStyles.end(), style) == kButtonStyles.end())
    throw host::HostError(kEInvalidArg, "Style " + std::to_string(style) + " is no button style");
  data_.style = style;
}

void StandinButton::PasteFace() {
  Enter("PasteFace");
  if (state_->clipboard == nullptr)
    throw host::HostError(kEFail, "PasteFace: this stand-in was given no clipboard");
  face_ = ReadFace(*state_->clipboard);
  data_.pastedFace = true;
  state_->Notify("face pasted on " + Utf16ToUtf8(data_.tag));
}

namespace {

// What Office takes for a face: a bitmap picture with a bitmap in it.
void CheckFacePicture(const host::Picture& picture, const char* property) {
  if (picture.Type() != host::kPicTypeBitmap || host::IsNone(picture.Handle()))
    throw host::HostError(kEInvalidArg, std::string(property) + " is no bitmap picture");
}

}  // namespace

void StandinButton::SetPicture(const host::Picture& picture) {
  Enter("Picture");
  CheckFacePicture(picture, "Picture");
  data_.pictureSet = true;
  state_->Notify("picture set on " + Utf16ToUtf8(data_.tag));
}

void StandinButton::SetMask(const host::Picture& mask) {
  Enter("Mask");
  CheckFacePicture(mask, "Mask");
  // The documentation gives the mask as the picture's: one before a picture
  // is taken as the caller's mistake.
  if (!data_.pictureSet)
    throw host::HostError(kEFail, "Mask set before Picture");
  data_.maskSet = true;
}

std::uint32_t StandinButton::Advise(host::office::CommandBarButtonEvents* sink) {
  Enter("Advise");
  return sinks_.Advise(sink);
}

void StandinButton::Unadvise(std::uint32_t cookie) {
  state_->faults.Check("Unadvise");
  sinks_.Unadvise(cookie);
}

bool StandinButton::Click() {
  // A receiver may drop the last reference to the button while it runs.
  const auto self = shared_from_this();
  bool cancelDefault = false;
  sinks_.Raise(
      [&](host::office::CommandBarButtonEvents& sink) { sink.Click(*this, cancelDefault); });
  return cancelDefault;
}

StandinPopup::StandinPopup(std::shared_ptr<OutlookState> state, bool temporary)
    : ControlProperties(state, host::office::msoControlPopup, temporary),
      menu_(std::make_shared<StandinCommandBar>(std::move(state),
                                                SavedBar{u"", kMsoBarPopup, false}, true,
                                                StandinCommandBar::Kind::kMenu)) {}

std::shared_ptr<host::office::CommandBar> StandinPopup::CommandBar() {
  Enter("Popup.CommandBar");
  return state_->HandOut(std::shared_ptr<host::office::CommandBar>(menu_));
}

void StandinPopup::SetCaption(const String& caption) {
  ControlProperties::SetCaption(caption);
  menu_->Rename(caption);
}

ControlView StandinPopup::View() const {
  const BarView menu = menu_->View();
  ControlView view = data_;
  view.adaptiveMenu = menu.adaptiveMenu;
  view.menu = menu.controls;
  return view;
}

void StandinPopup::Remove() {
  ControlProperties::Remove();
  menu_->Disconnect();
}

}  // namespace ostrel::standin
