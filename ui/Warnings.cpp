// A warning is never shown by colour alone. While a label warns (the local
// value outside the main range, a compressed range reaching outside it, a
// bound typed outside it), it is also drawn in the bold weight of its
// dialog's font, and the box after it carries an accessible description
// that says why, which a screen reader reads with the box. A change of the
// description raises EVENT_OBJECT_DESCRIPTIONCHANGE, so that it can be
// announced while the user types.
//
// A standard edit control has no description of its own, and annotating it
// through IAccPropServices does not work under Wine (SetHwndPropStr answers
// E_NOTIMPL), so the box answers WM_GETOBJECT itself, as Windows documents
// for a control that needs more than its standard object: with that object,
// wrapped so that it adds the description and hands every other call on.
#include "Warnings.h"

#include "SystemLibrary.h"

#include <commctrl.h>
#include <oleacc.h>
#include <servprov.h>

#include <new>

const char OUTSIDE_MAIN_RANGE[] = "Outside the main range";
const char RANGE_OUTSIDE_MAIN[] = "Range reaches outside the main range";

// The subclass that answers WM_GETOBJECT, and the box's property that holds
// the description in force (none without one). A property, for the x86-64
// import library of comctl32 lacks GetWindowSubclass.
constexpr UINT_PTR DESCRIBED_BOX = 1;
static const char DESCRIPTION[] = "values.description";

// oleacc (with COM and its strings) is loaded when the first WM_GETOBJECT
// arrives: a start that no screen reader watches does not pay for it.
static decltype(&CreateStdAccessibleObject) createStdAccessibleObject;
static decltype(&LresultFromObject) lresultFromObject;
static decltype(&SysAllocString) sysAllocString;

static bool LoadAccessibility()
{
    static bool tried;
    if (!tried)
    {
        tried = true;
        HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
        HMODULE oleaut = LoadSystemLibrary("oleaut32.dll");
        HMODULE ole = LoadSystemLibrary("ole32.dll");
        decltype(&CoInitialize) coInitialize;
        // The object is handed to other processes through COM, which wants
        // this thread in an apartment; the file dialogs want the same one.
        if (FindFunction(ole, "CoInitialize", &coInitialize))
            coInitialize(nullptr);
        if (!FindFunction(oleacc, "CreateStdAccessibleObject", &createStdAccessibleObject) ||
            !FindFunction(oleacc, "LresultFromObject", &lresultFromObject) ||
            !FindFunction(oleaut, "SysAllocString", &sysAllocString))
            createStdAccessibleObject = nullptr;
    }
    return createStdAccessibleObject != nullptr;
}

static const char* Description(HWND box)
{
    return static_cast<const char*>(GetPropA(box, DESCRIPTION));
}

