// theory/staff_panel: the staff panel that names the played notes on a stave.
#pragma once

// PENDING: drawn with the staff panel, when its fade is visible.
void DrawStaffPanel();
