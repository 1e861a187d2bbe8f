#include "app/tapplication.h"

#include "core/errortext.h"
#include "core/exception.h"
#include "ui/helpviewer.h"
#include "ui/hintstyle.h"
#include "ui/layout.h"
#include "ui/tform1.h"
#include "ui/tform2.h"
#include "ui/tform3.h"

#include <QFileInfo>
#include <QMessageBox>

namespace {

QString programPath()
{
    return QCoreApplication::applicationFilePath();
}

void showBox(const QString &caption, const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, caption, QString::fromStdString(text), QMessageBox::Ok);
    // A message can carry a line of the player's ranking file.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    Title = QString::fromStdString(applicationTitle(programPath().toStdString()));
    setWindowIcon(QIcon(artwork("icon")));
    setStyle(new HintStyle);
}

TApplication::~TApplication() = default;

int TApplication::run()
{
    try {
        Form1 = std::make_unique<TForm1>();
    } catch (const Exception &error) {
        showFatalError(error);
        return 1;
    }
    try {
        Form1->FormCreate();
    } catch (const std::exception &error) {
        showException(error);
    }
    Form2 = std::make_unique<TForm2>(Form1.get());
    Form3 = std::make_unique<TForm3>(Form1.get());
    Form1->Form2 = Form2.get();
    Form1->Form3 = Form3.get();

    Form1->show();
    const int exitCode = exec();

    const QString helpFile = Form1->HelpFile;
    Form3.reset();
    Form2.reset();
    Form1.reset();
    if (!helpFile.isEmpty())
        WinHelp(nullptr, helpFile, HELP_QUIT);
    return exitCode;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(error);
        return true;
    }
}

void TApplication::showException(const std::exception &error)
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    showBox(Title, withFinalPeriod(error.what()));
}

void TApplication::showFatalError(const Exception &error)
{
    const std::string module = QFileInfo(programPath()).fileName().toStdString();
    showBox(QStringLiteral("アプリケーション エラー"),
            fatalErrorText(error.kindName(), module, &error, error.what()));
}
