// Office's command bars in the stand-in, as automation objects over the
// portable model's command bars.
#pragma once

#include <memory>

#include "host/Office.h"
#include "standin/com/Automation.h"
#include "standin/com/Events.h"

namespace ostrel::standin::com {

class CommandBarsObject final : public Automation<_StandinCommandBars> {
 public:
  static ComPtr<CommandBarsObject> Make(std::shared_ptr<host::office::CommandBars> model);

  // The bar named Index.
  STDMETHODIMP get_Item(VARIANT index, IDispatch** bar) override;
  // Name is required; Position defaults to msoBarTop, Temporary to False.
  STDMETHODIMP Add(VARIANT name, VARIANT position, VARIANT menuBar, VARIANT temporary,
                   IDispatch** bar) override;

 private:
  explicit CommandBarsObject(std::shared_ptr<host::office::CommandBars> model);
  std::shared_ptr<host::office::CommandBars> model_;
};

class CommandBarObject final : public Automation<_StandinCommandBar> {
 public:
  static ComPtr<CommandBarObject> Make(std::shared_ptr<host::office::CommandBar> model);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Controls(IDispatch** controls) override;
  STDMETHODIMP Reset() override;
  // Only the search by Tag is offered; without a Tag nothing is found.
  STDMETHODIMP FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible,
                           VARIANT recursive, IDispatch** control) override;
  STDMETHODIMP get_Visible(VARIANT_BOOL* visible) override;
  STDMETHODIMP put_Visible(VARIANT_BOOL visible) override;
  STDMETHODIMP put_AdaptiveMenu(VARIANT_BOOL adaptive) override;

 private:
  explicit CommandBarObject(std::shared_ptr<host::office::CommandBar> model);
  std::shared_ptr<host::office::CommandBar> model_;
};

class ControlsObject final : public Automation<_StandinControls> {
 public:
  static ComPtr<ControlsObject> Make(std::shared_ptr<host::office::CommandBar> bar);
  // Type defaults to msoControlButton, Temporary to False; Id and Before are
  // not offered (a control is always appended).
  STDMETHODIMP Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before, VARIANT temporary,
                   IDispatch** control) override;

 private:
  explicit ControlsObject(std::shared_ptr<host::office::CommandBar> bar);
  std::shared_ptr<host::office::CommandBar> bar_;
};

// A control of the model as a button or a popup automation object; nullptr
// for none.
ComPtr<IDispatch> WrapControl(const std::shared_ptr<host::office::CommandBarControl>& control);

// The control a ribbon callback is handed (IRibbonControl): its Id and Tag as
// the markup gives them. Context, the window the control is in, is Nothing:
// the stand-in's ribbon is not tied to one explorer.
// https://learn.microsoft.com/office/vba/api/office.iribboncontrol
class RibbonControlObject final : public Automation<IRibbonControl> {
 public:
  static ComPtr<RibbonControlObject> Make(String id, String tag);
  STDMETHODIMP get_Id(BSTR* id) override;
  STDMETHODIMP get_Context(IDispatch** context) override;
  STDMETHODIMP get_Tag(BSTR* tag) override;

 private:
  RibbonControlObject(String id, String tag);
  String id_;
  String tag_;
};

}  // namespace ostrel::standin::com
