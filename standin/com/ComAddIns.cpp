#include "standin/com/ComAddIns.h"

#include "win32/Win32Handles.h"
#include "win32/com/Variant.h"

namespace ostrel::standin::com {
namespace {

// The custom argument: an empty array of variants, as Outlook passes it.
class Custom {
 public:
  Custom() : array_(::SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~Custom() {
    if (array_ != nullptr)
      ::SafeArrayDestroy(array_);
  }
  Custom(const Custom&) = delete;
  Custom& operator=(const Custom&) = delete;
  SAFEARRAY** get() { return &array_; }

 private:
  SAFEARRAY* array_;
};

}  // namespace

std::unique_ptr<ComAddIn> ComAddIn::Create(const String& progId, std::string* problem) {
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromProgID(win32::com::Wide(progId), &clsid);
  if (FAILED(hr)) {
    *problem = "COM knows no class for the ProgID (" + win32::HresultText(hr) + ")";
    return nullptr;
  }
  win32::com::ComPtr<IDTExtensibility2> object;
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                          object.OutVoid());
  if (FAILED(hr) || !object) {
    *problem = "CoCreateInstance failed (" + win32::HresultText(hr) + ")";
    return nullptr;
  }
  return std::unique_ptr<ComAddIn>(new ComAddIn(std::move(object)));
}

HRESULT ComAddIn::OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst) {
  Custom custom;
  return object_->OnConnection(application, mode, addInInst, custom.get());
}

HRESULT ComAddIn::OnDisconnection(ext_DisconnectMode mode) {
  Custom custom;
  return object_->OnDisconnection(mode, custom.get());
}

HRESULT ComAddIn::OnStartupComplete() {
  Custom custom;
  return object_->OnStartupComplete(custom.get());
}

HRESULT ComAddIn::OnBeginShutdown() {
  Custom custom;
  return object_->OnBeginShutdown(custom.get());
}

}  // namespace ostrel::standin::com
