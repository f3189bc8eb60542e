#include "file_lists.h"

#include <QStyle>

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { emit Opened(item->data(0, Qt::UserRole).toString()); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DirListBox::DirectoryChanged);
}

void DirListBox::Show(const std::string& directory, const std::vector<tarvel::ui::DirectoryEntry>& entries) {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    path_ = QString::fromStdString(directory);
    std::vector<QTreeWidgetItem*> lastAtDepth;  // each line hangs below the last line one level up
    QTreeWidgetItem* current = nullptr;
    for (const tarvel::ui::DirectoryEntry& entry : entries) {
        const QStringList text{QString::fromStdString(entry.name)};
        const auto depth = static_cast<std::size_t>(entry.depth);
        QTreeWidgetItem* parent = depth > 0 && depth <= lastAtDepth.size() ? lastAtDepth[depth - 1] : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent, text) : new QTreeWidgetItem(this, text);
        item->setIcon(0, entry.open ? open : closed);
        item->setData(0, Qt::UserRole, QString::fromStdString(entry.path));
        lastAtDepth.resize(depth);
        lastAtDepth.push_back(item);
        if (entry.path == directory) current = item;
    }
    expandAll();
    setCurrentItem(current);

    const QStringList watched = watcher_.directories();
    if (watched == QStringList{path_}) return;
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    watcher_.addPath(path_);
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::SelectionChanged);
    connect(this, &QListWidget::itemClicked, this, &FileListBox::ItemClicked);
}

void FileListBox::List(const std::vector<std::string>& names) {
    const QSignalBlocker quiet(this);  // emptying the list is no pick of the user's
    clear();
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) items << QString::fromStdString(name);
    addItems(items);
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
