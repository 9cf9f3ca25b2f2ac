// The IDispatch boundary as a careless or hostile caller meets it: calls
// whose shape is broken, numbers no parameter can hold, typed references of
// another type than the parameter's, and objects of the wrong interface.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

VARIANT Scalar(VARTYPE vt, double number) {
    VARIANT v{};
    V_VT(&v) = vt;
    switch (vt) {
    case VT_R8: V_R8(&v) = number; break;
    case VT_R4: V_R4(&v) = static_cast<float>(number); break;
    case VT_UI4: V_UI4(&v) = static_cast<ULONG>(number); break;
    case VT_I8: V_I8(&v) = static_cast<LONGLONG>(number); break;
    case VT_CY: V_CY(&v).int64 = static_cast<LONGLONG>(number * 10000); break;
    default: V_I4(&v) = static_cast<LONG>(number); break;
    }
    return v;
}

struct RawCall {
    HRESULT hr;
    VARTYPE resultType;
    UINT argumentError;
};
// One Invoke exactly as given; the result variant starts as a stale text.
RawCall Raw(IDispatch* object, DISPID id, WORD flags, DISPPARAMS* params, REFIID iid = IID_NULL) {
    VARIANT result;
    V_VT(&result) = VT_I4;
    V_I4(&result) = 12345;
    EXCEPINFO exception{};
    UINT argumentError = 999;
    const HRESULT hr = object->Invoke(id, iid, LOCALE_USER_DEFAULT, flags, params, &result, &exception, &argumentError);
    const VARTYPE type = V_VT(&result);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return {hr, type, argumentError};
}

