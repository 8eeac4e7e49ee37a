// Bookmarks in the host's project file on the real DLL: what saving hands to
// the host, what each incoming record does, damaged records read behind a
// no-access page, and a save / unload / load round trip.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <set>

#include "resources/resource.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const uint32_t TAG_OWN = 0x4C4D430A;
const uint32_t TAG_OLD = 0x236D420A;
const uint32_t TAG_BASE = 0x4C4D430B;

const char* const DAMAGED_OWN = "Korvantis: Skipped a damaged bookmark record in the UDD file";
const char* const DAMAGED_OLD = "Korvantis: Skipped a damaged bookmarks.dll record in the UDD file";

std::vector<uint8_t> le32(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

// An older plug-in's record: four bytes of its own, then the address, then padding.
std::vector<uint8_t> old_record(uint32_t address, size_t size = 8)
{
    std::vector<uint8_t> bytes = {0xAA, 0xBB, 0xCC, 0xDD};
    const auto tail = le32(address);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    bytes.resize(size, 0xEE);
    return bytes;
}

// Record bytes placed at the very end of a readable page, in front of a
// no-access page. A read past the end faults; the fault handler notes it,
// opens the page (reading zeros) and lets the plug-in go on, so one
// over-read fails its test instead of ending the whole run. The two tests that
// use it come last, in case the fault cannot be caught.
class GuardedBytes {
public:
    GuardedBytes()
    {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        page_ = system.dwPageSize;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        guard_ = base_ + page_;
        close();
        instance_ = this;
        handler_ = AddVectoredExceptionHandler(1, on_fault);
    }
    ~GuardedBytes()
    {
        RemoveVectoredExceptionHandler(handler_);
        instance_ = nullptr;
        VirtualFree(base_, 0, MEM_RELEASE);
    }

    // Copies the bytes so that they end where the guard page starts.
    const void* place(const std::vector<uint8_t>& bytes)
    {
        close();
        over_read_ = false;
        uint8_t* start = guard_ - bytes.size();
        if (!bytes.empty()) memcpy(start, bytes.data(), bytes.size());
        return start;
    }
    bool over_read() const { return over_read_; }

private:
    void close()
    {
        opened_ = false;
        DWORD old;
        VirtualProtect(guard_, page_, PAGE_NOACCESS, &old);
    }
    static LONG CALLBACK on_fault(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        GuardedBytes* self = instance_;
        if (!self || self->opened_) return EXCEPTION_CONTINUE_SEARCH;
        bool in_guard = false;
        if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
            const uint8_t* where = reinterpret_cast<const uint8_t*>(record->ExceptionInformation[1]);
            in_guard = where >= self->guard_ && where < self->guard_ + self->page_;
        } else if (record->ExceptionCode == EXCEPTION_ILLEGAL_INSTRUCTION) {
            // 32-bit Wine under qemu's emulation (machines without native 32-bit
            // support) reports a read of a no-access page this way; with the
            // page opened the read is simply retried.
            in_guard = true;
        }
        if (!in_guard) return EXCEPTION_CONTINUE_SEARCH;
        self->over_read_ = true;
        self->opened_ = true;
        DWORD old;
        VirtualProtect(self->guard_, self->page_, PAGE_READONLY, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }

    static GuardedBytes* instance_;
    DWORD page_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* guard_ = nullptr;
    void* handler_ = nullptr;
    volatile bool over_read_ = false;
    volatile bool opened_ = false;
};

GuardedBytes* GuardedBytes::instance_ = nullptr;

// Under the emulated Wine of some machines a fault is not delivered to the
// handler and the process ends or hangs: the last line printed names the record.
void announce(uint32_t tag, uint32_t size)
{
    printf("  guarded record: tag %08X, size %u\n", unsigned(tag), unsigned(size));
    fflush(stdout);
}

// The host's descriptor of the main module: its base and size lead it.
struct ModuleDescriptor {
    uint32_t base;
    uint32_t size;
    uint8_t rest[0x200];
};

std::vector<uint8_t> base_record(uint32_t base, uint32_t size)
{
    std::vector<uint8_t> bytes = le32(base);
    const auto tail = le32(size);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

class RecordsTest : public StartedPluginTest {
protected:
    int own(uint32_t address, int is_main = 1)
    {
        const auto bytes = le32(address);
        return record(TAG_OWN, 4, bytes.data(), is_main);
    }
    int old(uint32_t address, int is_main = 1)
    {
        const auto bytes = old_record(address);
        return record(TAG_OLD, 8, bytes.data(), is_main);
    }
};

TEST_F(RecordsTest, SavingStoresOneLittleEndianFourByteRecordPerBookmarkInAscendingOrder)
{
    for (uint32_t address : {0x80000001u, 0x12345678u, 0x00401000u}) toggle_at(address);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass ? "second save" : "first save");
        forget_calls();
        plugin.saveudd(nullptr, pass ? 2 : 1);  // any non-zero flag is the main module
        const auto saves = calls_of(HostOp::SaveRecord);
        ASSERT_EQ(saves.size(), 3u);
        const std::vector<uint8_t> expected[] = {{0x00, 0x10, 0x40, 0x00},
                                                 {0x78, 0x56, 0x34, 0x12},
                                                 {0x01, 0x00, 0x00, 0x80}};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(saves[i].address, TAG_OWN) << "tag";
            EXPECT_EQ(saves[i].value, 4) << "size";
            EXPECT_EQ(saves[i].data, expected[i]);
        }
        EXPECT_TRUE(log_lines().empty());
        EXPECT_TRUE(notices().empty());
    }
}

