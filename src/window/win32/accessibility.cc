#include "window/win32/accessibility.h"

#include <initguid.h>
// After initguid.h, so that the GUIDs it names are defined here.
#include <oleacc.h>

#include "runtime/windows_text.h"

namespace mirlot {

void Annotate(HWND control, const ControlTexts& texts) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr,
                              CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(&services)))) {
    return;
  }
  const auto set = [&](MSAAPROPID property, const char* text) {
    if (*text == '\0') return;
    (void)services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF,
                                   property, Widen(text).c_str());
  };
  set(PROPID_ACC_NAME, texts.accessible_name);
  set(PROPID_ACC_DESCRIPTION, texts.description);
  services->Release();
}

}  // namespace mirlot
