// The program's string table: its texts by number, as CP932 bytes.
#pragma once

#include <string>

namespace mirte {

// Numbers of the texts the shell uses by name.
enum StringId : unsigned {
  IDR_MAINFRAME = 128,  // the document template string
  IDS_APP_TITLE = 1,
  AFX_IDS_APP_TITLE = 57344,
  AFX_IDS_IDLEMESSAGE = 57345,
  ID_INDICATOR_CAPS = 59137,
  ID_INDICATOR_NUM = 59138,
  ID_INDICATOR_SCRL = 59139,
};

// The text numbered `id`, or an empty text when there is none.
const std::string& LoadString(unsigned id);

// A command's prompt (the text before the first line break) and tooltip
// (after it; empty when there is none).
std::string CommandPrompt(unsigned id);
std::string CommandTooltip(unsigned id);

}  // namespace mirte
