#include "web_opener.h"

#include <QProcess>
#include <QStringList>

#ifdef _WIN32
#include <string>

#include <windows.h>
#include <shellapi.h>
#endif

namespace tarvel {

QString DefaultOpenerProgram() {
#ifdef _WIN32
    return {};
#else
    return QStringLiteral("xdg-open");
#endif
}

bool StartOpener(const QString& program, const QString& address) {
    if (program.isEmpty()) {
#ifdef _WIN32
        const std::wstring target = address.toStdWString();
        // ShellExecute reports success with a value above 32.
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
#else
        return false;
#endif
    }
    return QProcess::startDetached(program, QStringList{address});
}

}  // namespace tarvel
