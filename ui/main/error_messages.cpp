#include "error_messages.h"

namespace tarvel {
namespace {

// The operating system's own words, behind a colon; nothing when it gave none.
QString Reason(const ConvertError& error) {
    if (!error.system) return QString();
    return QStringLiteral(": ") + QString::fromLocal8Bit(error.system.message());
}

}  // namespace

QString ErrorMessage(const ConvertError& error, bool formChosen) {
    const QString file = QString::fromStdString(error.file);
    switch (error.kind) {
        case ErrorKind::FirstIdOutOfRange:
            return QStringLiteral("Numer pierwszej pozycji „%1” nie mieści się w zakresie od -2147483648 do 2147483647.")
                .arg(file);
        case ErrorKind::FormUnreadable:
            if (!formChosen)
                return QStringLiteral("Nie wybrano pliku formularza w katalogu „%1”.").arg(file);
            return QStringLiteral("Nie można odczytać pliku formularza „%1”%2.").arg(file, Reason(error));
        case ErrorKind::NoMenu:
            return kNoMenuMessage;
        case ErrorKind::FrxUnreadable:
            return QStringLiteral("Nie można odczytać pliku „%1” z tekstami menu%2.").arg(file, Reason(error));
        case ErrorKind::FrxOutOfRange:
            return QStringLiteral("Plik „%1” z tekstami menu jest krótszy, niż podaje formularz.").arg(file);
        case ErrorKind::IdOutOfRange:
            return QStringLiteral("Numery pozycji menu formularza „%1” przekraczają 2147483647.").arg(file);
        case ErrorKind::OutputNameEmpty:
            return QStringLiteral("Nie podano nazwy pliku wynikowego: pole „Nazwa pliku RES” jest puste.");
        case ErrorKind::OutputIsForm:
            return QStringLiteral("Plik wynikowy „%1” to sam formularz; zapis zniszczyłby go.").arg(file);
        case ErrorKind::OutputUnwritable:
            return QStringLiteral("Nie można zapisać pliku „%1”%2.").arg(file, Reason(error));
    }
    return file;
}

}  // namespace tarvel
