// Outlook's stand-in through COM, as the add-in meets it in Ostrel.dll: the
// portable model behind the stand-in's automation objects, reached through the
// add-in's late-bound wrappers (platform/win32/outlook), and the real
// Ostrel.dll connected to it through IDTExtensibility2.
#include "win32/WindowsHeaders.h"  // first: it undoes the A/W macros of <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
#include "standin/com/OfficeObjects.h"
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
    void Activate() override {}
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

// What one receiver of the windows' events heard, in one log: each window's
// receiver writes its own name before the event.
class WindowLog final : public host::outlook::ExplorersEvents,
                        public host::outlook::InspectorsEvents {
 public:
  struct Watch final : host::outlook::ExplorerEvents, host::outlook::InspectorEvents {
    Watch(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void Activate() override { log.push_back(name + " Activate"); }
    void BeforeFolderSwitch(const String&, bool&) override {}
    void Close() override { log.push_back(name + " Close"); }
    std::vector<std::string>& log;
    std::string name;
  };

  // A receiver for a window the test reaches otherwise.
  Watch* Name(std::string name) {
    watches_.push_back(std::make_unique<Watch>(log, std::move(name)));
    return watches_.back().get();
  }

  // The new window is usable inside the event: its receiver is connected at
  // once; an explorer's bars cannot be had before its window appears.
  void NewExplorer(const std::shared_ptr<host::outlook::Explorer>& explorer) override {
    log.push_back("NewExplorer");
    log.push_back("CommandBars " +
                  std::to_string(test::ErrorNumber([&] { explorer->CommandBars(); })));
    explorer->Advise(Name("new explorer"));
    explorers_.push_back(explorer);
  }
  void NewInspector(const std::shared_ptr<host::outlook::Inspector>& inspector) override {
    log.push_back("NewInspector");
    inspector->Advise(Name("new inspector"));
    inspectors_.push_back(inspector);
  }

  std::vector<std::string> log;

 private:
  // Declared first: the windows below end their connections before these go.
  std::vector<std::unique_ptr<Watch>> watches_;
  std::vector<std::shared_ptr<host::outlook::Explorer>> explorers_;
  std::vector<std::shared_ptr<host::outlook::Inspector>> inspectors_;
};

// Application.Explorers and Application.Inspectors through COM: Count and Item
// as the model answers them, NewExplorer and NewInspector with a window the
// receiver can use at once, Activate, Application.Version, a control's Delete,
// and every object handed out let go again once the add-in's wrappers are.
TEST_F(ComOutlook, WindowsAndTheirEventsCrossCom) {
  auto model = Start();
  model->SetVersion(14);
  const auto first = model->OpenExplorer();
  {
    WindowLog heard;  // outlives the wrappers below, whose receivers it holds
    ComPtr<IDispatch> object;
    standin::com::HandOut(standin::com::ApplicationObject::Make(*model), object.Out());
    EXPECT_EQ(model->HeldObjects(), 1) << "the Application, held by this test alone";
    EXPECT_EQ(win32::com::Get(object.get(), L"Version").AsString(), u"14.0.0.0");
    auto app = std::make_shared<win32::outlook::ComApplication>(object);
    auto explorers = app->GetExplorers();
    auto inspectors = app->GetInspectors();
    const std::uint32_t newExplorers = explorers->Advise(&heard);
    const std::uint32_t newInspectors = inspectors->Advise(&heard);
    const auto item1 = explorers->Item(1);
    item1->Advise(heard.Name("item 1"));

    const auto second = model->OpenExplorer();
    heard.log.push_back("--");
    // Item by position, from 1 to Count; outside that the model's E_INVALIDARG.
    EXPECT_EQ(explorers->Count(), 2);
    std::vector<long> items;
    for (int position : {0, 1, 2, 3})
      items.push_back(test::ErrorNumber([&] { explorers->Item(position); }));
    EXPECT_EQ(items, (std::vector<long>{host::errors::kEInvalidArg, test::kNoError, test::kNoError,
                                        host::errors::kEInvalidArg}));
    const auto item2 = explorers->Item(2);
    item2->Advise(heard.Name("item 2"));
    model->ActivateExplorer(first);
    model->CloseExplorer(second);
    heard.log.push_back("--");
    model->OpenInspector();
    EXPECT_EQ(inspectors->Count(), 1);
    const auto inspectorItem = inspectors->Item(1);
    inspectorItem->Advise(heard.Name("inspector item 1"));
    model->CloseInspector();
    EXPECT_EQ(inspectors->Count(), 0);

    // Disconnected, the collections are silent.
    explorers->Unadvise(newExplorers);
    inspectors->Unadvise(newInspectors);
    EXPECT_EQ(test::ErrorNumber([&] { explorers->Unadvise(newExplorers); }),
              host::errors::kENoConnection);
    model->OpenInspector();
    model->CloseInspector();

    // Delete takes the control off its bar for good.
    auto bar = app->ActiveExplorer()->CommandBars()->Add(u"Quarro", host::office::msoBarTop, true);
    auto control = bar->AddControl(host::office::msoControlButton, std::nullopt, true);
    control->SetTag(u"D");
    ASSERT_NE(model->FindButton(u"D"), nullptr);
    control->Delete();
    EXPECT_EQ(model->FindButton(u"D"), nullptr);
    EXPECT_EQ(test::ErrorNumber([&] { control->Tag(); }), host::errors::kEDisconnected);

    EXPECT_EQ(heard.log, (std::vector<std::string>{
                             "NewExplorer", "CommandBars " + std::to_string(host::errors::kEFail),
                             "new explorer Activate", "--", "item 1 Activate", "new explorer Close",
                             "item 2 Close", "--", "NewInspector", "new inspector Close",
                             "inspector item 1 Close"}));
  }
  EXPECT_EQ(model->HeldObjects(), 0) << "an object of the model still held through COM";
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
  // Outlook's stand-in objects over the model and the add-in made and
  // connected at start-up through them, OnConnection's answer in hr.
  struct Connection {
    ComPtr<standin::com::ApplicationObject> app;
    ComPtr<standin::com::AddInObject> instance;
    ComPtr<IDTExtensibility2> addin;
    HRESULT hr = E_FAIL;
  };
  Connection Connected(standin::StandinApplication& model) {
    Connection c{standin::com::ApplicationObject::Make(model),
                 standin::com::AddInObject::Make(model.MakeAddInInstance(u"Ostrel.Connect")),
                 Create()};
    if (c.addin)
      c.hr = c.addin->OnConnection(c.app->AsDispatch(), ext_cm_Startup, c.instance->AsDispatch(),
                                   &custom);
    return c;
  }
  void TearDown() override {
    ::SafeArrayDestroy(custom);
    if (module_ != nullptr)
      ::FreeLibrary(module_);
  }
  // The custom argument, an empty array as Outlook passes it.
  SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
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
                              "Picture",
                              "Mask",
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
                                              "Picture",
                                              "Mask",
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
    model.SetVersion(11);
    model.OpenExplorer();
    if (*operation != '\0')
      model.FailOn(operation);
    const Connection connection = Connected(model);
    const ComPtr<IDTExtensibility2>& addin = connection.addin;
    ASSERT_TRUE(addin);
    EXPECT_EQ(connection.hr, S_OK);
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
  }
}

