#include "ui/errorbox.h"

#include "core/errortext.h"
#include "ui/desktop.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

void showBox(const QString &caption, const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, caption, QString::fromStdString(text), QMessageBox::Ok);
    // A message can carry a line of the player's ranking file.
    box.setTextFormat(Qt::PlainText);
    runModal(&box);
}

} // namespace

void showErrorBox(const std::exception &error)
{
    const std::string title = applicationTitle(QCoreApplication::applicationFilePath().toStdString());
    showBox(QString::fromStdString(title), withFinalPeriod(errorMessage(error).toStdString()));
}

void showFatalErrorBox(const Exception &error)
{
    const std::string module = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    showBox(QCoreApplication::translate("ErrorBox", "アプリケーション エラー"),
            fatalErrorText(error.kindName(), module, &error, errorMessage(error).toStdString()));
}

void reportError(const std::exception &error) noexcept
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    showErrorBox(error);
}
