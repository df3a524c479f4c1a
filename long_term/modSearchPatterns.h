#pragma once
// The saved search patterns of the long-term window without the window: the
// list is the settings' SearchPatterns (element 0 the filters of the last
// closing, 1 onwards the saved patterns), handed in so that tests use their
// own. The window's Pattern menu shows items 1 to 9 from these captions and
// enables its entries by these rules.
#include "foundation/Records.h"

#include <QString>
#include <cstdint>
#include <vector>

// Saved patterns the menu has items for.
inline constexpr int PatternMenuItemCount = 9;

// The caption of menu item n for a pattern: "&n ", then the property name,
// the style and the two references and the operator (each cut to 5
// characters and ".." when longer), every one followed by " | ", in their
// stored (escaped) form; "&" of the texts doubled so that it shows.
QString PatternMenuCaption(const SearchPattern& pattern, int n, int16_t language);

// How many of the items 1 to 9 show a pattern: all saved ones up to 9. A
// settings file may hold more; they are kept and saved, but not shown.
int ShownPatternCount(const std::vector<SearchPattern>& patterns);

// Add is possible below 9 saved patterns; Remove while at least one is saved
// and one of the items 1 to 9 (checkedItem, 0 for none) carries the check.
bool PatternAddEnabled(const std::vector<SearchPattern>& patterns);
bool PatternRemoveEnabled(const std::vector<SearchPattern>& patterns, int checkedItem);

// Appends the criteria as the next saved pattern; its index, or 0 when 9 are
// saved already.
int AddSearchPattern(std::vector<SearchPattern>& patterns, const SearchPattern& criteria);

// Removes saved pattern k (1 to the number shown); the later ones move down
// by one. False when there is no such item.
bool RemoveSearchPattern(std::vector<SearchPattern>& patterns, int k);

// What applying a pattern puts into the filter controls: its style name and
// property, and its references and operator trimmed and unescaped, so the
// next criteria built from them escape them once again and find the same
// reports. Dates and times are not applied.
struct AppliedPattern {
    int16_t TestType = 0;
    QString Style;
    QString Reference2;
    QString Reference3;
    QString Reference4;
    QString Operator;
};
AppliedPattern PatternToApply(const SearchPattern& pattern);

// When the window closes, element 0 (made when missing) takes the property,
// the style text and the reference and operator texts as they stand; its
// dates are left alone.
void KeepClosingFilters(std::vector<SearchPattern>& patterns, int16_t propertyCode, const QString& style,
                        const QString& reference2, const QString& reference3, const QString& reference4,
                        const QString& operatorText);
