// The plug-in file as the debugger and a user's system see it before any code
// of it runs: export directory, exported names, imports, version block and the
// panel's dialog template, all read from the file's bytes.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/wine/support/dialog_template.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

std::vector<uint8_t> read_file_bytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}

// A PE image read from its file: RVAs are turned into file offsets through the
// section table, and every read is bounded by the file.
class PeFile {
public:
    explicit PeFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes))
    {
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        if (size_t(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes_.size()) return;
        nt_ = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + dos->e_lfanew);
        if (nt_->Signature != IMAGE_NT_SIGNATURE) { nt_ = nullptr; return; }
        sections_ = IMAGE_FIRST_SECTION(nt_);
    }

    bool valid() const { return nt_ != nullptr; }
    const IMAGE_NT_HEADERS32& headers() const { return *nt_; }

    const IMAGE_DATA_DIRECTORY& directory(int index) const
    {
        return nt_->OptionalHeader.DataDirectory[index];
    }

    // Pointer to count bytes at rva, or null when they do not lie in one section.
    const uint8_t* at(uint32_t rva, size_t count = 1) const
    {
        for (unsigned i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections_[i];
            const uint32_t extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva < section.VirtualAddress || rva - section.VirtualAddress >= extent) continue;
            const size_t offset = section.PointerToRawData + (rva - section.VirtualAddress);
            if (rva - section.VirtualAddress + count > section.SizeOfRawData) return nullptr;
            if (offset + count > bytes_.size()) return nullptr;
            return bytes_.data() + offset;
        }
        return nullptr;
    }

    template <typename T> const T* object(uint32_t rva) const
    {
        return reinterpret_cast<const T*>(at(rva, sizeof(T)));
    }

    uint32_t u32(uint32_t rva) const
    {
        const uint8_t* p = at(rva, 4);
        return p ? uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24) : 0xFFFFFFFF;
    }

    // A zero-terminated string at rva; "<bad>" when it runs off its section.
    std::string text(uint32_t rva) const
    {
        std::string result;
        for (;; ++rva) {
            const uint8_t* p = at(rva);
            if (!p) return "<bad>";
            if (!*p) return result;
            result += char(*p);
        }
    }

private:
    std::vector<uint8_t> bytes_;
    const IMAGE_NT_HEADERS32* nt_ = nullptr;
    const IMAGE_SECTION_HEADER* sections_ = nullptr;
};

struct ImportedDll {
    std::string name;
    std::vector<uint32_t> ordinals;    // imports by ordinal
    std::vector<std::string> names;    // imports by name
};

class ContractTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        path_ = new std::string(default_plugin_path());
        pe_ = new PeFile(read_file_bytes(*path_));
    }
    static void TearDownTestSuite()
    {
        delete pe_;
        delete path_;
    }
    void SetUp() override { ASSERT_TRUE(pe_->valid()) << "not a PE file: " << *path_; }

    static std::vector<ImportedDll> imports()
    {
        std::vector<ImportedDll> dlls;
        const IMAGE_DATA_DIRECTORY& dir = pe_->directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (uint32_t rva = dir.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* descriptor = pe_->object<IMAGE_IMPORT_DESCRIPTOR>(rva);
            if (!descriptor) {
                ADD_FAILURE() << "import directory runs off its section";
                break;
            }
            if (!descriptor->Name) break;
            ImportedDll dll;
            dll.name = pe_->text(descriptor->Name);
            uint32_t thunk = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                             : descriptor->FirstThunk;
            for (uint32_t entry; (entry = pe_->u32(thunk)) != 0; thunk += 4) {
                if (entry == 0xFFFFFFFF && !pe_->at(thunk, 4)) break;
                if (entry & IMAGE_ORDINAL_FLAG32) {
                    dll.ordinals.push_back(entry & 0xFFFF);
                } else {
                    dll.names.push_back(pe_->text(entry + 2));
                }
            }
            dlls.push_back(dll);
        }
        return dlls;
    }

    static std::string* path_;
    static PeFile* pe_;
};

std::string* ContractTest::path_ = nullptr;
PeFile* ContractTest::pe_ = nullptr;

