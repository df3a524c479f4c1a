#include "long_term/modSearchPatterns.h"

#include "foundation/modGeneral.h"
#include "instrument/modPropertyText.h"
#include "long_term/modLongTermSearch.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

QString ShortForm(const QString& text)
{
    return text.size() > 5 ? text.left(5) + QStringLiteral("..") : text;
}

int SavedCount(const std::vector<SearchPattern>& patterns)
{
    return patterns.empty() ? 0 : static_cast<int>(patterns.size()) - 1;
}

} // namespace

QString PatternMenuCaption(const SearchPattern& pattern, int n, int16_t language)
{
    const QString separator = QStringLiteral(" | ");
    QString text = PropertyName(pattern.TestType, language) + separator + pattern.Style + separator;
    for (const QString* field : {&pattern.Reference2, &pattern.Reference3, &pattern.Reference4, &pattern.Operator})
        text += ShortForm(*field) + separator;
    return u'&' + QString::number(n) + u' ' + EscapeAmpersand(text);
}

int ShownPatternCount(const std::vector<SearchPattern>& patterns)
{
    return std::min(SavedCount(patterns), PatternMenuItemCount);
}

bool PatternAddEnabled(const std::vector<SearchPattern>& patterns)
{
    return SavedCount(patterns) < PatternMenuItemCount;
}

bool PatternRemoveEnabled(const std::vector<SearchPattern>& patterns, int checkedItem)
{
    return SavedCount(patterns) >= 1 && checkedItem >= 1 && checkedItem <= ShownPatternCount(patterns);
}

int AddSearchPattern(std::vector<SearchPattern>& patterns, const SearchPattern& criteria)
{
    if (!PatternAddEnabled(patterns))
        return 0;
    if (patterns.empty())
        patterns.emplace_back();
    patterns.push_back(criteria);
    return SavedCount(patterns);
}

bool RemoveSearchPattern(std::vector<SearchPattern>& patterns, int k)
{
    if (k < 1 || k > ShownPatternCount(patterns))
        return false;
    patterns.erase(patterns.begin() + k);
    return true;
}

AppliedPattern PatternToApply(const SearchPattern& pattern)
{
    // Saved patterns keep the escaped form of the criteria, as settings files
    // already hold them; the boxes get the texts the user typed.
    AppliedPattern applied;
    applied.TestType = pattern.TestType;
    applied.Style = pattern.Style;
    applied.Reference2 = Trim(UnescapeLikePattern(pattern.Reference2));
    applied.Reference3 = Trim(UnescapeLikePattern(pattern.Reference3));
    applied.Reference4 = Trim(UnescapeLikePattern(pattern.Reference4));
    applied.Operator = Trim(UnescapeLikePattern(pattern.Operator));
    return applied;
}

void KeepClosingFilters(std::vector<SearchPattern>& patterns, int16_t propertyCode, const QString& style,
                        const QString& reference2, const QString& reference3, const QString& reference4,
                        const QString& operatorText)
{
    if (patterns.empty())
        patterns.emplace_back();
    SearchPattern& last = patterns[0];
    last.TestType = propertyCode;
    last.Style = style;
    last.Reference2 = reference2;
    last.Reference3 = reference3;
    last.Reference4 = reference4;
    last.Operator = operatorText;
}
