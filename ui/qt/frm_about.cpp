#include "frm_about.h"

#include <QColor>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>

#include "about_box_layout.h"
#include "form_units.h"

namespace {

constexpr int kIconSize = 32;

// A control's place in the layout table, in twips.
QRect Twips(std::string_view name) {
    for (const tarvel::ui::ControlPlace& place : tarvel::ui::kAboutBoxControls)
        if (place.name == name) return QRect(place.left, place.top, place.width, place.height);
    return {};
}

QRect Pixels(const QRect& twips) { return QRect(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())); }

void MakeTextBlack(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    widget.setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(Pixels(Twips(name)));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    MakeTextBlack(*label);
    return label;
}

// One element of the Line1 array: a plain coloured strip, since the rule is only
// ever horizontal. Both carry the array's name; "index" tells them apart.
void MakeLine(QWidget* parent, int index, int x1, int x2, int y, int width, QColor colour) {
    auto* line = new QWidget(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("index", index);
    line->setGeometry(Px(x1), Px(y), Px(x2) - Px(x1), width);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
}

QPixmap PlaceholderPicture() {
    QPixmap picture(kIconSize, kIconSize);
    picture.fill(Qt::transparent);
    return picture;
}

}  // namespace

frmAbout::frmAbout(tarvel::ui::Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      behaviour_(*this, platform) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(Px(tarvel::ui::kAboutBoxWidth), Px(tarvel::ui::kAboutBoxHeight));
    // The main window's font, which every control but the title uses.
    setFont(WindowFont());

    // Created in tab order, so the focus chain and the stacking follow it.
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Pixels(Twips("cmdOK")));
    cmdOK->setDefault(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->move(Pixels(Twips("picIcon")).topLeft());

    cmdSysInfo = new QPushButton(this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(Pixels(Twips("cmdSysInfo")));

    lblDescription = MakeLabel(this, "lblDescription");
    lblDisclaimer = MakeLabel(this, "lblDisclaimer");
    lblTitle = MakeLabel(this, "lblTitle");
    QFont titleFont = WindowFont();
    titleFont.setPointSizeF(tarvel::ui::kAboutTitleFontPoints);
    titleFont.setWeight(QFont::Bold);
    lblTitle->setFont(titleFont);
    lblVersion = MakeLabel(this, "lblVersion");

    for (const tarvel::ui::RulePlace& line : tarvel::ui::kAboutBoxRule)
        MakeLine(this, line.index, line.left, line.right, line.top, line.pixels, QColor(line.red, line.green, line.blue));

    setTabOrder(cmdOK, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Load();
}

void frmAbout::Load() {
    setWindowTitle(Text(tarvel::ui::kAboutCaption));
    setWindowIcon(QIcon());
    cmdOK->setText(QStringLiteral("OK"));
    cmdSysInfo->setText(QStringLiteral("WWW"));
    picIcon->setPixmap(PlaceholderPicture());
    picIcon->resize(kIconSize, kIconSize);
    lblDescription->setText(Text(tarvel::ui::kAboutDescription));
    lblDisclaimer->setText(Text(tarvel::ui::kAboutDisclaimer));
    lblTitle->setText(Text(tarvel::ui::kAboutTitle));
    lblVersion->setText(Text(tarvel::ui::kVersionPlaceholder));
    cmdOK->setFocus();
    // Without this a box the user dragged away would reopen where it was left
    // instead of centred on the screen.
    setAttribute(Qt::WA_Moved, false);
    behaviour_.Load();  // Form_Load
}

void frmAbout::SetIcon(const QIcon& icon) {
    setWindowIcon(icon);
    const QPixmap picture = icon.pixmap(QSize(kIconSize, kIconSize));
    picIcon->setPixmap(picture);
    // A picture box takes the size of its picture.
    picIcon->resize(picture.isNull() ? QSize(kIconSize, kIconSize) : picture.deviceIndependentSize().toSize());
}

void frmAbout::SetVersionText(const std::string& text) { lblVersion->setText(QString::fromStdString(text)); }

void frmAbout::Close() { accept(); }

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // OK is also the cancel button: Escape presses it rather than rejecting.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::cmdOK_Click() { behaviour_.PressOk(); }

void frmAbout::cmdSysInfo_Click() { behaviour_.OpenHomePage(); }

void ShowAboutBox(QWidget& mainWindow, std::unique_ptr<frmAbout>& instance, tarvel::ui::Platform& platform) {
    if (!instance) instance = std::make_unique<frmAbout>(platform);
    instance->Load();
    instance->SetIcon(mainWindow.windowIcon());
    instance->exec();
}
