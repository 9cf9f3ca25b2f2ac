// clsKvOrviInformationA: the component's application properties, its own
// resources, the about box, the per-thread buddy object and fresh version
// records. clsKvOrviGeneralA and clsKvOrviAdvancedA have no members.
#include <olectl.h>

#include <cstring>
#include <string>

#include "ansi.h"
#include "application_properties.h"
#include "com_object.h"
#include "conversions.h"
#include "kvrl_common.h"
#include "module.h"
#include "orvilib10_h.h"
#include "resources.h"
#include "system_function.h"

using namespace orvi;

namespace {

const SystemFunction<decltype(&LoadImageA)> loadImage{"user32.dll", "LoadImageA"};
const SystemFunction<decltype(&DeleteObject)> deleteObject{"gdi32.dll", "DeleteObject"};
const SystemFunction<decltype(&DestroyIcon)> destroyIcon{"user32.dll", "DestroyIcon"};
const SystemFunction<decltype(&DestroyCursor)> destroyCursor{"user32.dll", "DestroyCursor"};

// Resource ids and type numbers are 16-bit; anything else is not in the file.
bool IsResourceNumber(long value) { return value >= 1 && value <= 0xFFFF; }

// The resource type a client names: a standard type number or a custom
// type's name.
class ResourceType {
public:
    ResourceType(const VARIANT& type, long id);
    const char* Get() const { return number ? MAKEINTRESOURCEA(number) : name.c_str(); }

private:
    WORD number = 0;
    std::string name;
};

ResourceType::ResourceType(const VARIANT& type, long id) {
    Variant value;
    if (FAILED(VariantCopyInd(value.Put(), const_cast<VARIANT*>(&type)))) Raise(errTypeMismatch);
    switch (value.Type()) {
    case VT_BSTR:
        name = ToAnsi(Bstr::ViewOf(V_BSTR(value.Get())));
        return;
    case VT_NULL:
        Raise(errInvalidNull);
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: {
        Variant real;
        if (FAILED(VariantChangeType(real.Get(), value.Get(), 0, VT_R8))) Raise(errOverflow);
        const long typeNumber = ToLong(V_R8(real.Get()));
        if (!IsResourceNumber(typeNumber)) RaiseResourceNotFound(id);
        number = static_cast<WORD>(typeNumber);
        return;
    }
    default:
        Raise(errTypeMismatch);
    }
}

Variant ByteArray(std::span<const std::uint8_t> bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) throw std::bad_alloc();
    Variant value;
    V_VT(value.Put()) = VT_ARRAY | VT_UI1;
    V_ARRAY(value.Get()) = array;
    if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
    return value;
}

}  // namespace

class clsKvOrviInformationA final : public ComObject<clsKvOrviInformationA, _clsKvOrviInformationA> {
public:
    STDMETHODIMP get_GetProStdProperties(IDispatch** result) override {
        return Produce(result, [&] { return ApplicationProperties(); });
    }

    STDMETHODIMP get_GetProResStrings(long* lResId, BSTR* result) override {
        return Produce(result, [&] {
            const long id = Required(lResId);
            if (!IsResourceNumber(id)) RaiseResourceNotFound(id);
            return Bstr(LoadComponentString(static_cast<unsigned>(id)));
        });
    }

    STDMETHODIMP get_GetProResPicture(long* lResId, PictureKind* lRestype, IPictureDisp** result) override {
        return Produce(result, [&] {
            const long id = Required(lResId);
            const short kind = ToInteger(static_cast<std::int32_t>(Required(lRestype)));
            PICTDESC picture{};
            picture.cbSizeofstruct = sizeof picture;
            UINT imageType = 0;
            switch (kind) {
            case 0: picture.picType = PICTYPE_BITMAP; imageType = IMAGE_BITMAP; break;
            case 1: picture.picType = PICTYPE_ICON; imageType = IMAGE_ICON; break;
            case 2: picture.picType = PICTYPE_ICON; imageType = IMAGE_CURSOR; break;
            default: Raise(errInvalidCall);
            }
            if (!IsResourceNumber(id)) RaiseResourceNotFound(id);
            HANDLE image = loadImage(module::Handle(), MAKEINTRESOURCEA(id), imageType, 0, 0, LR_DEFAULTCOLOR);
            if (!image) RaiseResourceNotFound(id);
            if (picture.picType == PICTYPE_BITMAP) picture.bmp.hbitmap = static_cast<HBITMAP>(image);
            else picture.icon.hicon = static_cast<HICON>(image);
            // The picture object owns the image from here on.
            ComPtr<IPictureDisp> created;
            const HRESULT hr = OleCreatePictureIndirect(&picture, __uuidof(IPictureDisp), TRUE, created.PutVoid());
            if (FAILED(hr)) {
                switch (imageType) {
                case IMAGE_BITMAP: deleteObject(image); break;
                case IMAGE_ICON: destroyIcon(static_cast<HICON>(image)); break;
                default: destroyCursor(static_cast<HCURSOR>(image));
                }
                Check(hr);
            }
            return created;
        });
    }

    STDMETHODIMP get_GetProResData(long* lResId, VARIANT* vRestype, VARIANT* result) override {
        return Produce(result, [&] {
            const long id = Required(lResId);
            if (!vRestype) Raise(errInvalidCall);
            const ResourceType type(*vRestype, id);
            if (!IsResourceNumber(id)) RaiseResourceNotFound(id);
            const auto bytes = FindComponentResource(type.Get(), MAKEINTRESOURCEA(id));
            if (!bytes) RaiseResourceNotFound(id);
            return ByteArray(*bytes);
        });
    }

    STDMETHODIMP About(long* result) override {
        return Produce(result, [&] {
            AppAboutKvrl(ApplicationProperties().Get());
            return 0L;
        });
    }

    STDMETHODIMP get_BuddyObjectGlobal(IDispatch** result) override {
        return Produce(result, [&] { return CurrentThreadState().buddyObject; });
    }
    STDMETHODIMP putref_BuddyObjectGlobal(IDispatch* value) override {
        return Member([&] { CurrentThreadState().buddyObject = ComPtr<IDispatch>(value); });
    }

    STDMETHODIMP get_OSVERSIONINFO(_clsKvOrviOsVersionInfoA** result) override {
        return Produce(result, [&] { return CreateComponent<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA)); });
    }
    STDMETHODIMP get_IEVersionInfo(_clsKvOrviIEVersionInfoA** result) override {
        return Produce(result, [&] { return CreateComponent<_clsKvOrviIEVersionInfoA>(__uuidof(clsKvOrviIEVersionInfoA)); });
    }

private:
    template <class T>
    static long Required(const T* argument) {
        if (!argument) Raise(errInvalidCall);
        return static_cast<long>(*argument);
    }
};

class clsKvOrviGeneralA final : public ComObject<clsKvOrviGeneralA, _clsKvOrviGeneralA> {};

class clsKvOrviAdvancedA final : public ComObject<clsKvOrviAdvancedA, _clsKvOrviAdvancedA> {};

static const ClassRegistration<clsKvOrviInformationA> informationRegistration;
static const ClassRegistration<clsKvOrviGeneralA> generalRegistration;
static const ClassRegistration<clsKvOrviAdvancedA> advancedRegistration;
