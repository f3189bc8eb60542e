// The About box as a Qt dialog: the program's icon, title, version,
// description and freeware notice, "OK" to close it and "WWW" to open the home
// page. It lays out its controls and forwards its buttons and keys to the
// behaviour (tarvel::ui::AboutBox). It does not know the main window; the
// About button's handler hands it the icon to show.
#pragma once

#include <QDialog>
#include <QIcon>

#include <memory>

#include "about_box.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;

class frmAbout : public QDialog, public tarvel::ui::AboutBoxView {
    Q_OBJECT

public:
    /// `platform` opens the home page and must outlive the box.
    explicit frmAbout(tarvel::ui::Platform& platform, QWidget* parent = nullptr);

    /// Brings every control back to the state it has when the box is loaded,
    /// then runs Form_Load; the About button calls it before each showing.
    void Load();

    /// Shows `icon` as the box's window icon and in picIcon.
    void SetIcon(const QIcon& icon);

    void SetVersionText(const std::string& text) override;
    void Close() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdOK_Click();
    void cmdSysInfo_Click();

    tarvel::ui::AboutBox behaviour_;
    QPushButton* cmdOK;
    QLabel* picIcon;
    QPushButton* cmdSysInfo;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* lblTitle;
    QLabel* lblVersion;
};

/// The main window's About button: creates the one About box on first use,
/// loads it, gives it the main window's icon and shows it modally until closed.
void ShowAboutBox(QWidget& mainWindow, std::unique_ptr<frmAbout>& instance, tarvel::ui::Platform& platform);
