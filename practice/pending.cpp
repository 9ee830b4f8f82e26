// practice/pending: functions of the practice records that others build in parallel.
#include "practice/pending.h"

bool gStudentNameEntryActive = false;
