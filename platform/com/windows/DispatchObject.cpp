// IDispatch::Invoke for the server's objects. The system's ITypeInfo::Invoke
// does the call, but it is handed arguments already of the exact types the
// member declares: a script's variables arrive as references to Variants,
// which it refuses for a by-reference String or Long ("Type mismatch"), and
// it does not fill an omitted by-reference argument from its default. Here a
// value is converted into a temporary of the declared type, passed by
// reference, and what the member leaves in it goes back to the caller's
// variable; an omitted argument gets its declared default.
#include "platform/com/windows/DispatchObject.h"

#include <vector>

namespace com::windows {

namespace {

// How a parameter is passed: its automation type (VT_EMPTY when it is none
// this code converts) and whether by reference.
struct ParameterKind {
    VARTYPE type = VT_EMPTY;
    bool byReference = false;
};

bool IsInterface(ITypeInfo* info, const TYPEDESC& desc)
{
    if (desc.vt != VT_USERDEFINED)
        return false;
    ITypeInfo* referenced = nullptr;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, &referenced)))
        return false;
    TYPEATTR* attributes = nullptr;
    bool isInterface = false;
    if (SUCCEEDED(referenced->GetTypeAttr(&attributes))) {
        isInterface = attributes->typekind == TKIND_DISPATCH || attributes->typekind == TKIND_INTERFACE;
        referenced->ReleaseTypeAttr(attributes);
    }
    referenced->Release();
    return isInterface;
}

VARTYPE ValueType(ITypeInfo* info, const TYPEDESC& desc)
{
    switch (desc.vt) {
    case VT_BSTR:
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
    case VT_VARIANT:
        return desc.vt;
    case VT_USERDEFINED:
        // Enumerations travel as 32-bit numbers.
        return IsInterface(info, desc) ? VT_EMPTY : VT_I4;
    case VT_PTR:
        return IsInterface(info, *desc.lptdesc) ? VT_DISPATCH : VT_EMPTY;
    default:
        return VT_EMPTY;
    }
}

ParameterKind KindOf(ITypeInfo* info, const TYPEDESC& desc)
{
    if (desc.vt == VT_PTR && !IsInterface(info, *desc.lptdesc))
        return {ValueType(info, *desc.lptdesc), true};
    return {ValueType(info, desc), false};
}

// The member `id` that `flags` asks for, to release with ReleaseFuncDesc.
FUNCDESC* FindMember(ITypeInfo* info, DISPID id, WORD flags)
{
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)))
        return nullptr;
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (WORD i = 0; i < count; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        const bool wanted = function->memid == id
                            && (((flags & DISPATCH_METHOD) && function->invkind == INVOKE_FUNC)
                                || ((flags & DISPATCH_PROPERTYGET) && function->invkind == INVOKE_PROPERTYGET)
                                || ((flags & DISPATCH_PROPERTYPUT) && function->invkind == INVOKE_PROPERTYPUT)
                                || ((flags & DISPATCH_PROPERTYPUTREF) && function->invkind == INVOKE_PROPERTYPUTREF));
        if (wanted)
            return function;
        info->ReleaseFuncDesc(function);
    }
    return nullptr;
}

bool IsOmitted(const VARIANT* argument)
{
    return V_VT(argument) == VT_ERROR && V_ERROR(argument) == DISP_E_PARAMNOTFOUND;
}

// The arguments of one call as the member declares them, with the caller's
// own variables to update afterwards.
class PreparedArguments {
public:
    explicit PreparedArguments(UINT count) : temporaries_(count), arguments_(count), callerVariables_(count, nullptr)
    {
        for (auto& temporary : temporaries_)
            VariantInit(&temporary);
    }
    ~PreparedArguments()
    {
        for (auto& temporary : temporaries_)
            VariantClear(&temporary);
    }
    PreparedArguments(const PreparedArguments&) = delete;
    PreparedArguments& operator=(const PreparedArguments&) = delete;

