// practice/board_message: the board message's storage.
#include "practice/board_message.h"

// ---- state ----
std::string gBoardMessage;        // set by the achievement tracking
double gBoardMessageTime = 0.0;   // its GetAppSeconds stamp

// ---- public functions ----
void ResetBoardMessage() {
  gBoardMessage.clear();
  gBoardMessageTime = 0.0;
}
