#include "ui/errorbox.h"

#include "core/errortext.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

void showBox(const QString &caption, const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, caption, QString::fromStdString(text), QMessageBox::Ok);
    // A message can carry a line of the player's ranking file.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void showErrorBox(const std::exception &error)
{
    const std::string title = applicationTitle(QCoreApplication::applicationFilePath().toStdString());
    showBox(QString::fromStdString(title), withFinalPeriod(error.what()));
}

void showFatalErrorBox(const Exception &error)
{
    const std::string module = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    showBox(QStringLiteral("アプリケーション エラー"), fatalErrorText(error.kindName(), module, &error, error.what()));
}

void reportError(const std::exception &error) noexcept
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    showErrorBox(error);
}