    // Parameter `slot` (in IDispatch order) from the caller's `given`, or its
    // default when `given` is null or omitted.
    HRESULT Prepare(UINT slot, ParameterKind kind, const ELEMDESC& parameter, VARIANTARG* given)
    {
        VARIANT& temporary = temporaries_[slot];
        VARIANTARG& argument = arguments_[slot];
        const USHORT flags = parameter.paramdesc.wParamFlags;
        if (!given || IsOmitted(given)) {
            if ((flags & PARAMFLAG_FHASDEFAULT) && parameter.paramdesc.pparamdescex) {
                HRESULT hr = VariantCopy(&temporary, &parameter.paramdesc.pparamdescex->varDefaultValue);
                if (SUCCEEDED(hr) && kind.type != VT_VARIANT)
                    hr = VariantChangeType(&temporary, &temporary, 0, kind.type);
                if (FAILED(hr))
                    return hr;
            } else if ((flags & PARAMFLAG_FOPT) && kind.type == VT_VARIANT) {
                V_VT(&temporary) = VT_ERROR;
                V_ERROR(&temporary) = DISP_E_PARAMNOTFOUND;
            } else {
                return DISP_E_PARAMNOTOPTIONAL;
            }
        } else if (kind.byReference && V_VT(given) == (VT_BYREF | kind.type)) {
            argument = *given; // already what the member takes
            return S_OK;
        } else if (kind.byReference && V_ISBYREF(given) && V_VT(given) != (VT_BYREF | VT_VARIANT)) {
            return DISP_E_TYPEMISMATCH; // a typed variable of another type cannot take the result back
        } else {
            HRESULT hr = VariantCopyInd(&temporary, given);
            if (SUCCEEDED(hr) && kind.type != VT_VARIANT)
                hr = VariantChangeType(&temporary, &temporary, 0, kind.type);
            if (FAILED(hr))
                return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            if (kind.byReference && V_VT(given) == (VT_BYREF | VT_VARIANT) && (flags & PARAMFLAG_FOUT))
                callerVariables_[slot] = V_VARIANTREF(given);
        }
        if (!kind.byReference) {
            argument = temporary; // a shallow copy: the temporary keeps ownership
        } else if (kind.type == VT_VARIANT) {
            V_VT(&argument) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&argument) = &temporary;
        } else {
            V_VT(&argument) = VT_BYREF | kind.type;
            V_BYREF(&argument) = &V_I4(&temporary); // every value sits at the start of the union
        }
        return S_OK;
    }

    VARIANTARG* Arguments() { return arguments_.data(); }

    // What the member left in its by-reference arguments, into the caller's variables.
    void GiveBack()
    {
        for (std::size_t slot = 0; slot < temporaries_.size(); ++slot) {
            if (VARIANT* variable = callerVariables_[slot]) {
                VariantClear(variable);
                VariantCopy(variable, &temporaries_[slot]);
            }
        }
    }

private:
    std::vector<VARIANT> temporaries_;
    std::vector<VARIANTARG> arguments_;
    std::vector<VARIANT*> callerVariables_;
};

HRESULT InvokeDeclared(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                       const FUNCDESC& member, VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    const UINT declared = static_cast<UINT>(member.cParams);
    const bool isPut = member.invkind == INVOKE_PROPERTYPUT || member.invkind == INVOKE_PROPERTYPUTREF;
    const UINT named = params->cNamedArgs;
    const UINT positional = params->cArgs - named;
    if (declared == 0 || (isPut && named != 1) || params->cArgs > declared)
        return info->Invoke(instance, id, flags, params, result, exception, argumentError);

    PreparedArguments prepared(declared);
    for (UINT j = 0; j < declared; ++j) {
        // IDispatch order is last parameter first; a put's value is the named argument.
        const UINT slot = declared - 1 - j;
        VARIANTARG* given = nullptr;
        if (isPut && j == declared - 1)
            given = &params->rgvarg[0];
        else if (j < positional)
            given = &params->rgvarg[params->cArgs - 1 - j];
        const HRESULT hr = prepared.Prepare(slot, KindOf(info, member.lprgelemdescParam[j].tdesc),
                                            member.lprgelemdescParam[j], given);
        if (FAILED(hr)) {
            if (argumentError)
                *argumentError = params->cArgs > 0 && given ? static_cast<UINT>(given - params->rgvarg) : 0;
            return hr;
        }
    }
    DISPID putName = DISPID_PROPERTYPUT;
    DISPPARAMS exact{prepared.Arguments(), isPut ? &putName : nullptr, declared, isPut ? 1u : 0u};
    const HRESULT hr = info->Invoke(instance, id, flags, &exact, result, exception, argumentError);
    if (SUCCEEDED(hr))
        prepared.GiveBack();
    return hr;
}

} // namespace

HRESULT InvokeThroughTypeInfo(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    if (!params)
        return E_INVALIDARG;
    SetErrorInfo(0, nullptr);
    HRESULT hr;
    FUNCDESC* member = FindMember(info, id, flags);
    if (member) {
        hr = InvokeDeclared(info, instance, id, flags, params, *member, result, exception, argumentError);
        info->ReleaseFuncDesc(member);
    } else {
        hr = info->Invoke(instance, id, flags, params, result, exception, argumentError);
    }
    if (FAILED(hr) && hr != DISP_E_EXCEPTION && HRESULT_FACILITY(hr) != FACILITY_DISPATCH && exception) {
        // The member raised an error of its own; clients of IDispatch read it from here.
        IErrorInfo* error = nullptr;
        if (GetErrorInfo(0, &error) == S_OK) {
            *exception = EXCEPINFO{};
            error->GetSource(&exception->bstrSource);
            error->GetDescription(&exception->bstrDescription);
            error->GetHelpFile(&exception->bstrHelpFile);
            error->GetHelpContext(&exception->dwHelpContext);
            exception->scode = hr;
            error->Release();
            hr = DISP_E_EXCEPTION;
        }
    }
    return hr;
}

} // namespace com::windows
