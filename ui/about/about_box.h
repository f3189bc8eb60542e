// The About box: the program's icon, title, version, description and freeware
// notice, with "OK" to close it and "WWW" to open the home page. It does not know
// the main window; the About button's handler hands it the icon to show.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

#include <memory>

class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;

namespace tarvel {

/// The program's home page, opened by "WWW".
inline constexpr char kHomePage[] = "https://tarvel.example.org/";

}  // namespace tarvel

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    /// Brings every control back to the state it has when the box is loaded,
    /// then runs Form_Load; the About button calls it before each showing.
    void Load();

    /// Shows `icon` as the box's window icon and in picIcon.
    void SetIcon(const QIcon& icon);

    /// The program "WWW" starts with the address; empty means the platform's
    /// own handler. Tests name a missing program or a stand-in here.
    void SetOpenerProgram(const QString& program);
    const QString& OpenerProgram() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    QPushButton* cmdOK;
    QLabel* picIcon;
    QPushButton* cmdSysInfo;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QString openerProgram_;
};

namespace tarvel {

/// The main window's About button: creates the one About box on first use,
/// loads it, gives it the main window's icon and shows it modally until closed.
void ShowAboutBox(QWidget& mainWindow, std::unique_ptr<frmAbout>& instance);

}  // namespace tarvel
