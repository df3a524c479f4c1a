#include "long_term/modLongTermSearch.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "platform/Text.h"
#include "storage/modDisk.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

// ---------------------------------------------------------------------------
// Wildcard patterns

char16_t Folded(char16_t c)
{
    return static_cast<char16_t>(QChar::toCaseFolded(static_cast<char32_t>(c)));
}

// A pattern taken apart once, then matched against many values.
class LikePattern {
public:
    explicit LikePattern(const QString& pattern);
    bool Matches(const QString& value) const;
    // True for a pattern of stars alone, which takes any value.
    bool MatchesAny() const { return m_tokens.size() == 1 && m_tokens[0].kind == Kind::Star; }

private:
    enum class Kind { Literal, AnyChar, Digit, List, Star };
    struct Token {
        Kind kind = Kind::Literal;
        char16_t folded = 0;        // Literal: the character, case folded
        bool negated = false;       // List: "[!...]"
        std::size_t first = 0;      // List: its ranges in m_ranges
        std::size_t count = 0;
    };
    struct Range {
        char16_t low;
        char16_t high;
        char16_t foldedLow;
        char16_t foldedHigh;
    };

    bool TokenMatches(const Token& token, char16_t raw, char16_t folded) const;

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
};

LikePattern::LikePattern(const QString& pattern)
{
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = pattern[i].unicode();
        Token token;
        if (c == u'*') {
            // A run of stars is one star.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::Star) {
                token.kind = Kind::Star;
                m_tokens.push_back(token);
            }
            continue;
        }
        if (c == u'?') {
            token.kind = Kind::AnyChar;
        } else if (c == u'#') {
            token.kind = Kind::Digit;
        } else if (c == u'[') {
            // The list runs to the next "]"; one right after "[" or "[!"
            // belongs to it. Without a closing "]" the "[" is itself.
            qsizetype start = i + 1;
            const bool negated = start < n && pattern[start] == u'!';
            if (negated)
                ++start;
            const qsizetype close = pattern.indexOf(u']', start < n && pattern[start] == u']' ? start + 1 : start);
            if (close < 0) {
                token.folded = Folded(c);
                m_tokens.push_back(token);
                continue;
            }
            token.kind = Kind::List;
            token.negated = negated;
            token.first = m_ranges.size();
            for (qsizetype k = start; k < close; ++k) {
                char16_t low = pattern[k].unicode();
                char16_t high = low;
                if (k + 2 < close && pattern[k + 1] == u'-') {
                    high = pattern[k + 2].unicode();
                    k += 2;
                }
                m_ranges.push_back({low, high, Folded(low), Folded(high)});
            }
            token.count = m_ranges.size() - token.first;
            m_tokens.push_back(token);
            i = close;
            continue;
        } else {
            token.folded = Folded(c);
        }
        m_tokens.push_back(token);
    }
}

bool LikePattern::TokenMatches(const Token& token, char16_t raw, char16_t folded) const
{
    switch (token.kind) {
    case Kind::Literal:
        return token.folded == folded;
    case Kind::AnyChar:
        return true;
    case Kind::Digit:
        return raw >= u'0' && raw <= u'9';
    case Kind::List: {
        bool inList = false;
        for (std::size_t r = token.first; r < token.first + token.count && !inList; ++r) {
            const Range& range = m_ranges[r];
            inList = (raw >= range.low && raw <= range.high)
                || (folded >= range.foldedLow && folded <= range.foldedHigh);
        }
        return inList != token.negated;
    }
    case Kind::Star:
        break;
    }
    return false;
}

