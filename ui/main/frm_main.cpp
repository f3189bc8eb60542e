#include "frm_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <exception>
#include <filesystem>
#include <system_error>

#include "about_box.h"
#include "convert_form.h"
#include "delivery.h"
#include "leading_number.h"
#include "error_messages.h"
#include "file_lists.h"

namespace {

const QString kErrorTitle = QStringLiteral("Błąd");
const QColor kEnabledBackground(255, 255, 255);
const QColor kDisabledBackground(192, 192, 192);

// The layout is kept in twips, as the window was drawn; at 96 dpi a pixel is 15
// twips, and Qt scales the pixels further on screens with more dots.
constexpr int Px(int twips) { return (twips + 7) / 15; }
QRect Twips(int left, int top, int width, int height) { return QRect(Px(left), Px(top), Px(width), Px(height)); }

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void SetBackground(QLineEdit& box, const QColor& colour) {
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, colour);
    box.setPalette(palette);
}

QIcon ProgramIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tarvel-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/tarvel-16.png"), QSize(16, 16));
    return icon;
}

}  // namespace

frmMain::frmMain(tarvel::Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    CreateControls();
    PlaceControls();
    ConnectControls();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvel to RC file"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    Dir1 = Named(new DirListBox(this), "Dir1");
    Drive1 = Named(new QComboBox(this), "Drive1");
    Drive1->addItems(platform_.Drives());
    Drive1->setCurrentIndex(-1);  // no drive until Form_Load picks one, so picking it raises Drive1_Change
    File1 = Named(new FileListBox(this), "File1");
    File1->setPattern(QStringLiteral("*.frm"));
    Text1 = Named(new QLineEdit(this), "Text1");
    Label1 = Named(new QLabel(QStringLiteral("Nazwa pliku RES"), this), "Label1");
    Command1 = Named(new QPushButton(QStringLiteral("Konwertuj"), this), "Command1");
    Command2 = Named(new QPushButton(QStringLiteral("O programie"), this), "Command2");
    Command3 = Named(new QPushButton(QStringLiteral("Koniec"), this), "Command3");
    Text2 = Named(new QPlainTextEdit(this), "Text2");
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->setTabChangesFocus(true);  // Tab goes on through the window, as in every other box

    Frame1 = Named(new QGroupBox(QStringLiteral("Opcje"), this), "Frame1");
    Text3 = Named(new QLineEdit(QStringLiteral("100"), Frame1), "Text3");
    Label2 = Named(new QLabel(QStringLiteral("Numeruj od:"), Frame1), "Label2");
    chkDefine = Named(new QCheckBox(QStringLiteral("#define"), Frame1), "chkDefine");
    chkDefine->setChecked(true);

    Frame2 = Named(new QGroupBox(QStringLiteral("Konwertuj do:"), this), "Frame2");
    Option1 = Named(new QRadioButton(QStringLiteral("pliku"), Frame2), "Option1");
    Option2 = Named(new QRadioButton(QStringLiteral("schowka"), Frame2), "Option2");
    Option1->setChecked(true);
}

