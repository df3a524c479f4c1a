#include "long_term/modLongTermReport.h"

#include "foundation/modRecords.h"
#include "long_term/LongTermChart.h"
#include "long_term/modLongTermSearch.h"

Protocol LongTermReportRecord(const LongTermAnalysis& analysis)
{
    const SearchPattern& pattern = analysis.Pattern;
    Protocol record = MakeEmptyProtocol();
    record.FormIndex = 1;
    record.CurrentProperty = 1;
    record.Style.Name = pattern.Style;
    record.Reference2 = UnescapeLikePattern(pattern.Reference2);
    record.Reference3 = UnescapeLikePattern(pattern.Reference3);
    record.Reference4 = UnescapeLikePattern(pattern.Reference4);
    record.Operator = UnescapeLikePattern(pattern.Operator);
    record.Date = pattern.DateFrom + pattern.TimeFrom;
    record.LastTestDate = pattern.DateTo + pattern.TimeTo;

    TestDefinition definition = analysis.Definition;
    Statistics stats = analysis.Statistics;
    // The chart's percent band (nominal to 100) is no limit of a pass/fail
    // result, and a share has no extremes.
    if (IsPassFailResult(definition, 1)) {
        definition.Lower1 = NoValue;
        definition.Upper1 = NoValue;
        stats.Min1 = NoValue;
        stats.Max1 = NoValue;
    }
    const int16_t testType = pattern.TestType;
    if (testType >= 1 && testType <= TestTypeCount) {
        record.Style.Tests[static_cast<size_t>(testType)] = definition;
        record.Style.Forms[1].Items[1].Property = testType;
    }
    PropertyBlock& block = record.Blocks[1];
    block.Header = definition.HeaderImage;
    block.Stats = stats;
    block.StartDate = record.Date;
    block.LastTestDate = record.LastTestDate;
    return record;
}

bool HasLongTermHits(const LongTermAnalysis& analysis)
{
    return analysis.Found.size() > 1 && !IsEmptyLongTermAnalysis(analysis);
}