bool LikePattern::Matches(const QString& value) const
{
    // Every token but the star takes exactly one character, so one way back
    // is enough: to the last star, which then takes one character more.
    const std::size_t n = static_cast<std::size_t>(value.size());
    const std::size_t m = m_tokens.size();
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::size_t p = 0;
    std::size_t v = 0;
    std::size_t star = None;
    std::size_t starValue = 0;
    while (v < n) {
        if (p < m && m_tokens[p].kind == Kind::Star) {
            star = p++;
            starValue = v;
            continue;
        }
        const char16_t raw = value[static_cast<qsizetype>(v)].unicode();
        if (p < m && TokenMatches(m_tokens[p], raw, Folded(raw))) {
            ++p;
            ++v;
            continue;
        }
        if (star == None)
            return false;
        p = star + 1;
        v = ++starValue;
    }
    while (p < m && m_tokens[p].kind == Kind::Star)
        ++p;
    return p == m;
}

// ---------------------------------------------------------------------------
// Criteria, ready to test many reports

struct CompiledCriteria {
    explicit CompiledCriteria(const SearchPattern& criteria)
        : TestType(criteria.TestType),
          Style(criteria.Style.toLower()),
          Reference2(criteria.Reference2),
          Reference3(criteria.Reference3),
          Reference4(criteria.Reference4),
          Operator(criteria.Operator)
    {
        int64_t unused = 0;
        int second = 0;
        WindowValid = OleDayAndSecond(criteria.DateFrom, DayFrom, second)
            && OleDayAndSecond(criteria.DateTo, DayTo, second)
            && OleDayAndSecond(criteria.TimeFrom, unused, SecondFrom)
            && OleDayAndSecond(criteria.TimeTo, unused, SecondTo);
    }

    int TestType;
    QString Style;
    LikePattern Reference2;
    LikePattern Reference3;
    LikePattern Reference4;
    LikePattern Operator;
    bool WindowValid = false;
    int64_t DayFrom = 0;
    int64_t DayTo = 0;
    int SecondFrom = 0;
    int SecondTo = 0;
};

// Whether the series date lies in the date and time windows. Only a real
// series date: 0 is the empty date, and a date before it would also sort
// ahead of the empty element 0 of the found list.
bool InWindows(double date, const CompiledCriteria& criteria)
{
    int64_t day = 0;
    int second = 0;
    if (!criteria.WindowValid || !(date > 0.0) || !OleDayAndSecond(date, day, second))
        return false;
    return day >= criteria.DayFrom && day <= criteria.DayTo && second >= criteria.SecondFrom
        && second <= criteria.SecondTo;
}

// The tests of a hit that need no block: finished, style, references,
// operator, date and time windows.
bool MatchesFilters(const Protocol& protocol, const CompiledCriteria& criteria)
{
    if (!protocol.Finished)
        return false;
    if (protocol.Style.Name.toLower() != criteria.Style)
        return false;
    if (!criteria.Reference2.Matches(protocol.Reference2) || !criteria.Reference3.Matches(protocol.Reference3)
        || !criteria.Reference4.Matches(protocol.Reference4) || !criteria.Operator.Matches(protocol.Operator))
        return false;
    return InWindows(protocol.Date, criteria);
}

// The same tests on a scanned report, whose texts are still bytes as stored.
// A pattern of stars takes any text unread; the reports of a folder mostly
// repeat a text (always the style name), whose verdict then stands.
class ScanFilter {
public:
    explicit ScanFilter(const CompiledCriteria& criteria) : m_criteria(criteria) {}

    bool Matches(const ReportScan& scan)
    {
        if (!scan.Finished)
            return false;
        const CompiledCriteria& c = m_criteria;
        if (!Repeated(m_style, scan.StyleName))
            m_style.Result = FromCp1252(scan.StyleName).toLower() == c.Style;
        if (!m_style.Result)
            return false;
        return Matches(m_reference2, c.Reference2, scan.Reference2) && Matches(m_reference3, c.Reference3, scan.Reference3)
            && Matches(m_reference4, c.Reference4, scan.Reference4) && Matches(m_operator, c.Operator, scan.Operator)
            && InWindows(scan.Date, c);
    }

private:
    struct LastText {
        std::string Stored;
        bool Known = false;
        bool Result = false;
    };