TEST(DispatchBoundary, BrokenCallShapesAreRefusedBeforeAnythingIsRead) {
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    auto record = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviOsVersionInfoA);
    const DISPID soundX = DispatchIdOf(utilities.Get(), L"SoundX"), filePart = DispatchIdOf(utilities.Get(), L"FilePart"),
                 nextDate = DispatchIdOf(utilities.Get(), L"NextDate"), major = DispatchIdOf(record.Get(), L"MajorVersion");
    Variant text = TextValue(L"Robert"), four = LongValue(4);
    VARIANT two[2] = {*four.Get(), *text.Get()};
    VARIANT nullReference{}, nullVariant{}, nested{}, vector{}, plainVariant{}, emptyReference{}, unknownType{};
    V_VT(&nullReference) = VT_UI1 | VT_BYREF;
    V_VT(&nullVariant) = VT_VARIANT | VT_BYREF;
    V_VT(&nested) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&nested) = &nested;  // a cycle, would never end if followed
    V_VT(&vector) = VT_VECTOR | VT_I4;
    V_VT(&plainVariant) = VT_VARIANT;
    V_VT(&emptyReference) = VT_EMPTY | VT_BYREF;
    V_BYREF(&emptyReference) = &four;
    V_VT(&unknownType) = 0x7FF;
    DISPID named[2] = {1, 1}, unknown = 17, first = 0, put = DISPID_PROPERTYPUT;

    struct Case {
        const char* what;
        IDispatch* object;
        DISPID id;
        WORD flags;
        DISPPARAMS params;
        bool noParams;
        HRESULT expected;
        UINT argumentError;
    };
    const Case cases[] = {
        {"more named than arguments", utilities.Get(), soundX, DISPATCH_METHOD, {two, named, 1, 2}, false, E_INVALIDARG, 999},
        {"no argument array", utilities.Get(), soundX, DISPATCH_METHOD, {nullptr, nullptr, 2, 0}, false, E_INVALIDARG, 999},
        {"no parameters at all", utilities.Get(), soundX, DISPATCH_METHOD, {}, true, E_INVALIDARG, 999},
        {"named without ids", utilities.Get(), soundX, DISPATCH_METHOD, {two, nullptr, 2, 1}, false, E_INVALIDARG, 999},
        {"method and put", utilities.Get(), soundX, DISPATCH_METHOD | DISPATCH_PROPERTYPUT, {two, nullptr, 2, 0}, false, DISP_E_MEMBERNOTFOUND, 999},
        {"every flag", utilities.Get(), filePart, 0xFFFF, {two, nullptr, 2, 0}, false, DISP_E_MEMBERNOTFOUND, 999},
        {"no flag", utilities.Get(), nextDate, 0, {two, nullptr, 1, 0}, false, DISP_E_MEMBERNOTFOUND, 999},
        {"get and put", record.Get(), major, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, {two, &put, 1, 1}, false, DISP_E_MEMBERNOTFOUND, 999},
        {"put of a method", utilities.Get(), soundX, DISPATCH_PROPERTYPUT, {two, &put, 1, 1}, false, DISP_E_MEMBERNOTFOUND, 999},
        {"put without ids", record.Get(), major, DISPATCH_PROPERTYPUT, {two, nullptr, 1, 1}, false, E_INVALIDARG, 999},
        {"put without the value's name", record.Get(), major, DISPATCH_PROPERTYPUT, {two, nullptr, 1, 0}, false, DISP_E_PARAMNOTFOUND, 999},
        {"reference without a pointer", utilities.Get(), soundX, DISPATCH_METHOD, {&nullReference, nullptr, 1, 0}, false, E_POINTER, 0},
        {"Variant reference without a pointer", utilities.Get(), soundX, DISPATCH_METHOD, {&nullVariant, nullptr, 1, 0}, false, E_POINTER, 0},
        {"Variant reference to a Variant reference", utilities.Get(), soundX, DISPATCH_METHOD, {&nested, nullptr, 1, 0}, false, E_INVALIDARG, 0},
        {"vector", utilities.Get(), soundX, DISPATCH_METHOD, {&vector, nullptr, 1, 0}, false, DISP_E_BADVARTYPE, 0},
        {"bare Variant", utilities.Get(), soundX, DISPATCH_METHOD, {&plainVariant, nullptr, 1, 0}, false, DISP_E_BADVARTYPE, 0},
        {"reference to Empty", utilities.Get(), soundX, DISPATCH_METHOD, {&emptyReference, nullptr, 1, 0}, false, DISP_E_BADVARTYPE, 0},
        {"no such type", utilities.Get(), soundX, DISPATCH_METHOD, {&unknownType, nullptr, 1, 0}, false, DISP_E_BADVARTYPE, 0},
        {"one name twice", utilities.Get(), soundX, DISPATCH_METHOD, {two, named, 2, 2}, false, E_INVALIDARG, 1},
        {"a positional one named again", utilities.Get(), soundX, DISPATCH_METHOD, {two, &first, 2, 1}, false, E_INVALIDARG, 0},
        {"unknown name", utilities.Get(), soundX, DISPATCH_METHOD, {two, &unknown, 2, 1}, false, DISP_E_PARAMNOTFOUND, 0},
    };
    for (const Case& c : cases) {
        DISPPARAMS params = c.params;
        const RawCall call = Raw(c.object, c.id, c.flags, c.noParams ? nullptr : &params);
        EXPECT_EQ(c.expected, call.hr) << c.what;
        EXPECT_EQ(VT_EMPTY, call.resultType) << c.what;
        EXPECT_EQ(c.argumentError, call.argumentError) << c.what;
    }
    DISPPARAMS none{};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, Raw(record.Get(), major, DISPATCH_PROPERTYGET, &none, IID_IDispatch).hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Raw(utilities.Get(), soundX, DISPATCH_METHOD, &none).hr);

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"SoundX"), nullptr};
    DISPID ids[2] = {};
    EXPECT_EQ(E_INVALIDARG, utilities->GetIDsOfNames(IID_NULL, nullptr, 1, 0, ids));
    EXPECT_EQ(E_INVALIDARG, utilities->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, utilities->GetIDsOfNames(IID_NULL, names, 2, 0, ids));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, utilities->GetIDsOfNames(IID_IUnknown, names, 1, 0, ids));
    EXPECT_EQ(S_OK, utilities->GetIDsOfNames(IID_NULL, names, 1, 0, ids));
    EXPECT_EQ(soundX, ids[0]);
}