TEST_F(RecordsTest, SavingStoresNothingForOtherModulesOrWithoutBookmarks)
{
    ModuleDescriptor module = {0x400000, 0x3000, {}};
    plugin.saveudd(nullptr, 1);
    plugin.saveudd(&module, 1);
    EXPECT_TRUE(host_state.calls.empty()) << "empty list";
    toggle_at(0x401000);
    forget_calls();
    plugin.saveudd(nullptr, 0);
    plugin.saveudd(&module, 0);
    EXPECT_TRUE(host_state.calls.empty()) << "not the main module";
}

TEST_F(RecordsTest, SavingPutsTheModulesBaseAndSizeAheadOfTheAddressesWhenTheHostNamesTheModule)
{
    for (uint32_t address : {0x77E81234u, 0x00501003u, 0x00501006u}) toggle_at(address);
    ModuleDescriptor module = {0x00500000, 0x00003000, {}};
    memset(module.rest, 0xCC, sizeof module.rest);
    forget_calls();
    plugin.saveudd(&module, 1);
    const auto saves = calls_of(HostOp::SaveRecord);
    ASSERT_EQ(saves.size(), 4u);
    EXPECT_EQ(saves[0].address, TAG_BASE);
    EXPECT_EQ(saves[0].value, 8) << "size";
    EXPECT_EQ(saves[0].data, base_record(0x00500000, 0x00003000));
    const uint32_t addresses[] = {0x00501003, 0x00501006, 0x77E81234};  // absolute, DLL's too
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(saves[i + 1].address, TAG_OWN);
        EXPECT_EQ(saves[i + 1].data, le32(addresses[i]));
    }
    EXPECT_TRUE(log_lines().empty());

    // A base the host fails to store is told like a bookmark; the bookmarks still go.
    host_state.save_record_policy = [](uint32_t tag, uint32_t, const void*) { return int(tag != TAG_BASE); };
    host_state.saved_records.clear();
    forget_calls();
    plugin.saveudd(&module, 1);
    const auto logs = calls_of(HostOp::Log);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, "Korvantis: Can't save the program's base [500000] to UDD file");
    EXPECT_EQ(logs[0].address, 0u);
    EXPECT_EQ(logs[0].emphasis, 1);
    EXPECT_EQ(host_state.saved_records.size(), 3u);
}

int refuse_401000(uint32_t, uint32_t size, const void* data)
{
    uint32_t address = 0;
    if (size == 4) memcpy(&address, data, 4);
    return address != 0x401000;
}

