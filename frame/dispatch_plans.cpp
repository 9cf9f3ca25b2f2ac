// The interface's table, read from its type information once: what each
// member's parameters are, and which vtable slot answers for it.
#include <algorithm>
#include <cstring>
#include <string>

#include "com_ptr.h"
#include "dispatch.h"
#include "dispatch_table.h"
#include "errors.h"

namespace orvi {
namespace {

// What a user-defined type a parameter names turns out to be.
struct Referenced {
    TYPEKIND kind = TKIND_MAX;
    TYPEDESC alias{};
    GUID guid{};
    WORD flags = 0;
};

// An alias of another user-defined type (stdole's IPictureDisp, say) is
// followed to what it names.
Referenced Resolve(ITypeInfo* info, HREFTYPE type, int depth = 0) {
    Referenced resolved;
    ComPtr<ITypeInfo> target;
    if (depth > 8 || FAILED(info->GetRefTypeInfo(type, target.Put())) || !target) return resolved;
    TYPEATTR* attributes = nullptr;
    if (FAILED(target->GetTypeAttr(&attributes)) || !attributes) return resolved;
    resolved.kind = attributes->typekind;
    resolved.guid = attributes->guid;
    resolved.flags = attributes->wTypeFlags;
    const TYPEDESC alias = attributes->tdescAlias;
    target->ReleaseTypeAttr(attributes);
    if (resolved.kind == TKIND_ALIAS && alias.vt == VT_USERDEFINED) return Resolve(target.Get(), alias.hreftype, depth + 1);
    // Only a plain alias is kept: it needs nothing the attributes own.
    if (alias.vt != VT_USERDEFINED && alias.vt != VT_PTR && alias.vt != VT_SAFEARRAY) resolved.alias = alias;
    return resolved;
}

bool IsInterface(const Referenced& type) { return type.kind == TKIND_INTERFACE || type.kind == TKIND_DISPATCH; }

bool IsPlainScalar(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL: case VT_ERROR: case VT_VARIANT:
        return true;
    default:
        return false;
    }
}

// The automation type of a scalar declared type (an enumeration is a Long);
// VT_EMPTY for anything else.
VARTYPE ScalarType(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt != VT_USERDEFINED) return IsPlainScalar(type.vt) ? type.vt : VARTYPE{VT_EMPTY};
    const Referenced target = Resolve(info, type.hreftype);
    if (target.kind == TKIND_ENUM) return VT_I4;
    if (target.kind == TKIND_ALIAS && IsPlainScalar(target.alias.vt)) return target.alias.vt;
    return VT_EMPTY;
}

// An object parameter: the interface the object must answer to, carried as
// IDispatch where that interface is dispatchable.
bool DescribeObject(ITypeInfo* info, const TYPEDESC& type, ParameterPlan& parameter) {
    if (type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN) {
        parameter.base = type.vt;
        parameter.objectInterface = type.vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
        return true;
    }
    if (type.vt != VT_USERDEFINED) return false;
    const Referenced target = Resolve(info, type.hreftype);
    if (!IsInterface(target)) return false;
    parameter.base = target.kind == TKIND_DISPATCH || (target.flags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
    parameter.objectInterface = target.guid;
    parameter.ownInterface = true;
    return true;
}

bool IsInterfacePointer(ITypeInfo* info, const TYPEDESC& type) {
    return type.vt == VT_PTR && type.lptdesc->vt == VT_USERDEFINED && IsInterface(Resolve(info, type.lptdesc->hreftype));
}

// How a parameter is passed and what it stands for; a base of VT_EMPTY for
// a type no late-bound call can give (a record).
void Describe(ITypeInfo* info, const TYPEDESC& declared, ParameterPlan& parameter) {
    parameter.base = VT_EMPTY;
    const TYPEDESC* type = &declared;
    // An interface pointer is an object passed by value; a pointer to
    // anything else, a by-reference parameter.
    if (type->vt == VT_PTR && !IsInterfacePointer(info, *type)) {
        parameter.byReference = true;
        type = type->lptdesc;
    }
    if (type->vt == VT_PTR && IsInterfacePointer(info, *type)) {
        DescribeObject(info, *type->lptdesc, parameter);
    } else if (type->vt == VT_SAFEARRAY) {
        const VARTYPE element = ScalarType(info, *type->lptdesc);
        if (element != VT_EMPTY) parameter.base = static_cast<VARTYPE>(VT_ARRAY | element);
    } else if (!DescribeObject(info, *type, parameter)) {
        parameter.base = ScalarType(info, *type);
    }
}

// Bytes of a value of an automation type as a C++ parameter takes it.
std::size_t NativeSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_R8: case VT_DATE: case VT_CY: return 8;
    case VT_VARIANT: return sizeof(VARIANT);
    default: return sizeof(void*);  // texts, objects and arrays travel as pointers
    }
}

