#pragma once
// The drive list and the folder list of the dialogs that choose a folder.
// A "drive" is a mounted volume, named by its root path ("/", "/media/usb");
// the folder list shows the folders above the current one and the folders
// inside it, and a double-click (or Enter) on one opens it.
//
// Setting Drive or Path from the program fires no handler; the dialogs call
// their handlers themselves where they need them.
#include <QComboBox>
#include <QListWidget>
#include <QString>

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // Lists the mounted volumes that are ready, by root path.
    void Refresh();
    // Adds one root path to the list (a volume that may not be ready).
    void AddDrive(const QString& rootPath, const QString& label = QString());

    // The root path of the volume shown; empty when none is.
    QString Drive() const;
    // Shows the volume with that root path (looked for again among the
    // mounted volumes when it is not listed, and added when it is a ready
    // volume the system does not list). False when there is none.
    bool SetDrive(const QString& rootPath);

    // The root path of the volume that holds the folder; empty when the
    // folder does not exist.
    static QString DriveOfPath(const QString& path);
};

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder (an absolute path, without a trailing "/" except
    // for the root).
    QString Path() const { return m_path; }
    // Opens the folder. False, and nothing changes, when it does not exist.
    bool SetPath(const QString& path);
    // Shows a folder that cannot be reached now (a share away) as the
    // current one, with the folders above it and nothing inside: the dialog
    // keeps naming what the setting names until the user opens another.
    void ShowAway(const QString& path);
    // The folder behind a row of the list.
    QString PathOfRow(int row) const;

signals:
    // The current folder changed by the user.
    void PathChanged(const QString& path);

protected:
    // Enter opens the highlighted folder and goes no further: in a dialog it
    // would also press the default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();

    QString m_path;
};