    // Whether the text is the one seen last; if not, it becomes that one.
    static bool Repeated(LastText& last, const std::string& stored)
    {
        if (last.Known && stored == last.Stored)
            return true;
        last.Stored = stored;
        last.Known = true;
        return false;
    }

    static bool Matches(LastText& last, const LikePattern& pattern, const std::string& stored)
    {
        if (pattern.MatchesAny())
            return true;
        if (!Repeated(last, stored))
            last.Result = pattern.Matches(FromCp1252(stored));
        return last.Result;
    }

    const CompiledCriteria& m_criteria;
    LastText m_style;
    LastText m_reference2;
    LastText m_reference3;
    LastText m_reference4;
    LastText m_operator;
};

// ---------------------------------------------------------------------------
// Sort

// The order the partition scheme leaves keys[0..n-1] in: position k of the
// result holds the index the element at k came from. Equal keys end where
// the scheme puts them; the smaller part is sorted by recursion, the larger
// by the loop.
void SortKeys(std::vector<double>& keys, std::vector<int32_t>& index, int32_t low, int32_t high)
{
    while (low < high) {
        int32_t i = low;
        int32_t j = high;
        const double pivot = keys[static_cast<std::size_t>(low + (high - low) / 2)];
        do {
            while (i < high && keys[static_cast<std::size_t>(i)] < pivot)
                ++i;
            while (j > low && keys[static_cast<std::size_t>(j)] > pivot)
                --j;
            if (i <= j) {
                std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
                std::swap(index[static_cast<std::size_t>(i)], index[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - low < high - i) {
            if (low < j)
                SortKeys(keys, index, low, j);
            low = i;
        } else {
            if (i < high)
                SortKeys(keys, index, i, high);
            high = j;
        }
    }
}

// The order of dates[0..n-1] by the scheme, as indexes into dates.
std::vector<int32_t> DateOrder(std::vector<double> dates)
{
    std::vector<int32_t> index(dates.size());
    for (std::size_t k = 0; k < index.size(); ++k)
        index[k] = static_cast<int32_t>(k);
    SortKeys(dates, index, 0, static_cast<int32_t>(dates.size()) - 1);
    return index;
}

// Moves found[low + k] to take the element from found[low + order[k]], one
// cycle at a time, so no second list of whole records is needed.
void Permute(std::vector<FoundProtocol>& found, int32_t low, const std::vector<int32_t>& order)
{
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == static_cast<int32_t>(start)) {
            placed[start] = true;
            continue;
        }
        FoundProtocol held = std::move(found[static_cast<std::size_t>(low) + start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = static_cast<std::size_t>(order[at]);
            if (from == start) {
                found[static_cast<std::size_t>(low) + at] = std::move(held);
                break;
            }
            found[static_cast<std::size_t>(low) + at] = std::move(found[static_cast<std::size_t>(low) + from]);
            at = from;
        }
    }
}

bool ClampBounds(const std::vector<FoundProtocol>& found, int32_t& low, int32_t& high)
{
    if (found.empty())
        return false;
    low = std::max<int32_t>(low, 0);
    high = static_cast<int32_t>(std::min<int64_t>(high, static_cast<int64_t>(found.size()) - 1));
    return low < high;
}

// ---------------------------------------------------------------------------
// Statistics

// The running sums of the long-term statistics; one test at a time.
class LongTermSums {
public:
    void Add(float value1, float value2)
    {
        ++m_stats.Count;
        Take(value1, m_stats.Sum1, m_stats.SumSq1, m_stats.Min1, m_stats.Max1);
        Take(value2, m_stats.Sum2, m_stats.SumSq2, m_stats.Min2, m_stats.Max2);
    }

    Statistics Result(bool passFail) const
    {
        if (m_stats.Count == 0)
            return MakeEmptyStatistics();
        Statistics s = m_stats;
        const double count = static_cast<double>(s.Count);
        // A pass/fail result always has its share of passes; nothing else
        // has a mean from a sum that is not above 0.
        if (passFail || s.Sum1 > 0)
            s.Mean1 = static_cast<float>(s.Sum1 / count);
        if (s.Sum2 > 0)
            s.Mean2 = static_cast<float>(s.Sum2 / count);
        Spread(s.Count, s.Sum1, s.SumSq1, s.Mean1, s.CV1, s.CI1);
        Spread(s.Count, s.Sum2, s.SumSq2, s.Mean2, s.CV2, s.CI2);
        return s;
    }

private:
    static void Take(float value, double& sum, double& sumSq, float& min, float& max)
    {
        if (!IsPresentValue(value))
            return;
        sum += value;
        sumSq += static_cast<double>(value) * static_cast<double>(value);
        if (min == NoValue || value < min)
            min = value;
        if (max == NoValue || value > max)
            max = value;
    }

    static void Spread(int32_t count, double sum, double sumSq, float mean, float& cv, float& ci)
    {
        if (!(mean > 0.0f) || count < 2)
            return;
        const double sd = std::sqrt(std::fabs(sumSq - static_cast<double>(mean) * sum) / (count - 1));
        cv = static_cast<float>(sd * 100.0 / mean);
        ci = static_cast<float>(static_cast<double>(cv) * StudentT95(count) / std::sqrt(static_cast<double>(count)));
    }

    Statistics m_stats = MakeEmptyStatistics();
};

// The position of the last item of the report form in use naming the test
// type; 0 when none.
int PropertyBlockOf(const std::array<ReportForm, StyleFormCount + 1>& forms, int formIndex, int testType)
{
    if (testType < 1 || testType > TestTypeCount || formIndex < 1 || formIndex > StyleFormCount)
        return 0;
    const ReportForm& form = forms[static_cast<std::size_t>(formIndex)];
    int position = 0;
    for (int i = 1; i <= ReportFormItemCount; ++i)
        if (form.Items[static_cast<std::size_t>(i)].Property == testType)
            position = i;
    return position;
}

// The serial number of a data string as ParseDataString gives it.
QString SerialNumberOf(const std::string& header)
{
    if (header.empty())
        return QString();
    return DataStringSerialNumber(header, DataStringInstrumentCode(header));
}

// The common serial number after a hit with that serial number.
QString NarrowedSerial(const QString& serial, const QString& current)
{
    if (current == NoHitSerial)
        return serial;
    if (current.isEmpty())
        return current;
    return current.compare(serial, Qt::CaseInsensitive) == 0 ? current : QString();
}

} // namespace

// ---------------------------------------------------------------------------
// Filter texts and the wildcard match

QString EscapeLikePattern(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'#' || c == u'[' || c == u']') {
            result += u'[';
            result += c;
            result += u']';
        } else {
            result += c;
        }
    }
    return result;
}

