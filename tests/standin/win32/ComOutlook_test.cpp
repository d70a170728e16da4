// Outlook's stand-in through COM, as the add-in meets it in Ostrel.dll: the
// portable model behind the stand-in's automation objects, reached through the
// add-in's late-bound wrappers (platform/win32/outlook), and the real
// Ostrel.dll connected to it through IDTExtensibility2.
#include "win32/WindowsHeaders.h"  // first: it undoes the A/W macros of <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Extensibility.h"
#include "addin/Connect.h"
#include "addin/ServerIdentity.h"
#include "common/Text.h"
#include "host/ErrorNumbers.h"
#include "host/HostError.h"
#include "outlook/StandinApplication.h"
#include "standin/OutlookFixture.h"
#include "standin/com/OutlookObjects.h"
#include "support/ErrorNumber.h"
#include "support/WizardFixture.h"
#include "win32/com/LateBinding.h"
#include "win32/outlook/ComOutlook.h"

namespace ostrel {
namespace {

using standin::BarView;
using standin::ControlView;
using win32::com::ComPtr;

class ComOutlook : public test::OutlookFixture {};

// The model's events, failures and Automation's rules survive the trip through
// COM and back.
TEST_F(ComOutlook, CallsEventsAndFailuresCrossCom) {
  auto model = Start();
  auto explorer = model->OpenExplorer();
  ComPtr<standin::com::ApplicationObject> object = standin::com::ApplicationObject::Make(*model);
  win32::outlook::ComApplication app(ComPtr<IDispatch>::Copy(object->AsDispatch()));

  EXPECT_EQ(app.ExplorersCount(), 1);
  EXPECT_EQ(app.InspectorsCount(), 0);
  auto active = app.ActiveExplorer();
  ASSERT_NE(active, nullptr);
  auto bars = active->CommandBars();
  // Named arguments arrive in place; Item raises with the model's own text.
  auto bar = bars->Add(u"Quarro", host::office::msoBarTop, false);
  EXPECT_EQ(bar->Name(), u"Quarro");
  EXPECT_EQ(bars->Item(u"Quarro")->Name(), u"Quarro");
  try {
    bars->Item(u"Nowhere");
    ADD_FAILURE() << "Item found a bar that is not there";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.Number(), host::errors::kEInvalidArg);
    EXPECT_NE(std::string(error.what()).find("Nowhere"), std::string::npos) << error.what();
  }
  auto button = std::dynamic_pointer_cast<host::office::CommandBarButton>(
      bar->AddControl(host::office::msoControlButton, String(u"P"), true));
  ASSERT_NE(button, nullptr);
  button->SetTag(u"T");
  button->SetStyle(host::office::msoButtonCaption);
  EXPECT_EQ(button->Parameter(), u"P");
  auto found = bar->FindControl(u"T");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Type(), host::office::msoControlButton);
  EXPECT_EQ(bar->FindControl(u"none"), nullptr);
  auto popup = std::dynamic_pointer_cast<host::office::CommandBarPopup>(
      bar->AddControl(host::office::msoControlPopup, std::nullopt, true));
  ASSERT_NE(popup, nullptr);
  popup->CommandBar()->SetAdaptiveMenu(true);

  // Events: each receiver hears its own, flags written back through VT_BYREF,
  // and a receiver may disconnect itself while its event runs.
  std::vector<std::string> heard;
  test::Receiver receiver([&](const char* event, bool* flag) {
    heard.push_back(event);
    if (flag != nullptr)
      *flag = true;
  });
  const std::uint32_t click = button->Advise(&receiver);
  EXPECT_TRUE(model->ClickControl(u"T")) << "CancelDefault set by the receiver";
  std::uint32_t watch = 0;
  struct Closer final : host::outlook::ExplorerEvents {
    host::outlook::Explorer* source = nullptr;
    std::uint32_t* cookie = nullptr;
    int closes = 0;
    void BeforeFolderSwitch(const String&, bool&) override {}
    void Close() override {
      ++closes;
      source->Unadvise(*cookie);
    }
  } closer;
  closer.source = active.get();
  closer.cookie = &watch;
  watch = active->Advise(&closer);
  const std::uint32_t folders = active->Advise(&receiver);
  EXPECT_TRUE(model->SwitchFolder(u"\\\\Mailbox\\Sent Items")) << "Cancel written back";
  EXPECT_EQ(receiver.folder, u"\\\\Mailbox\\Sent Items");
  active->Unadvise(folders);
  button->Unadvise(click);
  EXPECT_THROW(button->Unadvise(click), host::HostError);

