// Build tool (runs on the build machine): widl cannot give a by-reference
// parameter a text default, so the type library pass declares such a
// parameter by value and [in, out] (see ORVI_REF in orvilib10.idl). This
// tool rewrites every [out] parameter of by-value BSTR or VARIANT type in the
// compiled type library into a pointer to that type, in place.
//
//     text_reference_defaults library.tlb
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A base type written inline in a parameter record.
constexpr std::uint32_t Inline(std::uint32_t vt) { return 0x80000000u | (vt << 16) | vt; }
constexpr std::uint32_t kRewritten[] = {Inline(8) /* VT_BSTR */, Inline(12) /* VT_VARIANT */};
constexpr std::uint32_t kVtPtr = 26;
constexpr std::uint32_t kParamOut = 2;
constexpr int kTypeDescSegment = 9;

class Image {
public:
    explicit Image(std::vector<char> bytes) : bytes(std::move(bytes)) {}
    std::int32_t Int(std::size_t at) const { return static_cast<std::int32_t>(Word(at)); }
    std::uint32_t Word(std::size_t at) const {
        Need(at, 4);
        std::uint32_t value;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    }
    std::int16_t Short(std::size_t at) const {
        Need(at, 2);
        std::int16_t value;
        std::memcpy(&value, bytes.data() + at, 2);
        return value;
    }
    void SetWord(std::size_t at, std::uint32_t value) {
        Need(at, 4);
        std::memcpy(bytes.data() + at, &value, 4);
    }
    void SetShort(std::size_t at, std::int16_t value) {
        Need(at, 2);
        std::memcpy(bytes.data() + at, &value, 2);
    }
    const std::vector<char>& Bytes() const { return bytes; }

private:
    void Need(std::size_t at, std::size_t size) const {
        if (at > bytes.size() || bytes.size() - at < size) throw std::runtime_error("type library truncated");
    }
    std::vector<char> bytes;
};

int Rewrite(Image& image) {
    if (image.Word(0) != 0x5446534Du) throw std::runtime_error("not an MSFT type library");
    const std::uint32_t varflags = image.Word(20);
    const std::int32_t typeInfoCount = image.Int(32);
    const std::size_t offsets = 84 + ((varflags & 0x100) ? 4 : 0);
    const std::size_t segments = offsets + 4 * static_cast<std::size_t>(typeInfoCount);
    auto segmentOffset = [&](int index) { return image.Int(segments + 16 * index); };
    auto segmentLength = [&](int index) { return image.Int(segments + 16 * index + 4); };

    // The type description "pointer to T" the library already holds.
    auto pointerTo = [&](std::uint32_t base) {
        for (std::int32_t at = 0; at + 8 <= segmentLength(kTypeDescSegment); at += 8) {
            const std::size_t entry = static_cast<std::size_t>(segmentOffset(kTypeDescSegment) + at);
            if ((image.Word(entry) & 0xFFFF) == kVtPtr && image.Word(entry + 4) == base) return at;
        }
        throw std::runtime_error("the library holds no pointer type to refer to");
    };

    int rewritten = 0;
    for (std::int32_t t = 0; t < typeInfoCount; ++t) {
        const std::size_t info = static_cast<std::size_t>(segmentOffset(0) + image.Int(offsets + 4 * t));
        const std::int32_t memberData = image.Int(info + 4);
        const int functions = image.Int(info + 24) & 0xFFFF;
        if (functions == 0 || memberData < 0) continue;
        std::size_t record = static_cast<std::size_t>(memberData) + 4;
        for (int f = 0; f < functions; ++f) {
            const std::size_t size = image.Word(record) & 0xFFFF;
            const int arguments = image.Short(record + 20);
            if (size < 24 + 12u * arguments) throw std::runtime_error("malformed function record");
            for (int a = 0; a < arguments; ++a) {
                const std::size_t parameter = record + size - 12u * (arguments - a);
                const std::uint32_t type = image.Word(parameter);
                if (std::find(std::begin(kRewritten), std::end(kRewritten), type) == std::end(kRewritten) ||
                    !(image.Word(parameter + 8) & kParamOut))
                    continue;
                image.SetWord(parameter, static_cast<std::uint32_t>(pointerTo(type)));
                // The unpacked description grows by the pointer's TYPEDESC.
                image.SetShort(record + 14, static_cast<std::int16_t>(image.Short(record + 14) + 8));
                ++rewritten;
            }
            record += size;
        }
    }
    return rewritten;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s library.tlb\n", argv[0]);
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw std::runtime_error("cannot read the type library");
        Image image(std::vector<char>(std::istreambuf_iterator<char>(in), {}));
        in.close();
        const int rewritten = Rewrite(image);
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out.write(image.Bytes().data(), static_cast<std::streamsize>(image.Bytes().size()));
        if (!out) throw std::runtime_error("cannot write the type library");
        std::printf("%d by-reference parameters with text defaults\n", rewritten);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
}
