// The built Pindle.exe as Windows sees it: its version record read back through the version
// API, its icons and manifest through the resource API, and the DLLs it imports.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/resources/resource_ids.h"
#include "win32_test_files.h"

namespace pindle::testing {
namespace {

using ::testing::HasSubstr;

// Owns a module loaded as a data file, for its resources only.
class ResourceModule {
 public:
  explicit ResourceModule(const std::wstring& file)
      : module_(::LoadLibraryExW(file.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ResourceModule() {
    if (module_) ::FreeLibrary(module_);
  }
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;

  HMODULE get() const { return module_; }

  // The bytes of one resource; empty when there is no such resource.
  std::vector<std::uint8_t> Bytes(const wchar_t* type, WORD id) const {
    HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module_, found);
    const auto* data = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data) return {};
    return {data, data + ::SizeofResource(module_, found)};
  }

 private:
  HMODULE module_;
};

// Owns an icon handle.
class IconHandle {
 public:
  explicit IconHandle(HANDLE icon) : icon_(static_cast<HICON>(icon)) {}
  ~IconHandle() {
    if (icon_) ::DestroyIcon(icon_);
  }
  IconHandle(const IconHandle&) = delete;
  IconHandle& operator=(const IconHandle&) = delete;

  HICON get() const { return icon_; }

 private:
  HICON icon_;
};

template <class T>
T Read(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

// One image of an icon group as the resource describes it.
struct IconImage {
  int width;
  int height;
  int colours;
  int bitsPerPixel;
  WORD id;  // its RT_ICON resource
};

// The images of an RT_GROUP_ICON resource: a 6-byte header, then 14 bytes per image.
std::vector<IconImage> IconGroup(const std::vector<std::uint8_t>& group) {
  std::vector<IconImage> images;
  const WORD count = Read<WORD>(group, 4);
  for (WORD i = 0; i < count; ++i) {
    const std::size_t at = 6 + 14 * std::size_t{i};
    if (at + 14 > group.size()) break;
    images.push_back({group[at] == 0 ? 256 : group[at], group[at + 1] == 0 ? 256 : group[at + 1],
                      group[at + 2], Read<WORD>(group, at + 6), Read<WORD>(group, at + 12)});
  }
  return images;
}

class PindleExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TestFiles().pindleExe.has_value()) << "give --pindle-exe=<path of Pindle.exe>";
    exe = *TestFiles().pindleExe;
    ASSERT_NE(::GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "no file " << exe;
  }

  // The whole version record, as GetFileVersionInfoW returns it.
  std::vector<std::uint8_t> VersionRecord() const {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<std::uint8_t> record(size);
    if (!::GetFileVersionInfoW(exe.c_str(), 0, size, record.data())) return {};
    return record;
  }

