#include "platform.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStorageInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>

#include "code_page.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvel {
namespace {

#ifndef _WIN32
// Where a user's own disks, partitions and removable media are mounted; the
// rest of the mount table is the system's business.
bool IsBrowsedMount(const QString& root) {
    static const std::array<QString, 4> places = {
        QStringLiteral("/home"), QStringLiteral("/media/"), QStringLiteral("/mnt/"), QStringLiteral("/run/media/")};
    return std::any_of(places.begin(), places.end(),
                       [&](const QString& place) { return root == place || root.startsWith(place.endsWith('/') ? place : place + '/'); });
}

bool IsPseudoFileSystem(const QByteArray& type) {
    static const std::array<QByteArray, 18> pseudo = {
        "proc", "sysfs", "cgroup", "cgroup2", "devtmpfs", "devpts", "securityfs", "debugfs", "tracefs",
        "pstore", "bpf", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs", "binfmt_misc", "efivarfs"};
    return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}
#endif

}  // namespace

QStringList Platform::Drives() const {
    QStringList drives;
#ifdef _WIN32
    // Every drive letter, also one without a medium: picking it is how the
    // user learns to insert the diskette.
    for (const QFileInfo& root : QDir::drives()) drives << root.path().left(2).toLower();
#else
    drives << QStringLiteral("/");
    QStringList mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (IsBrowsedMount(root) && !IsPseudoFileSystem(volume.fileSystemType()) && !mounts.contains(root))
            mounts << root;
    }
    mounts.sort();
    drives << mounts;
#endif
    return drives;
}

QString Platform::DriveDirectory(const QString& drive) const {
#ifdef _WIN32
    return drive.left(2) + QStringLiteral("\\");
#else
    return drive;
#endif
}

QString Platform::DriveOf(const QString& directory) const {
    const QStringList drives = Drives();
#ifdef _WIN32
    const QString letter = directory.left(2).toLower();
    if (drives.contains(letter)) return letter;
#else
    // The innermost mount wins: /home/ann lies on /home, not on the root.
    QString best;
    for (const QString& drive : drives) {
        const QString prefix = drive.endsWith('/') ? drive : drive + '/';
        const bool holds = directory == drive || directory.startsWith(prefix);
        if (holds && drive.size() > best.size()) best = drive;
    }
    if (!best.isEmpty()) return best;
#endif
    return drives.value(0);
}

QString Platform::StartDrive() const {
#ifdef _WIN32
    return QStringLiteral("c:");
#else
    return QStringLiteral("/");
#endif
}

QString Platform::StartDirectory() const {
#ifdef _WIN32
    return QStringLiteral("\\");
#else
    return QStringLiteral("/");
#endif
}

void Platform::ShowMessage(QWidget& parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, &parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void Platform::PutOnClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

int Platform::AnsiCodePage() const {
#ifdef _WIN32
    return static_cast<int>(GetACP());
#else
    return CodePageForLocale(QLocale::system());
#endif
}

void Platform::EndProgram() {
    QCoreApplication::exit(0);
}

int CodePageForLocale(const QLocale& locale) {
    // One table for the window and tarvel-rc: the locale's name ("pl_PL", "zh_TW") says it all.
    return AnsiCodePageForLocale(locale.name().toStdString());
}

QString DecodeRcText(const std::string& bytes, int ansiCodePage) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(view);
    if (!utf8.hasError()) return text;

    QStringDecoder ansi(QByteArray("windows-" + QByteArray::number(ansiCodePage)).constData());
    if (!ansi.isValid()) ansi = QStringDecoder(QStringDecoder::System);
    return ansi.decode(view);
}

std::filesystem::path FileSystemPath(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace tarvel
