#include "settings/frmOptions.h"

#include <array>
#include <utility>

#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel {

using ui::Kind;
using ui::Rect;

namespace {

constexpr int kClientWidth = 5265;
constexpr int kClientHeight = 4965;

}  // namespace

#define OPTIONS_CONTROL(kind, name, container, ...) \
  name(Add(kind, u## #name, -1, container, Rect{__VA_ARGS__}))

// The name boxes hold the usual names and keep clear of the label between them
// (German "Nachname:" too), and the buttons hold "&Übernehmen";
// State/Province is as wide as City, for names such as "Warwickshire".
// Tab order: the nine boxes in reading order, then OK, Cancel, Apply. Labels and
// frames take no focus, so their place in the order does not matter.
frmOptions::frmOptions(AddInState& addin)
    : ui::Dialog(u"frmOptions"),
      state(addin),
      OPTIONS_CONTROL(Kind::Frame, fraUserInfo, nullptr, 180, 180, 4875, 2775),
      OPTIONS_CONTROL(Kind::Label, lblNameFirst, &fraUserInfo, 240, 375, 1215, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtNameFirst, &fraUserInfo, 1560, 360, 1095, 285),
      OPTIONS_CONTROL(Kind::Label, lblNameLast, &fraUserInfo, 2715, 375, 975, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtNameLast, &fraUserInfo, 3690, 360, 885, 285),
      OPTIONS_CONTROL(Kind::Label, lblCompany, &fraUserInfo, 240, 720, 1215, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtCompany, &fraUserInfo, 1560, 700, 3015, 285),
      OPTIONS_CONTROL(Kind::Label, lblAddress, &fraUserInfo, 240, 1050, 1215, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtAddress, &fraUserInfo, 1560, 1040, 3015, 645),
      OPTIONS_CONTROL(Kind::Label, lblCity, &fraUserInfo, 240, 1740, 1215, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtCity, &fraUserInfo, 1560, 1720, 3015, 285),
      OPTIONS_CONTROL(Kind::Label, lblState, &fraUserInfo, 240, 2070, 1335, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtState, &fraUserInfo, 1560, 2060, 3015, 285),
      OPTIONS_CONTROL(Kind::Label, lblZIP, &fraUserInfo, 240, 2415, 1335, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtZIP, &fraUserInfo, 1560, 2400, 1215, 285),
      OPTIONS_CONTROL(Kind::Frame, fraQuarroInfo, nullptr, 180, 3060, 4875, 1215),
      OPTIONS_CONTROL(Kind::Label, lblQuarroID, &fraQuarroInfo, 240, 420, 1335, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtQuarroID, &fraQuarroInfo, 1560, 360, 3015, 315),
      OPTIONS_CONTROL(Kind::Label, lblMRB, &fraQuarroInfo, 240, 780, 1335, 255),
      OPTIONS_CONTROL(Kind::TextBox, txtMRB, &fraQuarroInfo, 1560, 720, 3015, 315),
      OPTIONS_CONTROL(Kind::CommandButton, cmdOK, nullptr, 1080, 4440, 1245, 345),
      OPTIONS_CONTROL(Kind::CommandButton, cmdCancel, nullptr, 2445, 4440, 1245, 345),
      OPTIONS_CONTROL(Kind::CommandButton, cmdApply, nullptr, 3810, 4440, 1245, 345) {
  rect = {0, 0, kClientWidth, kClientHeight};
  txtAddress.multiLine = true;
  cmdCancel.cancel = true;
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdApply.onClick = [this] { cmdApply_Click(); };
  // The close box and Esc act as Cancel.
  onClose = [this] { cmdCancel_Click(); };
}

#undef OPTIONS_CONTROL

namespace {

using StoredField = std::pair<ui::Control*, std::u16string_view>;

// The boxes and the values they are stored under, in reading and writing order.
std::array<StoredField, 9> StoredFields(frmOptions& d) {
  namespace v = settings::options_value;
  return {{{&d.txtNameFirst, v::kFirstName},
           {&d.txtNameLast, v::kLastName},
           {&d.txtCompany, v::kCompany},
           {&d.txtAddress, v::kAddress},
           {&d.txtCity, v::kCity},
           {&d.txtState, v::kState},
           {&d.txtZIP, v::kZIP},
           {&d.txtMRB, v::kMRB},
           {&d.txtQuarroID, v::kQuarroID}}};
}

}  // namespace

void frmOptions::Form_Load() {
  // Centred by the view that shows it, which knows the screen's real DPI
  // (pixels are not fifteen twips each at 144 dpi) and the work area of the
  // owner's monitor: a dialog with no place of its own is centred there.
  rect.left = 0;
  rect.top = 0;
  LoadOptionCaptions();
  LoadOptions();
}

void frmOptions::LoadOptionCaptions() {
  caption = ResString(state, res::kOptionsCaption);
  const std::pair<ui::Control*, std::int32_t> captions[] = {
      {&cmdOK, res::kOptionsOk},
      {&cmdCancel, res::kOptionsCancel},
      {&cmdApply, res::kOptionsApply},
      {&fraUserInfo, 2001},
      {&lblNameFirst, 2002},
      {&lblNameLast, 2010},
      {&lblCompany, 2003},
      {&lblAddress, 2004},
      {&lblCity, 2005},
      {&lblState, 2006},
      {&lblZIP, 2007},
      {&fraQuarroInfo, 2008},
      {&lblMRB, 2009},
      {&lblQuarroID, 2011},
  };
  for (const auto& [control, id] : captions)
    control->SetCaption(ResString(state, id));
}

void frmOptions::LoadOptions() {
  for (const auto& [box, value] : StoredFields(*this))
    box->SetText(
        ReadRegValue(state.platform, settings::kRoot, String(settings::kOptionsKey), String(value))
            .AsText());
}

void frmOptions::SaveOptions() {
  for (const auto& [box, value] : StoredFields(*this))
    WriteRegValue(state.platform, settings::kRoot, String(settings::kOptionsKey), String(value),
                  RegValue::Text(box->Text()), host::kRegSz);
}

void frmOptions::cmdOK_Click() {
  SaveOptions();
  Unload();
}

void frmOptions::cmdCancel_Click() {
  Unload();
}

void frmOptions::cmdApply_Click() {
  SaveOptions();
}

void ShowOptions(AddInState& state) {
  state.LoadOptions().Show();
}

}  // namespace ostrel