// Whether a slot's C++ parameter takes what the plan hands it.
bool Takes(const SlotParameter& slot, const ParameterPlan& parameter) {
    if (parameter.base == VT_EMPTY) return false;
    if (parameter.byReference) return slot.pointer;
    const bool pointer = parameter.base == VT_BSTR || parameter.base == VT_DISPATCH || parameter.base == VT_UNKNOWN ||
                         (parameter.base & VT_ARRAY);
    return slot.pointer == pointer && slot.size == NativeSize(parameter.base);
}

// The slot that answers for a member, checked by name and parameters; null
// when none does.
SlotCall SlotFor(std::span<const Slot> slots, const FUNCDESC& desc, const std::wstring& name, const MemberPlan& plan,
                 std::span<const ParameterPlan> parameters) {
    constexpr SHORT kDispatchSlots = 7;
    const SHORT index = static_cast<SHORT>(desc.oVft / static_cast<SHORT>(sizeof(void*)) - kDispatchSlots);
    if (desc.funckind == FUNC_DISPATCH || index < 0 || static_cast<std::size_t>(index) >= slots.size()) return nullptr;
    const Slot& slot = slots[static_cast<std::size_t>(index)];
    const char* prefix = plan.kind == INVOKE_PROPERTYGET      ? "get_"
                         : plan.kind == INVOKE_PROPERTYPUT    ? "put_"
                         : plan.kind == INVOKE_PROPERTYPUTREF ? "putref_"
                                                              : "";
    const std::size_t prefixLength = std::strlen(prefix);
    const std::string_view slotName(slot.name);
    if (slotName.substr(0, prefixLength) != prefix || slotName.size() - prefixLength != name.size() ||
        !std::equal(name.begin(), name.end(), slotName.begin() + static_cast<std::ptrdiff_t>(prefixLength),
                    [](wchar_t a, char b) { return a == static_cast<unsigned char>(b); }))
        return nullptr;
    const std::size_t given = parameters.size() + (plan.result != VT_EMPTY ? 1 : 0);
    if (slot.parameters.size() != given) return nullptr;
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (!Takes(slot.parameters[i], parameters[i])) return nullptr;
    if (plan.result != VT_EMPTY && !slot.parameters.back().pointer) return nullptr;
    return slot.call;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr);
    return std::wstring(name.View());
}

