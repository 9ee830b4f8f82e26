// learning/learning_model: what the student records use of the learning model.
#pragma once
#include <string>

#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/practice_set.h"
