// What the window tests share: a Platform whose drives the test chooses and
// whose message boxes are answered at once and remembered, and small helpers
// for files and for the window's named controls.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
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
