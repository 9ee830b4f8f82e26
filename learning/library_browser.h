// learning/library_browser: the model under the library's list of cards: which items a view
// selects, which of them the search and filters list, the library's order for each view, and the
// titles, subtitles, group headings and status texts the cards show. Texts are translated unless
// a function says otherwise.
#pragma once
#include <string>
#include <vector>

#include "learning/library_index.h"

// "scales", "chords", "mechanics" and "sight": the views with type, key and hand pickers.
bool IsTechniqueCategory(const std::string& key);
// The distinct types of a category, ordered by the first library row carrying each; cached, and
// rebuilt when the library is reloaded or changes size.
const std::vector<std::string>& ListCategoryTypes(const std::string& category);
// The type chosen for the category when it still exists, else its first type, else "".
std::string GetChosenCategoryType(const std::string& category);
// The pitch class of a key name (letter A..G in either case, then '#' or 'b'); -1 for none.
int ParseNoteLetter(const std::string& name);

// The view selects the item ("" every item, "today" the shown day's items, "rep_era" and
// "rep_composer" foundations and repertoire, "forms" with etudes, "study" repertoire, etudes and
// sight-reading, any other key its category).
bool ItemInView(const LibraryItem& item, const std::string& viewKey);
int CountItemsInView(const std::string& viewKey);
// The card is listed in the current view with the current search and filters; a search in a
// technique view lists the whole library.
bool ItemMatchesFilters(const LibraryItem& item);
// The order of the current view (row index outside the repertoire views).
bool LibraryItemLess(const LibraryItem& a, const LibraryItem& b);
// Stable-sorts gLibraryItems for the current view; positions change, ids stay.
void SortLibraryItems();

// The label of the current view.
std::string ViewKeyLabel();
// A section's tab label; other categories unchanged and untranslated.
std::string CategoryTabLabel(const std::string& category);
// The heading of the group the card falls in, by view.
std::string RepertoireGroupLabel(const LibraryItem& item);
// Scales and chords: the name before its first " - "; others the name. Untranslated.
std::string ItemCardTitle(const LibraryItem& item);
// Scales and chords: the name after its first " - "; others the subtitle.
std::string ItemCardSubtitle(const LibraryItem& item);
// The card's status line (planned, mastered, complete, done today, locked, next, available).
std::string ItemStatusText(const LibraryItem& item);
// "complete/all" over the items of the same category and type.
std::string GroupProgressText(const LibraryItem& item);
// The hand of an item: its hand field, else read from its id or name; "" for none.
std::string ItemHand(const LibraryItem& item);
// Forgets the cached search texts (tests; they are otherwise kept for the run).
void ResetLibraryBrowser();