TEST_F(RecordsTest, RecordTheHostFailsToStoreIsLoggedAndSavingGoesOn)
{
    for (uint32_t address : {0x400000u, 0x401000u, 0x402000u}) toggle_at(address);
    host_state.save_record_policy = refuse_401000;
    forget_calls();
    plugin.saveudd(nullptr, 1);
    std::vector<HostOp> ops;
    for (const HostCall& call : host_state.calls) ops.push_back(call.op);
    EXPECT_EQ(ops, (std::vector<HostOp>{HostOp::SaveRecord, HostOp::SaveRecord, HostOp::Log,
                                         HostOp::SaveRecord}));
    const auto logs = calls_of(HostOp::Log);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, "Korvantis: Can't save bookmark at address [401000] to UDD file");
    EXPECT_EQ(logs[0].address, 0u);
    EXPECT_EQ(logs[0].emphasis, 1);
    ASSERT_EQ(host_state.saved_records.size(), 2u);
    EXPECT_EQ(host_state.saved_records[1].second, le32(0x402000));
}

TEST_F(RecordsTest, OwnRecordIsTakenAndAddsTheBookmarkWithItsFeedback)
{
    EXPECT_EQ(own(0x401000), 1);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
    const auto logs = calls_of(HostOp::Log);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, "Korvantis: Bookmark added to line 401000");
    EXPECT_EQ(logs[0].address, 0x401000u);
    EXPECT_EQ(logs[0].emphasis, -1);
    EXPECT_EQ(panel_title(), "Korvan... (01)");
    EXPECT_EQ(saved_addresses(), std::vector<uint32_t>{0x401000});
}

TEST_F(RecordsTest, OlderPluginsRecordIsImportedUnlessSwitchedOffAndNeverTaken)
{
    const struct {
        bool stored;
        int value;
        bool imported;
    } rows[] = {{false, 0, true}, {true, 0, false}, {true, 1, true}, {true, 5, true}};
    for (const auto& row : rows) {
        for (size_t size : {size_t(8), size_t(12)}) {
            SCOPED_TRACE(testing::Message() << "stored " << row.stored << " value " << row.value
                                            << " size " << size);
            plugin.reset();
            host_state.settings.erase({plugin.module, "load_old_bookmarks"});
            if (row.stored) set_setting("load_old_bookmarks", row.value);
            forget_calls();
            const auto bytes = old_record(0x00403020, size);
            EXPECT_EQ(record(TAG_OLD, uint32_t(size), bytes.data()), 0);
            const auto reads = calls_of(HostOp::ReadInt);
            ASSERT_EQ(reads.size(), 1u);
            EXPECT_EQ(reads[0].text, "load_old_bookmarks");
            EXPECT_EQ(reads[0].value, 1) << "default";
            EXPECT_EQ(reads[0].instance, static_cast<void*>(plugin.module));
            EXPECT_EQ(notices().size(), row.imported ? 1u : 0u);
            EXPECT_EQ(saved_addresses(), row.imported ? std::vector<uint32_t>{0x403020} : std::vector<uint32_t>{});
        }
    }
}

TEST_F(RecordsTest, OwnAndOlderRecordOfOneAddressGiveOneBookmarkAndRetitleTwice)
{
    for (bool own_first : {true, false}) {
        SCOPED_TRACE(own_first ? "own record first" : "older record first");
        plugin.reset();
        forget_calls();
        EXPECT_EQ(own_first ? own(0x401000) : old(0x401000), own_first ? 1 : 0);
        EXPECT_EQ(panel_title(), "Korvan... (01)");
        SetWindowTextA(panel(), "stale");
        EXPECT_EQ(own_first ? old(0x401000) : own(0x401000), own_first ? 0 : 1);
        EXPECT_EQ(panel_title(), "Korvan... (01)") << "the second record rewrites the title";
        EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
        EXPECT_EQ(log_lines(), std::vector<std::string>{"Korvantis: Bookmark added to line 401000"});
        EXPECT_EQ(saved_addresses(), std::vector<uint32_t>{0x401000});
    }
}

