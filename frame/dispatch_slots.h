// Late-bound calls reach a member through its own vtable slot: the slot's
// caller takes the arguments already made ready, each exactly of its
// parameter's automation type (by reference where the parameter is one),
// reads each as its C++ parameter takes it and calls the member.
// The slot tables are generated from the interface declarations
// (orvilib10_slots.cpp, tools/interface_slots.py); the dispatcher binds each
// member of the type information to its slot by its vtable offset, after
// checking the slot's name and parameters against the member.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

namespace orvi {

// How one C++ parameter of a slot travels.
struct SlotParameter {
    unsigned char size;  // of the value itself
    bool pointer;
};

// Calls the member in vtable slot `slot` of `object` with `count` arguments,
// reversed as DISPPARAMS holds them; a member whose C++ parameters number
// one more yields its value into `result`'s storage (the whole VARIANT for
// a Variant result).
using SlotCall = HRESULT (*)(IDispatch* object, unsigned slot, VARIANT* reversed, unsigned count, VARIANT& result);

struct Slot {
    const char* name;  // as the C++ declarations name it: get_X, put_X, putref_X, or the method's own name
    SlotCall call;
    std::span<const SlotParameter> parameters;
};

// An interface's slots after IDispatch's seven (generated: orvilib10_slots.cpp);
// none for an interface the declarations do not give.
std::span<const Slot> SlotTableOf(REFIID iid);

namespace slots {

// What the calling convention makes of a C++ parameter: any pointer is an
// address (a Variant's, for the place of a Variant result), an enumeration
// the integer it is stored as. Members whose parameters travel alike share
// one caller, which calls them through the vtable as the interface's C
// declarations do, `this` first.
template <class T>
struct Passing {
    using type = T;
};
template <class T>
    requires std::is_pointer_v<T> && (!std::is_same_v<T, VARIANT*>)
struct Passing<T> {
    using type = void*;
};
template <class T>
    requires std::is_enum_v<T>
struct Passing<T> {
    using type = std::underlying_type_t<T>;
};
template <class T>
using Passed = typename Passing<T>::type;

// An argument as its parameter takes it: a reference's target address for
// a pointer parameter given by reference, else the value's own bits.
template <class T>
T Argument(VARIANT& argument) noexcept {
    if constexpr (std::is_same_v<T, VARIANT>) {
        return argument;
    } else {
        if constexpr (std::is_pointer_v<T>)
            if (V_VT(&argument) & VT_BYREF) return static_cast<T>(V_BYREF(&argument));
        T value;
        std::memcpy(&value, &V_UI1(&argument), sizeof value);
        return value;
    }
}

// Where the member puts the value it yields.
template <class T>
T ResultPlace(VARIANT& result) noexcept {
    if constexpr (std::is_same_v<T, VARIANT*>) return &result;
    else if constexpr (std::is_pointer_v<T>) return &V_UI1(&result);
    else return T{};  // never reached: a result always goes through a pointer
}

template <class... C, std::size_t... I>
HRESULT CallAs(IDispatch* object, unsigned slot, VARIANT* reversed, unsigned count, VARIANT& result,
               std::index_sequence<I...>) noexcept {
    using Function = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, C...);
    const auto function = reinterpret_cast<Function>((*reinterpret_cast<void* const* const*>(object))[slot]);
    return function(object, (I < count ? Argument<C>(reversed[count - 1 - I]) : ResultPlace<C>(result))...);
}

template <class... C>
HRESULT CallWith(IDispatch* object, unsigned slot, VARIANT* reversed, unsigned count, VARIANT& result) noexcept {
    return CallAs<C...>(object, slot, reversed, count, result, std::index_sequence_for<C...>{});
}

template <class Itf, class... P>
constexpr SlotCall CallerOf(HRESULT (STDMETHODCALLTYPE Itf::*)(P...)) {
    return &CallWith<Passed<P>...>;
}

template <class Itf, class... P>
constexpr std::array<SlotParameter, sizeof...(P)> ParametersOf(HRESULT (STDMETHODCALLTYPE Itf::*)(P...)) {
    return {SlotParameter{static_cast<unsigned char>(sizeof(P)), std::is_pointer_v<P>}...};
}
template <auto Member>
inline constexpr auto kParametersOf = ParametersOf(Member);

}  // namespace slots
}  // namespace orvi

#define ORVI_SLOT(Itf, member) \
    ::orvi::Slot { #member, ::orvi::slots::CallerOf(&Itf::member), ::orvi::slots::kParametersOf<&Itf::member> }
