#include "window/win32/accessibility.h"

#include <initguid.h>
// After initguid.h, so that the GUIDs it names are defined here.
#include <oleacc.h>

namespace mirlot {

void Annotate(HWND control, const wchar_t* name, const wchar_t* description) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr,
                              CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(&services)))) {
    return;
  }
  if (name != nullptr) {
    (void)services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF,
                                   PROPID_ACC_NAME, name);
  }
  (void)services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF,
                                 PROPID_ACC_DESCRIPTION, description);
  services->Release();
}

}  // namespace mirlot
