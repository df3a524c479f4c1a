#pragma once
// Shared by the report-file and pending-series tests: a fresh program and
// data folder per test, message boxes answered by script, and small file
// helpers.
#include "support/ScriptedPresenter.h"
#include "foundation/Records.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

class ReportFilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lines of QUINTARA.LOG in the program folder.
    QStringList LogLines() const;

    QTemporaryDir Temp;
    QString Program;    // program folder
    QString Data;       // DataFolder
    ScriptedPresenter Presenter;
};

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const std::string& bytes);
// True when no write bit of the file is set.
bool IsReadOnly(const QString& path);
// n copies of the bytes.
std::string Repeat(const std::string& bytes, int n);

// A series with texts, dates and tests in two blocks.
Protocol SampleProtocol(const QString& styleName, double date);
// The bytes of a report file written by hand from a version text and a packed record.
std::string ReportHeader(const std::string& version);