TEST_F(RecordsTest, RecordsOfOtherModulesAndOtherTagsAreIgnored)
{
    const auto address = le32(0x401000);
    const auto older = old_record(0x401000);
    const struct {
        const char* what;
        uint32_t tag;
        const std::vector<uint8_t>* bytes;
        int is_main;
    } rows[] = {
        {"own, other module", TAG_OWN, &address, 0},
        {"older, other module", TAG_OLD, &older, 0},
        {"foreign tag, main module", 0x4C4D430B, &address, 1},
        {"foreign tag, other module", 0x12345678, &older, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        forget_calls();
        EXPECT_EQ(record(row.tag, uint32_t(row.bytes->size()), row.bytes->data(), row.is_main), 0);
        EXPECT_TRUE(host_state.calls.empty());
    }
    EXPECT_EQ(panel_title(), "Korvantis");
    EXPECT_TRUE(saved_addresses().empty());
}

// One project file read back as the host hands it over: each record with
// the main module's descriptor as it is now.
struct FileRecord {
    uint32_t tag;
    std::vector<uint8_t> bytes;
    int answer;
};

TEST_F(RecordsTest, BookmarksInsideTheSavedModuleFollowItToItsNewBase)
{
    const std::vector<uint8_t> saved_base = base_record(0x00400000, 0x00003000);
    const std::vector<uint8_t> short_base(saved_base.begin(), saved_base.begin() + 7);
    // Inside the module as saved: its first line, two named lines, its last byte.
    // Outside: the byte after it, the byte before it, a system DLL's line.
    const std::vector<FileRecord> bookmarks = {
        {TAG_OWN, le32(0x00400000), 1}, {TAG_OWN, le32(0x00401003), 1}, {TAG_OWN, le32(0x00401006), 1},
        {TAG_OWN, le32(0x00402FFF), 1}, {TAG_OWN, le32(0x00403000), 1}, {TAG_OWN, le32(0x003FFFFF), 1},
        {TAG_OWN, le32(0x77E81234), 1}, {TAG_OLD, old_record(0x00401010), 0},
    };
    const std::vector<uint32_t> unmoved = {0x003FFFFF, 0x00400000, 0x00401003, 0x00401006, 0x00401010,
                                           0x00402FFF, 0x00403000, 0x77E81234};
    const char* const MOVED_UP = "Korvantis: Program moved from 400000 to 500000; its bookmarks move with it";
    const struct {
        const char* what;
        std::vector<uint8_t> base;  // empty: no base record
        int base_answer;
        uint32_t now;               // the module's base now; 0: the host passes no module
        std::vector<uint32_t> loaded;
        const char* move_line;      // null: none
    } rows[] = {
        {"moved up", saved_base, 1, 0x00500000,
         {0x003FFFFF, 0x00401010, 0x00403000, 0x00500000, 0x00501003, 0x00501006, 0x00502FFF, 0x77E81234}, MOVED_UP},
        {"moved down", base_record(0x10000000, 0x00003000), 1, 0x00400000, unmoved,
         "Korvantis: Program moved from 10000000 to 400000; its bookmarks move with it"},
        {"same base", saved_base, 1, 0x00400000, unmoved, nullptr},
        {"file of an older release", {}, 0, 0x00500000, unmoved, nullptr},
        {"short base record", short_base, 0, 0x00500000, unmoved, nullptr},
        {"no module from the host", saved_base, 0, 0, unmoved, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        plugin.reset();
        forget_calls();
        ModuleDescriptor module = {row.now, 0x00003000, {}};
        const void* descriptor = row.now ? &module : nullptr;
        if (!row.base.empty()) {
            EXPECT_EQ(record(TAG_BASE, uint32_t(row.base.size()), row.base.data(), 1, descriptor), row.base_answer);
        }
        // Every line the bookmarks give, in the order given: the move first.
        std::vector<std::string> expected_lines;
        if (row.move_line) expected_lines.push_back(row.move_line);
        EXPECT_EQ(log_lines(), expected_lines) << "before any bookmark is added";
        if (row.move_line) {
            EXPECT_EQ(calls_of(HostOp::Log)[0].address, row.now);
            EXPECT_EQ(calls_of(HostOp::Log)[0].emphasis, -1);
        }
        EXPECT_TRUE(notices().empty());
        std::vector<uint32_t> added;
        for (const FileRecord& bookmark : bookmarks) {
            EXPECT_EQ(record(bookmark.tag, uint32_t(bookmark.bytes.size()), bookmark.bytes.data(), 1, descriptor),
                      bookmark.answer);
            const auto logs = calls_of(HostOp::Log);
            ASSERT_FALSE(logs.empty());
            added.push_back(logs.back().address);
            char line[64];  // the log line with one address
            wsprintfA(line, "Korvantis: Bookmark added to line %X", logs.back().address);
            expected_lines.push_back(line);
        }
        EXPECT_EQ(log_lines(), expected_lines);
        EXPECT_EQ(notices().size(), bookmarks.size());
        std::sort(added.begin(), added.end());
        EXPECT_EQ(added, row.loaded) << "each line names the address the bookmark landed on";
        EXPECT_EQ(saved_addresses(descriptor), row.loaded) << "saved where they are now";
        if (row.now) {
            ASSERT_FALSE(host_state.saved_records.empty());
            EXPECT_EQ(host_state.saved_records[0].second, base_record(row.now, 0x00003000));
        }
    }
}

TEST_F(RecordsTest, ABaseIsForgottenAtResetAndReplacedByTheNextFilesBase)
{
    ModuleDescriptor module = {0x00500000, 0x00003000, {}};
    const auto first = base_record(0x00400000, 0x00003000);
    const auto second = base_record(0x00480000, 0x00003000);
    const auto inside = le32(0x00401003);
    const auto inside_second = le32(0x00481003);

    ASSERT_EQ(record(TAG_BASE, 8, first.data(), 1, &module), 1);
    ASSERT_EQ(record(TAG_BASE, 8, second.data(), 1, &module), 1);
    ASSERT_EQ(record(TAG_OWN, 4, inside_second.data(), 1, &module), 1);
    ASSERT_EQ(record(TAG_OWN, 4, inside.data(), 1, &module), 1);
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x00401003, 0x00501003})) << "the later base holds";

    plugin.reset();
    ASSERT_EQ(record(TAG_OWN, 4, inside.data(), 1, &module), 1);
    EXPECT_EQ(saved_addresses(), std::vector<uint32_t>{0x00401003}) << "a file without a base after a reset";
}

