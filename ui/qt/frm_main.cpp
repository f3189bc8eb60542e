#include "frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPalette>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>

#include <cstring>
#include <type_traits>

#include "file_lists.h"
#include "form_units.h"
#include "frm_about.h"
#include "main_window_layout.h"

namespace {

using tarvel::ui::kMainWindowControls;

const tarvel::ui::ControlPlace& Place(std::string_view name) {
    for (const tarvel::ui::ControlPlace& place : kMainWindowControls)
        if (place.name == name) return place;
    return kMainWindowControls[0];
}

// The control of the table's line `name`, named after it and carrying its caption.
template <class Widget>
Widget* Make(QWidget* container, const char* name) {
    const tarvel::ui::ControlPlace& place = Place(name);
    Widget* widget;
    if constexpr (std::is_constructible_v<Widget, QString, QWidget*>)
        widget = place.text.empty() ? new Widget(container) : new Widget(Text(place.text), container);
    else
        widget = new Widget(container);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QIcon ProgramIcon() { return IconFromPng({":/icons/tarvel-32.png", ":/icons/tarvel-16.png"}); }

// A number as QPixmap's cache keys spell it: each byte as it lies in memory, low digit first.
template <class Number>
QString CacheKeyHex(Number number) {
    unsigned char bytes[sizeof number];
    std::memcpy(bytes, &number, sizeof number);
    QString hex;
    for (const unsigned char byte : bytes) hex += QString::number(byte & 0xf, 16) + QString::number(byte >> 4, 16);
    return hex;
}

// Fusion draws a group box's frame from a picture of Qt's own, loaded by name
// at the first paint; loaded so, Qt asks every image plugin installed (GIF,
// ICO, JPEG: each loaded with its library) whether it reads PNG, which is
// nearly half of what the window's first paint costs. Read by the PNG reader
// alone and put in the pixmap cache under the key that QPixmap(name) looks
// for first, it is the same picture, and no plugin is loaded. Under another
// style, or a Qt that spells the key otherwise, the entry is never asked for.
void CacheGroupBoxFrame() {
    const QFileInfo picture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
    if (!picture.exists()) return;
    const QPixmap frame = PixmapFromPng(picture.filePath());
    // The name, the file's time and size, and the kind of pixmap (0: a pixmap, not a bitmap).
    const QString key = QStringLiteral("qt_pixmap") + picture.absoluteFilePath() +
                        CacheKeyHex(static_cast<unsigned>(picture.lastModified().toSecsSinceEpoch())) +
                        CacheKeyHex(static_cast<quint64>(picture.size())) + CacheKeyHex(0u);
    QPixmapCache::insert(key, frame);
}

}  // namespace

frmMain::frmMain(tarvel::ui::Platform& platform, std::string startName, QWidget* parent)
    : QWidget(parent), platform_(platform), behaviour_(*this, platform), startName_(std::move(startName)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Text(tarvel::ui::kMainWindowCaption));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(WindowFont());
    setFixedSize(Px(tarvel::ui::kMainWindowWidth), Px(tarvel::ui::kMainWindowHeight));
    setAcceptDrops(true);
}

void frmMain::setVisible(bool visible) {
    QWidget::setVisible(visible);
    if (!visible || Dir1 != nullptr) return;
    // Mapped now, and painted only once the event loop runs: the controls made
    // here are in the first picture as if they had been there all along.
    CreateControls();
    PlaceControls();
    ConnectControls();
    // A child added to a window already shown stays hidden until told otherwise.
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) control->show();
    // Form_Load once the window is on the screen, before its first paint: the
    // lists are in the first picture, which is drawn once rather than drawn and
    // then drawn again with the lists filled, and a message about the name given
    // comes over the window.
    behaviour_.Load(startName_);
}

