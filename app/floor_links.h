// app/floor_links: the shell connects the hooks through which lower floors tell higher ones what
// happened (a song change, a student change or deletion, an earned scale), so no lower floor calls
// up. The same hooks answer what the layout and the filter tabs ask of the floors above them.
#pragma once

// Points every hook at its receiver; once at start, before anything can fire them.
void ConnectFloors();