TEST_F(RecordsTest, SavedBookmarksComeBackAfterUnloadNoneLostOrDoubled)
{
    const char* chosen = getenv("KORVANTIS_SEED");
    const unsigned seed = chosen && *chosen ? unsigned(strtoul(chosen, nullptr, 0)) : 20240611u;
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (set KORVANTIS_SEED to repeat)");
    std::mt19937 random(seed);

    std::set<uint32_t> expected = {0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    // The extremes that a line can hold go in through the panel; 0 only as a record.
    for (uint32_t address : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        select_line(address);
        press_panel_button(IDC_PANEL_TOGGLE);
    }
    ASSERT_EQ(own(0), 1);
    for (int i = 0; i < 2500; ++i) {
        const uint32_t address = random();
        expected.insert(address);
        ASSERT_EQ(own(address), 1);
        if (i % 10 == 0) ASSERT_EQ(own(address), 1);  // a record met twice adds once
    }
    // Records of the older kind for addresses already present add nothing.
    ASSERT_EQ(old(0x80000000), 0);
    const std::vector<uint32_t> sorted(expected.begin(), expected.end());
    ASSERT_EQ(saved_addresses(), sorted);
    const auto records = host_state.saved_records;

    forget_calls();
    stop_plugin();
    EXPECT_EQ(log_lines().size(), sorted.size()) << "one deleting line per bookmark at unload";

    start_plugin();
    forget_calls();
    for (const auto& saved : records) {
        ASSERT_EQ(saved.first, TAG_OWN);
        ASSERT_EQ(record(saved.first, uint32_t(saved.second.size()), saved.second.data()), 1);
    }
    EXPECT_EQ(notices().size(), sorted.size());
    EXPECT_EQ(saved_addresses(), sorted);
    char title[32];
    wsprintfA(title, "Korvan... (%02d)", int(sorted.size()));
    EXPECT_EQ(panel_title(), title);
}

TEST_F(RecordsTest, DamagedRecordsAreSkippedWithoutReadingPastTheirEnd)
{
    GuardedBytes guarded;
    struct Row {
        uint32_t tag;
        uint32_t size;
        bool null_data;
        bool import_old;
        int answer;
        const char* log;  // null: no log line
    };
    std::vector<Row> rows;
    for (uint32_t size = 0; size < 4; ++size) rows.push_back({TAG_OWN, size, false, true, 1, DAMAGED_OWN});
    // A short base record moves nothing and, like any record the plug-in can't use, is left.
    for (uint32_t size = 0; size < 8; ++size) rows.push_back({TAG_BASE, size, false, true, 0, nullptr});
    rows.push_back({TAG_BASE, 8, true, true, 0, nullptr});
    for (uint32_t size = 0; size < 8; ++size) {
        rows.push_back({TAG_OLD, size, false, true, 0, DAMAGED_OLD});
        rows.push_back({TAG_OLD, size, false, false, 0, nullptr});
    }
    rows.push_back({TAG_OWN, 4, true, true, 1, DAMAGED_OWN});
    rows.push_back({TAG_OWN, 0xFFFFFFFF, true, true, 1, DAMAGED_OWN});
    rows.push_back({TAG_OLD, 8, true, true, 0, DAMAGED_OLD});
    rows.push_back({TAG_OLD, 8, true, false, 0, nullptr});

    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.tag == TAG_OWN ? "own" : row.tag == TAG_BASE ? "base" : "older")
                                        << " size " << row.size
                                        << (row.null_data ? " null data" : "")
                                        << (row.import_old ? "" : " import off"));
        set_setting("load_old_bookmarks", row.import_old);
        // Bytes that would read as a plausible address if taken.
        const std::vector<uint8_t> bytes(row.null_data ? 0 : row.size, 0x41);
        const void* data = row.null_data ? nullptr : guarded.place(bytes);
        announce(row.tag, row.size);
        forget_calls();
        ModuleDescriptor module = {0x00500000, 0x00003000, {}};
        EXPECT_EQ(record(row.tag, row.size, data, 1, &module), row.answer);
        EXPECT_FALSE(guarded.over_read()) << "read past the record's end";
        const auto logs = calls_of(HostOp::Log);
        if (row.log) {
            ASSERT_EQ(logs.size(), 1u);
            EXPECT_EQ(logs[0].text, row.log);
            EXPECT_EQ(logs[0].address, 0u);
            EXPECT_EQ(logs[0].emphasis, 1);
        } else {
            EXPECT_TRUE(logs.empty());
        }
        EXPECT_TRUE(notices().empty());
        EXPECT_TRUE(saved_addresses().empty()) << "nothing added";
    }
}

TEST_F(RecordsTest, LongerRecordsAreTakenFromTheirAddressBytes)
{
    GuardedBytes guarded;
    const struct {
        uint32_t tag;
        std::vector<uint8_t> bytes;
        int answer;
    } rows[] = {
        {TAG_OWN, {0x00, 0x10, 0x40, 0x00, 0x99}, 1},
        {TAG_OWN, {0x00, 0x20, 0x40, 0x00, 0x99, 0x99, 0x99, 0x99}, 1},
        {TAG_OLD, old_record(0x403000, 8), 0},
        {TAG_OLD, old_record(0x404000, 9), 0},
    };
    for (const auto& row : rows) {
        const void* data = guarded.place(row.bytes);
        announce(row.tag, uint32_t(row.bytes.size()));
        EXPECT_EQ(record(row.tag, uint32_t(row.bytes.size()), data), row.answer);
        EXPECT_FALSE(guarded.over_read());
    }
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x401000, 0x402000, 0x403000, 0x404000}));
}

}  // namespace
