#include "medium/pe_file.h"

#include "medium/error.h"

namespace medium {

namespace {

constexpr std::uint16_t kMachineX86 = 0x14C;
constexpr std::uint16_t kMachineX64 = 0x8664;
constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kCertificateDirectory = 4;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr std::size_t kVersionKeyChars = 16;  // "VS_VERSION_INFO" and its terminator

// Little-endian fields at checked offsets.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> image) : image_(image) {}

  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(image_[at] | image_[at + 1] << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return std::uint32_t{U16(at)} | std::uint32_t{U16(at + 2)} << 16;
  }
  void Need(std::size_t at, std::size_t size) const {
    if (at > image_.size() || size > image_.size() - at)
      throw MediumError("the file ends inside its headers or resources (damaged)");
  }

 private:
  std::span<const std::uint8_t> image_;
};

struct Section {
  std::uint32_t address, virtualSize, rawSize, rawOffset;
};

class Program {
 public:
  explicit Program(std::span<const std::uint8_t> image) : bytes_(image) {
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z')
      throw MediumError("not a Windows program (no MZ header)");
    pe_ = bytes_.U32(0x3C);
    if (bytes_.U32(pe_) != 0x00004550u) throw MediumError("not a Windows program (no PE header)");
    machine_ = bytes_.U16(pe_ + 4);
    optional_ = pe_ + 24;
    std::uint16_t magic = bytes_.U16(optional_);
    if (magic != kPe32 && magic != kPe32Plus) throw MediumError("unknown PE optional header");
    std::size_t directories = magic == kPe32 ? 92 : 108;
    directoryCount_ = bytes_.U32(optional_ + directories);
    directories_ = optional_ + directories + 4;
    sectionTable_ = optional_ + bytes_.U16(pe_ + 20);
    sectionCount_ = bytes_.U16(pe_ + 6);
  }

  std::uint16_t Machine() const { return machine_; }

  // The directory's RVA (or, for the certificate table, file offset) and size; 0, 0 if absent.
  std::pair<std::uint32_t, std::uint32_t> Directory(std::uint32_t index) const {
    if (index >= directoryCount_) return {0, 0};
    return {bytes_.U32(directories_ + 8 * index), bytes_.U32(directories_ + 8 * index + 4)};
  }

  // The file offset of size bytes at a relative virtual address.
  std::size_t Offset(std::uint32_t rva, std::size_t size) const {
    for (std::uint16_t i = 0; i < sectionCount_; ++i) {
      Section s = ReadSection(i);
      if (rva < s.address || rva - s.address >= s.rawSize) continue;
      if (size > s.rawSize - (rva - s.address)) break;
      std::size_t offset = std::size_t{s.rawOffset} + (rva - s.address);
      bytes_.Need(offset, size);
      return offset;
    }
    throw MediumError("a resource lies outside the file's sections (damaged)");
  }

  const Bytes& Data() const { return bytes_; }

 private:
  Section ReadSection(std::uint16_t i) const {
    std::size_t at = sectionTable_ + 40 * std::size_t{i};
    return {bytes_.U32(at + 12), bytes_.U32(at + 8), bytes_.U32(at + 16), bytes_.U32(at + 20)};
  }

  Bytes bytes_;
  std::size_t pe_ = 0, optional_ = 0, directories_ = 0, sectionTable_ = 0;
  std::uint32_t directoryCount_ = 0;
  std::uint16_t machine_ = 0, sectionCount_ = 0;
};

// The resource tree: type, name, language. Entry offsets are relative to the tree's start.
class Resources {
 public:
  Resources(const Program& program, std::uint32_t rva, std::uint32_t size)
      : program_(program), rva_(rva), size_(size) {}

  // The data (RVA and size) of the first name and language of a resource type, if any.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> FirstOfType(std::uint32_t type) const {
    auto byType = Find(0, [type](std::uint32_t id) { return id == type; });
    if (!byType || !(*byType & kSubdirectory)) return std::nullopt;
    auto byName = Find(*byType & ~kSubdirectory, [](std::uint32_t) { return true; });
    if (!byName || !(*byName & kSubdirectory)) return std::nullopt;
    auto byLanguage = Find(*byName & ~kSubdirectory, [](std::uint32_t) { return true; });
    if (!byLanguage || (*byLanguage & kSubdirectory)) return std::nullopt;
    std::size_t entry = At(*byLanguage, 16);
    return std::pair{program_.Data().U32(entry), program_.Data().U32(entry + 4)};
  }

 private:
  template <typename Wanted>
  std::optional<std::uint32_t> Find(std::uint32_t directory, Wanted wanted) const {
    const Bytes& bytes = program_.Data();
    std::size_t at = At(directory, 16);
    std::size_t count = std::size_t{bytes.U16(at + 12)} + bytes.U16(at + 14);
    At(std::uint64_t{directory} + 16, 8 * count);
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t entry = at + 16 + 8 * i;
      if (wanted(bytes.U32(entry))) return bytes.U32(entry + 4);
    }
    return std::nullopt;
  }

  std::size_t At(std::uint64_t offset, std::size_t size) const {
    if (offset > size_ || size > size_ - offset)
      throw MediumError("the resource directory points outside itself (damaged)");
    return program_.Offset(static_cast<std::uint32_t>(rva_ + offset), size);
  }

  const Program& program_;
  std::uint32_t rva_, size_;
};

// VS_VERSIONINFO: length, value length, type, the UTF-16 key, padding to 32 bits, then the
// fixed file information.
std::array<std::uint16_t, 4> FixedVersion(const Program& program, std::uint32_t rva,
                                          std::uint32_t size) {
  constexpr std::size_t kFixed = 6 + 2 * kVersionKeyChars + 2;
  if (size < kFixed + 16) throw MediumError("the version resource is too short (damaged)");
  std::size_t at = program.Offset(rva, kFixed + 16);
  const Bytes& bytes = program.Data();
  const char key[] = "VS_VERSION_INFO";
  for (std::size_t i = 0; i < kVersionKeyChars; ++i)
    if (bytes.U16(at + 6 + 2 * i) != static_cast<unsigned char>(key[i]))
      throw MediumError("the version resource has no VS_VERSION_INFO (damaged)");
  if (bytes.U32(at + kFixed) != kFixedInfoSignature)
    throw MediumError("the version resource has no fixed file information (damaged)");
  std::uint32_t high = bytes.U32(at + kFixed + 8), low = bytes.U32(at + kFixed + 12);
  return {static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
          static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
}

std::string ProcessorName(std::uint16_t machine) {
  if (machine == kMachineX86) return "x86";
  if (machine == kMachineX64) return "x64";
  const char digits[] = "0123456789abcdef";
  std::string hex = "machine 0x";
  for (int shift = 12; shift >= 0; shift -= 4) hex += digits[machine >> shift & 0xF];
  return hex;
}

}  // namespace

ProgramFacts ReadProgramFacts(std::span<const std::uint8_t> image) {
  Program program(image);
  ProgramFacts facts;
  facts.processor = ProcessorName(program.Machine());
  facts.signature = program.Directory(kCertificateDirectory).second != 0;
  auto [rva, size] = program.Directory(kResourceDirectory);
  if (size != 0) {
    if (auto version = Resources(program, rva, size).FirstOfType(kRtVersion))
      facts.version = FixedVersion(program, version->first, version->second);
  }
  return facts;
}

std::string VersionText(const std::array<std::uint16_t, 4>& version) {
  std::string text = std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
                     std::to_string(version[2]);
  if (version[3] != 0) text += "." + std::to_string(version[3]);
  return text;
}

}  // namespace medium
