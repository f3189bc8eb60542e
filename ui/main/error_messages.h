// The window's Polish sentences for a conversion that stopped: each names the
// file concerned and, where the system gave one, its reason.
#pragma once

#include <QString>

#include "result.h"

namespace tarvel {

/// The text of the "Błąd" box for `error`. `formChosen` is false when no name was
/// selected in the file list, so the form "path" is only the directory.
QString ErrorMessage(const ConvertError& error, bool formChosen);

/// The text of the "Błąd" box for a first-ID box whose number does not fit 32 bits.
QString FirstIdMessage(const QString& firstIdText);

/// The message a form without a menu gets, word for word.
inline const QString kNoMenuMessage = QStringLiteral("Podany plik (formularz) nie posiada menu");

}  // namespace tarvel
