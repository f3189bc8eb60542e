// Opening a web page in the user's browser: the one piece of the About box that
// differs between Linux and Windows. It only starts the opener and forgets it;
// whether a browser really appears is the desktop's business, not ours.
#pragma once

#include <QString>

namespace tarvel {

/// The program that opens web addresses here: "xdg-open" on Linux; empty on
/// Windows, where the shell's "open" verb does the job without a program name.
QString DefaultOpenerProgram();

/// Starts `program` detached with `address` as its one argument, never through a
/// shell, so nothing in the address can be read as a command. An empty program
/// means the platform's own handler. Returns whether the start succeeded.
bool StartOpener(const QString& program, const QString& address);

}  // namespace tarvel