void frmMain::PlaceControls() {
    setFixedSize(Px(7425), Px(4935));
    Dir1->setGeometry(Twips(120, 120, 2655, 3465));
    Drive1->setGeometry(Twips(120, 3720, 2655, 315));
    File1->setGeometry(Twips(2880, 120, 2535, 3990));
    Text1->setGeometry(Twips(120, 4560, 5295, 285));
    Label1->setGeometry(Twips(120, 4320, 1455, 255));
    Command1->setGeometry(Twips(5640, 120, 1575, 375));
    Command2->setGeometry(Twips(5640, 600, 1575, 375));
    Command3->setGeometry(Twips(5640, 1080, 1575, 375));
    // Below the bottom edge of the fixed window: the result is delivered, never shown.
    Text2->setGeometry(Twips(120, 5040, 6855, 2775));
    Frame1->setGeometry(Twips(5520, 2160, 1815, 975));
    Text3->setGeometry(Twips(1080, 200, 615, 285));
    Label2->setGeometry(Twips(120, 240, 855, 255));
    chkDefine->setGeometry(Twips(120, 600, 1575, 255));
    Frame2->setGeometry(Twips(5520, 3240, 1815, 855));
    Option1->setGeometry(Twips(120, 240, 1455, 255));
    Option2->setGeometry(Twips(120, 480, 1335, 255));

    // Labels and frames never take the focus, so they have no place in the chain.
    QWidget* const order[] = {Dir1,     Drive1, File1, Text1, Command1,  Command2,
                              Command3, Text2,  Text3, chkDefine, Option1, Option2};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmMain::ConnectControls() {
    connect(Drive1, &QComboBox::currentTextChanged, this, &frmMain::Drive1_Change);
    connect(Dir1, &DirListBox::Changed, this, &frmMain::Dir1_Change);
    connect(File1, &FileListBox::Click, this, &frmMain::File1_Click);
    connect(Option1, &QRadioButton::clicked, this, &frmMain::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &frmMain::Option2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
}

void frmMain::CenterOnScreen() {
    const QRect available = screen()->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
}

void frmMain::Form_Load() {
    // Each assignment raises its list's change handler, which fills dirPath and File1.
    Drive1->setCurrentText(platform_.StartDrive());
    Dir1->setPath(platform_.StartDirectory());
}

void frmMain::Drive1_Change() {
    const QString drive = Drive1->currentText();
    const auto remembered = driveDirectories_.find(drive);
    if (remembered != driveDirectories_.end() && Dir1->setPath(remembered->second)) return;
    if (Dir1->setPath(platform_.DriveDirectory(drive))) return;

    platform_.ShowMessage(*this, QStringLiteral("Włóż dyskietkę"), kErrorTitle);
    // Back to the drive of the directory still shown; this raises Drive1_Change once more.
    Drive1->setCurrentText(platform_.DriveOf(Dir1->path()));
}

void frmMain::Dir1_Change() {
    const QString path = Dir1->path();
    state_.dirPath = tarvel::Utf8(path);
    const char separator = QDir::separator().toLatin1();
    if (!state_.dirPath.ends_with(separator)) state_.dirPath += separator;
    File1->setPath(path);
    driveDirectories_[platform_.DriveOf(path)] = path;
}

void frmMain::File1_Click() {
    QString stem = File1->fileName();
    stem.chop(3);  // the last three characters go, whatever they are
    Text1->setText(QString::fromStdString(state_.dirPath) + stem + QStringLiteral("rc"));
}

void frmMain::Option1_Click() {
    if (!Option1->isChecked()) return;
    Text1->setEnabled(true);
    SetBackground(*Text1, kEnabledBackground);
}

void frmMain::Option2_Click() {
    if (!Option2->isChecked()) return;
    Text1->setEnabled(false);
    SetBackground(*Text1, kDisabledBackground);
}

void frmMain::Command1_Click() {
    Text2->clear();
    const QString formName = File1->fileName();
    tarvel::ConversionRequest request;
    request.form = tarvel::FileSystemPath(QString::fromStdString(state_.dirPath) + formName);
    request.rc.useDefines = chkDefine->checkState() == Qt::Checked;
    const bool toFile = Option1->isChecked();
    const std::optional<std::int32_t> firstId = tarvel::ReadLeadingNumber(tarvel::Utf8(Text3->text()));
    if (!firstId) {
        platform_.ShowMessage(*this, tarvel::FirstIdMessage(Text3->text()), kErrorTitle);
        return;
    }
    request.rc.firstId = *firstId;

    // A pipe or a device put in the form's place would keep the read, and the
    // window with it, waiting for ever.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(request.form, statusError);
    if (!formName.isEmpty() && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        platform_.ShowMessage(*this,
                              QStringLiteral("Nie można odczytać pliku formularza „%1”: to nie jest zwykły plik, "
                                             "lecz potok, gniazdo lub urządzenie.")
                                  .arg(QString::fromStdString(state_.dirPath) + formName),
                              kErrorTitle);
        return;
    }

    // Whatever goes wrong is told and the window goes on; an exception must not
    // cross Qt's event loop.
    QString failure;
    try {
        std::string text;
        tarvel::Destination destination;
        destination.text = &text;
        tarvel::Result<tarvel::ConversionReport> converted = tarvel::ConvertForm(request, destination);
        if (converted && toFile) {
            const tarvel::Status saved = tarvel::DeliverToFile(text, tarvel::FileSystemPath(Text1->text()), request.form);
            if (!saved) converted = saved.error();
        }
        if (converted) {
            // The decoded text itself goes on the clipboard: the text box would give back
            // LF for CR LF and a space for a no-break space.
            const QString decoded = tarvel::DecodeRcText(text, platform_.AnsiCodePage());
            Text2->setPlainText(decoded);
            if (!toFile) platform_.PutOnClipboard(decoded);
            return;
        }
        failure = tarvel::ErrorMessage(converted.error(), !formName.isEmpty());
    } catch (const std::exception& error) {
        failure = QStringLiteral("Konwersja pliku „%1” nie powiodła się: %2.")
                      .arg(QString::fromStdString(state_.dirPath) + formName, QString::fromLocal8Bit(error.what()));
    }
    platform_.ShowMessage(*this, failure, kErrorTitle);
}

void frmMain::Command2_Click() {
    tarvel::ShowAboutBox(*this, aboutBox_);
}

void frmMain::Command3_Click() {
    platform_.EndProgram();
}
