// The eleven operations the plug-in imports from OLLYDBG.EXE by ordinal
// (exported through host_exports.def).
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "host/host_api.h"
#include "sandbox/host_state.h"

HostState host_state;

// The bench host (STANDIN_NO_IO) answers at once and keeps only the counts.
#ifdef STANDIN_NO_IO
static const bool RECORDING = false;
#else
static const bool RECORDING = true;
#endif

void reset_host_state()
{
    host_state = HostState();
}

std::vector<HostCall> calls_of(HostOp op)
{
    std::vector<HostCall> found;
    for (const HostCall& call : host_state.calls) {
        if (call.op == op) found.push_back(call);
    }
    return found;
}

// Counts the call; returns the new entry of the call record, or null when not recording.
static HostCall* record(HostOp op)
{
    host_state.counts[int(op)]++;
    if (!RECORDING) return nullptr;
    if (host_state.keep_calls && host_state.calls.size() >= 2 * host_state.keep_calls) {
        host_state.calls.erase(host_state.calls.begin(), host_state.calls.end() - host_state.keep_calls);
    }
    host_state.calls.push_back(HostCall());
    host_state.calls.back().op = op;
    return &host_state.calls.back();
}

void add_module(uint32_t base, uint32_t size, const std::string& name, const std::string& path)
{
    host_state.modules.push_back(StandInModule());
    uint8_t* bytes = host_state.modules.back().bytes;
    memset(bytes, 0, sizeof(StandInModule::bytes));
    memcpy(bytes + MODULE_BASE, &base, 4);
    memcpy(bytes + MODULE_SIZE, &size, 4);
    // Like the debugger's: a name of eight characters or more fills the field with no zero.
    strncpy(reinterpret_cast<char*>(bytes + MODULE_SHORT_NAME), name.c_str(), MODULE_SHORT_NAME_BYTES);
    strncpy(reinterpret_cast<char*>(bytes + MODULE_PATH), path.c_str(), sizeof(StandInModule::bytes) - MODULE_PATH - 1);
}

void record_beep(unsigned type)
{
    if (HostCall* call = record(HostOp::Beep)) call->emphasis = int(type);
}

extern "C" {

void host_log(uint32_t address, int emphasis, const char* format, ...)
{
    HostCall* call = record(HostOp::Log);
    if (!call) return;
    // The host's log lines are at most a few hundred characters.
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    call->text = line;
    call->address = address;
    call->emphasis = emphasis;
    if (host_state.on_log) host_state.on_log(address, emphasis, line);
}

void host_notice(const char* text)
{
    HostCall* call = record(HostOp::Notice);
    if (!call) return;
    call->text = text;
    if (host_state.on_notice) host_state.on_notice(text);
}

void* host_get_value(int selector)
{
    if (HostCall* call = record(HostOp::GetValue)) call->emphasis = selector;
    return selector == HOST_VALUE_CPU_DISASM ? host_state.disasm_view : nullptr;
}

int host_read_int(void* instance, const char* key, int fallback)
{
    int value = fallback;
    if (host_state.read_setting) {
        host_state.read_setting(instance, key, &value);
    } else {
        auto found = host_state.settings.find({instance, key});
        if (found != host_state.settings.end()) value = found->second;
    }
    if (HostCall* call = record(HostOp::ReadInt)) {
        call->text = key;
        call->instance = instance;
        call->value = fallback;
        call->answer = value;
    }
    return value;
}

int host_find_name(uint32_t address, int type, char* buffer)
{
    auto found = host_state.names.find({address, type});
    const std::string* name = found == host_state.names.end() ? nullptr : &found->second;
    const int length = name ? int(name->size()) : 0;
    // Like the debugger: no buffer size, the whole name and its zero are written.
    if (buffer && name) memcpy(buffer, name->c_str(), name->size() + 1);
    if (HostCall* call = record(HostOp::FindName)) {
        call->address = address;
        call->emphasis = type;
        call->value = buffer ? 1 : 0;
        call->answer = length;
    }
    return length;
}

const void* host_find_module(uint32_t address)
{
    const void* found = nullptr;
    for (const StandInModule& module : host_state.modules) {
        uint32_t base, size;
        memcpy(&base, module.bytes + MODULE_BASE, 4);
        memcpy(&size, module.bytes + MODULE_SIZE, 4);
        if (address - base < size) {
            found = module.bytes;
            break;
        }
    }
    if (HostCall* call = record(HostOp::FindModule)) {
        call->address = address;
        call->answer = found ? 1 : 0;
    }
    return found;
}

// Like the debugger's: answers 0 whatever happened; an empty text removes
// that one name, and a text of any length is kept whole.
int host_insert_name(uint32_t address, int type, const char* text)
{
    if (!text || !*text) {
        host_state.names.erase({address, type});
    } else {
        host_state.names[{address, type}] = text;
    }
    if (HostCall* call = record(HostOp::InsertName)) {
        call->address = address;
        call->emphasis = type;
        call->text = text ? text : "";
    }
    return 0;
}

void host_redraw_disassembler(void)
{
    record(HostOp::RedrawDisassembler);
    if (host_state.on_redraw_disassembler) host_state.on_redraw_disassembler();
}

int host_save_record(uint32_t tag, uint32_t size, const void* data)
{
    const int answer =
        host_state.save_record_policy ? host_state.save_record_policy(tag, size, data) : 1;
    HostCall* call = record(HostOp::SaveRecord);
    if (!call) return answer;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    call->address = tag;
    call->value = int(size);
    call->answer = answer;
    if (bytes) call->data.assign(bytes, bytes + size);
    if (answer) host_state.saved_records.push_back({tag, call->data});
    return answer;
}

int host_write_int(void* instance, const char* key, int value)
{
    if (host_state.write_setting) {
        host_state.write_setting(instance, key, value);
    } else {
        host_state.settings[{instance, key}] = value;
    }
    if (HostCall* call = record(HostOp::WriteInt)) {
        call->text = key;
        call->instance = instance;
        call->value = value;
    }
    return 1;
}

void host_goto_code(uint32_t thread, uint32_t code_address, uint32_t dump_address,
                    uint32_t stack_address, int mode)
{
    if (HostCall* call = record(HostOp::GotoCode)) {
        call->address = code_address;
        const uint32_t args[5] = {thread, code_address, dump_address, stack_address, uint32_t(mode)};
        for (int i = 0; i < 5; ++i) call->goto_args[i] = args[i];
    }
    if (host_state.on_goto) host_state.on_goto(code_address);
}

}  // extern "C"
