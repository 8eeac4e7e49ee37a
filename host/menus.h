// The host's menu, action and shortcut callbacks.
#pragma once

const int ORIGIN_MAIN_MENU = 0;
const int ORIGIN_CPU_DISASM = 31;

int plugin_menu(int origin, char* text_buffer, const void* item);
void plugin_action(int origin, int action, const void* item);
int plugin_shortcut(int origin, int ctrl, int alt, int shift, int key);
