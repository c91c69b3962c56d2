#include "tests/startup/pe_image_builder.h"

namespace quillmoor::test_support {
namespace {

constexpr uint32_t kNtOffset = 0x40;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kResourceRva = 0x1000;

class Bytes {
  public:
    explicit Bytes(size_t size) : data_(size, '\0') {}
    void Put16(size_t at, uint32_t value) {
        data_[at] = static_cast<char>(value & 0xFF);
        data_[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    void Put32(size_t at, uint32_t value) {
        Put16(at, value & 0xFFFF);
        Put16(at + 2, value >> 16);
    }
    void PutText(size_t at, std::string_view text) { data_.replace(at, text.size(), text); }
    std::string& data() { return data_; }

  private:
    std::string data_;
};

// VS_VERSIONINFO with nothing but its fixed part.
std::string VersionBlock(const FileVersion& version) {
    static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    Bytes block(92);
    block.Put16(0, 92);  // length
    block.Put16(2, 52);  // value length: VS_FIXEDFILEINFO
    block.Put16(4, 0);   // binary
    for (size_t i = 0; i < sizeof(kKey) / 2; ++i) {
        block.Put16(6 + 2 * i, kKey[i]);
    }
    const uint32_t ms = uint32_t{version.major} << 16 | version.minor;
    const uint32_t ls = uint32_t{version.release} << 16 | version.build;
    block.Put32(40, 0xFEEF04BD);  // signature
    block.Put32(44, 0x00010000);  // structure version
    block.Put32(48, ms);          // file version
    block.Put32(52, ls);
    block.Put32(56, ms);  // product version
    block.Put32(60, ls);
    block.Put32(64, 0x3F);        // flags mask
    block.Put32(72, 0x00040004);  // NT, Windows32
    block.Put32(76, 2);           // a DLL
    return block.data();
}

// The resource tree: type 16 (version) / name 1 / language 0x409 / data.
std::string ResourceSection(const FileVersion& version) {
    const std::string block = VersionBlock(version);
    constexpr uint32_t kDataEntry = 0x48;
    constexpr uint32_t kData = 0x58;
    Bytes section(kData + block.size());
    const auto directory = [&section](uint32_t at, uint32_t id, uint32_t target) {
        section.Put16(at + 14, 1);  // one entry with an id
        section.Put32(at + 16, id);
        section.Put32(at + 20, target);
    };
    directory(0x00, 16, 0x80000000u | 0x18);
    directory(0x18, 1, 0x80000000u | 0x30);
    directory(0x30, 0x409, kDataEntry);
    section.Put32(kDataEntry, kResourceRva + kData);
    section.Put32(kDataEntry + 4, static_cast<uint32_t>(block.size()));
    section.PutText(kData, block);
    return section.data();
}

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

std::string BuildPeImage(const PeImageShape& shape) {
    const bool plus = shape.machine == 0x8664;
    const uint32_t optional_size = plus ? 240 : 224;
    const std::string resources = shape.version ? ResourceSection(*shape.version) : std::string();
    const uint32_t raw_size = AlignUp(static_cast<uint32_t>(resources.size()), kFileAlignment);
    const uint16_t sections = shape.version ? 1 : 0;

    Bytes image(kFileAlignment + raw_size);
    image.PutText(0, "MZ");
    image.Put32(0x3C, kNtOffset);

    image.PutText(kNtOffset, std::string_view("PE\0\0", 4));
    const size_t coff = kNtOffset + 4;
    image.Put16(coff + 0, shape.machine);
    image.Put16(coff + 2, sections);
    image.Put16(coff + 16, optional_size);
    image.Put16(coff + 18, plus ? 0x2022 : 0x2102);  // executable DLL (32-bit machine)

    const size_t optional = coff + 20;
    image.Put16(optional + 0, plus ? 0x20B : 0x10B);
    image.Put32(optional + 32, kSectionAlignment);
    image.Put32(optional + 36, kFileAlignment);
    image.Put16(optional + 40, 6);  // operating system version 6.0
    image.Put16(optional + 48, 6);  // subsystem version 6.0
    image.Put32(optional + 56, kSectionAlignment + AlignUp(raw_size, kSectionAlignment));
    image.Put32(optional + 60, kFileAlignment);  // size of headers
    image.Put16(optional + 68, 2);               // Windows GUI subsystem
    if (plus) {
        image.Put32(optional + 24, 0x80000000u);  // image base (low half)
        image.Put32(optional + 108, 16);
    } else {
        image.Put32(optional + 28, 0x10000000u);  // image base
        image.Put32(optional + 92, 16);
    }
    const size_t directories = optional + (plus ? 112 : 96);
    if (shape.version) {
        image.Put32(directories + 2 * 8, kResourceRva);
        image.Put32(directories + 2 * 8 + 4, static_cast<uint32_t>(resources.size()));

        const size_t header = optional + optional_size;
        image.PutText(header, ".rsrc");
        image.Put32(header + 8, static_cast<uint32_t>(resources.size()));  // virtual size
        image.Put32(header + 12, kResourceRva);
        image.Put32(header + 16, raw_size);
        image.Put32(header + 20, kFileAlignment);  // raw data offset
        image.Put32(header + 36, 0x40000040u);     // initialised data, readable
        image.PutText(kFileAlignment, resources);
    }
    return image.data();
}

}  // namespace quillmoor::test_support
