// practice/board_message: the short message the practice board shows for a few seconds; the
// practice records write it, the board draws it.
#pragma once
#include <string>

extern std::string gBoardMessage;   // UTF-8 text, "" for none
extern double gBoardMessageTime;    // GetAppSeconds when it was set
// No message.
void ResetBoardMessage();