// The box's standard object with the warning's description. COM gives an
// object one shape, a table of methods, so this is the program's one class.
// It answers as the standard object does, with its window (IOleWindow) and
// its services (IServiceProvider), but as one object of its own: whatever
// it hands out answers IUnknown with it, so that no tool reaches the
// standard object past the description.
class DescribedBox final : public IAccessible, public IOleWindow, public IServiceProvider
{
  public:
    DescribedBox(HWND box, IAccessible* standard) : box(box), standard(standard) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IOleWindow) && StandardAnswers(iid))
            *object = static_cast<IOleWindow*>(this);
        else if (iid == __uuidof(IServiceProvider) && StandardAnswers(iid))
            *object = static_cast<IServiceProvider*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(InterlockedIncrement(&references));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0)
        {
            standard->Release();
            HeapFree(GetProcessHeap(), 0, this);
        }
        return static_cast<ULONG>(left);
    }

    // The description, of the box itself; everything else is the standard
    // object's.
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        const char* why = Description(box);
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF || !IsWindow(box))
            return standard->get_accDescription(child, description);
        *description = nullptr;
        if (!why)
            return S_FALSE; // none while the box does not warn
        wchar_t text[64];
        MultiByteToWideChar(CP_ACP, 0, why, -1, text, 64);
        *description = sysAllocString(text);
        return *description ? S_OK : E_OUTOFMEMORY;
    }

    // The standard object's window, and its services; the standard object
    // itself, handed out by its services, is this one.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        IOleWindow* other = Standard<IOleWindow>();
        const HRESULT result = other ? other->GetWindow(window) : E_FAIL;
        if (other)
            other->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override
    {
        IOleWindow* other = Standard<IOleWindow>();
        const HRESULT result = other ? other->ContextSensitiveHelp(enter) : E_FAIL;
        if (other)
            other->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        IServiceProvider* other = Standard<IServiceProvider>();
        const HRESULT result = other ? other->QueryService(service, iid, object) : E_NOINTERFACE;
        if (other)
            other->Release();
        return Own(result, iid, object);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrong) override
    {
        return standard->Invoke(id, iid, locale, flags, parameters, result, exception, wrong);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return Own(standard->get_accParent(parent), __uuidof(IDispatch),
                   reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return Own(standard->get_accChild(child, object), __uuidof(IDispatch),
                   reinterpret_cast<void**>(object));
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return Own(standard->get_accFocus(focus), focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return Own(standard->get_accSelection(selection), selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        return standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return Own(standard->accNavigate(direction, start, end), end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return Own(standard->accHitTest(left, top, child), child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard->put_accValue(child, value);
    }

  private:
    // The standard object's interface, or null; the caller releases it.
    template <typename Interface> Interface* Standard()
    {
        Interface* other = nullptr;
        standard->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(&other));
        return other;
    }
    bool StandardAnswers(REFIID iid)
    {
        IUnknown* other = nullptr;
        if (FAILED(standard->QueryInterface(iid, reinterpret_cast<void**>(&other))))
            return false;
        other->Release();
        return true;
    }
    // An object the standard object handed out under iid; when it is the
    // standard object itself, this one instead.
    HRESULT Own(HRESULT result, REFIID iid, void** object)
    {
        if (FAILED(result) || !object || !*object)
            return result;
        IUnknown* handed = static_cast<IUnknown*>(*object);
        IUnknown* identity = nullptr;
        IUnknown* standardIdentity = nullptr;
        handed->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity));
        standard->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&standardIdentity));
        const bool itself = identity && identity == standardIdentity;
        if (identity)
            identity->Release();
        if (standardIdentity)
            standardIdentity->Release();
        if (!itself)
            return result;
        handed->Release();
        return QueryInterface(iid, object);
    }
    HRESULT Own(HRESULT result, VARIANT* handed)
    {
        if (handed && handed->vt == VT_DISPATCH)
            return Own(result, __uuidof(IDispatch), reinterpret_cast<void**>(&handed->pdispVal));
        return result;
    }

    LONG references = 1;
    HWND box;
    IAccessible* standard;
};

// The answer to WM_GETOBJECT for the box's client: the described object, or
// 0 to leave the question to the box's own handling.
static LRESULT DescribedObject(HWND box, WPARAM flags)
{
    IAccessible* standard = nullptr;
    if (!LoadAccessibility() ||
        FAILED(createStdAccessibleObject(box, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))))
        return 0;
    // From the process heap, not operator new, which would bring the C++
    // runtime's exceptions into the program.
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(DescribedBox));
    if (!memory)
    {
        standard->Release();
        return 0;
    }
    DescribedBox* described = new (memory) DescribedBox(box, standard);
    const LRESULT answer =
        lresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(described));
    described->Release();
    return answer > 0 ? answer : 0;
}

static LRESULT CALLBACK DescribedBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR)
{
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT))
    {
        if (const LRESULT answer = DescribedObject(box, wParam))
            return answer;
    }
    else if (message == WM_NCDESTROY)
    {
        RemovePropA(box, DESCRIPTION);
        RemoveWindowSubclass(box, DescribedBoxProc, id);
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// Made once per dialog font: again only when the dialog's font changes, as
// at a change of the display scale.
static HFONT BoldOf(HWND dialog, BoldFont* font)
{
    const HFONT regular = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (font->from != regular || !font->bold)
    {
        FreeBoldFont(font);
        LOGFONTA face = {};
        if (regular && GetObjectA(regular, sizeof face, &face))
        {
            face.lfWeight = FW_BOLD;
            font->bold = CreateFontIndirectA(&face);
        }
        font->from = regular;
    }
    return font->bold ? font->bold : regular;
}

void FreeBoldFont(BoldFont* font)
{
    if (font->bold)
        DeleteObject(font->bold);
    *font = {};
}

void DescribeForReaders(HWND box)
{
    SetWindowSubclass(box, DescribedBoxProc, DESCRIBED_BOX, 0);
}

// Called after every change of the values, so it does little when nothing
// changes: the label keeps its font, the box its description.
void ShowWarning(HWND dialog, BoldFont* font, int labelId, int boxId, const char* why)
{
    HWND label = GetDlgItem(dialog, labelId);
    HWND box = GetDlgItem(dialog, boxId);
    const HFONT shown = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    HFONT wanted = shown;
    if (why)
        wanted = BoldOf(dialog, font);
    else if (font->bold && shown == font->bold)
        wanted = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (wanted != shown)
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), FALSE);
    if (Description(box) != why)
    {
        if (why)
            SetPropA(box, DESCRIPTION, const_cast<char*>(why));
        else
            RemovePropA(box, DESCRIPTION);
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, box, OBJID_CLIENT, CHILDID_SELF);
    }
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE);
}
