#include "error_messages.h"

#include "platform.h"

namespace tarvel::ui {
namespace {

std::string Quoted(const std::string& text) { return "„" + text + "”"; }

// The operating system's own words, behind a colon; nothing when it gave none.
std::string Reason(const ConvertError& failure) {
    return failure.system ? ": " + ReasonText(failure.system) : std::string();
}

// " (wiersz 42)" when one line of the form is at fault.
std::string AtLine(std::uint32_t line) { return line ? " (wiersz " + std::to_string(line) + ")" : std::string(); }

}  // namespace

std::string ConversionFailureMessage(const ConvertError& failure) {
    const std::string file = Quoted(failure.file);
    switch (failure.kind) {
        case ErrorKind::FormUnreadable:
            return "Nie można odczytać pliku formularza " + file + Reason(failure) + ".";
        case ErrorKind::NotARegularFile:
            return "Nie można odczytać pliku formularza " + file +
                   ": to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie.";
        case ErrorKind::FormLineTooLong:
            return "Nie można odczytać pliku formularza " + file + ": jego wiersz " + std::to_string(failure.line) +
                   " jest zbyt długi.";
        case ErrorKind::FrxEntryTooLong:
            return "Wiersz " + std::to_string(failure.line) + " formularza " + file + " wskazuje w pliku " +
                   Quoted(failure.detail) + " tekst o długości " + std::to_string(failure.number) +
                   " bajtów, a wiersz formularza mieści najwyżej 16 MiB.";
        case ErrorKind::NotAForm:
            if (failure.detail.empty())
                return "Plik " + file + " nie jest formularzem Visual Basic: nie ma w nim bloku „Begin VB.Form” ani „Begin VB.MDIForm”.";
            return "Plik " + file + " nie jest formularzem Visual Basic: zaczyna się blokiem " + Quoted(failure.detail) +
                   AtLine(failure.line) + ", a nie „VB.Form” ani „VB.MDIForm”.";
        case ErrorKind::NoMenu:
            return std::string(kNoMenuMessage);
        case ErrorKind::FrxUnreadable:
            if (!failure.detail.empty())
                return "Nie można odczytać pliku " + file +
                       " z tekstami menu: to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie.";
            return "Nie można odczytać pliku " + file + " z tekstami menu" + Reason(failure) + ".";
        case ErrorKind::FrxOutOfRange:
            return "Plik " + file + " z tekstami menu jest krótszy, niż podaje formularz.";
        case ErrorKind::ItemNumberOutOfRange:
            return "Pozycja menu " + (failure.detail.empty() ? std::string() : Quoted(failure.detail) + " ") +
                   "formularza " + file + AtLine(failure.line) + " dostałaby numer " + std::to_string(failure.number) +
                   ", a zasób MENU mieści numery od 0 do 65535.";
        case ErrorKind::ControlNumberOutOfRange:
            return "Kontrolka " + (failure.detail.empty() ? std::string() : Quoted(failure.detail) + " ") + "formularza " +
                   file + AtLine(failure.line) + " dostałaby numer " + std::to_string(failure.number) +
                   ", a okno dialogowe mieści numery od 0 do 65535.";
        case ErrorKind::OutputNameEmpty:
            return "Nie podano nazwy pliku wynikowego: pole „Nazwa pliku RES” jest puste.";
        case ErrorKind::OutputIsForm:
            return "Plik wynikowy " + file + " to sam formularz; zapis zniszczyłby go.";
        case ErrorKind::OutputIsInput:
            return "Plik wynikowy " + file + " to plik " + Quoted(failure.detail) +
                   ", z którego konwersja czyta; zapis zniszczyłby go.";
        case ErrorKind::OutputsShareAFile:
            return "Obraz formularza " + file + AtLine(failure.line) + " zostałby zapisany w pliku " + Quoted(failure.detail) +
                   ", w którym zapisuje się też inny plik wynikowy, " + Quoted(failure.otherFile) +
                   "; jeden zniszczyłby drugi.";
        case ErrorKind::OutputUnwritable:
            return "Nie można zapisać pliku " + file + Reason(failure) + ".";
        case ErrorKind::OutputLinkRefused:
            return "Nie zapisano pliku " + file +
                   ": to dowiązanie symboliczne innego użytkownika we wspólnym katalogu z bitem sticky, "
                   "a takie dowiązania system prowadzi tylko dla ich właściciela (reguła protected_symlinks).";
        case ErrorKind::OutputIncomplete:
            return "Zapis pliku " + file + " w miejscu starego przerwał się w połowie" + Reason(failure) +
                   "; plik może być niekompletny.";
        case ErrorKind::OutputFolderNotFlushed:
            return "Plik " + file + " zapisano, ale nie można utrwalić na dysku zmian w jego katalogu" +
                   Reason(failure) + "; po awarii systemu może wrócić stary plik.";
        case ErrorKind::OutOfMemory:
            return "Zabrakło pamięci na konwersję pliku " + file + ".";
    }
    return failure.file;
}

std::string LostStringsMessage(const std::vector<LostString>& lost) {
    std::string message;
    for (const LostString& string : lost) {
        if (!message.empty()) message += "\n";
        message += "Tekst pozycji menu " + Quoted(string.owner) + AtLine(string.line) + " jest zapisany w pliku ";
        if (!string.malformedReference.empty())
            message += "wskazanym przez błędny odnośnik " + Quoted(string.malformedReference);
        else if (!string.frxError) message += "formularza jako dane";
        else if (string.frxError->kind == ErrorKind::FrxOutOfRange)
            message += Quoted(string.frxError->file) + ", krótszym, niż podaje formularz";
        else message += Quoted(string.frxError->file) + ", którego nie można odczytać" + Reason(*string.frxError);
        message += "; pozycję bez tekstu pominięto.";
    }
    return message;
}

std::string NoFormChosenMessage(const std::string& directory) {
    return "Nie wybrano pliku formularza w katalogu " + Quoted(directory) + ".";
}

std::string FirstIdOutOfRangeMessage(const std::string& text) {
    return "Numer pierwszej pozycji " + Quoted(text) + " nie mieści się w zakresie od -2147483648 do 2147483647.";
}

std::string ClipboardUnavailableMessage(const std::string& reason) {
    return "Nie można umieścić tekstu menu w schowku: " + reason + ".";
}

std::string DirectoryUnreadableMessage(const std::string& directory, const std::string& reason) {
    return "Nie można otworzyć katalogu " + Quoted(directory) + ": " + reason + ".";
}

std::string NothingToOpenMessage(const std::string& name, const std::string& reason) {
    return "Nie można otworzyć pliku ani katalogu " + Quoted(name) + ": " + reason + ".";
}

std::string NotAFormMessage(const std::string& name) {
    return "Plik " + Quoted(name) + " nie jest formularzem: lista plików pokazuje tylko pliki *.frm.";
}

std::string HiddenFormMessage(const std::string& name) {
    return "Formularz " + Quoted(name) + " jest plikiem ukrytym, więc nie ma go na liście plików.";
}

std::string FileOperationFailedMessage(const std::string& file, const std::string& reason) {
    return "Operacja na pliku " + Quoted(file) + " nie powiodła się: " + reason + ".";
}

std::string ConversionFailedMessage(const std::string& form, const std::string& reason) {
    return "Konwersja pliku " + Quoted(form) + " nie powiodła się: " + reason + ".";
}

}  // namespace tarvel::ui
