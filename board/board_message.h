// board/board_message: the short message the practice board shows for a few seconds.
#pragma once
#include <string>

extern std::string gBoardMessage;   // UTF-8 text, "" for none
extern float gBoardMessageTime;     // GetAppSeconds when it was set