// The toolbar built through COM is the one the add-in builds in process, and
// the face it passes through the real clipboard leaves the user's content
// there. A window opened later and the user's disconnection in the COM
// Add-ins dialog leave the same bars too, and the add-in holds as many of
// Outlook's objects through COM as in process: none once disconnected.
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
  direct.SetVersion(11);
  direct.OpenExplorer();
  ostrel::Connect inProcess(g.services, g.state.addinFolder);
  auto directInstance = direct.MakeAddInInstance(u"Ostrel.Connect");
  inProcess.AddinInstance_OnConnection(direct.HandOutApplication(), ext_cm_Startup, *directInstance,
                                       {});

  standin::StandinApplication model(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                    g.AddinPath("Com"), [] { return std::int64_t{0}; });
  model.SetVersion(11);
  model.OpenExplorer();
  Connection connection = Connected(model);
  const ComPtr<IDTExtensibility2>& addin = connection.addin;
  ASSERT_TRUE(addin);
  ASSERT_EQ(connection.hr, S_OK);
  EXPECT_EQ(standin::DescribeToolbars(model.Toolbars()),
            standin::DescribeToolbars(direct.Toolbars()));
  ASSERT_TRUE(model.Toolbars().back().controls.at(0).maskSet) << "Picture and Mask through COM";
  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  const auto kept = clipboard.GetData(format);
  clipboard.Close();
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::string(kept->begin(), kept->begin() + std::min<std::size_t>(4, kept->size())),
            "keep");
  // Outlook lets go of the Application it handed over once OnConnection
  // returns; the add-in keeps its own.
  connection.app.Reset();
  EXPECT_GT(model.HeldObjects(), 0);
  EXPECT_EQ(model.HeldObjects(), direct.HeldObjects());

  model.OpenExplorer();
  direct.OpenExplorer();
  EXPECT_EQ(Tags(model.Toolbars()).size(), 11u) << "no toolbar in the new window";
  EXPECT_EQ(standin::DescribeToolbars(model.Toolbars()),
            standin::DescribeToolbars(direct.Toolbars()));
  EXPECT_EQ(model.HeldObjects(), direct.HeldObjects());

  EXPECT_EQ(addin->OnDisconnection(ext_dm_UserClosed, &custom), S_OK);
  inProcess.AddinInstance_OnDisconnection(host::outlook::ext_dm_UserClosed, {});
  EXPECT_EQ(Tags(model.Toolbars()), std::vector<String>()) << "controls left behind";
  EXPECT_EQ(standin::DescribeToolbars(model.Toolbars()),
            standin::DescribeToolbars(direct.Toolbars()));
  EXPECT_EQ(model.HeldObjects(), 0);
  EXPECT_EQ(direct.HeldObjects(), 0);
}

