#include "error_messages.h"

#include "platform.h"

namespace tarvel::ui {
namespace {

std::string Quoted(const std::string& text) { return "„" + text + "”"; }

// The operating system's own words, behind a colon; nothing when it gave none.
std::string Reason(const ConversionFailure& failure) {
    return failure.system ? ": " + ReasonText(failure.system) : std::string();
}

}  // namespace

std::string ConversionFailureMessage(const ConversionFailure& failure) {
    const std::string file = Quoted(failure.file);
    switch (failure.kind) {
        case FailureKind::FormUnreadable:
            return "Nie można odczytać pliku formularza " + file + Reason(failure) + ".";
        case FailureKind::FormLineTooLong:
            return "Nie można odczytać pliku formularza " + file + ": jeden z jego wierszy jest zbyt długi.";
        case FailureKind::NoMenu:
            return std::string(kNoMenuMessage);
        case FailureKind::FrxUnreadable:
            return "Nie można odczytać pliku " + file + " z tekstami menu" + Reason(failure) + ".";
        case FailureKind::FrxOutOfRange:
            return "Plik " + file + " z tekstami menu jest krótszy, niż podaje formularz.";
        case FailureKind::ItemNumberOutOfRange:
            return "Pozycja menu " + (failure.detail.empty() ? std::string() : Quoted(failure.detail) + " ") +
                   "formularza " + file + " dostałaby numer " + std::to_string(failure.number) +
                   ", a zasób MENU mieści numery od 0 do 65535.";
        case FailureKind::OutputNameEmpty:
            return "Nie podano nazwy pliku wynikowego: pole „Nazwa pliku RES” jest puste.";
        case FailureKind::OutputIsForm:
            return "Plik wynikowy " + file + " to sam formularz; zapis zniszczyłby go.";
        case FailureKind::OutputUnwritable:
            return "Nie można zapisać pliku " + file + Reason(failure) + ".";
        case FailureKind::OutputLinkRefused:
            return "Nie zapisano pliku " + file +
                   ": to dowiązanie symboliczne innego użytkownika we wspólnym katalogu z bitem sticky, "
                   "a takie dowiązania system prowadzi tylko dla ich właściciela (reguła protected_symlinks).";
        case FailureKind::OutputIncomplete:
            return "Zapis pliku " + file + " w miejscu starego przerwał się w połowie" + Reason(failure) +
                   "; plik może być niekompletny.";
        case FailureKind::OutputFolderNotFlushed:
            return "Plik " + file + " zapisano, ale nie można utrwalić na dysku zmian w jego katalogu" +
                   Reason(failure) + "; po awarii systemu może wrócić stary plik.";
        case FailureKind::OutOfMemory:
            return "Zabrakło pamięci na konwersję pliku " + file + ".";
        case FailureKind::ControlNumberOutOfRange:
            return "Kontrolka " + (failure.detail.empty() ? std::string() : Quoted(failure.detail) + " ") +
                   "formularza " + file + " dostałaby numer " + std::to_string(failure.number) +
                   ", a okno dialogowe mieści numery od 0 do 65535.";
    }
    return failure.file;
}

std::string NoFormChosenMessage(const std::string& directory) {
    return "Nie wybrano pliku formularza w katalogu " + Quoted(directory) + ".";
}

std::string FirstIdOutOfRangeMessage(const std::string& text) {
    return "Numer pierwszej pozycji " + Quoted(text) + " nie mieści się w zakresie od -2147483648 do 2147483647.";
}

std::string NotARegularFileMessage(const std::string& form) {
    return "Nie można odczytać pliku formularza " + Quoted(form) +
           ": to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie.";
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
