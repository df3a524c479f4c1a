#pragma once
// The trash that the tests' files go to: the home trash of the test
// program's own home (TestMain), which shares the file system of every
// scratch folder. GLib reads the data folder once a run, so a test cannot
// point it elsewhere; a test that looks into the trash empties it first.
#include <QString>

// Where a file of that name lies in the trash, and its info file.
QString TrashedFile(const QString& name);
QString TrashInfoFile(const QString& name);

// Removes the trash with all it holds; only a trash in the temporary folder
// (the test program's home) is touched. False when it is still there.
bool EmptyTestTrash();

// A trash that cannot be made: a plain file takes its place.
bool BlockTestTrash();
