#include "sandbox/app/line_names.h"

#include <stdio.h>

#include <vector>

#include "host/host_api.h"
#include "sandbox/app/input_box.h"
#include "sandbox/app/trace.h"
#include "sandbox/host_state.h"

namespace {

// Columns in characters: the label (cut visibly when longer), the bytes (the
// sample's longest instruction has seven) and the instruction (a longer one
// pushes the comment on); the comment follows, cut visibly after
// COMMENT_SHOWN characters since a name can be of any length.
const size_t LABEL_COLUMN = 14;
const size_t HEX_COLUMN = 14;
const size_t TEXT_COLUMN = 40;
const size_t COMMENT_SHOWN = 259;

// The plug-ins' calls of Insertname traced so far.
unsigned names_traced = 0;

// The name of the given type for address in names, or null when it has none.
const std::string* name_of(const NameTable& names, uint32_t address, int type)
{
    auto found = names.find({address, type});
    return found == names.end() ? nullptr : &found->second;
}

// text cut to width characters, its end replaced by "..." when it was longer.
std::string fit(const std::string& text, size_t width)
{
    return text.size() <= width ? text : text.substr(0, width - 3) + "...";
}

const char* type_word(int type)
{
    return type == NAME_LABEL ? "label" : "comment";
}

}  // namespace

// As the debugger's Comment column does, the user's comment hides the
// analysis' own.
std::string row_text(const CodeLine& line, const NameTable& names)
{
    char address[12];  // eight hex digits
    snprintf(address, sizeof address, "%08X  ", line.address);
    std::string text = address;
    const std::string* label = name_of(names, line.address, NAME_LABEL);
    const std::string shown_label = label ? fit(*label, LABEL_COLUMN) : "";
    text += shown_label + std::string(LABEL_COLUMN + 1 - shown_label.size(), ' ');
    std::string hex;
    for (uint8_t octet : line.bytes) {
        char pair[4];  // two hex digits
        snprintf(pair, sizeof pair, "%02X", octet);
        hex += pair;
    }
    text += hex + std::string(hex.size() < HEX_COLUMN ? HEX_COLUMN - hex.size() : 0, ' ') + ' ';
    text += line.text + std::string(line.text.size() < TEXT_COLUMN ? TEXT_COLUMN - line.text.size() : 0, ' ') + ' ';
    const std::string* comment = name_of(names, line.address, NAME_COMMENT);
    if (!comment && !line.comment.empty()) comment = &line.comment;
    if (comment) text += "; " + fit(*comment, COMMENT_SHOWN);
    return text;
}

bool ask_name(HWND pane, uint32_t address, int type, std::string* text)
{
    char title[32];  // "Comment at " and eight hex digits
    snprintf(title, sizeof title, "%s at %08X", type == NAME_LABEL ? "Label" : "Comment", address);
    const char* prompt = type == NAME_LABEL ? "Label (an empty text removes it):" : "Comment (an empty text removes it):";
    const std::string* current = name_of(host_state.names, address, type);
    *text = current ? *current : "";
    if (ask_text(GetAncestor(pane, GA_ROOT), pane, title, prompt, text)) return true;
    trace("%s %08X kept", type_word(type), address);
    return false;
}

void store_name(uint32_t address, int type, const std::string& text)
{
    if (text.empty()) {
        host_state.names.erase({address, type});
        trace("%s %08X removed", type_word(type), address);
    } else {
        host_state.names[{address, type}] = text;
        trace("%s %08X \"%s\"", type_word(type), address, text.c_str());
    }
}

void trace_names_given()
{
    const unsigned given = host_state.counts[int(HostOp::InsertName)];
    if (given == names_traced) return;
    // The newest calls are at the end of the host's record, which keeps only
    // the latest few.
    std::vector<const HostCall*> calls;
    for (auto call = host_state.calls.rbegin(); call != host_state.calls.rend() && names_traced + calls.size() < given;
         ++call) {
        if (call->op == HostOp::InsertName) calls.push_back(&*call);
    }
    if (names_traced + calls.size() < given) {
        trace("insert name: %u calls no longer in the record", given - names_traced - unsigned(calls.size()));
    }
    for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
        trace("insert name %08X %X \"%s\"", (*call)->address, unsigned((*call)->emphasis), (*call)->text.c_str());
    }
    names_traced = given;
}
