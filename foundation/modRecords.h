#pragma once
// Empty and blank instances of every record, the emptiness tests, and the
// packed file layout of each record.
#include "foundation/ChartRecords.h"
#include "foundation/CurveRecords.h"
#include "foundation/DataStringRecord.h"
#include "foundation/GridInfoRow.h"
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"
#include "platform/BinaryIO.h"

// The instances new records start from and emptiness tests compare with.
// They hold their values from program start; InitDefaultRecords builds them
// again in the documented order.
extern TestValue EmptyTestValue;
extern Statistics EmptyStatistics;
extern PropertyBlock EmptyPropertyBlock;
extern Protocol EmptyProtocol;
extern FoundProtocol EmptyFoundProtocol;
extern ReportFormItem BlankReportFormItem;
extern ReportForm BlankReportForm;
extern TestDefinition BlankTestDefinition;
extern Style BlankStyle;
extern SearchPattern EmptySearchPattern;
extern KeyboardDefinition EmptyKeyboardDefinition;
extern ReferenceTitles DefaultReferenceTitles;
extern DataStringRecord EmptyDataStringRecord;
extern Profile EmptyProfile;
extern Histogram EmptyHistogram;
extern DeviationData EmptyDeviationData;
extern GridInfoRow EmptyGridInfoRow;
extern LongTermAnalysis EmptyLongTermAnalysis;
extern PlotWindow EmptyPlotWindow;
extern ABTCurve EmptyABTCurve;
extern AbtEvaluation EmptyAbtEvaluation;
extern AbtOptions EmptyAbtOptions;
extern AbtRawLines EmptyAbtRawLines;

// Builders of the instances above, for initialising other globals without
// depending on the order in which globals are constructed.
ReportFormItem MakeBlankReportFormItem();
ReportForm MakeBlankReportForm();
TestDefinition MakeBlankTestDefinition();
Style MakeBlankStyle();
TestValue MakeEmptyTestValue();
Statistics MakeEmptyStatistics();
PropertyBlock MakeEmptyPropertyBlock();
Protocol MakeEmptyProtocol();
FoundProtocol MakeEmptyFoundProtocol();
ReferenceTitles MakeDefaultReferenceTitles();
DataStringRecord MakeEmptyDataStringRecord();
Profile MakeEmptyProfile();
Histogram MakeEmptyHistogram();
DeviationData MakeEmptyDeviationData();
LongTermAnalysis MakeEmptyLongTermAnalysis();
ABTCurve MakeEmptyABTCurve();
AbtEvaluation MakeEmptyAbtEvaluation();
AbtOptions MakeEmptyAbtOptions();

// Builds every empty and default instance; called once at start-up before
// the settings file is read.
void InitDefaultRecords();

// The default system settings; DataFolder is the program folder.
SystemSettings DefaultSystemSettings(const QString& programFolder);

bool IsEmptyTestValue(const TestValue& value);
bool IsEmptyStatistics(const Statistics& stats);
// The bounds of Values are not compared: a block holding only empty tests is empty.
bool IsEmptyPropertyBlock(const PropertyBlock& block);
bool IsEmptyProtocol(const Protocol& protocol);
bool IsEmptyFoundProtocol(const FoundProtocol& found);
bool IsEmptyStyle(const Style& style);
bool IsEmptyTestDefinition(const TestDefinition& definition);
bool IsEmptyReportForm(const ReportForm& form);
bool IsEmptyReportFormItem(const ReportFormItem& item);
bool IsEmptySearchPattern(const SearchPattern& pattern);
bool IsEmptyKeyboardDefinition(const KeyboardDefinition& definition);
bool IsEmptyDataStringRecord(const DataStringRecord& record);
bool IsEmptyPlotWindow(const PlotWindow& window);
// Compares the bounds of Values, not its elements.
bool IsEmptyProfile(const Profile& profile);
bool IsEmptyHistogram(const Histogram& histogram);
bool IsEmptyDeviationData(const DeviationData& data);
bool IsEmptyLongTermAnalysis(const LongTermAnalysis& analysis);

// Smallest packed sizes, used to check an array's element count against
// what remains of a file before anything is allocated.
inline constexpr std::size_t PackedTestValueMinSize = 35;
inline constexpr std::size_t PackedStatisticsSize = 76;
inline constexpr std::size_t PackedPropertyBlockMinSize = 149;
inline constexpr std::size_t PackedTestDefinitionMinSize = 40;
inline constexpr std::size_t PackedReportFormMinSize = 38;
inline constexpr std::size_t PackedStyleMinSize = 1182;
inline constexpr std::size_t PackedProtocolMinSize = 2120;

// The largest test report (a pending file, a staged or stored report) the
// program writes: a series of six property blocks of at most 999 tests each,
// a test's record with its texts as they are typed and measured well under
// 8 KiB, and the style with its ten report forms. 64 MiB is many times that;
// a larger file at a report's name is none the program wrote there and is
// refused as damaged without being read.
inline constexpr int64_t MaxReportFileSize = 64LL * 1024 * 1024;
inline constexpr std::size_t PackedSearchPatternMinSize = 12;

// Packed layout: every field in declaration order, nothing between them.
// GetRecord replaces the record's content; when the reader fails part-way the
// rest reads as zeros and empty texts and reader.Ok() is false.
void PutRecord(BinaryWriter& out, const TestValue& value);
void PutRecord(BinaryWriter& out, const Statistics& stats);
void PutRecord(BinaryWriter& out, const PropertyBlock& block);
void PutRecord(BinaryWriter& out, const Protocol& protocol);
void PutRecord(BinaryWriter& out, const TestDefinition& definition);
void PutRecord(BinaryWriter& out, const ReportFormItem& item);
void PutRecord(BinaryWriter& out, const ReportForm& form);
void PutRecord(BinaryWriter& out, const Style& style);
void PutRecord(BinaryWriter& out, const SearchPattern& pattern);
void PutRecord(BinaryWriter& out, const KeyboardDefinition& definition);
void PutRecord(BinaryWriter& out, const ReferenceTitles& titles);
void PutRecord(BinaryWriter& out, const SystemSettings& settings);
void PutRecord(BinaryWriter& out, const Passwords& passwords);
void PutRecord(BinaryWriter& out, const StringRecord& text);

void GetRecord(BinaryReader& in, TestValue& value);
void GetRecord(BinaryReader& in, Statistics& stats);
void GetRecord(BinaryReader& in, PropertyBlock& block);
void GetRecord(BinaryReader& in, Protocol& protocol);
void GetRecord(BinaryReader& in, TestDefinition& definition);
void GetRecord(BinaryReader& in, ReportFormItem& item);
void GetRecord(BinaryReader& in, ReportForm& form);
void GetRecord(BinaryReader& in, Style& style);
void GetRecord(BinaryReader& in, SearchPattern& pattern);
void GetRecord(BinaryReader& in, KeyboardDefinition& definition);
void GetRecord(BinaryReader& in, ReferenceTitles& titles);
void GetRecord(BinaryReader& in, SystemSettings& settings);
void GetRecord(BinaryReader& in, Passwords& passwords);
void GetRecord(BinaryReader& in, StringRecord& text);
