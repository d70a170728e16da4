#include "standin/com/OutlookObjects.h"

#include <type_traits>

#include "standin/com/OfficeObjects.h"
#include "win32/com/ComIds.h"

namespace ostrel::standin::com {

namespace ids = win32::com;

// ---- Application ----------------------------------------------------------

ApplicationObject::ApplicationObject(StandinApplication& model,
                                     std::shared_ptr<host::outlook::Application> application)
    : Automation(IID__StandinApplication), model_(model), application_(std::move(application)) {}

ComPtr<ApplicationObject> ApplicationObject::Make(StandinApplication& model) {
  return ComPtr<ApplicationObject>::Attach(
      new ApplicationObject(model, model.HandOutApplication()));
}

STDMETHODIMP ApplicationObject::get_Explorers(IDispatch** explorers) {
  if (explorers == nullptr)
    return E_POINTER;
  *explorers = nullptr;
  return Guard([&] {
    HandOut(ExplorersObject::Make(application_->GetExplorers(), ids::kDiidExplorersEvents),
            explorers);
  });
}

STDMETHODIMP ApplicationObject::get_Inspectors(IDispatch** inspectors) {
  if (inspectors == nullptr)
    return E_POINTER;
  *inspectors = nullptr;
  return Guard([&] {
    HandOut(InspectorsObject::Make(application_->GetInspectors(), ids::kDiidInspectorsEvents),
            inspectors);
  });
}

STDMETHODIMP ApplicationObject::ActiveExplorer(IDispatch** explorer) {
  if (explorer == nullptr)
    return E_POINTER;
  *explorer = nullptr;
  return Guard([&] {
    if (auto active = application_->ActiveExplorer())
      HandOut(ExplorerObject::Make(std::move(active)), explorer);
  });
}

STDMETHODIMP ApplicationObject::CreateItem(LONG itemType, IDispatch** item) {
  if (item == nullptr)
    return E_POINTER;
  *item = nullptr;
  return Guard([&] { HandOut(MailItemObject::Make(application_->CreateItem(itemType)), item); });
}

STDMETHODIMP ApplicationObject::get_Name(BSTR* name) {
  if (name == nullptr)
    return E_POINTER;
  *name = nullptr;
  return Guard([&] { HandOut(String(u"Outlook"), name); });
}

// Application.Version: the version of Outlook as a String, "16.0.0.0" for
// Outlook 2016 (Outlook VBA reference, Application.Version property).
STDMETHODIMP ApplicationObject::get_Version(BSTR* version) {
  if (version == nullptr)
    return E_POINTER;
  *version = nullptr;
  return Guard([&] { HandOut(model_.Version(), version); });
}

// ---- Explorers, Inspectors ------------------------------------------------

template <typename Forwarder, typename Window, typename Events>
WindowsObject<Forwarder, Window, Events>::WindowsObject(std::shared_ptr<Model> model,
                                                        const IID& events)
    : Automation(IID__StandinWindows, IID__StandinCount),
      model_(std::move(model)),
      events_(
          this, events, [this](Forwarder* forwarder) { return model_->Advise(forwarder); },
          [this](std::uint32_t cookie) { model_->Unadvise(cookie); }) {}

template <typename Forwarder, typename Window, typename Events>
ComPtr<WindowsObject<Forwarder, Window, Events>> WindowsObject<Forwarder, Window, Events>::Make(
    std::shared_ptr<Model> model, const IID& events) {
  return ComPtr<WindowsObject>::Attach(new WindowsObject(std::move(model), events));
}

template <typename Forwarder, typename Window, typename Events>
void* WindowsObject<Forwarder, Window, Events>::QueryOther(REFIID iid) {
  return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                              : nullptr;
}

template <typename Forwarder, typename Window, typename Events>
STDMETHODIMP WindowsObject<Forwarder, Window, Events>::EnumConnectionPoints(
    IEnumConnectionPoints** points) {
  if (points != nullptr)
    *points = nullptr;
  return E_NOTIMPL;
}

template <typename Forwarder, typename Window, typename Events>
STDMETHODIMP WindowsObject<Forwarder, Window, Events>::FindConnectionPoint(
    REFIID iid, IConnectionPoint** point) {
  return FindPoint(iid, point, events_);
}

template <typename Forwarder, typename Window, typename Events>
STDMETHODIMP WindowsObject<Forwarder, Window, Events>::get_Count(LONG* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = 0;
  return Guard([&] { *count = model_->Count(); });
}

// The model raises E_INVALIDARG for a position outside 1 to Count.
template <typename Forwarder, typename Window, typename Events>
STDMETHODIMP WindowsObject<Forwarder, Window, Events>::get_Item(VARIANT index, IDispatch** window) {
  if (window == nullptr)
    return E_POINTER;
  *window = nullptr;
  return Guard([&] {
    std::shared_ptr<Window> found = model_->Item(Variant::Borrow(index).AsLong());
    if (!found)
      throw host::HostError(E_FAIL, "Item: no window");
    if constexpr (std::is_same_v<Window, host::outlook::Explorer>)
      HandOut(ExplorerObject::Make(std::move(found)), window);
    else
      HandOut(InspectorObject::Make(std::move(found)), window);
  });
}

template class WindowsObject<ExplorersForwarder, host::outlook::Explorer,
                             host::outlook::ExplorersEvents>;
template class WindowsObject<InspectorsForwarder, host::outlook::Inspector,
                             host::outlook::InspectorsEvents>;

// ---- Explorer -------------------------------------------------------------

ExplorerObject::ExplorerObject(std::shared_ptr<host::outlook::Explorer> model)
    : Automation(IID__StandinExplorer),
      model_(std::move(model)),
      events10_(
          this, ids::kDiidExplorerEvents10,
          [this](ExplorerForwarder* forwarder) { return model_->Advise(forwarder); },
          [this](std::uint32_t cookie) { model_->Unadvise(cookie); }),
      events_(
          this, ids::kDiidExplorerEvents,
          [this](ExplorerForwarder* forwarder) { return model_->Advise(forwarder); },
          [this](std::uint32_t cookie) { model_->Unadvise(cookie); }) {}

ComPtr<ExplorerObject> ExplorerObject::Make(std::shared_ptr<host::outlook::Explorer> model) {
  return ComPtr<ExplorerObject>::Attach(new ExplorerObject(std::move(model)));
}

void* ExplorerObject::QueryOther(REFIID iid) {
  return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                              : nullptr;
}

STDMETHODIMP ExplorerObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr)
    *points = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ExplorerObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return FindPoint(iid, point, events10_, events_);
}

