// What the window tests share: a Platform whose drives the test chooses and
// whose message boxes are answered at once and remembered, small helpers for
// files and for the window's named controls, forms with a menu, and what the
// real tarvel-rc writes for a form.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <utility>
#include <vector>

#include "platform.h"

struct Message {
    QString text;
    QString title;
};

class TestPlatform : public tarvel::Platform {
public:
    QStringList drives = {QStringLiteral("/")};
    int codePage = 1250;
    std::vector<Message> messages;
    int endCalls = 0;

    QStringList Drives() const override { return drives; }
    void ShowMessage(QWidget&, const QString& text, const QString& title) override {
        messages.push_back({text, title});
    }
    int AnsiCodePage() const override { return codePage; }
    void EndProgram() override { ++endCalls; }
};

template <class Widget>
Widget* Control(QWidget& window, const char* name) {
    return window.findChild<Widget*>(QLatin1String(name));
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A form whose one sub-item carries `caption`, in whatever bytes the test gives.
inline QByteArray MenuForm(const QByteArray& caption) {
    return "VERSION 5.00\r\n"
           "Begin VB.Form Form1 \r\n"
           "   Caption         =   \"Form1\"\r\n"
           "   Begin VB.Menu mnuFile \r\n"
           "      Caption         =   \"&Plik\"\r\n"
           "      Begin VB.Menu mnuItem \r\n"
           "         Caption         =   \"" + caption + "\"\r\n"
           "      End\r\n"
           "   End\r\n"
           "End\r\n"
           "Attribute VB_Name = \"Form1\"\r\n";
}

inline const QByteArray kNoMenuForm =
    "VERSION 5.00\r\nBegin VB.Form Form1 \r\n   Caption         =   \"Form1\"\r\nEnd\r\nAttribute VB_Name = \"Form1\"\r\n";

// What tarvel-rc writes for the form with the given options, or an empty array when it fails.
inline QByteArray CliBytes(const QString& form, const QStringList& options) {
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("cli.rc"));
    QProcess cli;
    cli.start(QStringLiteral(TARVEL_RC), QStringList(options) << QStringLiteral("-o") << output << form);
    if (!cli.waitForFinished(20000) || cli.exitCode() != 0) return {};
    return ReadBytes(output);
}
