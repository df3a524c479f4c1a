#pragma once
// The small window that counts the files a long step has moved: a change
// of data folder moves every open series and every curve its tests name,
// which on a share takes minutes, and the Data settings' OK would look
// frozen meanwhile. The step counts its files while a FileProgressScope
// lives (the Data settings' OK holds one around the change); the window
// shows the count once the scope has lived a second, and goes with it. A
// step run without a scope counts nothing and shows nothing.
#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;

class frmFileProgress : public QDialog {
    Q_OBJECT
public:
    explicit frmFileProgress(int16_t language);
    // "<moved> of <total>" below the caption, and the bar.
    void ShowCount(int moved, int total);

private:
    QLabel* m_count = nullptr;
    QProgressBar* m_bar = nullptr;
    int16_t m_language = 0;
};

class FileProgressScope {
public:
    explicit FileProgressScope(int16_t language);
    ~FileProgressScope();
    FileProgressScope(const FileProgressScope&) = delete;
    FileProgressScope& operator=(const FileProgressScope&) = delete;
};

// The step will move this many files more.
void AddFilesToMove(int files);
// One more file moved.
void CountFileMoved();
// The step goes on without a file to count (the old names going once the
// new folder is named): the window still shows once it is due, and is
// painted again, rather than standing frozen while a share removes them.
void KeepFileProgressShown();

// For tests: what shows the count instead of the window (called with the
// count at every change once shown, and with -1 when the scope ends), and
// after how many milliseconds of the scope it (or the window, for an empty
// show) is first shown; 1000 unless a test says otherwise.
void SetFileProgressShow(std::function<void(int moved, int total)> show, int delayMs);
