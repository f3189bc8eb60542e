// The two lists of the window's small file browser. DirListBox shows where the
// user is (each directory above as an open folder) and the subdirectories that
// can be opened; FileListBox shows one directory's files that match a pattern.
// Both say what changed through signals, also when a handler set the value, and
// neither knows about drives: the window ties them together. DirListBox watches
// the directory it shows, so one removed under it is left for what remains.
#pragma once

#include <QFileSystemWatcher>
#include <QListWidget>
#include <QString>
#include <QTreeWidget>

class DirListBox : public QTreeWidget {
    Q_OBJECT

public:
    explicit DirListBox(QWidget* parent = nullptr);

    /// The full path of the directory shown, in the system's own spelling.
    QString path() const { return path_; }

    /// Moves to `directory`. False, with the list unchanged, when it cannot be
    /// listed; Changed is raised only when the path really changes.
    bool setPath(const QString& directory);

signals:
    void Changed();

private:
    void Open(QTreeWidgetItem* item);
    void Watch(const QString& directory);
    /// When the directory shown is gone, moves up to the nearest one that is left.
    void LeaveIfRemoved();

    QString path_;
    QFileSystemWatcher watcher_;
};

class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    /// Names are matched whatever their case, so MENU.FRM is listed too.
    void setPattern(const QString& pattern) { pattern_ = pattern; }
    QString pattern() const { return pattern_; }

    QString path() const { return path_; }
    void setPath(const QString& directory);

    /// The selected name without its directory; empty when nothing is selected.
    QString fileName() const;

signals:
    /// The user picked a name, with the mouse or by moving the selection with the keyboard.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SelectionChanged();
    void ItemClicked();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    bool pressChangedSelection_ = false;
};
