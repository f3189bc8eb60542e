#include "file_lists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace {

// The directory above, worked out from the text alone: the directories on the
// way up may be gone too, and asking the disk would then end the walk early.
QString Parent(const QString& directory) {
    return QFileInfo(QDir::fromNativeSeparators(directory)).path();
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this, &DirListBox::Open);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DirListBox::LeaveIfRemoved);
}

bool DirListBox::setPath(const QString& directory) {
    QDir dir(directory);
    if (!dir.exists() || !dir.isReadable()) return false;
    const QString absolute = QDir::toNativeSeparators(dir.absolutePath());
    QStringList subdirectories = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    QStringList ancestors;  // from the root down to the directory itself
    for (QString up = dir.absolutePath();; up = Parent(up)) {
        ancestors.prepend(up);
        if (Parent(up) == up) break;
    }

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* parentItem = nullptr;
    for (const QString& ancestor : ancestors) {
        const QString name = QDir(ancestor).isRoot() ? QDir::toNativeSeparators(ancestor) : QDir(ancestor).dirName();
        auto* item = parentItem ? new QTreeWidgetItem(parentItem, {name}) : new QTreeWidgetItem(this, {name});
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, ancestor);
        parentItem = item;
    }
    for (const QString& name : subdirectories) {
        auto* item = new QTreeWidgetItem(parentItem, {name});
        item->setIcon(0, closed);
        item->setData(0, Qt::UserRole, dir.absoluteFilePath(name));
    }
    expandAll();
    setCurrentItem(parentItem);

    const bool changed = absolute != path_;
    path_ = absolute;
    Watch(absolute);
    if (changed) emit Changed();
    return true;
}

void DirListBox::Open(QTreeWidgetItem* item) {
    // A directory that vanished or is locked away stays closed; if it was the one
    // shown, the list must not stay on it before the watcher's notice comes.
    if (item && !setPath(item->data(0, Qt::UserRole).toString())) LeaveIfRemoved();
}

void DirListBox::Watch(const QString& directory) {
    const QStringList watched = watcher_.directories();
    if (watched == QStringList{directory}) return;
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    watcher_.addPath(directory);
}

void DirListBox::LeaveIfRemoved() {
    if (path_.isEmpty() || QFileInfo(path_).isDir()) return;
    for (QString up = Parent(path_); !setPath(up); up = Parent(up)) {
        if (Parent(up) == up) return;  // not even the root is left to show
    }
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::SelectionChanged);
    connect(this, &QListWidget::itemClicked, this, &FileListBox::ItemClicked);
}

void FileListBox::setPath(const QString& directory) {
    path_ = directory;
    const QDir dir(directory, pattern_, QDir::Name | QDir::IgnoreCase, QDir::Files);
    const QSignalBlocker quiet(this);  // emptying the list is no pick of the user's
    clear();
    addItems(dir.entryList());
}

QString FileListBox::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    pressChangedSelection_ = false;
    QListWidget::mousePressEvent(event);
}

void FileListBox::SelectionChanged() {
    pressChangedSelection_ = true;
    if (!fileName().isEmpty()) emit Click();
}

void FileListBox::ItemClicked() {
    // A click on the name already selected changes no selection but is a pick all the same.
    if (!pressChangedSelection_) emit Click();
    pressChangedSelection_ = false;
}
