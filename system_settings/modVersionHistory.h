#pragma once
// The version history of the program, shown on request in the About window,
// and the release date of this version.
#include <QString>
#include <vector>

// One entry of the history: a change of one version.
struct VersionHistoryEntry {
    QString Version;    // three numbers joined by points, "8.0.0"
    double Date = 0;    // release date of the version
    QString Ref;        // change reference: F, D or U and four digits; empty for the first release
    QString Text;       // one line, at most 97 characters
};

// The entries, newest first: the dates never increase along the list.
std::vector<VersionHistoryEntry> VersionHistoryEntries();

// The history as one text: per entry Version, TAB, date in the date format
// set now (DateFormat), TAB, Ref, TAB, Text and CR LF, the last line too.
QString VersionHistoryText();

// The release date of the running version: the date of the changelog entry
// the build took its version from (ProgramReleaseDate).
double ReleaseDate();
