// platform/gl_current: whether GL calls may be made on this thread.
#pragma once

// True when a GL context is current on the calling thread.
bool GlContextIsCurrent();
