#include "error_messages.h"

namespace tarvel {
namespace {

// The operating system's own words, behind a colon; nothing when it gave none.
QString Reason(const ConvertError& error) {
    if (!error.system) return QString();
    return QStringLiteral(": ") + QString::fromLocal8Bit(error.system.message());
}

}  // namespace

QString FirstIdMessage(const QString& firstIdText) {
    return QStringLiteral("Numer pierwszej pozycji „%1” nie mieści się w zakresie od -2147483648 do 2147483647.")
        .arg(firstIdText);
}

QString ErrorMessage(const ConvertError& error, bool formChosen) {
    const QString file = QString::fromStdString(error.file);
    switch (error.kind) {
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
        case ErrorKind::FormLineTooLong:
            return QStringLiteral("Nie można odczytać pliku formularza „%1”: jeden z jego wierszy jest dłuższy niż 16 MiB.")
                .arg(file);
        case ErrorKind::ItemNumberOutOfRange:
            return QStringLiteral("Pozycja menu „%1” formularza „%2” dostałaby numer %3, a zasób MENU mieści tylko numery "
                                  "od 0 do 65535.")
                .arg(QString::fromStdString(error.detail), file, QString::number(error.number));
        case ErrorKind::ControlNumberOutOfRange:
            return QStringLiteral("Kontrolka „%1” formularza „%2” dostałaby numer %3, a okno dialogowe mieści tylko numery "
                                  "od 0 do 65535.")
                .arg(QString::fromStdString(error.detail), file, QString::number(error.number));
        case ErrorKind::OutOfMemory:
            return QStringLiteral("Zabrakło pamięci na konwersję pliku formularza „%1”.").arg(file);
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