TEST(DispatchBoundary, AFailedCallHandsBackNoValue) {
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    Variant noTime = TextValue(L"no time");
    DISPPARAMS params{noTime.Get(), nullptr, 1, 0};
    const RawCall call = Raw(utilities.Get(), DispatchIdOf(utilities.Get(), L"DayPart"), DISPATCH_METHOD, &params);
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(VT_EMPTY, call.resultType);  // not an empty text nobody frees
}

TEST(DispatchBoundary, NumbersNoIntegerParameterCanHoldAreOverflow) {
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    auto locale = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesLocaleA);
    auto record = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviOsVersionInfoA);
    Variant word = TextValue(L"Robert");
    const VARIANT text = *word.Get();
    struct Case {
        IDispatch* object;
        const wchar_t* member;
        WORD flags;
        std::vector<VARIANT> reading;  // arguments in reading order
        HRESULT expected;
        UINT argumentError;  // index into the reversed arguments
    };
    const Case cases[] = {
        // Integer
        {locale.Get(), L"DayName", DISPATCH_METHOD, {Scalar(VT_R8, kNaN)}, DISP_E_OVERFLOW, 0},
        {locale.Get(), L"DayName", DISPATCH_METHOD, {Scalar(VT_R8, 32767.5)}, DISP_E_OVERFLOW, 0},
        {locale.Get(), L"DayName", DISPATCH_METHOD, {Scalar(VT_CY, 1e10)}, DISP_E_OVERFLOW, 0},
        {locale.Get(), L"DayName", DISPATCH_METHOD, {Scalar(VT_R8, 2.5)}, S_OK, 0},
        // Long by reference
        {utilities.Get(), L"AsPercent", DISPATCH_METHOD, {Scalar(VT_UI4, 4294967295.0), Scalar(VT_I4, 5)}, DISP_E_OVERFLOW, 1},
        {utilities.Get(), L"AsPercent", DISPATCH_METHOD, {Scalar(VT_I4, 5), Scalar(VT_R8, 1e10)}, DISP_E_OVERFLOW, 0},
        {utilities.Get(), L"AsPercent", DISPATCH_METHOD, {Scalar(VT_I8, 2147483648.0), Scalar(VT_I4, 5)}, DISP_E_OVERFLOW, 1},
        // Byte by reference
        {utilities.Get(), L"SoundX", DISPATCH_METHOD, {text, Scalar(VT_I4, 256)}, DISP_E_OVERFLOW, 0},
        {utilities.Get(), L"SoundX", DISPATCH_METHOD, {text, Scalar(VT_R8, -0.51)}, DISP_E_OVERFLOW, 0},
        {utilities.Get(), L"SoundX", DISPATCH_METHOD, {text, Scalar(VT_R4, -kInfinity)}, DISP_E_OVERFLOW, 0},
        {utilities.Get(), L"SoundX", DISPATCH_METHOD, {text, Scalar(VT_R8, 255.4)}, S_OK, 0},
        // Long by value, and a Long property's new value
        {utilities.Get(), L"NextDate", DISPATCH_METHOD, {Scalar(VT_R8, 45000), Scalar(VT_R8, kInfinity)}, DISP_E_OVERFLOW, 0},
        {record.Get(), L"MajorVersion", DISPATCH_PROPERTYPUT, {Scalar(VT_R8, kNaN)}, DISP_E_OVERFLOW, 0},
    };
    for (const Case& c : cases) {
        std::vector<VARIANT> reversed(c.reading.rbegin(), c.reading.rend());
        DISPID put = DISPID_PROPERTYPUT;
        const bool isPut = c.flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), isPut ? &put : nullptr, static_cast<UINT>(reversed.size()), isPut ? 1u : 0u};
        const RawCall call = Raw(c.object, DispatchIdOf(c.object, c.member), c.flags, &params);
        const std::string what = testing::PrintToString(std::wstring(c.member)) + " " + std::to_string(&c - cases);
        EXPECT_EQ(c.expected, call.hr) << what;
        if (FAILED(c.expected)) {
            EXPECT_EQ(c.argumentError, call.argumentError) << what;
        }
    }
}

