#pragma once
// The error number and text of a failed file or system call, as the log
// records them: the classic number where one fits (53 file not found, 57
// device I/O error, 61 disk full, 70 permission denied, 75 path/file access
// error, 76 path not found), else the errno value; the text is the system's
// own message.
#include <QString>
#include <cstdint>

class QFileDevice;

// Classic numbers of failures the program finds itself, with no errno
// behind them.
namespace ClassicError {
inline constexpr int32_t SubscriptOutOfRange = 9;   // an index read from a file lies outside its array
inline constexpr int32_t FileAlreadyExists = 58;    // a new file's name was taken at the moment it was to be given
inline constexpr int32_t InputPastEndOfFile = 62;   // a file ends inside its record
inline constexpr int32_t BadFileName = 64;          // a name read from a file cannot be used as one
inline constexpr int32_t BadFileMode = 54;          // a pipe, socket, device or folder where a file is meant
inline constexpr int32_t BadRecordLength = 59;      // a file larger than the program writes one of its kind
inline constexpr int32_t PathFileAccess = 75;       // a file that may not be replaced
} // namespace ClassicError

struct SystemError {
    int32_t Number = 0;
    QString Text;
};

// The classic number of an errno value. A missing entry (ENOENT) is "path not
// found" (76) when the folder of the given path is missing too, else "file
// not found" (53).
int32_t ClassicErrorNumber(int errnoValue, const QString& path = QString());

// Number and the system's message of an errno value.
SystemError ErrorFromErrno(int errnoValue, const QString& path = QString());

// The error of a QFile or QSaveFile after a failed call: the errno behind its
// error string where it can be told, else a number by the kind of error.
SystemError ErrorFromFile(const QFileDevice& file);
