#include "file_lists.h"

#include <QPainter>
#include <QScrollBar>

#include "form_units.h"

namespace {

// Long enough to gather one program's burst of writes, short enough to look immediate.
constexpr int kSettleMilliseconds = 100;

}  // namespace

void PaintFocusFrame(QFrame& list) {
    QPainter painter(&list);
    QColor highlight = list.palette().color(QPalette::Highlight);
    painter.setPen(highlight);
    painter.drawRect(list.rect().adjusted(0, 0, -1, -1));
    // A softer inner line, where the frame is wide enough, as Fusion's line edit has.
    if (list.frameWidth() > 1) {
        highlight.setAlpha(96);
        painter.setPen(highlight);
        painter.drawRect(list.rect().adjusted(1, 1, -2, -2));
    }
}

DirListBox::DirListBox(QWidget* parent) : FocusFramed<QTreeWidget>(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { emit Opened(item->data(0, Qt::UserRole).toString()); });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&settle_, &QTimer::timeout, this, &DirListBox::DirectoryChanged);
}

void DirListBox::Show(const std::string& directory, const std::vector<tarvel::ui::DirectoryEntry>& entries) {
    const QString shown = QString::fromStdString(directory);
    const bool again = shown == path_;
    const QString kept = again && currentItem() ? currentItem()->data(0, Qt::UserRole).toString() : QString();
    const int scrolled = verticalScrollBar()->value();
    clear();
    path_ = shown;
    if (openFolder_.isNull()) {  // read when first needed, after the window is on the screen
        openFolder_ = IconFromPng({":/icons/folder-open-16.png"});
        closedFolder_ = IconFromPng({":/icons/folder-closed-16.png"});
    }
    std::vector<QTreeWidgetItem*> lastAtDepth;  // each line hangs below the last line one level up
    QTreeWidgetItem* current = nullptr;
    for (const tarvel::ui::DirectoryEntry& entry : entries) {
        const QStringList text{QString::fromStdString(entry.name)};
        const auto depth = static_cast<std::size_t>(entry.depth);
        QTreeWidgetItem* parent = depth > 0 && depth <= lastAtDepth.size() ? lastAtDepth[depth - 1] : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent, text) : new QTreeWidgetItem(this, text);
        item->setIcon(0, entry.open ? openFolder_ : closedFolder_);
        item->setData(0, Qt::UserRole, QString::fromStdString(entry.path));
        lastAtDepth.resize(depth);
        lastAtDepth.push_back(item);
        if (entry.path == directory && !current) current = item;
        if (again && item->data(0, Qt::UserRole).toString() == kept) current = item;
    }
    expandAll();
    setCurrentItem(current);
    if (again) verticalScrollBar()->setValue(scrolled);
    // Laid out now, not by the view's timer once the window has been painted:
    // the first paint then shows the scroll bar as it stays, not a moment before it.
    doItemsLayout();

    const QStringList watched = watcher_.directories();
    if (watched == QStringList{path_}) return;
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    watcher_.addPath(path_);
}

FileListBox::FileListBox(QWidget* parent) : FocusFramed<QListWidget>(parent) {
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

void FileListBox::Select(const QString& name) {
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return;
    const QSignalBlocker quiet(this);
    setCurrentItem(found.first());
    scrollToItem(found.first());
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