TEST(DispatchBoundary, TypedReferencesOfAnotherTypeGetWrittenValuesInTheirOwnType) {
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    auto adapter = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviEthernetAddressA);
    // A Visual Basic Integer passed by reference to the Byte accuracy: the
    // member's clamped value arrives as an Integer.
    SHORT accuracy = 12;
    Variant word = TextValue(L"Robert");
    VARIANT reference{};
    V_VT(&reference) = VT_I2 | VT_BYREF;
    V_I2REF(&reference) = &accuracy;
    VARIANT soundX[2] = {reference, *word.Get()};
    DISPPARAMS params{soundX, nullptr, 2, 0};
    ASSERT_EQ(S_OK, Raw(utilities.Get(), DispatchIdOf(utilities.Get(), L"SoundX"), DISPATCH_METHOD, &params).hr);
    EXPECT_EQ(9, accuracy);
    // Read only: a Double for the Long adapter number stays exactly as it was.
    double lana = 0.25;
    V_VT(&reference) = VT_R8 | VT_BYREF;
    V_R8REF(&reference) = &lana;
    params = DISPPARAMS{&reference, nullptr, 1, 0};
    Raw(adapter.Get(), DispatchIdOf(adapter.Get(), L"EthernetAddress"), DISPATCH_METHOD, &params);
    EXPECT_EQ(0.25, lana);
    // A Variant holding a text given to a text by reference is worked on in
    // place; one holding a number keeps its number when the text does not change.
    Variant drive = TextValue(L"c"), number = LongValue(7);
    VARIANT driveReference{}, numberReference{};
    V_VT(&driveReference) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&driveReference) = drive.Get();
    V_VT(&numberReference) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&numberReference) = number.Get();
    auto machine = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesWinInfoA);
    params = DISPPARAMS{&driveReference, nullptr, 1, 0};
    Raw(machine.Get(), DispatchIdOf(machine.Get(), L"DriveType"), DISPATCH_METHOD, &params);
    EXPECT_EQ(L"c:\\", TextOf(drive));
    VARIANT filePart[1] = {numberReference};
    params = DISPPARAMS{filePart, nullptr, 1, 0};
    Raw(utilities.Get(), DispatchIdOf(utilities.Get(), L"FilePart"), DISPATCH_METHOD, &params);
    EXPECT_EQ(VT_I4, number.Type());
}

TEST(DispatchBoundary, AnObjectParameterTakesOnlyObjectsOfItsInterface) {
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    auto machine = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesWinInfoA);
    FakeForm stranger(LongValue(0));
    const DISPID field = DispatchIdOf(utilities.Get(), L"MyComputer");
    DISPID put = DISPID_PROPERTYPUT;
    // A stranger would later be called through the machine interface's table.
    Variant value = ObjectValue(&stranger);
    DISPPARAMS params{value.Get(), &put, 1, 1};
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Raw(utilities.Get(), field, DISPATCH_PROPERTYPUTREF, &params).hr);
    value = ObjectValue(machine.Get());
    params.rgvarg = value.Get();
    EXPECT_EQ(S_OK, Raw(utilities.Get(), field, DISPATCH_PROPERTYPUTREF, &params).hr);
    const LateCall held = GetProperty(utilities.Get(), L"MyComputer");
    ASSERT_EQ(VT_DISPATCH, held.result.Type());
    ComPtr<IUnknown> heldIdentity, machineIdentity;
    V_DISPATCH(held.result.Get())->QueryInterface(IID_IUnknown, heldIdentity.PutVoid());
    machine->QueryInterface(IID_IUnknown, machineIdentity.PutVoid());
    EXPECT_EQ(machineIdentity.Get(), heldIdentity.Get());
}

}  // namespace
