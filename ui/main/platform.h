// What differs between the systems the window runs on: which drives there are
// and where they open, the modal warning box, the clipboard, the ANSI code page
// the RC text is read back in, and ending the program. The window reaches these
// only through Platform, so tests stand in their own drives and answer the
// message boxes themselves; nothing here knows the window's controls.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>

class QWidget;

namespace tarvel {

class Platform {
public:
    virtual ~Platform() = default;

    /// The drive texts the drive list offers, the start drive first.
    virtual QStringList Drives() const;

    /// The directory a drive text opens at, in the system's own spelling.
    virtual QString DriveDirectory(const QString& drive) const;

    /// The drive text of the drive that holds `directory`.
    QString DriveOf(const QString& directory) const;

    /// What the window starts on: "c:\" and "\" on Windows, the root elsewhere.
    QString StartDrive() const;
    QString StartDirectory() const;

    /// A modal warning with one OK button; the caller waits until it is dismissed.
    virtual void ShowMessage(QWidget& parent, const QString& text, const QString& title);

    /// Empties the clipboard, then puts `text` on it as plain text.
    virtual void PutOnClipboard(const QString& text);

    /// The Windows code page that text without a code page of its own is read in.
    virtual int AnsiCodePage() const;

    /// Ends the program: every window closes and no handler runs after this one.
    virtual void EndProgram();
};

/// The Windows ANSI code page that goes with a locale's language (1252 when none does).
int CodePageForLocale(const QLocale& locale);

/// The RC text's bytes as text: UTF-8 when they are valid UTF-8, otherwise the
/// given Windows code page, so that every caption character arrives.
QString DecodeRcText(const std::string& bytes, int ansiCodePage);

/// A path the window shows, as the file system path the conversion opens.
std::filesystem::path FileSystemPath(const QString& path);

/// A file system path as UTF-8 text, as MainFormState keeps it.
std::string Utf8(const QString& text);

}  // namespace tarvel
