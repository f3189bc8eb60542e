// The two lists of the Qt window's file browser, as plain views: DirListBox
// shows the directory lines it is given (the way down from the root as open
// folders, the subdirectories as closed ones) and says which line the user
// opened; FileListBox shows the form names it is given and says when the user
// picks one. What is listed, and what opening or picking does, is the
// behaviour's. DirListBox also watches the directory shown and says when it
// changed, so that the lists can follow the disk and one removed under them
// can be left. Both draw a focus frame while they have the focus.
#pragma once

#include <QEvent>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QIcon>
#include <QListWidget>
#include <QString>
#include <QTimer>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "main_window.h"

/// Outlines `list`'s frame in the highlight colour, as Fusion outlines a
/// focused line edit or button.
void PaintFocusFrame(QFrame& list);

/// An item view whose frame shows the focus. Fusion draws none on item views:
/// tabbing through the window, the focus seemed lost at the two lists.
template <class View>
class FocusFramed : public View {
public:
    using View::View;

protected:
    bool event(QEvent* event) override {
        const bool handled = View::event(event);
        // The scroll area's own paint is its frame, around the viewport.
        if (event->type() == QEvent::Paint && this->hasFocus()) PaintFocusFrame(*this);
        return handled;
    }
    void focusInEvent(QFocusEvent* event) override {
        View::focusInEvent(event);
        this->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        View::focusOutEvent(event);
        this->update();
    }
};

class DirListBox : public FocusFramed<QTreeWidget> {
    Q_OBJECT

public:
    explicit DirListBox(QWidget* parent = nullptr);

    /// The full path of the directory shown, in the system's own spelling.
    QString path() const { return path_; }

    /// Shows `entries`, with the line of `directory` as the current one; when
    /// `directory` is shown already, the current line and the scrolling stay
    /// where they were if that line is still there.
    void Show(const std::string& directory, const std::vector<tarvel::ui::DirectoryEntry>& entries);

signals:
    /// The user opened a line (double-click or Enter); its full path.
    void Opened(const QString& path);
    /// The directory shown changed on the disk, perhaps by going away; a burst
    /// of changes (a program writing many files) is told once, when it settles.
    void DirectoryChanged();

private:
    QString path_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    // The program's own folders, not the desktop's: looking those up in the icon
    // theme costs more than the rest of the window's start.
    QIcon openFolder_;
    QIcon closedFolder_;
};

class FileListBox : public FocusFramed<QListWidget> {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    /// Lists `names` with none selected, raising no Click.
    void List(const std::vector<std::string>& names);

    /// The selected name without its directory; empty when nothing is selected.
    QString fileName() const;

    /// Selects `name` and scrolls it into view, raising no Click.
    void Select(const QString& name);

signals:
    /// The user picked a name, with the mouse or by moving the selection with the keyboard.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SelectionChanged();
    void ItemClicked();

    bool pressChangedSelection_ = false;
};