  std::wstring exe;
};

std::optional<std::wstring> StringValue(const std::vector<std::uint8_t>& record,
                                        const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = L"\\StringFileInfo\\041104B0\\" + name;
  if (!::VerQueryValueW(record.data(), path.c_str(), &value, &length) || !value) {
    return std::nullopt;
  }
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST_F(PindleExeTest, VersionRecordHasJapaneseUnicodeStringsOnly) {
  const std::vector<std::uint8_t> record = VersionRecord();
  ASSERT_FALSE(record.empty()) << "no version record, error " << ::GetLastError();
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u) << "exactly one language and code page pair";
  const auto* pair = static_cast<const WORD*>(value);
  EXPECT_EQ(pair[0], 0x0411) << "Japanese";
  EXPECT_EQ(pair[1], 1200) << "Unicode";
}

TEST_F(PindleExeTest, VersionRecordNamesTheProductAndItsVersion) {
  const std::vector<std::uint8_t> record = VersionRecord();
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(StringValue(record, L"ProductName"), L"Pindle");
  EXPECT_EQ(StringValue(record, L"InternalName"), L"Pindle");
  EXPECT_EQ(StringValue(record, L"OriginalFilename"), L"Pindle.exe");
  EXPECT_EQ(StringValue(record, L"FileVersion"), L"0.01.0001");
  EXPECT_EQ(StringValue(record, L"ProductVersion"), L"0.01.0001");
  EXPECT_EQ(StringValue(record, L"NoSuchValue"), std::nullopt);
}

TEST_F(PindleExeTest, FixedVersionNumbersAgreeWithTheStrings) {
  const std::vector<std::uint8_t> record = VersionRecord();
  ASSERT_FALSE(record.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", &value, &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
  // 0,1,0,1: each double word holds two of the four numbers, the first one high.
  EXPECT_EQ(info->dwFileVersionMS, 0x00000001u);
  EXPECT_EQ(info->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(info->dwProductVersionMS, 0x00000001u);
  EXPECT_EQ(info->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(info->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
}

TEST_F(PindleExeTest, ProductIconHas16And32PixelImagesIn16Colours) {
  const ResourceModule module(exe);
  ASSERT_NE(module.get(), nullptr) << "error " << ::GetLastError();
  const std::vector<IconImage> images = IconGroup(module.Bytes(RT_GROUP_ICON, IDI_PRODUCT));
  ASSERT_EQ(images.size(), 2u);
  std::vector<int> sizes;
  for (const IconImage& image : images) {
    sizes.push_back(image.width);
    EXPECT_EQ(image.height, image.width);
    EXPECT_EQ(image.colours, 16);
    EXPECT_EQ(image.bitsPerPixel, 4);
    // The image itself is a 4-bit DIB of that size (twice the height: colours and mask).
    const std::vector<std::uint8_t> dib = module.Bytes(RT_ICON, image.id);
    ASSERT_GE(dib.size(), 40u);
    EXPECT_EQ(Read<LONG>(dib, 4), image.width);
    EXPECT_EQ(Read<LONG>(dib, 8), 2 * image.width);
    EXPECT_EQ(Read<WORD>(dib, 14), 4);
  }
  EXPECT_THAT(sizes, ::testing::UnorderedElementsAre(16, 32));
  for (int size : {16, 32}) {
    const IconHandle icon(
        ::LoadImageW(module.get(), MAKEINTRESOURCEW(IDI_PRODUCT), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon.get(), nullptr) << size << "x" << size;
  }
}

TEST_F(PindleExeTest, EditorIconIsOne16PixelImageIn16Colours) {
  const ResourceModule module(exe);
  ASSERT_NE(module.get(), nullptr);
  const std::vector<IconImage> images = IconGroup(module.Bytes(RT_GROUP_ICON, IDI_DIALOG));
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].width, 16);
  EXPECT_EQ(images[0].height, 16);
  EXPECT_EQ(images[0].colours, 16);
  EXPECT_EQ(images[0].bitsPerPixel, 4);
}

TEST_F(PindleExeTest, ManifestAsksForCommonControls6AndPerMonitorDpi) {
  const ResourceModule module(exe);
  ASSERT_NE(module.get(), nullptr);
  const std::vector<std::uint8_t> bytes = module.Bytes(RT_MANIFEST, 1);
  ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST resource 1";
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_THAT(manifest,
              HasSubstr("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  EXPECT_THAT(manifest, HasSubstr("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                                  "WindowsSettings\">PerMonitorV2</dpiAwareness>"));
  EXPECT_THAT(manifest, HasSubstr(">true/pm</dpiAware>"));
  EXPECT_THAT(manifest, HasSubstr("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));
}

// What a PE file says about loading: the DLLs it imports and delay-loads, its DLL
// characteristics and, when it has a load configuration, the flags for its imports' own DLLs.
struct PeTables {
  std::vector<std::string> imports, delayLoads;
  WORD characteristics = 0;
  std::optional<WORD> dependentLoadFlags;
};

PeTables ReadPeTables(const std::vector<std::uint8_t>& file) {
  PeTables pe;
  const auto dos = Read<IMAGE_DOS_HEADER>(file, 0);
  const auto nt = static_cast<std::size_t>(dos.e_lfanew);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || Read<DWORD>(file, nt) != IMAGE_NT_SIGNATURE) return pe;
  const auto header = Read<IMAGE_FILE_HEADER>(file, nt + 4);
  const std::size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
  if (Read<WORD>(file, optional) != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return pe;
  pe.characteristics =
      Read<WORD>(file, optional + offsetof(IMAGE_OPTIONAL_HEADER64, DllCharacteristics));
  const std::size_t sections = optional + header.SizeOfOptionalHeader;
  // Relative virtual addresses become file offsets through the section that holds them.
  auto fileOffset = [&](DWORD rva) -> std::optional<std::size_t> {
    for (WORD i = 0; i < header.NumberOfSections; ++i) {
      const auto s = Read<IMAGE_SECTION_HEADER>(file, sections + i * sizeof(IMAGE_SECTION_HEADER));
      if (rva >= s.VirtualAddress &&
          rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
        return std::size_t{s.PointerToRawData} + (rva - s.VirtualAddress);
      }
    }
    return std::nullopt;
  };
  auto nameAt = [&](DWORD rva) {
    std::string name;
    for (std::size_t i = fileOffset(rva).value_or(file.size()); i < file.size() && file[i] != 0;
         ++i) {
      name.push_back(static_cast<char>(file[i]));
    }
    return name;
  };
  auto directory = [&](int entry) {
    return Read<IMAGE_DATA_DIRECTORY>(
        file, optional + offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) +
                  static_cast<std::size_t>(entry) * sizeof(IMAGE_DATA_DIRECTORY));
  };
  // Import descriptors (20 bytes, name at 12) and delay-load descriptors (32 bytes, name at 4).
  for (auto [entry, size, nameField, names] :
       {std::tuple{IMAGE_DIRECTORY_ENTRY_IMPORT, 20u, 12u, &pe.imports},
        std::tuple{IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32u, 4u, &pe.delayLoads}}) {
    const auto start = fileOffset(directory(entry).VirtualAddress);
    for (std::size_t at = start.value_or(file.size()); at + size <= file.size(); at += size) {
      const DWORD nameRva = Read<DWORD>(file, at + nameField);
      if (nameRva == 0) break;
      names->push_back(nameAt(nameRva));
    }
  }
  // GNU ld leaves the delay-load directory empty: dlltool's descriptors are found by their shape
  // (attributes 1, a DLL's name, a module handle, an address table and a name table).
  const bool scan = pe.delayLoads.empty();
  const std::regex dllName(R"([\w-]+\.(dll|drv))", std::regex::icase);
  for (std::size_t at = 0; scan && at + 32 <= file.size(); at += 4) {
    const auto d = Read<std::array<DWORD, 8>>(file, at);
    if (d[0] != 1 || !d[2] || !d[3] || !d[4]) continue;
    if (const std::string name = nameAt(d[1]); std::regex_match(name, dllName)) {
      pe.delayLoads.push_back(name);
    }
  }
  const auto config = fileOffset(directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG).VirtualAddress);
  constexpr std::size_t kDependentLoadFlags = offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, Reserved1);
  if (config && Read<DWORD>(file, *config) >= kDependentLoadFlags + 2) {
    pe.dependentLoadFlags = Read<WORD>(file, *config + kDependentLoadFlags);
  }
  return pe;
}

std::vector<std::uint8_t> FileBytes(const std::wstring& name) {
  std::ifstream in(std::filesystem::path(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(PindleExeTest, ImportsOnlyDllsOfTheSystem) {
  const PeTables pe = ReadPeTables(FileBytes(exe));
  ASSERT_THAT(pe.imports, ::testing::Contains(::testing::StrCaseEq("kernel32.dll")));
  wchar_t system[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  for (const auto* list : {&pe.imports, &pe.delayLoads}) {
    for (const std::string& dll : *list) {
      EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(system) / dll))
          << dll << " is not a system DLL";
      EXPECT_THAT(dll, ::testing::Not(::testing::StartsWith("lib"))) << "a MinGW runtime DLL";
    }
  }
}

// Windows takes the DLLs of its known set (KnownDLLs) and the C runtime from the system folder
// whatever lies beside the program; any other DLL is delay-loaded once the search is restricted.
TEST_F(PindleExeTest, ImportsStaticallyOnlyKnownDllsAndDelayLoadsTheSpooler) {
  const PeTables pe = ReadPeTables(FileBytes(exe));
  const std::set<std::string> known = {
      "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "kernel32.dll", "msvcrt.dll", "ole32.dll",
      "oleaut32.dll", "shell32.dll",  "shlwapi.dll", "user32.dll",   "imm32.dll",  "ws2_32.dll"};
  for (std::string dll : pe.imports) {
    std::transform(dll.begin(), dll.end(), dll.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(known.contains(dll)) << dll << " is imported statically but is not a known DLL";
  }
  EXPECT_THAT(pe.delayLoads, ::testing::Contains(::testing::StrCaseEq("winspool.drv")));
}

TEST_F(PindleExeTest, KeepsHighEntropyAslrAndDepAndLoadsDependenciesFromTheSystemFolder) {
  const PeTables pe = ReadPeTables(FileBytes(exe));
  for (const int flag :
       {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA,
        IMAGE_DLLCHARACTERISTICS_NX_COMPAT}) {
    EXPECT_EQ(pe.characteristics & flag, flag) << "DLL characteristic " << flag;
  }
  ASSERT_TRUE(pe.dependentLoadFlags.has_value()) << "no load configuration";
  EXPECT_EQ(*pe.dependentLoadFlags, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace
}  // namespace pindle::testing
