#include "Reader.h"

#include <oleacc.h>

// The name or the description of the control's client object; on failure
// a text that says so. The interface's id comes from its declaration: the
// x86-64 import library of oleacc carries IID_IAccessible as a function, not
// as the id.
static std::string Read(HWND control, bool description)
{
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return "(no accessible object)";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT result = description ? accessible->get_accDescription(self, &text)
                                       : accessible->get_accName(self, &text);
    accessible->Release();
    char read[512] = {};
    if (SUCCEEDED(result) && text)
        WideCharToMultiByte(CP_ACP, 0, text, -1, read, sizeof read, nullptr, nullptr);
    SysFreeString(text);
    return read;
}

std::string Heard(HWND control)
{
    return Read(control, false);
}

std::string Described(HWND control)
{
    return Read(control, true);
}