  // The inspector, reached by late binding as Outlook offers it.
  auto inspector = model->OpenInspector();
  ComPtr<IDispatch> inspectors = win32::com::GetObject(object->AsDispatch(), L"Inspectors");
  win32::outlook::ComInspector item(
      win32::com::Get(inspectors.get(), L"Item", {win32::com::Variant(1)}).AsDispatch());
  const std::uint32_t itemWatch = item.Advise(&receiver);
  model->CloseInspector(inspector);
  item.Unadvise(itemWatch);

  model->CloseExplorer(explorer);
  EXPECT_EQ(closer.closes, 1);
  EXPECT_EQ(heard, (std::vector<std::string>{"Click", "BeforeFolderSwitch", "Close"}));
  EXPECT_EQ(app.ActiveExplorer(), nullptr) << "Nothing, once no explorer is open";

  // A failure on demand arrives as the model raised it.
  model->FailOn("Explorers.Count");
  EXPECT_EQ(test::ErrorNumber([&] { app.ExplorersCount(); }), host::errors::kEFail);
}

// The real Ostrel.dll connected through IDTExtensibility2 to the stand-in's
// automation objects, with each host operation failing in turn: nothing reaches
// Outlook (every call answers S_OK), and the steps after the failing one still
// run, as in the native suite.
class ComAddIn : public ::testing::Test {
 protected:
  ComPtr<IDTExtensibility2> Create() {
    if (module_ == nullptr)
      module_ = ::LoadLibraryW(
          reinterpret_cast<const wchar_t*>((test::AddinFolder() + u"\\Ostrel.dll").c_str()));
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ComPtr<IDTExtensibility2> addin;
    GUID clsid{};
    ::CLSIDFromString(reinterpret_cast<LPCOLESTR>(String(identity::kClsidConnect.text).c_str()),
                      &clsid);
    if (get == nullptr || FAILED(get(clsid, IID_IClassFactory, factory.OutVoid())))
      return addin;
    factory->CreateInstance(nullptr, IID_IDTExtensibility2, addin.OutVoid());
    return addin;
  }
  void TearDown() override {
    if (module_ != nullptr)
      ::FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

std::vector<String> Tags(const std::vector<BarView>& bars) {
  std::vector<String> tags;
  for (const BarView& bar : bars)
    for (const ControlView& control : bar.controls) {
      tags.push_back(control.tag);
      for (const ControlView& item : control.menu)
        tags.push_back(item.tag);
    }
  return tags;
}

TEST_F(ComAddIn, EveryHostFailureIsSkippedThroughCom) {
  const char* operations[] = {"",
                              "Explorers.Count",
                              "Inspectors.Count",
                              "ActiveExplorer",
                              "CommandBars",
                              "CommandBars.Item",
                              "CommandBars.Add",
                              "CommandBar.Reset",
                              "Controls.Add",
                              "FindControl",
                              "CommandBar.Visible",
                              "AdaptiveMenu",
                              "Caption",
                              "Tag",
                              "TooltipText",
                              "BeginGroup",
                              "Visible",
                              "OnAction",
                              "Parameter",
                              "FaceId",
                              "Style",
                              "PasteFace",
                              "Popup.CommandBar",
                              "Advise",
                              "Unadvise",
                              "ProgId"};
  const std::set<std::string> wholeToolbar = {"",
                                              "Caption",
                                              "TooltipText",
                                              "BeginGroup",
                                              "Visible",
                                              "OnAction",
                                              "FaceId",
                                              "Style",
                                              "PasteFace",
                                              "CommandBar.Reset",
                                              "CommandBar.Visible",
                                              "AdaptiveMenu",
                                              "FindControl",
                                              "Unadvise",
                                              "Explorers.Count",
                                              "Inspectors.Count",
                                              "ProgId"};
  for (const char* operation : operations) {
    SCOPED_TRACE(operation);
    test::WizardFixture g;
    g.Install();
    standin::StandinApplication model(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                      g.AddinPath("Profile"), [] { return std::int64_t{0}; });
    model.OpenExplorer();
    if (*operation != '\0')
      model.FailOn(operation);
    ComPtr<standin::com::ApplicationObject> app = standin::com::ApplicationObject::Make(model);
    ComPtr<standin::com::AddInObject> instance =
        standin::com::AddInObject::Make(model.MakeAddInInstance(u"Ostrel.Connect"));
    ComPtr<IDTExtensibility2> addin = Create();
    ASSERT_TRUE(addin);
    SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
    EXPECT_EQ(
        addin->OnConnection(app->AsDispatch(), ext_cm_Startup, instance->AsDispatch(), &custom),
        S_OK);
    EXPECT_EQ(addin->OnStartupComplete(&custom), S_OK);
    if (wholeToolbar.count(operation) != 0) {
      const std::vector<String> tags = Tags(model.Toolbars());
      EXPECT_EQ(tags.size(), 11u);
      EXPECT_NE(std::find(tags.begin(), tags.end(), u"QuarroUpdate"), tags.end());
    }
    // The window watch and the teardown run with the failure still in place.
    model.CloseExplorer();
    EXPECT_EQ(addin->OnBeginShutdown(&custom), S_OK);
    EXPECT_EQ(addin->OnDisconnection(ext_dm_HostShutdown, &custom), S_OK);
    ::SafeArrayDestroy(custom);
  }
}

// The toolbar built through COM is the one the add-in builds in process, and
// the face it passes through the real clipboard leaves the user's content
// there.
TEST_F(ComAddIn, BuildsTheSameToolbarAsInProcess) {
  test::WizardFixture g;
  g.Install();
  host::Clipboard& clipboard = g.services.clipboard;
  const std::uint32_t format = clipboard.RegisterFormat("Ostrel Test Text");
  clipboard.Clear();
  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  ASSERT_TRUE(clipboard.SetData(format, host::kGmemMoveableShare, {'k', 'e', 'e', 'p'}));
  clipboard.Close();

  standin::StandinApplication direct(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                     g.AddinPath("Direct"), [] { return std::int64_t{0}; });
  direct.OpenExplorer();
  ostrel::Connect inProcess(g.services, g.state.addinFolder);
  auto directInstance = direct.MakeAddInInstance(u"Ostrel.Connect");
  inProcess.AddinInstance_OnConnection(direct, 1, *directInstance, {});

  standin::StandinApplication model(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                    g.AddinPath("Com"), [] { return std::int64_t{0}; });
  model.OpenExplorer();
  ComPtr<standin::com::ApplicationObject> app = standin::com::ApplicationObject::Make(model);
  ComPtr<standin::com::AddInObject> instance =
      standin::com::AddInObject::Make(model.MakeAddInInstance(u"Ostrel.Connect"));
  ComPtr<IDTExtensibility2> addin = Create();
  ASSERT_TRUE(addin);
  SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
  ASSERT_EQ(addin->OnConnection(app->AsDispatch(), ext_cm_Startup, instance->AsDispatch(), &custom),
            S_OK);
  EXPECT_EQ(standin::DescribeToolbars(model.Toolbars()),
            standin::DescribeToolbars(direct.Toolbars()));
  ASSERT_TRUE(model.Toolbars().back().controls.at(0).pastedFace);
  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  const auto kept = clipboard.GetData(format);
  clipboard.Close();
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::string(kept->begin(), kept->begin() + std::min<std::size_t>(4, kept->size())),
            "keep");
  EXPECT_EQ(addin->OnDisconnection(ext_dm_HostShutdown, &custom), S_OK);
  inProcess.AddinInstance_OnDisconnection(0, {});
  ::SafeArrayDestroy(custom);
}

}  // namespace
}  // namespace ostrel
