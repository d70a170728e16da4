#include "win32/outlook/ComOutlook.h"

#include <olectl.h>

#include "host/HostError.h"
#include "win32/com/ComIds.h"
#include "win32/com/LateBinding.h"

namespace ostrel::win32::outlook {

namespace names = com::names;
using com::Call;
using com::Get;
using com::GetObject;
using com::Put;
using com::Variant;

namespace {

class ComMailItem final : public host::outlook::MailItem {
 public:
  explicit ComMailItem(ComPtr<IDispatch> item) : item_(std::move(item)) {}
  void SetTo(const String& to) override { Put(item_.get(), names::kTo, Variant(to)); }
  void SetSubject(const String& subject) override {
    Put(item_.get(), names::kSubject, Variant(subject));
  }
  void SetHTMLBody(const String& html) override {
    Put(item_.get(), names::kHTMLBody, Variant(html));
  }
  // Modal is left out: the item's window opens and the call returns at once.
  void Display() override { Call(item_.get(), names::kDisplay); }

 private:
  ComPtr<IDispatch> item_;
};

// The event's arguments, last first in rgvarg, checked before they are used.
VARIANT_BOOL* ByRefFlag(DISPPARAMS& parameters, UINT index) {
  if (index >= parameters.cArgs || parameters.rgvarg[index].vt != (VT_BOOL | VT_BYREF))
    return nullptr;
  return parameters.rgvarg[index].pboolVal;
}

// The one object argument of an event (NewExplorer, NewInspector); empty when
// the event brings anything else.
ComPtr<IDispatch> OnlyObject(const DISPPARAMS& parameters) {
  if (parameters.cArgs != 1 || parameters.rgvarg == nullptr ||
      parameters.rgvarg[0].vt != VT_DISPATCH)
    return nullptr;
  return ComPtr<IDispatch>::Copy(parameters.rgvarg[0].pdispVal);
}

// What tells the two collections apart: the wrapper of one window, the event
// interface, and the event that brings a new window.
template <typename Window, typename Events>
struct WindowKind;

// Explorers.NewExplorer(Explorer) comes whenever a main window opens, by the
// user or by code, before the window appears (Outlook VBA reference,
// Explorers.NewExplorer event).
template <>
struct WindowKind<host::outlook::Explorer, host::outlook::ExplorersEvents> {
  using Wrapper = ComExplorer;
  static const IID& EventsId() { return com::kDiidExplorersEvents; }
  static constexpr DISPID kNewWindow = com::kDispidNewExplorer;
  static void Raise(host::outlook::ExplorersEvents& sink,
                    const std::shared_ptr<host::outlook::Explorer>& window) {
    sink.NewExplorer(window);
  }
};

// Inspectors.NewInspector(Inspector) comes whenever an item window opens
// (Outlook VBA reference, Inspectors.NewInspector event).
template <>
struct WindowKind<host::outlook::Inspector, host::outlook::InspectorsEvents> {
  using Wrapper = ComInspector;
  static const IID& EventsId() { return com::kDiidInspectorsEvents; }
  static constexpr DISPID kNewWindow = com::kDispidNewInspector;
  static void Raise(host::outlook::InspectorsEvents& sink,
                    const std::shared_ptr<host::outlook::Inspector>& window) {
    sink.NewInspector(window);
  }
};

// The collection an Application property holds; Nothing is a failure.
ComPtr<IDispatch> CollectionOf(IDispatch* application, const wchar_t* collection) {
  ComPtr<IDispatch> windows = GetObject(application, collection);
  if (!windows)
    com::RaiseFailedCall(E_FAIL, "Application: no collection of windows");
  return windows;
}

}  // namespace

std::uint32_t Connections::Add(IDispatch* source, const std::vector<IID>& interfaces,
                               com::EventSink::Handler handler) {
  auto connection = std::make_unique<com::EventConnection>();
  connection->Connect(source, interfaces, std::move(handler));
  const std::uint32_t cookie = next_++;
  open_.emplace(cookie, std::move(connection));
  return cookie;
}

void Connections::Remove(std::uint32_t cookie) {
  const auto found = open_.find(cookie);
  if (found == open_.end())
    com::RaiseFailedCall(CONNECT_E_NOCONNECTION, "Unadvise");
  const std::unique_ptr<com::EventConnection> connection = std::move(found->second);
  open_.erase(found);
  connection->Disconnect();
}

std::unique_ptr<host::outlook::MailItem> ComApplication::CreateItem(int itemType) {
  ComPtr<IDispatch> item =
      Call(app_.get(), names::kCreateItem, {Variant(static_cast<std::int32_t>(itemType))})
          .AsDispatch();
  if (!item)
    com::RaiseFailedCall(E_FAIL, "CreateItem: no item");
  return std::make_unique<ComMailItem>(std::move(item));
}

int ComApplication::ExplorersCount() {
  return Get(GetObject(app_.get(), names::kExplorers).get(), names::kCount).AsLong();
}

int ComApplication::InspectorsCount() {
  return Get(GetObject(app_.get(), names::kInspectors).get(), names::kCount).AsLong();
}

String ComApplication::Version() {
  return Get(app_.get(), names::kVersion).AsString();
}

std::shared_ptr<host::outlook::Explorer> ComApplication::ActiveExplorer() {
  ComPtr<IDispatch> explorer = Call(app_.get(), names::kActiveExplorer).AsDispatch();
  if (!explorer)
    return nullptr;
  return std::make_shared<ComExplorer>(std::move(explorer));
}

std::shared_ptr<host::outlook::Explorers> ComApplication::GetExplorers() {
  return std::make_shared<ComExplorers>(CollectionOf(app_.get(), names::kExplorers));
}

std::shared_ptr<host::outlook::Inspectors> ComApplication::GetInspectors() {
  return std::make_shared<ComInspectors>(CollectionOf(app_.get(), names::kInspectors));
}

String ComAddInInstance::ProgId() {
  return Get(instance_.get(), names::kProgId).AsString();
}

std::uint32_t ComExplorer::Advise(host::outlook::ExplorerEvents* sink) {
  if (sink == nullptr)
    com::RaiseFailedCall(E_POINTER, "Advise");
  return connections_.Add(
      explorer_.get(), {com::kDiidExplorerEvents10, com::kDiidExplorerEvents},
      [sink](DISPID id, DISPPARAMS& parameters) {
        if (id == com::kDispidClose) {
          sink->Close();
        } else if (id == com::kDispidActivate) {
          // Explorer.Activate: the window became the active one (Outlook VBA
          // reference, Explorer.Activate event); it has no arguments.
          sink->Activate();
        } else if (id == com::kDispidBeforeFolderSwitch && parameters.cArgs == 2) {
          // BeforeFolderSwitch(NewFolder, Cancel), the folder named by its path.
          VARIANT_BOOL* cancel = ByRefFlag(parameters, 0);
          if (cancel == nullptr)
            return;
          String path;
          try {
            const ComPtr<IDispatch> folder = Variant::Borrow(parameters.rgvarg[1]).AsDispatch();
            path = Get(folder.get(), names::kFolderPath).AsString();
          } catch (const host::HostError&) {
            // A folder without a path is still a folder switch.
          }
          bool cancelled = *cancel != VARIANT_FALSE;
          sink->BeforeFolderSwitch(path, cancelled);
          *cancel = cancelled ? VARIANT_TRUE : VARIANT_FALSE;
        }
      });
}

void ComExplorer::Unadvise(std::uint32_t cookie) {
  connections_.Remove(cookie);
}

std::uint32_t ComInspector::Advise(host::outlook::InspectorEvents* sink) {
  if (sink == nullptr)
    com::RaiseFailedCall(E_POINTER, "Advise");
  return connections_.Add(inspector_.get(),
                          {com::kDiidInspectorEvents10, com::kDiidInspectorEvents},
                          [sink](DISPID id, DISPPARAMS&) {
                            if (id == com::kDispidClose)
                              sink->Close();
                          });
}

void ComInspector::Unadvise(std::uint32_t cookie) {
  connections_.Remove(cookie);
}

template <typename Window, typename Events>
int ComWindows<Window, Events>::Count() {
  return Get(windows_.get(), names::kCount).AsLong();
}

template <typename Window, typename Events>
std::shared_ptr<Window> ComWindows<Window, Events>::Item(int position) {
  // Explorers.Item(Index) and Inspectors.Item(Index) take the window's
  // position as a number (Outlook VBA reference, Explorers.Item method); a
  // position outside 1 to Count is an error of the call.
  ComPtr<IDispatch> window =
      Get(windows_.get(), names::kItem, {Variant(static_cast<std::int32_t>(position))})
          .AsDispatch();
  if (!window)
    com::RaiseFailedCall(E_FAIL, "Item: no window");
  return std::make_shared<typename WindowKind<Window, Events>::Wrapper>(std::move(window));
}

template <typename Window, typename Events>
std::uint32_t ComWindows<Window, Events>::Advise(Events* sink) {
  using Kind = WindowKind<Window, Events>;
  if (sink == nullptr)
    com::RaiseFailedCall(E_POINTER, "Advise");
  return connections_.Add(
      windows_.get(), {Kind::EventsId()}, [sink](DISPID id, DISPPARAMS& parameters) {
        if (id != Kind::kNewWindow)
          return;
        ComPtr<IDispatch> window = OnlyObject(parameters);
        if (!window)
          return;
        Kind::Raise(*sink, std::make_shared<typename Kind::Wrapper>(std::move(window)));
      });
}

template <typename Window, typename Events>
void ComWindows<Window, Events>::Unadvise(std::uint32_t cookie) {
  connections_.Remove(cookie);
}

template class ComWindows<host::outlook::Explorer, host::outlook::ExplorersEvents>;
template class ComWindows<host::outlook::Inspector, host::outlook::InspectorsEvents>;

}  // namespace ostrel::win32::outlook