QString UnescapeLikePattern(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'[' && i + 2 < text.size() && text[i + 2] == u']'
            && (text[i + 1] == u'#' || text[i + 1] == u'[' || text[i + 1] == u']')) {
            result += text[i + 1];
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

bool MatchesLikePattern(const QString& value, const QString& pattern)
{
    return LikePattern(pattern).Matches(value);
}

// ---------------------------------------------------------------------------
// Criteria

SearchPattern BuildSearchCriteria(const SearchFilterValues& filters)
{
    SearchPattern c;
    c.TestType = filters.PropertyCode;
    c.Style = filters.StyleName;
    c.Reference2 = EscapeLikePattern(Trim(filters.Reference2));
    c.Reference3 = EscapeLikePattern(Trim(filters.Reference3));
    c.Reference4 = EscapeLikePattern(Trim(filters.Reference4));
    c.Operator = EscapeLikePattern(Trim(filters.Operator));
    c.DateFrom = DateSerial(filters.YearFrom, filters.MonthFrom, filters.DayFrom);
    c.DateTo = DateSerial(filters.YearTo, filters.MonthTo, filters.DayTo);
    if (c.DateFrom > c.DateTo)
        std::swap(c.DateFrom, c.DateTo);
    // The two ends are put in order by hour and minute before the seconds
    // are added, so the window holds both end minutes whole.
    int hourFrom = filters.HourFrom;
    int minuteFrom = filters.MinuteFrom;
    int hourTo = filters.HourTo;
    int minuteTo = filters.MinuteTo;
    if (static_cast<int64_t>(hourFrom) * 60 + minuteFrom > static_cast<int64_t>(hourTo) * 60 + minuteTo) {
        std::swap(hourFrom, hourTo);
        std::swap(minuteFrom, minuteTo);
    }
    c.TimeFrom = TimeSerial(hourFrom, minuteFrom, 0);
    c.TimeTo = TimeSerial(hourTo, minuteTo, 59);
    return c;
}

// ---------------------------------------------------------------------------
// One stored report

int FindPropertyBlock(const Protocol& protocol, int testType)
{
    return PropertyBlockOf(protocol.Style.Forms, protocol.FormIndex, testType);
}

bool MatchesSearchPattern(const Protocol& protocol, const SearchPattern& criteria, QString& commonSerial)
{
    const int b = FindPropertyBlock(protocol, criteria.TestType);
    if (b == 0 || protocol.Blocks[static_cast<std::size_t>(b)].Stats.Count <= 0)
        return false;
    if (!MatchesFilters(protocol, CompiledCriteria(criteria)))
        return false;
    commonSerial = CommonSerialNumber(protocol.Blocks[static_cast<std::size_t>(b)], commonSerial);
    return true;
}

QString CommonSerialNumber(const PropertyBlock& block, const QString& current)
{
    return NarrowedSerial(SerialNumberOf(block.Header), current);
}

void SortFoundProtocols(std::vector<FoundProtocol>& found, int32_t low, int32_t high)
{
    if (!ClampBounds(found, low, high))
        return;
    std::vector<double> dates;
    for (int32_t k = low; k <= high; ++k)
        dates.push_back(found[static_cast<std::size_t>(k)].Date);
    Permute(found, low, DateOrder(std::move(dates)));
}

bool TestParametersMatch(const std::string& header, const std::string& expected)
{
    // The block's header is what the instrument sent, the style's string the
    // reference: an empty field of the style never deviates, and the
    // tolerances of the models read the received string.
    for (const int16_t code : CompareDataStringParameters(header, expected))
        if (code != 0 && code != FieldSerialNumber)
            return false;
    return true;
}

bool IsPassFailDefinition(const TestDefinition& definition)
{
    // Result 1's unit code is position 48 of the data string.
    return definition.HeaderImage.size() >= 48 && IsPassFail(definition.HeaderImage.substr(47, 1));
}

// ---------------------------------------------------------------------------
// The search

LongTermSearchResult SearchLongTermReports(const SearchPattern& criteria, const TestDefinition& definition,
                                           const SearchProgress& progress)
{
    LongTermSearchResult result;
    const QString styleFolder = dskStyleFolderName(criteria.Style);
    const QString folder = dskBuildPath(DataFolder, styleFolder);
    const QStringList names = dskListFiles(folder);
    const int64_t n = names.size();
    const CompiledCriteria compiled(criteria);
    ScanFilter filter(compiled);

    // A search mostly finds most of the folder: room for all at once, so
    // the list is never copied while it grows.
    result.Found.reserve(static_cast<std::size_t>(n) + 1);
    result.Found.push_back(EmptyFoundProtocol);
    // The hits keep no tests: the statistics take them as they are read.
    LongTermSums sums;
    std::string serialHeader;   // the serial number of the last header, read once
    QString headerSerial;

    ReportScan scan;
    bool anyWriteBackFailed = false;
    int shownPercent = 0;
    for (int64_t i = 1; i <= n; ++i) {
        // The whole percent as the progress bar takes it, halves to even.
        const int percent = static_cast<int>(std::min(RoundHalfEven(static_cast<double>(i) * 100.0 / static_cast<double>(n)), 100.0));
        if (percent != shownPercent && progress) {
            shownPercent = percent;
            progress(percent);
        }
        const QString& name = names[static_cast<qsizetype>(i - 1)];
        bool writeBackFailed = false;
        const bool read = dskScanTestReport(folder, name, scan, writeBackFailed);
        anyWriteBackFailed = anyWriteBackFailed || writeBackFailed;
        if (!read)
            continue;
        // The tests of a hit have no side effect, so the block is read only
        // for a report that passed all the others.
        const int b = PropertyBlockOf(scan.Forms, scan.FormIndex, criteria.TestType);
        if (b == 0 || !filter.Matches(scan))
            continue;
        dskScanBlock(scan, b);
        if (scan.Stats.Count <= 0)
            continue;
        if (result.Found.size() == 1 || scan.Header != serialHeader) {
            serialHeader = scan.Header;
            headerSerial = SerialNumberOf(scan.Header);
        }
        result.CommonSerial = NarrowedSerial(headerSerial, result.CommonSerial);
        FoundProtocol hit;
        hit.Date = scan.Date;
        hit.LastTestDate = scan.LastTestDate;
        hit.Block = static_cast<int16_t>(b);
        hit.Header = scan.Header;
        hit.Stats = scan.Stats;
        hit.Path = styleFolder + u'\\' + name;
        result.Found.push_back(std::move(hit));
        for (const ReportScan::Values& test : scan.Tests)
            sums.Add(test.Value1, test.Value2);
    }
    if (result.Found.capacity() > 2 * result.Found.size())
        result.Found.shrink_to_fit();
    // Over the whole list, the empty element 0 included, which being
    // earliest stays first.
    SortFoundProtocols(result.Found, 0, static_cast<int32_t>(result.Found.size()) - 1);
    result.Statistics = sums.Result(IsPassFailDefinition(definition));

    // Reports that could not be written back were used all the same; the
    // user hears of it once.
    if (anyWriteBackFailed)
        ShowMessage(32);
    return result;
}

TestDefinition LongTermDefinition(const Style& selectedStyle, int propertyCode, const Statistics& statistics)
{
    TestDefinition definition = propertyCode >= 1 && propertyCode <= TestTypeCount
        ? selectedStyle.Tests[static_cast<std::size_t>(propertyCode)]
        : MakeBlankTestDefinition();
    const bool passFailUndefined = IsPassFailDefinition(definition) && !definition.Defined1;
    DefaultLimitsFromMean(statistics, definition);
    // A pass/fail nominal is a percentage of passed tests, and its limits
    // have no meaning (the style editor keeps none): one the style leaves
    // open is the share of passes in percent, with no limits, and never the
    // bare share, which the chart's 0 to 100 band would read as a percent.
    if (passFailUndefined) {
        definition.Nominal1 = IsPresentValue(statistics.Mean1) ? statistics.Mean1 * 100.0f : NoValue;
        definition.Lower1 = NoValue;
        definition.Upper1 = NoValue;
    }
    return definition;
}

void PreparePassFailScale(TestDefinition& definition, Statistics& statistics)
{
    // Keyed on the unit, not the test type: type 13 is pass/fail only on
    // one instrument and measures minutes on the others.
    if (!IsPassFailDefinition(definition))
        return;
    if (definition.Nominal1 == NoValue && IsPresentValue(statistics.Mean1))
        definition.Nominal1 = statistics.Mean1 * 100.0f;
    definition.Upper1 = 100.0f;
    definition.Lower1 = definition.Nominal1;
    statistics.Min1 = NoValue;
    statistics.Max1 = NoValue;
    statistics.CV1 = NoValue;
    statistics.CI1 = NoValue;
}

void ApplyCommonSerial(TestDefinition& definition, const QString& commonSerial)
{
    if (definition.HeaderImage.empty())
        return;
    definition.HeaderImage = SetDataStringField(definition.HeaderImage, FieldSerialNumber, commonSerial);
}
