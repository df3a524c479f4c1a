#pragma once
// The curve file (".ABT") of an airbag-fabric test: "ABT", the version text
// "8.0" with its 16-bit length, then the packed ABTCurve: Header with its
// length, Factor1, Factor2 (16-bit), P1, P2, S (512 little-endian singles
// each). 6218 bytes with a 60-character header.
#include "foundation/CurveRecords.h"
#include "platform/BinaryIO.h"
#include "platform/ErrorCodes.h"

#include <QString>
#include <cstdint>

// The largest file at a curve's name that is read: a curve file is 6218
// bytes with a 60-character header and is accepted within a tenth of that;
// a change of data folder copies any curve file as it lies, so the bound is
// ten times that. A larger file is refused as damaged without being read.
inline constexpr int64_t MaxCurveFileSize = 64 * 1024;

// Packed layout of the curve record, as it lies in the curve file behind
// the version text. GetRecord replaces the record; after a short read the
// reader is failed.
void PutRecord(BinaryWriter& out, const ABTCurve& curve);
void GetRecord(BinaryReader& in, ABTCurve& curve);

// Writes the curve as a new read-only file in DataFolder and returns its bare
// name ("2024.01.05, 13.07.09.ABT"), or "" after one log line. The name is
// made from `when`; while a file or folder of that name exists (in any case)
// the stamp moves on one second, at most 3600 times. Never replaces a file,
// not even one another seat gives the name between the look and the write
// (the next second is taken then): a failed write leaves no file behind. A DataFolder that does not exist is
// replaced by the program folder, and DataFolder follows. failure, when
// given, receives the error of a failed write (a full disk shows as 61).
QString abtFilePut(const ABTCurve& curve, double when, SystemError* failure = nullptr);

// True for an acceptable curve file: a bare name (no folder part, no ".."),
// the extension "ABT" in any case, an existing file of 5597 to 6839 bytes
// with the magic "ABT", a numeric version text, and room for the whole record
// behind its stored header length. Names that could reach outside the folder
// are refused without touching the disk.
bool abtIsAirbagFile(const QString& folder, const QString& name);

// The curve stored in the file, or the empty curve when abtIsAirbagFile
// refuses it; also empty, with one log line, when the record does not read
// whole or a sample is not finite.
ABTCurve abtFileGet(const QString& folder, const QString& name);
