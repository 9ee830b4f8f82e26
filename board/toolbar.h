// board/toolbar: the toolbar over the board.
#pragma once

// PENDING: drawn with the toolbar.
void DrawToolbar();
