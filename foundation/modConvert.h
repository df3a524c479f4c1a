#pragma once
// Conversion of styles and series read in an older layout into the current
// records. Each result goes to the first argument; the old record is not changed.
#include "foundation/OldRecords.h"

void ConvertStyleBefore26(Style& newStyle, const StyleBefore26& oldStyle);
void ConvertProtocolBefore26(Protocol& newProtocol, const ProtocolBefore26& oldProtocol);
void ConvertProtocolBefore60(Protocol& newProtocol, const ProtocolBefore60& oldProtocol);
void ConvertSubRecordArray(PropertyBlock& newBlock, const PropertyBlockBefore60& oldBlock);
void ConvertSubRecord(TestValue& newValue, const TestValueBefore60& oldValue);

// Test type 17 was inserted in version 2.6: report-form items of older files
// that name a test type above 16 move up by one.
void RenumberReportFormBefore26(ReportForm& form);

// A file's version text as the Single the older versions compared it as:
// "2.6" must compare equal to 2.6 in single precision, never below it.
float VersionNumber(const QString& versionText);
// True when the version text names a version below the given one.
bool VersionBefore(const QString& versionText, float version);
