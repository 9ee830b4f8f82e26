// learning/attempt_rules: what a finished lesson song means for its item (a daily pass or not, the
// mastery record, the calendar day, the progress set, the verdict on the status line), the
// questions every learning view asks about an item, and the crediting of scale items when a scale
// achievement is earned on the board.
#pragma once
#include <string>
#include <vector>

#include "learning/learning_records.h"
#include "learning/library_index.h"

// The key that names a skill: category, one TAB, type.
std::string ItemSkillKey(const std::string& category, const std::string& type);
// Linear search by equality.
bool ContainsId(const std::vector<std::string>& ids, const std::string& id);

// Best values reach the targets (the legacy ones for a legacy record) on two different days.
bool IsItemMastered(const LibraryItem& item);
// In the progress set, or passed on two days at the tempo target.
bool IsItemComplete(const LibraryItem& item);
// The latest attempt passed, and counts for that calendar day: the latest day the item was done
// on, or for a day without it done, the date of the attempt.
bool IsItemPassedOnDate(const std::string& id, const std::string& date);
// Done on the shown day in the "today" view, else IsItemComplete.
bool IsItemDoneToday(const LibraryItem& item);
// In the day's COMPLETE list when the day assigns it, else IsItemComplete.
bool IsItemDoneOnDay(const LibraryItem& item, const std::string& date);
// Every library item assigned on the day is complete there (and there is at least one).
bool AreItemsDone(const CalendarDay& day);
// Assigned library items complete on the day.
int CountDoneItems(const CalendarDay& day);
// Assigned library items: the day's blocks as they count, without those the library no longer
// holds or whose songs would not load.
int CountAssignedItems(const CalendarDay& day);
// Once the day is done, its blocks whose songs would not load this run leave its list: else the
// file put back would reopen a day the pupil has finished. True when the list changed (unsaved).
bool DropUnplayableBlocksOfDoneDay(const std::string& date);

// The daily pass test of a run (the current targets, full tempo, few faults).
bool IsDailyPass(const LibraryItem& item, int expected, float accuracy, float timing, float bpm, int faults);
// An earned achievement of a scale row at a ring position: credits the matching "scales" items.
int CreditScaleAchievement(const char* scaleName, int ringPos);
// Marks every "scales" item of the type and key mastered; returns how many were not before.
int MarkScaleItemsMastered(const std::string& type, const std::string& keyName);
