// The class Connect as Outlook sees it: IDTExtensibility2 as a dual interface
// (the vtable, and IDispatch from the type library embedded in Ostrel.dll),
// handing the five events to the add-in's Connect, with the ribbon's callbacks
// on the same interface (_Connect), and IRibbonExtensibility, whose
// GetCustomUI gives the ribbon group's markup. Nothing thrown and no failure
// of the add-in reaches Outlook: every method returns an HRESULT.
#pragma once

#include <memory>
#include <vector>

#include "win32/WindowsHeaders.h"  // before widl's header, which includes <windows.h>

#include "Ostrel.h"  // made by widl from Ostrel.idl
#include "addin/Connect.h"
#include "win32/Win32Services.h"
#include "win32/com/ComPtr.h"
#include "win32/com/ObjectCount.h"
#include "win32/outlook/ComOutlook.h"

namespace ostrel::server {

class ConnectObject final : public _Connect, private win32::com::ObjectCount {
 public:
  ConnectObject();

  // IUnknown: IDTExtensibility2, IDispatch and the class's own _Connect are
  // one interface here.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IDTExtensibility2
  STDMETHODIMP OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                            IDispatch* AddInInst, SAFEARRAY** custom) override;
  STDMETHODIMP OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) override;
  STDMETHODIMP OnAddInsUpdate(SAFEARRAY** custom) override;
  STDMETHODIMP OnStartupComplete(SAFEARRAY** custom) override;
  STDMETHODIMP OnBeginShutdown(SAFEARRAY** custom) override;

  // The ribbon's callbacks, each for the control whose Id it is given.
  STDMETHODIMP GetLabel(IRibbonControl* control, BSTR* label) override;
  STDMETHODIMP GetScreentip(IRibbonControl* control, BSTR* tip) override;
  STDMETHODIMP GetImage(IRibbonControl* control, IDispatch** image) override;
  STDMETHODIMP OnAction(IRibbonControl* control) override;

 private:
  ~ConnectObject();
  template <typename Call>
  HRESULT Door(Call&& call) noexcept;
  // The connection interface's description from the embedded type library,
  // loaded on the first IDispatch call; nullptr when it cannot be loaded.
  ITypeInfo* TypeInfo();

  // IRibbonExtensibility, an interface of the same object with its own
  // IDispatch (GetCustomUI is its dispatch number 1).
  class Ribbon final : public IRibbonExtensibility {
   public:
    explicit Ribbon(ConnectObject& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
      return owner_.QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* markup) override;

   private:
    ConnectObject& owner_;
  };
  // The Id and Tag of a ribbon control; empty what cannot be read.
  static host::office::RibbonControl ControlOf(IRibbonControl* control);
  // A callback that answers a control's text (its label, its screen tip).
  HRESULT TextCallback(IRibbonControl* control, BSTR* out, std::u16string_view name);

  Ribbon ribbon_{*this};
  LONG references_ = 1;
  win32::Win32Platform platform_;
  Connect connect_;
  win32::com::ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace ostrel::server