namespace {

// The first local file or folder of a drag; empty when it carries none.
QString DraggedPath(const QMimeData* data) {
    if (data == nullptr) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedPath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = DraggedPath(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    behaviour_.Open(path.toStdString());
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
    Dir1 = Make<DirListBox>(this, "Dir1");
    Drive1 = Make<QComboBox>(this, "Drive1");
    File1 = Make<FileListBox>(this, "File1");
    Text1 = Make<QLineEdit>(this, "Text1");
    // Greyed, the name stays readable on its grey (Fusion's own disabled grey is all but the background's).
    QPalette palette = Text1->palette();
    const tarvel::ui::Colour text = tarvel::ui::kDisabledText;
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(text.red, text.green, text.blue));
    Text1->setPalette(palette);
    Label1 = Make<QLabel>(this, "Label1");
    Command1 = Make<QPushButton>(this, "Command1");
    Command2 = Make<QPushButton>(this, "Command2");
    Command3 = Make<QPushButton>(this, "Command3");
    Text2 = Make<QPlainTextEdit>(this, "Text2");
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Never seen, so never given the focus: typing into it would go nowhere visible.
    Text2->setFocusPolicy(Qt::NoFocus);

    CacheGroupBoxFrame();
    Frame1 = Make<QGroupBox>(this, "Frame1");
    Text3 = Make<QLineEdit>(Frame1, "Text3");
    Label2 = Make<QLabel>(Frame1, "Label2");
    chkDefine = Make<QCheckBox>(Frame1, "chkDefine");
    chkDefine->setChecked(true);

    Frame2 = Make<QGroupBox>(this, "Frame2");
    Option1 = Make<QRadioButton>(Frame2, "Option1");
    Option2 = Make<QRadioButton>(Frame2, "Option2");
    Option1->setChecked(true);
}

void frmMain::PlaceControls() {
    for (const tarvel::ui::ControlPlace& place : kMainWindowControls) {
        auto* control = findChild<QWidget*>(Text(place.name));
        control->setGeometry(Px(place.left), Px(place.top), Px(place.width), Px(place.height));
    }
    // Labels, frames and the result box never take the focus, so they have no place in the chain.
    QWidget* const order[] = {Dir1,     Drive1, File1, Text1,     Command1, Command2,
                              Command3, Text3,  chkDefine, Option1, Option2};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmMain::ConnectControls() {
    connect(Drive1, &QComboBox::currentTextChanged, this, &frmMain::Drive1_Change);
    connect(Dir1, &DirListBox::Opened, this, &frmMain::Dir1_Change);
    connect(Dir1, &DirListBox::DirectoryChanged, this, [this] { behaviour_.DirectoryMayBeGone(); });
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

void frmMain::Drive1_Change() { behaviour_.ChooseDrive(Drive1->currentText().toStdString()); }

void frmMain::Dir1_Change(const QString& path) { behaviour_.OpenDirectory(path.toStdString()); }

void frmMain::File1_Click() { behaviour_.PickFile(File1->fileName().toStdString()); }

void frmMain::Option1_Click() {
    if (Option1->isChecked()) behaviour_.ChooseOutput(tarvel::ui::OutputTarget::File);
}

void frmMain::Option2_Click() {
    if (Option2->isChecked()) behaviour_.ChooseOutput(tarvel::ui::OutputTarget::Clipboard);
}

void frmMain::Command1_Click() { behaviour_.Convert(); }

void frmMain::Command2_Click() { behaviour_.ShowAbout(); }

void frmMain::Command3_Click() { behaviour_.Exit(); }

void frmMain::ListDrives(const std::vector<std::string>& drives) {
    const QSignalBlocker quiet(Drive1);
    Drive1->clear();
    for (const std::string& drive : drives) Drive1->addItem(QString::fromStdString(drive));
    Drive1->setCurrentIndex(-1);
}

void frmMain::ShowDrive(const std::string& drive) {
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentText(QString::fromStdString(drive));
}

void frmMain::ShowDirectory(const std::string& path, const std::vector<tarvel::ui::DirectoryEntry>& entries) {
    Dir1->Show(path, entries);
}

void frmMain::ListFiles(const std::vector<std::string>& names) { File1->List(names); }

std::string frmMain::SelectedFileName() const { return File1->fileName().toStdString(); }

void frmMain::SelectFile(const std::string& name) { File1->Select(QString::fromStdString(name)); }

std::string frmMain::OutputName() const { return Text1->text().toStdString(); }

void frmMain::SetOutputName(const std::string& text) { Text1->setText(QString::fromStdString(text)); }

void frmMain::EnableOutputName(bool enabled, tarvel::ui::Colour background) {
    Text1->setEnabled(enabled);
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, QColor(background.red, background.green, background.blue));
    Text1->setPalette(palette);
}

std::string frmMain::FirstIdText() const { return Text3->text().toStdString(); }

bool frmMain::DefinesChecked() const { return chkDefine->checkState() == Qt::Checked; }

tarvel::ui::OutputTarget frmMain::ChosenOutput() const {
    return Option2->isChecked() ? tarvel::ui::OutputTarget::Clipboard : tarvel::ui::OutputTarget::File;
}

void frmMain::SetResultText(const std::string& text) { Text2->setPlainText(QString::fromStdString(text)); }

void frmMain::ShowMessage(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void frmMain::PutOnClipboard(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(text));
}

void frmMain::ShowAboutBox() { ::ShowAboutBox(*this, aboutBox_, platform_); }

void frmMain::EndProgram() { QCoreApplication::exit(0); }
