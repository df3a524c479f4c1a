#include "platform/DriveFolderLists.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <algorithm>

namespace {

QString CleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    Refresh();
}

void DriveListBox::Refresh()
{
    const QString shown = Drive();
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
    const QSignalBlocker block(this);
    clear();
    for (const QStorageInfo& volume : volumes) {
        if (volume.isValid() && volume.isReady())
            AddDrive(volume.rootPath(), volume.displayName());
    }
    const int index = findData(shown);
    setCurrentIndex(index);
}

void DriveListBox::AddDrive(const QString& rootPath, const QString& label)
{
    if (findData(rootPath) >= 0)
        return;
    QString text = rootPath;
    if (!label.isEmpty() && label != rootPath)
        text += QStringLiteral("  [") + label + u']';
    const QSignalBlocker block(this);
    addItem(text, rootPath);
}

QString DriveListBox::Drive() const
{
    return currentIndex() >= 0 ? currentData().toString() : QString();
}

bool DriveListBox::SetDrive(const QString& rootPath)
{
    if (rootPath.isEmpty())
        return false;
    int index = findData(rootPath);
    if (index < 0) {
        Refresh();
        index = findData(rootPath);
    }
    if (index < 0) {
        // The system leaves some volumes out of its list (a tmpfs below /dev,
        // for one), yet they hold folders the user may have chosen.
        const QStorageInfo volume(rootPath);
        if (volume.isValid() && volume.isReady() && volume.rootPath() == rootPath) {
            AddDrive(rootPath, volume.displayName());
            index = findData(rootPath);
        }
    }
    if (index < 0)
        return false;
    const QSignalBlocker block(this);
    setCurrentIndex(index);
    return true;
}

QString DriveListBox::DriveOfPath(const QString& path)
{
    if (!IsExistingFolder(path))
        return QString();
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QString();
}

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString path = item ? item->data(Qt::UserRole).toString() : QString();
        if (!path.isEmpty() && path != m_path && SetPath(path))
            emit PathChanged(m_path);
    });
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    QListWidget::keyPressEvent(event);
    // The list activates the item and leaves the key to its parents.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        event->accept();
}

bool DirListBox::SetPath(const QString& path)
{
    if (!IsExistingFolder(path))
        return false;
    m_path = CleanFolder(path);
    Fill();
    return true;
}

void DirListBox::ShowAway(const QString& path)
{
    m_path = CleanFolder(path);
    Fill();
}

QString DirListBox::PathOfRow(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->data(Qt::UserRole).toString() : QString();
}

void DirListBox::Fill()
{
    const QSignalBlocker block(this);
    clear();
    // The chain of folders from the root down to the current one.
    // Taken from the path itself, so that a folder away has its chain too.
    QStringList chain;
    chain.prepend(m_path);
    while (chain.front() != QLatin1String("/") && !chain.front().isEmpty())
        chain.prepend(QFileInfo(chain.front()).path());
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = folder == QLatin1String("/") ? folder : QFileInfo(folder).fileName();
        auto* row = new QListWidgetItem(QString(depth * 2, u' ') + name, this);
        row->setData(Qt::UserRole, folder);
        ++depth;
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);

    // The folders inside it, hidden ones too, names ignoring case.
    QDir current(m_path);
    const QStringList subfolders = current.entryList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        // Qt lists a link to a device among the folders; only what resolves
        // to a directory is one.
        if (!QFileInfo(current.absoluteFilePath(name)).isDir())
            continue;
        auto* row = new QListWidgetItem(QString(depth * 2, u' ') + name, this);
        row->setData(Qt::UserRole, current.absoluteFilePath(name));
    }
}
