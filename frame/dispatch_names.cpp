// GetIDsOfNames from the interface's own name table: one hash of the name,
// folded as it is read, and one comparison.
#include <algorithm>

#include "com_ptr.h"
#include "dispatch_table.h"
#include "errors.h"
#include "pure/ascii.h"

namespace orvi {
namespace {

std::wstring FoldedText(std::wstring_view text) {
    std::wstring folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), ascii::Upper<wchar_t>);
    return folded;
}

// A given name against a folded one.
bool SameName(const wchar_t* name, const std::wstring& folded) {
    for (wchar_t c : folded)
        if (ascii::Upper(*name++) != c) return false;
    return *name == L'\0';
}

constexpr std::uint32_t kFnvBasis = 2166136261u, kFnvPrime = 16777619u;

std::uint32_t HashOfFolded(const std::wstring& folded) {
    std::uint32_t hash = kFnvBasis;
    for (wchar_t c : folded) hash = (hash ^ static_cast<std::uint16_t>(c)) * kFnvPrime;
    return hash;
}

}  // namespace

void NameTable::Add(std::wstring_view name, DISPID id, std::vector<std::wstring> parameterNames) {
    std::wstring folded = FoldedText(name);
    for (const Entry& entry : entries)
        if (entry.folded == folded) return;  // the first of a name answers for it
    for (std::wstring& parameter : parameterNames) parameter = FoldedText(parameter);
    entries.push_back(Entry{std::move(folded), id, std::move(parameterNames)});
}

void NameTable::Seal() {
    if (entries.size() >= 0x8000) Raise(errOutOfMemory);
    std::size_t size = 16;
    while (size < 2 * entries.size()) size *= 2;
    buckets.assign(size, 0);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        std::size_t bucket = HashOfFolded(entries[index].folded) & (size - 1);
        while (buckets[bucket]) bucket = (bucket + 1) & (size - 1);
        buckets[bucket] = static_cast<std::uint16_t>(index + 1);
    }
}

const NameTable::Entry* NameTable::Lookup(const wchar_t* name) const {
    std::uint32_t hash = kFnvBasis;
    for (const wchar_t* c = name; *c; ++c) hash = (hash ^ static_cast<std::uint16_t>(ascii::Upper(*c))) * kFnvPrime;
    const std::size_t mask = buckets.size() - 1;
    for (std::size_t bucket = hash & mask; buckets[bucket]; bucket = (bucket + 1) & mask) {
        const Entry& entry = entries[buckets[bucket] - 1];
        if (SameName(name, entry.folded)) return &entry;
    }
    return nullptr;
}

HRESULT NameTable::Find(const LPOLESTR* names, UINT count, DISPID* ids) const {
    if (count == 0) return S_OK;
    const Entry* member = Lookup(names[0]);
    ids[0] = member ? member->id : DISPID_UNKNOWN;
    HRESULT hr = member ? S_OK : DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (member)
            for (std::size_t j = 0; j < member->parameters.size(); ++j)
                if (SameName(names[i], member->parameters[j])) {
                    ids[i] = static_cast<DISPID>(j);
                    break;
                }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

void ReadNames(ITypeInfo* info, NameTable& names) {
    TYPEATTR* attributes = nullptr;
    Check(info->GetTypeAttr(&attributes));
    const UINT functions = attributes->cFuncs, bases = attributes->cImplTypes;
    info->ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < functions; ++index) {
        // A dual interface's dispatch side may count functions it cannot
        // give (slots left out of the library), and lists those it inherits,
        // whose names belong to the interface they come from.
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(index, &function)) || !function) continue;
        const MEMBERID id = function->memid;
        // Its parameters, and the value it yields, which a dispatch side
        // does not count among them.
        const UINT wanted = static_cast<UINT>(function->cParams) + 2;
        info->ReleaseFuncDesc(function);
        std::vector<BSTR> given(wanted, nullptr);
        UINT count = 0;
        if (FAILED(info->GetNames(id, given.data(), wanted, &count))) count = 0;
        std::vector<Bstr> owned;
        for (UINT i = 0; i < count; ++i) owned.push_back(Bstr::Adopt(given[i]));
        if (count == 0) continue;
        std::vector<std::wstring> parameters;
        for (UINT i = 1; i < count; ++i) parameters.emplace_back(owned[i].View());
        names.Add(owned[0].View(), id, std::move(parameters));
    }
    // Then the names of the interface it derives from, as automation finds them.
    HREFTYPE base = 0;
    ComPtr<ITypeInfo> inherited;
    if (bases > 0 && SUCCEEDED(info->GetRefTypeOfImplType(0, &base)) && SUCCEEDED(info->GetRefTypeInfo(base, inherited.Put())))
        ReadNames(inherited.Get(), names);
}

}  // namespace orvi
