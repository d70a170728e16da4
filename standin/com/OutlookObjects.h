// Outlook's objects in the stand-in, as automation objects over the portable
// model (standin/outlook): each forwards to the model's object, so the model's
// behaviour and its failures on demand are what a COM caller sees.
#pragma once

#include <memory>

#include "host/Outlook.h"
#include "outlook/StandinApplication.h"
#include "standin/com/Automation.h"
#include "standin/com/Events.h"

namespace ostrel::standin::com {

// The Application as one add-in holds it: a counted reference of the model's
// (StandinApplication::HandOutApplication), so the model counts the
// Application among the objects add-ins hold for as long as this object
// lives. Application.Name and Version come from the model directly.
class ApplicationObject final : public Automation<_StandinApplication> {
 public:
  static ComPtr<ApplicationObject> Make(StandinApplication& model);

  STDMETHODIMP get_Explorers(IDispatch** explorers) override;
  STDMETHODIMP get_Inspectors(IDispatch** inspectors) override;
  STDMETHODIMP ActiveExplorer(IDispatch** explorer) override;
  STDMETHODIMP CreateItem(LONG itemType, IDispatch** item) override;
  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Version(BSTR* version) override;

 private:
  ApplicationObject(StandinApplication& model,
                    std::shared_ptr<host::outlook::Application> application);
  StandinApplication& model_;
  std::shared_ptr<host::outlook::Application> application_;
};

class ExplorerObject final : public Automation<_StandinExplorer>, public IConnectionPointContainer {
 public:
  static ComPtr<ExplorerObject> Make(std::shared_ptr<host::outlook::Explorer> model);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Automation::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Automation::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Automation::Release(); }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
  STDMETHODIMP get_CommandBars(IDispatch** bars) override;

 private:
  explicit ExplorerObject(std::shared_ptr<host::outlook::Explorer> model);
  void* QueryOther(REFIID iid) override;

  std::shared_ptr<host::outlook::Explorer> model_;
  EventPoint<ExplorerForwarder> events10_;
  EventPoint<ExplorerForwarder> events_;
};

class InspectorObject final : public Automation<_StandinInspector>,
                              public IConnectionPointContainer {
 public:
  static ComPtr<InspectorObject> Make(std::shared_ptr<host::outlook::Inspector> model);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Automation::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Automation::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Automation::Release(); }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 private:
  explicit InspectorObject(std::shared_ptr<host::outlook::Inspector> model);
  void* QueryOther(REFIID iid) override;

  std::shared_ptr<host::outlook::Inspector> model_;
  EventPoint<InspectorForwarder> events10_;
  EventPoint<InspectorForwarder> events_;
};

// Explorers or Inspectors over the model's collection: Count, Item by
// position (from 1) and the collection's event of a new window.
template <typename Forwarder, typename Window, typename Events>
class WindowsObject final : public Automation<_StandinWindows>, public IConnectionPointContainer {
 public:
  using Model = host::outlook::Windows<Window, Events>;
  static ComPtr<WindowsObject> Make(std::shared_ptr<Model> model, const IID& events);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Automation::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Automation::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Automation::Release(); }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
  STDMETHODIMP get_Count(LONG* count) override;
  STDMETHODIMP get_Item(VARIANT index, IDispatch** window) override;

 private:
  WindowsObject(std::shared_ptr<Model> model, const IID& events);
  void* QueryOther(REFIID iid) override;

  std::shared_ptr<Model> model_;
  EventPoint<Forwarder> events_;
};
using ExplorersObject =
    WindowsObject<ExplorersForwarder, host::outlook::Explorer, host::outlook::ExplorersEvents>;
using InspectorsObject =
    WindowsObject<InspectorsForwarder, host::outlook::Inspector, host::outlook::InspectorsEvents>;

class MailItemObject final : public Automation<_StandinMailItem> {
 public:
  static ComPtr<MailItemObject> Make(std::unique_ptr<host::outlook::MailItem> model);

  STDMETHODIMP put_To(BSTR to) override;
  STDMETHODIMP put_Subject(BSTR subject) override;
  STDMETHODIMP put_HTMLBody(BSTR html) override;
  STDMETHODIMP Display(VARIANT modal) override;

 private:
  explicit MailItemObject(std::unique_ptr<host::outlook::MailItem> model);
  std::unique_ptr<host::outlook::MailItem> model_;
};

// The object Outlook hands an add-in at connection (a COMAddIn).
class AddInObject final : public Automation<_StandinAddIn> {
 public:
  static ComPtr<AddInObject> Make(std::shared_ptr<host::outlook::AddInInstance> model);
  STDMETHODIMP get_ProgId(BSTR* progId) override;

 private:
  explicit AddInObject(std::shared_ptr<host::outlook::AddInInstance> model);
  std::shared_ptr<host::outlook::AddInInstance> model_;
};

// The folder an explorer is about to show, named by its path.
class FolderObject final : public Automation<_StandinFolder> {
 public:
  static ComPtr<FolderObject> Make(String path);
  STDMETHODIMP get_FolderPath(BSTR* path) override;

 private:
  explicit FolderObject(String path);
  String path_;
};

}  // namespace ostrel::standin::com
