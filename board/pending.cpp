// board/pending: board state others already write, whose owner comes with later work.
#include "board/board_message.h"

std::string gBoardMessage;
float gBoardMessageTime = 0.0f;
