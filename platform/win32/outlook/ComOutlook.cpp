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

int CountOf(IDispatch* application, const wchar_t* collection) {
  const ComPtr<IDispatch> windows = GetObject(application, collection);
  return Get(windows.get(), names::kCount).AsLong();
}

// The event's arguments, last first in rgvarg, checked before they are used.
VARIANT_BOOL* ByRefFlag(DISPPARAMS& parameters, UINT index) {
  if (index >= parameters.cArgs || parameters.rgvarg[index].vt != (VT_BOOL | VT_BYREF))
    return nullptr;
  return parameters.rgvarg[index].pboolVal;
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
  return CountOf(app_.get(), names::kExplorers);
}

int ComApplication::InspectorsCount() {
  return CountOf(app_.get(), names::kInspectors);
}

std::shared_ptr<host::outlook::Explorer> ComApplication::ActiveExplorer() {
  ComPtr<IDispatch> explorer = Call(app_.get(), names::kActiveExplorer).AsDispatch();
  if (!explorer)
    return nullptr;
  return std::make_shared<ComExplorer>(std::move(explorer));
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

}  // namespace ostrel::win32::outlook