struct FuncDescHolder {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    ~FuncDescHolder() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

// The plans of the interface's members, from its vtable side.
void ReadMembers(ITypeInfo* info, std::span<const Slot> slots, DispatchTable& table) {
    TYPEATTR* attributes = nullptr;
    Check(info->GetTypeAttr(&attributes));
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    table.members.reserve(functions);
    for (UINT index = 0; index < functions; ++index) {
        FuncDescHolder function{info};
        Check(info->GetFuncDesc(index, &function.desc));
        const FUNCDESC& desc = *function.desc;
        // Restricted members (IUnknown's and IDispatch's own) cannot be invoked.
        if (desc.wFuncFlags & FUNCFLAG_FRESTRICTED) continue;
        const bool put = desc.invkind == INVOKE_PROPERTYPUT || desc.invkind == INVOKE_PROPERTYPUTREF;
        MemberPlan plan{desc.memid, desc.invkind, VT_EMPTY, nullptr, static_cast<unsigned>(desc.oVft / static_cast<SHORT>(sizeof(void*))),
                        table.parameters.size(), 0, {}};
        // Parameters a caller supplies: all but the result and a locale.
        for (SHORT i = 0; i < desc.cParams; ++i) {
            const ELEMDESC& element = desc.lprgelemdescParam[i];
            const USHORT flags = element.paramdesc.wParamFlags;
            if (flags & PARAMFLAG_FRETVAL) {
                ParameterPlan result{};
                Describe(info, element.tdesc, result);
                plan.result = result.byReference ? result.base : VARTYPE{VT_EMPTY};
                continue;
            }
            if (flags & PARAMFLAG_FLCID) continue;
            ParameterPlan& parameter = table.parameters.emplace_back(ParameterPlan{
                put && i == desc.cParams - 1 ? DISPID_PROPERTYPUT : i, VT_EMPTY, GUID{}, false, false,
                (flags & PARAMFLAG_FHASDEFAULT) != 0, (flags & PARAMFLAG_FOPT) != 0, {}});
            VariantInit(&parameter.defaultValue);
            Describe(info, element.tdesc, parameter);
            // A Variant's default is taken as it is: there is no type to convert it to.
            VARIANT* given = parameter.hasDefault ? &element.paramdesc.pparamdescex->varDefaultValue : nullptr;
            if (given && (parameter.base == VT_EMPTY || (parameter.base & VT_ARRAY) ||
                          FAILED(parameter.base == VT_VARIANT ? VariantCopy(&parameter.defaultValue, given)
                                                              : VariantChangeType(&parameter.defaultValue, given, 0, parameter.base))))
                parameter.hasDefault = false;
        }
        plan.count = table.parameters.size() - plan.first;
        const std::span<const ParameterPlan> parameters(table.parameters.data() + plan.first, plan.count);
        plan.call = SlotFor(slots, desc, NameOf(info, desc.memid), plan, parameters);
        table.members.push_back(plan);
    }
    std::stable_sort(table.members.begin(), table.members.end(),
                     [](const MemberPlan& a, const MemberPlan& b) { return a.id < b.id; });
    const std::span<const ParameterPlan> all(table.parameters);
    for (MemberPlan& plan : table.members) plan.parameters = all.subspan(plan.first, plan.count);
}

}  // namespace

DispatchTable::~DispatchTable() {
    for (ParameterPlan& parameter : parameters) VariantClear(&parameter.defaultValue);
}

const MemberPlan* DispatchTable::Find(DISPID id, WORD flags) const {
    struct ById {
        bool operator()(const MemberPlan& plan, DISPID id) const { return plan.id < id; }
        bool operator()(DISPID id, const MemberPlan& plan) const { return id < plan.id; }
    };
    const auto [first, last] = std::equal_range(members.begin(), members.end(), id, ById{});
    // A dispatch id belongs to one method or one property, so one kind of
    // call standing in for the other cannot pick a wrong member.
    WORD accepted = flags;
    if (flags == DISPATCH_PROPERTYGET) accepted |= DISPATCH_METHOD;
    if (flags == DISPATCH_METHOD) accepted |= DISPATCH_PROPERTYGET;
    for (auto plan = first; plan != last; ++plan)
        if (plan->kind & accepted) return &*plan;
    return nullptr;
}

std::unique_ptr<DispatchTable> BuildDispatchTable(ITypeInfo* info, std::span<const Slot> slots) {
    auto table = std::make_unique<DispatchTable>();
    ReadNames(info, table->names);
    table->names.Seal();
    // The type library gives a dual interface by its dispatch side; the
    // vtable side tells the slots.
    TYPEATTR* attributes = nullptr;
    Check(info->GetTypeAttr(&attributes));
    const bool dispatchSide = attributes->typekind == TKIND_DISPATCH;
    info->ReleaseTypeAttr(attributes);
    ComPtr<ITypeInfo> vtableSide;
    HREFTYPE reference = 0;
    if (dispatchSide) {
        Check(info->GetRefTypeOfImplType(-1, &reference));
        Check(info->GetRefTypeInfo(reference, vtableSide.Put()));
    }
    ReadMembers(vtableSide ? vtableSide.Get() : info, slots, *table);
    return table;
}

InterfaceDispatch::~InterfaceDispatch() { std::unique_ptr<const DispatchTable> owned(published.load()); }

const DispatchTable* InterfaceDispatch::Build(ITypeInfo* info, std::span<const Slot> slots, HRESULT& failure) noexcept {
    if (const DispatchTable* table = Published()) return table;
    std::unique_ptr<DispatchTable> built;
    failure = Guarded(kLibraryName, [&] { built = BuildDispatchTable(info, slots); });
    if (FAILED(failure)) return nullptr;
    // Threads that meet here each build; the first to publish wins.
    const DispatchTable* expected = nullptr;
    if (published.compare_exchange_strong(expected, built.get(), std::memory_order_acq_rel)) return built.release();
    return expected;
}

}  // namespace orvi
