#include "tests/wine/support/feedback_trace.h"

#include <stdio.h>

std::string hex(uint32_t value)
{
    char text[12];  // eight digits and the zero
    snprintf(text, sizeof text, "%X", value);
    return text;
}

std::string log_entry(uint32_t address, int emphasis, const std::string& text)
{
    return "log " + hex(address) + " " + std::to_string(emphasis) + " " + text;
}

std::string notice_entry(const std::string& text)
{
    return "notice " + text;
}

std::string beep_entry()
{
    return "beep 0";
}

std::string goto_entry(uint32_t address)
{
    return "goto 0 " + hex(address) + " 0 0 D";  // mode 13 in hexadecimal, as the trace writes it
}

std::string save_entry(uint32_t address, bool stored)
{
    return "save " + hex(0x4C4D430A) + " 4 " + hex(address) + (stored ? " stored" : " refused");
}

std::string write_entry(const std::string& key, int value)
{
    return "write " + key + " " + std::to_string(value);
}

std::string name_entry(uint32_t address, int type, const std::string& text)
{
    return "name " + hex(address) + " " + hex(uint32_t(type)) + " " + text;
}

std::string redraw_entry()
{
    return "redraw";
}

std::vector<std::string> feedback_trace(const std::vector<HostCall>& calls)
{
    std::vector<std::string> lines;
    for (const HostCall& call : calls) {
        switch (call.op) {
        case HostOp::Log: lines.push_back(log_entry(call.address, call.emphasis, call.text)); break;
        case HostOp::Notice: lines.push_back(notice_entry(call.text)); break;
        case HostOp::Beep: lines.push_back("beep " + std::to_string(call.emphasis)); break;
        case HostOp::GotoCode: {
            std::string line = "goto";
            for (uint32_t arg : call.goto_args) line += " " + hex(arg);
            lines.push_back(line);
            break;
        }
        case HostOp::SaveRecord: {
            std::string line = "save " + hex(call.address) + " " + std::to_string(call.value) + " ";
            uint32_t address = 0;
            for (size_t i = 0; i < call.data.size() && i < 4; ++i) address |= uint32_t(call.data[i]) << (8 * i);
            line += hex(address) + (call.answer ? " stored" : " refused");
            lines.push_back(line);
            break;
        }
        case HostOp::WriteInt: lines.push_back(write_entry(call.text, call.value)); break;
        case HostOp::InsertName: lines.push_back(name_entry(call.address, call.emphasis, call.text)); break;
        case HostOp::RedrawDisassembler: lines.push_back(redraw_entry()); break;
        case HostOp::ReadInt:
        case HostOp::GetValue:
        case HostOp::FindName:
        case HostOp::FindModule:
        case HostOp::COUNT: break;
        }
    }
    return lines;
}
