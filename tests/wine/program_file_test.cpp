// The program file itself: what the targeted Windows versions need to load it.
#include "harness.h"

#include <set>

namespace {

class ProgramFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ReadWholeFile(BuildDirectory() + "qvuninst.exe", &image_));
        ASSERT_GT(image_.size(), sizeof(IMAGE_DOS_HEADER));
        const IMAGE_DOS_HEADER* dos = At<IMAGE_DOS_HEADER>(0);
        ASSERT_EQ(IMAGE_DOS_SIGNATURE, dos->e_magic);
        ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image_.size());
        nt_ = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
    }

    template <typename T> const T* At(size_t offset) const {
        return reinterpret_cast<const T*>(image_.data() + offset);
    }

    // The file offset of a relative virtual address, through the sections.
    size_t Offset(DWORD rva) const {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->Misc.VirtualSize)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    std::string image_;
    const IMAGE_NT_HEADERS32* nt_ = nullptr;
};

TEST_F(ProgramFile, IsA32BitGuiProgramForWindows4) {
    EXPECT_EQ(IMAGE_NT_SIGNATURE, nt_->Signature);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt_->FileHeader.Machine);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, nt_->OptionalHeader.Magic);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt_->OptionalHeader.Subsystem);
    EXPECT_EQ(4, nt_->OptionalHeader.MajorSubsystemVersion);
    EXPECT_EQ(0, nt_->OptionalHeader.MinorSubsystemVersion);
}

TEST_F(ProgramFile, ImportsOnlyWindowsOwnLibraries) {
    const IMAGE_DATA_DIRECTORY& imports =
        nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t offset = Offset(imports.VirtualAddress);
    ASSERT_NE(0u, offset);
    std::set<std::string> names;
    for (const IMAGE_IMPORT_DESCRIPTOR* entry = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
         entry->Name != 0; ++entry) {
        std::string name = At<char>(Offset(entry->Name));
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        names.insert(name);
    }
    EXPECT_EQ((std::set<std::string>{"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL",
                                     "USER32.DLL"}),
              names);
}

} // namespace