// Office's side of the ribbon through COM: IRibbonExtensibility's markup by
// the vtable and by dispatch number 1, the callbacks by name through the
// class's IDispatch with a ribbon control.
TEST_F(ComAddIn, TheRibbonAnswersAsOfficeAsks) {
  test::WizardFixture g;
  g.Install();
  standin::StandinApplication model(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                    g.AddinPath("Profile"), [] { return std::int64_t{0}; });
  model.OpenExplorer();
  const Connection connection = Connected(model);
  const ComPtr<IDTExtensibility2>& addin = connection.addin;
  ASSERT_TRUE(addin);
  ASSERT_EQ(connection.hr, S_OK);

  ComPtr<IRibbonExtensibility> ribbon;
  ASSERT_EQ(addin->QueryInterface(IID_IRibbonExtensibility, reinterpret_cast<void**>(ribbon.Out())),
            S_OK);
  win32::com::Bstr explorer(u"Microsoft.Outlook.Explorer");
  win32::com::Bstr markup;
  ASSERT_EQ(ribbon->GetCustomUI(explorer.get(), markup.Out()), S_OK);
  EXPECT_NE(markup.ToString().find(u"id=\"QuarroButton\""), String::npos);
  win32::com::Bstr inspector(u"Microsoft.Outlook.Mail.Read");
  win32::com::Bstr none;
  EXPECT_EQ(ribbon->GetCustomUI(inspector.get(), none.Out()), S_OK);
  EXPECT_EQ(none.get(), nullptr) << "no markup for an item window's ribbon";
  // Dispatch number 1, as a late-bound caller gets it.
  VARIANT argument;
  ::VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = explorer.get();
  DISPPARAMS parameters{&argument, nullptr, 1, 0};
  VARIANT result;
  ::VariantInit(&result);
  ASSERT_EQ(ribbon->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(win32::com::Bstr::ToString(result.bstrVal), markup.ToString());
  ::VariantClear(&result);

  // The callbacks, found by name on the class's IDispatch.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(addin->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Out())), S_OK);
  const auto call = [&](const wchar_t* name, const wchar_t* id, VARIANT* out) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID member = DISPID_UNKNOWN;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &member), S_OK)
        << Utf16ToUtf8(win32::com::Bstr::ToString(names[0]));
    // The Windows stand-in's own IRibbonControl, as Office hands one over.
    const ComPtr<standin::com::RibbonControlObject> control =
        standin::com::RibbonControlObject::Make(String(reinterpret_cast<const char16_t*>(id)),
                                                String());
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = static_cast<IRibbonControl*>(control.get());
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    return dispatch->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &parameters, out, nullptr,
                            nullptr);
  };
  VARIANT label;
  ::VariantInit(&label);
  ASSERT_EQ(call(L"GetLabel", L"QuarroGeneral", &label), S_OK);
  ASSERT_EQ(label.vt, VT_BSTR);
  EXPECT_EQ(win32::com::Bstr::ToString(label.bstrVal), u"General Payment...");
  ::VariantClear(&label);
  VARIANT image;
  ::VariantInit(&image);
  ASSERT_EQ(call(L"GetImage", L"QuarroButton", &image), S_OK);
  EXPECT_EQ(image.vt, VT_DISPATCH);
  ComPtr<IPicture> picture;
  EXPECT_EQ(image.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.Out())),
            S_OK);
  ::VariantClear(&image);
  // The member fails, which DispInvoke reports as an exception.
  EXPECT_EQ(call(L"OnAction", L"SomeoneElsesButton", nullptr), DISP_E_EXCEPTION)
      << "no command of ours";

  EXPECT_EQ(addin->OnDisconnection(ext_dm_HostShutdown, &custom), S_OK);
}

}  // namespace
}  // namespace ostrel