STDMETHODIMP ExplorerObject::get_CommandBars(IDispatch** bars) {
  if (bars == nullptr)
    return E_POINTER;
  *bars = nullptr;
  return Guard([&] { HandOut(CommandBarsObject::Make(model_->CommandBars()), bars); });
}

// ---- Inspector ------------------------------------------------------------

InspectorObject::InspectorObject(std::shared_ptr<host::outlook::Inspector> model)
    : Automation(IID__StandinInspector),
      model_(std::move(model)),
      events10_(
          this, ids::kDiidInspectorEvents10,
          [this](InspectorForwarder* forwarder) { return model_->Advise(forwarder); },
          [this](std::uint32_t cookie) { model_->Unadvise(cookie); }),
      events_(
          this, ids::kDiidInspectorEvents,
          [this](InspectorForwarder* forwarder) { return model_->Advise(forwarder); },
          [this](std::uint32_t cookie) { model_->Unadvise(cookie); }) {}

ComPtr<InspectorObject> InspectorObject::Make(std::shared_ptr<host::outlook::Inspector> model) {
  return ComPtr<InspectorObject>::Attach(new InspectorObject(std::move(model)));
}

void* InspectorObject::QueryOther(REFIID iid) {
  return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                              : nullptr;
}

STDMETHODIMP InspectorObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr)
    *points = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP InspectorObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return FindPoint(iid, point, events10_, events_);
}

// ---- MailItem, AddIn, Folder ----------------------------------------------

MailItemObject::MailItemObject(std::unique_ptr<host::outlook::MailItem> model)
    : Automation(IID__StandinMailItem), model_(std::move(model)) {}

ComPtr<MailItemObject> MailItemObject::Make(std::unique_ptr<host::outlook::MailItem> model) {
  return ComPtr<MailItemObject>::Attach(new MailItemObject(std::move(model)));
}

STDMETHODIMP MailItemObject::put_To(BSTR to) {
  return Guard([&] { model_->SetTo(Bstr::ToString(to)); });
}

STDMETHODIMP MailItemObject::put_Subject(BSTR subject) {
  return Guard([&] { model_->SetSubject(Bstr::ToString(subject)); });
}

STDMETHODIMP MailItemObject::put_HTMLBody(BSTR html) {
  return Guard([&] { model_->SetHTMLBody(Bstr::ToString(html)); });
}

STDMETHODIMP MailItemObject::Display(VARIANT modal) {
  return Guard([&] {
    // The stand-in's item windows are never modal: Modal:=True is refused
    // rather than ignored.
    if (!Variant::IsMissing(modal) && Variant::Borrow(modal).AsBool())
      throw host::HostError(E_INVALIDARG, "the stand-in shows items without modality only");
    model_->Display();
  });
}

AddInObject::AddInObject(std::shared_ptr<host::outlook::AddInInstance> model)
    : Automation(IID__StandinAddIn), model_(std::move(model)) {}

ComPtr<AddInObject> AddInObject::Make(std::shared_ptr<host::outlook::AddInInstance> model) {
  return ComPtr<AddInObject>::Attach(new AddInObject(std::move(model)));
}

STDMETHODIMP AddInObject::get_ProgId(BSTR* progId) {
  if (progId == nullptr)
    return E_POINTER;
  *progId = nullptr;
  return Guard([&] { HandOut(model_->ProgId(), progId); });
}

FolderObject::FolderObject(String path) : Automation(IID__StandinFolder), path_(std::move(path)) {}

ComPtr<FolderObject> FolderObject::Make(String path) {
  return ComPtr<FolderObject>::Attach(new FolderObject(std::move(path)));
}

STDMETHODIMP FolderObject::get_FolderPath(BSTR* path) {
  if (path == nullptr)
    return E_POINTER;
  return Guard([&] { HandOut(path_, path); });
}

}  // namespace ostrel::standin::com