TEST_F(ContractTest, IsA32BitDllWithinTheSizeBudget)
{
    EXPECT_EQ(pe_->headers().FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(pe_->headers().FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_LT(read_file_bytes(*path_).size(), 36u * 1024u);
}

TEST_F(ContractTest, ExportDirectoryCarriesTheModuleNameAndExactlyTheTenCallbacks)
{
    const IMAGE_DATA_DIRECTORY& dir = pe_->directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports = pe_->object<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(pe_->text(exports->Name), "!Korvantis.dll");

    std::set<std::string> names;
    for (uint32_t i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(pe_->text(pe_->u32(exports->AddressOfNames + 4 * i)));
    }
    const std::set<std::string> expected = {
        "_ODBG_Plugindata",    "_ODBG_Plugininit",    "_ODBG_Pluginreset",   "_ODBG_Pluginclose",
        "_ODBG_Plugindestroy", "_ODBG_Pluginmenu",    "_ODBG_Pluginaction",  "_ODBG_Pluginshortcut",
        "_ODBG_Pluginsaveudd", "_ODBG_Pluginuddrecord"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(exports->NumberOfFunctions, expected.size()) << "exports without names";
}

TEST_F(ContractTest, ImportsTheElevenHostOperationsByOrdinalAndOnlySystemDllsBesides)
{
    std::set<std::string> dll_names;
    for (const ImportedDll& dll : imports()) {
        dll_names.insert(dll.name);
        if (dll.name != "OLLYDBG.EXE") continue;
        EXPECT_TRUE(dll.names.empty()) << "host operation imported by name: " << dll.names[0];
        std::vector<uint32_t> ordinals = dll.ordinals;
        std::sort(ordinals.begin(), ordinals.end());
        EXPECT_EQ(ordinals, (std::vector<uint32_t>{2, 45, 46, 54, 79, 88, 89, 91, 92, 102, 107}));
    }
    EXPECT_EQ(dll_names,
              (std::set<std::string>{"OLLYDBG.EXE", "KERNEL32.dll", "USER32.dll", "msvcrt.dll", "COMCTL32.DLL"}));
}

TEST_F(ContractTest, VersionBlockNamesTheProductAndVersionInOneEnglishUsTable)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_->c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_->c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010006u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010006u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u) << "one language and code page";
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const char* key;
        const char* value;
    } strings[] = {
        {"FileDescription", "Set ultimate number of ollydbg bookmarks"},
        {"FileVersion", "1, 6, 0, 0"},
        {"InternalName", "Korvantis"},
        {"OriginalFilename", "Korvantis.dll"},
        {"ProductName", "Korvantis"},
        {"ProductVersion", "1, 6, 0, 0"},
    };
    for (const auto& row : strings) {
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + row.key;
        char* value = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                   &length))
            << row.key;
        EXPECT_STREQ(value, row.value) << row.key;
    }
}

TEST_F(ContractTest, PanelTemplateIsTheSmallHiddenToolWindowWithThreeButtons)
{
    HMODULE module = LoadLibraryExA(path_->c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    DialogTemplate dialog;
    std::string error;
    const bool loaded =
        load_dialog_template(module, IDD_PANEL, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &dialog, &error);
    FreeLibrary(module);
    ASSERT_TRUE(loaded) << error;

    expect_plain_shell_font_header(dialog);
    EXPECT_EQ(dialog.ex_style, DWORD(WS_EX_TOOLWINDOW));
    EXPECT_EQ(dialog.style,
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(dialog.cx, 61);
    EXPECT_EQ(dialog.cy, 11);
    EXPECT_TRUE(dialog.title.empty());

    const struct {
        uint32_t id;
        const char* text;
        int16_t x;
    } buttons[] = {{IDC_PANEL_PREVIOUS, "<", 0}, {IDC_PANEL_NEXT, ">", 20}, {IDC_PANEL_TOGGLE, "#", 41}};
    ASSERT_EQ(dialog.items.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const DialogTemplateItem& item = dialog.items[i];
        SCOPED_TRACE(buttons[i].text);
        EXPECT_EQ(item.id, buttons[i].id);
        EXPECT_TRUE(item.window_class.is_ordinal(0x0080)) << describe(item.window_class);
        EXPECT_EQ(item.text.narrow(), buttons[i].text);
        EXPECT_EQ(item.text.kind, TemplateName::STRING);
        EXPECT_EQ(item.x, buttons[i].x);
        EXPECT_EQ(item.y, 0);
        EXPECT_EQ(item.cx, 19);
        EXPECT_EQ(item.cy, 11);
        EXPECT_EQ(item.style, DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON));
        EXPECT_EQ(item.ex_style, 0u);
        EXPECT_EQ(item.help_id, 0u);
        EXPECT_EQ(item.extra_count, 0);
    }
}

}  // namespace
